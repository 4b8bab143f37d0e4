#include "windrose/TabDataEd.h"

#include "app/ViewHelpers.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"

TfmTabDataEd::TfmTabDataEd(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmTabDataEd");
    SetCaption("fmTabDataEd");
    SetBounds(192, 107, 696, 480);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetCaption("");
    Panel1->SetParent(this);
    Panel1->SetAlign(alTop);
    Panel1->SetHeight(41);

    gdTabData = new TExDrawGrid(this);
    gdTabData->SetName("gdTabData");
    gdTabData->SetParent(this);
    gdTabData->SetAlign(alClient);
    gdTabData->SetDefaultColWidth(48);
    gdTabData->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                           goDrawFocusSelected, goColSizing, goEditing});
    gdTabData->SetFixedButtons(true);
    gdTabData->SetOnDrawCell(
        TDrawCellEvent(this, &TfmTabDataEd::gdTabDataDrawCell, "gdTabDataDrawCell"));
    gdTabData->SetOnGetEditText(
        TGetEditEvent(this, &TfmTabDataEd::gdTabDataGetEditText, "gdTabDataGetEditText"));
    gdTabData->SetOnSetEditText(
        TSetEditEvent(this, &TfmTabDataEd::gdTabDataSetEditText, "gdTabDataSetEditText"));
    gdTabData->SetOnMouseDown(
        TMouseEvent(this, &TfmTabDataEd::gdTabDataMouseDown, "gdTabDataMouseDown"));
    gdTabData->SetOnAcceptEditKey(
        TAcceptKeyEvent(this, &TfmTabDataEd::gdTabDataAcceptEditKey, "gdTabDataAcceptEditKey"));
    gdTabData->SetOnCheckButton(
        TFixedCellCheckEvent(this, &TfmTabDataEd::gdTabDataCheckButton, "gdTabDataCheckButton"));
    gdTabData->SetOnFixedCellClick(TFixedCellClickEvent(
        this, &TfmTabDataEd::gdTabDataFixedCellClick, "gdTabDataFixedCellClick"));

    FormStorage1 = new TFormStorage(this);
    FormStorage1->SetName("FormStorage1");
    FormStorage1->SetUseRegistry(true);
    FormStorage1->SetActive(false);
}

void TfmTabDataEd::SetTabData(TTabData* table) {
    FTabData = table;
    if (!FTabData)
        return;
    gdTabData->SetColCount(FTabData->SectorCount + 1);
    gdTabData->SetRowCount(int(FTabData->Rows.size()) + 2);
}

double* TfmTabDataEd::CellValue(int col, int row) const {
    if (!FTabData || col < 1 || col > FTabData->SectorCount || row < 1)
        return nullptr;
    const auto sector = size_t(col - 1);
    if (row == 1)
        return sector < FTabData->SectorFreq.size() ? &FTabData->SectorFreq[sector] : nullptr;
    const auto classRow = size_t(row - 2);
    if (classRow >= FTabData->Rows.size() || sector >= FTabData->Rows[classRow].size())
        return nullptr;
    return &FTabData->Rows[classRow][sector];
}

std::string TfmTabDataEd::CellText(int row, int col) const {
    if (!FTabData)
        return {};
    if (row == 0) {
        if (col < 1)
            return {};
        if (FTabData->SectorCount == int(DirLabels.size()))
            return std::string(DirLabels[size_t(col - 1)]);
        return IntToStr(col - 1);
    }
    if (col == 0) {
        if (row != 1)
            return IntToStr(row - 1);
        double sum = 0;
        for (double freq : FTabData->SectorFreq)
            sum += freq;
        return FloatToStr(sum);
    }
    const double* value = CellValue(col, row);
    if (!value)
        return {};
    return row == 1 ? FormatFloat("#0.00", *value) : FloatToStr(*value);
}

void TfmTabDataEd::gdTabDataDrawCell(TObject*, int col, int row, const TRect& rect,
                                     TGridDrawState state) {
    TCanvas* canvas = gdTabData->Canvas();
    if (row == 1 && col >= 1 && !state.Contains(gdSelected) && !state.Contains(gdFocused)) {
        canvas->Brush()->SetColor(clGreen);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(rect);
    }
    DrawCellCentered(canvas, rect, CellText(row, col));
}

void TfmTabDataEd::gdTabDataGetEditText(TObject*, int col, int row, std::string& value) {
    if (const double* cell = CellValue(col, row))
        value = FloatToStr(*cell);
}

void TfmTabDataEd::gdTabDataSetEditText(TObject*, int col, int row, const std::string& value) {
    double* cell = CellValue(col, row);
    double number = 0;
    if (!cell || !TryStrToFloatSep(value, number, '.'))
        return;
    *cell = number;
    // The sum in the cell under the corner follows the frequencies.
    if (row == 1)
        gdTabData->Invalidate();
}

void TfmTabDataEd::gdTabDataMouseDown(TObject*, TMouseButton, TShiftState shift, int x, int y) {
    if (!shift.Contains(ssDouble))
        return;
    int col = -1;
    int row = -1;
    gdTabData->MouseToCell(x, y, col, row);
    if (row == 0 && col >= 1) {
        // The twelve direction names; a sector beyond them is named by its number.
        ShowMessage(col - 1 < int(DirLabels.size()) ? std::string(DirLabels[size_t(col - 1)])
                                                    : IntToStr(col - 1));
    } else if (col == 0 && row == 1) {
        ShowMessage("Freq");
    }
}

bool TfmTabDataEd::gdTabDataAcceptEditKey(TObject*, char32_t& key) {
    return (key >= U'0' && key <= U'9') || key == char32_t(DecimalSeparator);
}

void TfmTabDataEd::gdTabDataCheckButton(TObject*, int col, int row, bool& enabled) {
    enabled = row == 0 || (col == 0 && row == 1);
}

void TfmTabDataEd::gdTabDataFixedCellClick(TObject*, int col, int row) {
    if (!FTabData)
        return;
    if (col == 0 && row == 1)
        NormalizeFrequencies(*FTabData);
    else if (col == 0 && row == 0)
        NormalizeAll(*FTabData);
    else if (row == 0 && col >= 1)
        NormalizeSector(*FTabData, col - 1);
    else
        return;
    gdTabData->Invalidate();
}
