#include "framework/gui/ControlPlacing.h"

void PlaceControl(TControl* control, TWinControl* parent, const std::string& name, int left,
                  int top, int width, int height) {
    if (!name.empty())
        control->SetName(name);
    control->SetBounds(left, top, width, height);
    control->SetParent(parent);
}
