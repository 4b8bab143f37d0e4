#pragma once
// The tests' main windows hand a key their own shortcuts do not take to the forms docked in
// their host panel, as a program's main window does.

#include "framework/gui/Forms.h"

inline bool HostedFormsShortCut(TComponent* host, TMessage& message) {
    for (int i = 0; i < host->ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TCustomForm*>(host->Components(i)); f && f->IsShortCut(message))
            return true;
    return false;
}
