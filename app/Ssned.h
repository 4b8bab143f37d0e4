#pragma once
// The periods view: the operating periods of the year (SeasonList) in a grid — description,
// first and last day, number of days and way of operation — with insert, delete, open and
// save of .ssn files, and a Gantt chart of the periods docked over the view. The devices'
// daily profiles follow the periods: one profile per period.

#include "framework/core/Classes.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Forms.h"
#include "persist/ExGrids.h"

#include <string>

class TfmSsnEd : public TForm {
    ORV_CLASS(TfmSsnEd, TForm)
public:
    explicit TfmSsnEd(TComponent* owner);

    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr; // actLoadFromFile
    TToolButton* ToolButton2 = nullptr; // actSaveToFile
    TToolButton* ToolButton3 = nullptr; // actInsert
    TToolButton* ToolButton4 = nullptr; // actDelete
    TToolButton* ToolButton5 = nullptr; // actGraph
    TExDrawGrid* gdSnl = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* actLoadFromFile = nullptr;
    TAction* actSaveToFile = nullptr;
    TAction* actInsert = nullptr;
    TAction* actDelete = nullptr;
    TAction* actGraph = nullptr;

    // Rows: the header and one per period, at least one data row.
    void UpdateRowCount();
    // The text a cell shows ("" where there is none).
    std::string CellText(int aCol, int aRow) const;

    void FormCreate(TObject* sender);
    void gdSnlDrawCell(TObject* sender, int aCol, int aRow, const TRect& rect,
                       TGridDrawState state);
    void gdSnlGetEditText(TObject* sender, int aCol, int aRow, std::string& value);
    void gdSnlSetEditText(TObject* sender, int aCol, int aRow, const std::string& value);
    void gdSnlSelectCell(TObject* sender, int aCol, int aRow, bool& canSelect);
    bool gdSnlAcceptEditKey(TObject* sender, char32_t& key);
    void gdSnlGetEditStyle(TObject* sender, int aCol, int aRow, TInplaceEditStyle& style);
    void gdSnlGetPicklist(TObject* sender, int aCol, int aRow, TStrings* pickList);
    void actInsertExecute(TObject* sender);
    void actDeleteExecute(TObject* sender);
    void actLoadFromFileExecute(TObject* sender);
    void actSaveToFileExecute(TObject* sender);
    void actGraphExecute(TObject* sender);
};
