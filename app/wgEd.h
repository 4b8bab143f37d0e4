#pragma once
// The wind-generator editor: the project's power curve (model name, rated power and the
// speed/power points in a grid), opened from a .pow file, edited point by point, shown as
// a chart over the current view.

#include "framework/core/Classes.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "persist/ExGrids.h"
#include "persist/ExSpin.h"

#include <string>

class TfmWGEd : public TForm {
    ORV_CLASS(TfmWGEd, TForm)
public:
    explicit TfmWGEd(TComponent* owner);

    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr; // actOpenPow
    TToolButton* ToolButton2 = nullptr; // actInsert
    TToolButton* ToolButton3 = nullptr; // actDelete
    TToolButton* ToolButton4 = nullptr; // actGraph
    TPanel* Panel1 = nullptr;
    TLabel* Label1 = nullptr; // "Μοντέλο"
    TEdit* edModelName = nullptr;
    TLabel* Label2 = nullptr; // "Ισχύς:"
    TExSpinEdit* edPR = nullptr;
    TLabel* Label3 = nullptr; // "Watts"
    TExDrawGrid* gdPC = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* actOpenPow = nullptr; // F3
    TAction* actInsert = nullptr;
    TAction* actDelete = nullptr;
    TAction* actGraph = nullptr;

    // Rows: the header and one per point, at least one data row.
    void UpdateRowCount();

    void FormCreate(TObject* sender);
    void gdPCDrawCell(TObject* sender, int aCol, int aRow, const TRect& rect, TGridDrawState state);
    void gdPCGetEditText(TObject* sender, int aCol, int aRow, std::string& value);
    void gdPCSetEditText(TObject* sender, int aCol, int aRow, const std::string& value);
    void gdPCShowEditor(TObject* sender, int aCol, int aRow, bool& allow);
    void edModelNameChange(TObject* sender);
    void edPRChange(TObject* sender);
    void actOpenPowExecute(TObject* sender);
    void actInsertExecute(TObject* sender);
    void actDeleteExecute(TObject* sender);
    void actGraphExecute(TObject* sender);

private:
    // On while the controls are filled from the model: their change handlers then leave
    // the model alone.
    bool FLoading = false;
};
