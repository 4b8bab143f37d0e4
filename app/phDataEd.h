#pragma once
// The sunshine view: the sunshine factors of the year (PhFactors), one column per month and
// one row per hour of the day, edited in the grid, opened from and saved to .pph files, and
// drawn as monthly lines in a chart docked over the view.

#include "framework/core/Classes.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Forms.h"
#include "persist/ExGrids.h"

#include <string>

class TfmPhDataEd : public TForm {
    ORV_CLASS(TfmPhDataEd, TForm)
public:
    explicit TfmPhDataEd(TComponent* owner);

    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr; // actOpenFile
    TToolButton* ToolButton2 = nullptr; // actSaveFile
    TToolButton* ToolButton3 = nullptr; // actGraph
    TExDrawGrid* gdPhData = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* actOpenFile = nullptr;
    TAction* actSaveFile = nullptr;
    TAction* actGraph = nullptr;

    // The text a cell shows.
    std::string CellText(int aCol, int aRow) const;

    void FormCreate(TObject* sender);
    void gdPhDataDrawCell(TObject* sender, int aCol, int aRow, const TRect& rect,
                          TGridDrawState state);
    void gdPhDataGetEditText(TObject* sender, int aCol, int aRow, std::string& value);
    void gdPhDataSetEditText(TObject* sender, int aCol, int aRow, const std::string& value);
    void actOpenFileExecute(TObject* sender);
    void actSaveFileExecute(TObject* sender);
    void actGraphExecute(TObject* sender);
};
