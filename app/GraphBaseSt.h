#pragma once
// The chart window docked over a view: the chart-view base window with a "back" action
// ("Επιστροφή"); a closed window frees itself, so its tool bar leaves the tool strip.

#include "app/GraphBase.h"

class TfmGraphBaseSt : public TfmGraphBase {
    ORV_CLASS(TfmGraphBaseSt, TfmGraphBase)
public:
    explicit TfmGraphBaseSt(TComponent* owner);

    TToolButton* ToolButton4 = nullptr; // actClose
    TAction* actClose = nullptr;

    void actCloseExecute(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
};
