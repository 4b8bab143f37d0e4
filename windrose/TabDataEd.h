#pragma once
// The wind-climate table editor: a modal window showing the current table in a grid (a
// column per sector, the sector frequencies in the first row, a row per speed class) where
// values are typed in place and the fixed cells are buttons that normalise: the corner
// the whole table, a sector header that sector's column, the cell under the corner the
// frequencies. Changes go straight into the table; there is no cancel.

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"

#include "persist/ExGrids.h"
#include "persist/Placement.h"
#include "windrose/TabData.h"

#include <string>

class TfmTabDataEd : public TForm {
    ORV_CLASS(TfmTabDataEd, TForm)
public:
    explicit TfmTabDataEd(TComponent* owner);

    // ---- Components
    TPanel* Panel1 = nullptr;
    TExDrawGrid* gdTabData = nullptr;
    TFormStorage* FormStorage1 = nullptr; // inactive: stores nothing

    // Shows table (not owned; nullptr shows an empty grid): a column per sector after the
    // fixed column, the frequency row and a row per speed class after the fixed row.
    void SetTabData(TTabData* table);
    TTabData* TabData() const { return FTabData; }

    // What cell (col, row) shows: the sector headers in row 0, the frequencies ("#0.00")
    // and their sum in row 1, the class numbers and values below; "" outside the table.
    std::string CellText(int row, int col) const;

    // ---- Handlers of the grid
    void gdTabDataDrawCell(TObject* sender, int col, int row, const TRect& rect,
                           TGridDrawState state);
    void gdTabDataGetEditText(TObject* sender, int col, int row, std::string& value);
    void gdTabDataSetEditText(TObject* sender, int col, int row, const std::string& value);
    void gdTabDataMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    bool gdTabDataAcceptEditKey(TObject* sender, char32_t& key);
    void gdTabDataCheckButton(TObject* sender, int col, int row, bool& enabled);
    void gdTabDataFixedCellClick(TObject* sender, int col, int row);

private:
    // The value cell (col, row) edits, or nullptr for a fixed cell or one beyond the table.
    double* CellValue(int col, int row) const;

    TTabData* FTabData = nullptr;
};
