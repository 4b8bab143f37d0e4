#pragma once
// Placing a control made in code: named, at its bounds in its parent's client area, in
// its parent, and with its caption, in one call.

#include "framework/core/Classes.h"
#include "framework/gui/Controls.h"

#include <string>

// Names the control (an empty name leaves it unnamed), sets its bounds, then its parent.
void PlaceControl(TControl* control, TWinControl* parent, const std::string& name, int left,
                  int top, int width, int height);

// A new control of class T owned by owner, placed as above.
template <class T>
T* PlaceControl(TComponent* owner, TWinControl* parent, const std::string& name, int left, int top,
                int width, int height) {
    T* control = new T(owner);
    PlaceControl(control, parent, name, left, top, width, height);
    return control;
}

// The same, and the caption set once the control is in its parent (an auto-sized label
// measures it in the parent's font).
template <class T>
T* PlaceControl(TComponent* owner, TWinControl* parent, const std::string& name, int left, int top,
                int width, int height, const std::string& caption) {
    T* control = PlaceControl<T>(owner, parent, name, left, top, width, height);
    control->SetCaption(caption);
    return control;
}
