#include "controls/fxChangeLink.h"

void TFxChangeLink::FireChange() {
    if (FOnChange)
        FOnChange(FSender);
}

void TFxChangeLink::FireStateDown() {
    if (FOnStateDown)
        FOnStateDown(FSender);
}

void TFxChangeLink::FireLoaded() {
    if (FOnLoaded)
        FOnLoaded(FSender);
}
