#include "app/GraphBaseSt.h"

#include "app/ViewHelpers.h"

TfmGraphBaseSt::TfmGraphBaseSt(TComponent* owner) : TfmGraphBase(owner) {
    TLoadingBracket loading;
    SetName("fmGraphBaseSt");
    SetCaption("fmGraphBaseSt");
    actClose = AddAction(this, ActionList1, "actClose", "Επιστροφή", 15, scNone,
                         TNotifyEvent(this, &TfmGraphBaseSt::actCloseExecute, "actCloseExecute"));
    ToolButton4 = AddToolButton(this, ToolBar1, "ToolButton4", actClose);
    SetOnClose(TCloseEvent(this, &TfmGraphBaseSt::FormClose, "FormClose"));
}

void TfmGraphBaseSt::actCloseExecute(TObject*) {
    Close();
}

void TfmGraphBaseSt::FormClose(TObject*, TCloseAction& action) {
    action = caFree;
}
