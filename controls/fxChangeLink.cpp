#include "controls/fxChangeLink.h"

#include <algorithm>

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

void TFxChangeLinks::Add(TFxChangeLink* link) {
    if (link)
        FLinks.push_back(link);
}

void TFxChangeLinks::Remove(TFxChangeLink* link) {
    auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (it != FLinks.end())
        FLinks.erase(it);
}

void TFxChangeLinks::Fire(TObject* sender, void (TFxChangeLink::*fire)()) const {
    for (TFxChangeLink* link : std::vector<TFxChangeLink*>(FLinks)) {
        link->SetSender(sender);
        (link->*fire)();
    }
}
