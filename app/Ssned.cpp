#include "app/Ssned.h"

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/FormParts.h"
#include "app/SsnGr.h"
#include "framework/core/IniFiles.h"
#include "framework/core/SystemUtils.h"
#include "model/Data.h"
#include "model/Dates.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

constexpr std::array<int, 6> kColWidths = {64, 200, 87, 85, 70, 156};
constexpr std::array<const char*, 6> kHeaders = {"α/α",  "Περιγραφή", "Εναρξη",
                                                 "Λήξη", "Ημέρες",    "Λειτουργία"};
constexpr const char* kSsnFilter = "Αρχείο Περιόδων|*.ssn";
constexpr int kDaysColumn = 4;
constexpr int kWayColumn = 5;

// Every device gets a profile for each period (new ones copy the device's last profile).
void EnsureDeviceSeasons() {
    int last = SeasonList->Count() - 1;
    for (int i = 0; i < DevList->Count(); ++i)
        DevList->GetDevice(i)->EnsureSeasons(last);
}

} // namespace

TfmSsnEd::TfmSsnEd(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmSsnEd");
    SetCaption("Περίοδοι Λετουργίας");
    SetBounds(0, 0, 696, 400);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    using T = TfmSsnEd;
    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    if (dm)
        ActionList1->SetImages(dm->ieHots);
    actLoadFromFile =
        AddAction(this, ActionList1, "actLoadFromFile", "Ανοιγμα", 9, scNone,
                  TNotifyEvent(this, &T::actLoadFromFileExecute, "actLoadFromFileExecute"));
    actSaveToFile = AddAction(this, ActionList1, "actSaveToFile", "Αποθήκευση", 11, scNone,
                              TNotifyEvent(this, &T::actSaveToFileExecute, "actSaveToFileExecute"));
    actInsert = AddAction(this, ActionList1, "actInsert", "Εισαγωγή", 12, scNone,
                          TNotifyEvent(this, &T::actInsertExecute, "actInsertExecute"));
    actDelete = AddAction(this, ActionList1, "actDelete", "Διαγραφή", 10, scNone,
                          TNotifyEvent(this, &T::actDeleteExecute, "actDeleteExecute"));
    actGraph = AddAction(this, ActionList1, "actGraph", "Γράφημα", 4, scNone,
                         TNotifyEvent(this, &T::actGraphExecute, "actGraphExecute"));

    TToolStrip strip = MakeToolStrip(this, 83, 43);
    CoolBar1 = strip.CoolBar;
    ToolBar1 = strip.ToolBar;
    ToolButton1 = AddToolButton(this, ToolBar1, "ToolButton1", actLoadFromFile);
    ToolButton2 = AddToolButton(this, ToolBar1, "ToolButton2", actSaveToFile);
    ToolButton3 = AddToolButton(this, ToolBar1, "ToolButton3", actInsert);
    ToolButton4 = AddToolButton(this, ToolBar1, "ToolButton4", actDelete);
    ToolButton5 = AddToolButton(this, ToolBar1, "ToolButton5", actGraph);

    gdSnl = new TExDrawGrid(this);
    gdSnl->SetName("gdSnl");
    gdSnl->SetParent(this);
    gdSnl->SetAlign(alClient);
    gdSnl->SetColCount(int(kColWidths.size()));
    gdSnl->SetRowCount(2);
    gdSnl->SetFixedCols(1);
    gdSnl->SetFixedRows(1);
    for (int c = 0; c < int(kColWidths.size()); ++c)
        gdSnl->SetColWidths(c, kColWidths[size_t(c)]);
    TGridOptions options = gdSnl->Options();
    options.Include(goColSizing);
    options.Include(goEditing);
    gdSnl->SetOptions(options);
    gdSnl->SetOnDrawCell(TDrawCellEvent(this, &T::gdSnlDrawCell, "gdSnlDrawCell"));
    gdSnl->SetOnGetEditText(TGetEditEvent(this, &T::gdSnlGetEditText, "gdSnlGetEditText"));
    gdSnl->SetOnSetEditText(TSetEditEvent(this, &T::gdSnlSetEditText, "gdSnlSetEditText"));
    gdSnl->SetOnSelectCell(TSelectCellEvent(this, &T::gdSnlSelectCell, "gdSnlSelectCell"));
    gdSnl->SetOnAcceptEditKey(TAcceptKeyEvent(this, &T::gdSnlAcceptEditKey, "gdSnlAcceptEditKey"));
    gdSnl->SetOnGetEditStyle(TEditStyleEvent(this, &T::gdSnlGetEditStyle, "gdSnlGetEditStyle"));
    gdSnl->SetOnGetPicklist(TPicklistEvent(this, &T::gdSnlGetPicklist, "gdSnlGetPicklist"));

    SetOnCreate(TNotifyEvent(this, &T::FormCreate, "FormCreate"));
}

namespace {

// The periods chart docked over the view, drawn again from the list it shows.
void RefreshPeriodsChart() {
    if (!fmHolder || !fmHolder->pnlHolder)
        return;
    TWinControl* host = fmHolder->pnlHolder;
    for (int i = 0; i < host->ComponentCount(); ++i)
        if (auto* chart = dynamic_cast<TfmSsnGr*>(host->Components(i)))
            chart->FillFromSeasons();
}

} // namespace

void TfmSsnEd::UpdateRowCount() {
    gdSnl->SetRowCount(std::max(2, SeasonList->Count() + 1));
}

void TfmSsnEd::FormCreate(TObject*) {
    UpdateRowCount();
    // Row 1 is current when the view opens: the first period cannot be deleted.
    actDelete->SetEnabled(gdSnl->Row() > 1);
}

std::string TfmSsnEd::CellText(int aCol, int aRow) const {
    if (aRow == 0)
        return aCol >= 0 && aCol < int(kHeaders.size()) ? kHeaders[size_t(aCol)] : "";
    if (aRow - 1 >= SeasonList->Count())
        return {};
    const TSeason* season = SeasonList->GetSeason(aRow - 1);
    switch (aCol) {
    case 0:
        return IntToStr(aRow);
    case 1:
        return season->Description();
    case 2:
        return HourToDateStr(season->DayStart() * 24);
    case 3:
        return HourToDateStr(season->DayStop() * 24);
    case kDaysColumn:
        return IntToStr(season->Days());
    case kWayColumn:
        // A way read from a file that has no name shows its number.
        return season->WayOp() < WayOpNames.size() ? WayOpNames[season->WayOp()]
                                                   : IntToStr(season->WayOp());
    default:
        return {};
    }
}

void TfmSsnEd::gdSnlDrawCell(TObject*, int aCol, int aRow, const TRect& rect, TGridDrawState) {
    gdSnl->DrawCellLine(rect, CellText(aCol, aRow),
                        aRow > 0 && aCol == 1 ? taLeftJustify : taCenter);
}

void TfmSsnEd::gdSnlGetEditText(TObject*, int aCol, int aRow, std::string& value) {
    value.clear();
    if (aRow < 1 || aRow - 1 >= SeasonList->Count())
        return;
    const TSeason* season = SeasonList->GetSeason(aRow - 1);
    if (aCol == 1)
        value = season->Description();
    else if (aCol == 2)
        value = HourToDateStr(season->HourStart());
    else if (aCol == 3)
        value = HourToDateStr(season->HourStop());
    else if (aCol == kWayColumn)
        value = CellText(aCol, aRow);
}

void TfmSsnEd::gdSnlSetEditText(TObject*, int aCol, int aRow, const std::string& value) {
    if (aRow < 1 || aRow - 1 >= SeasonList->Count())
        return;
    TSeason* season = SeasonList->GetSeason(aRow - 1);
    if (aCol == 1) {
        season->SetDescription(value);
    } else if (aCol == 2) {
        season->SetHourStart(DateStrToHour(value, 0));
    } else if (aCol == 3) {
        season->SetHourStop(DateStrToHour(value, 0));
    } else if (aCol == kWayColumn) {
        for (size_t i = 0; i < WayOpNames.size(); ++i)
            if (value == WayOpNames[i])
                season->SetWayOp(uint8_t(i));
    }
    gdSnl->RedrawRow(aRow);
    RefreshPeriodsChart();
}

void TfmSsnEd::gdSnlSelectCell(TObject*, int aCol, int aRow, bool&) {
    TGridOptions options = gdSnl->Options();
    if (aCol == kDaysColumn)
        options.Exclude(goEditing);
    else
        options.Include(goEditing);
    gdSnl->SetOptions(options);
    actDelete->SetEnabled(aRow > 1);
}

// The number of days follows from the dates and the way of operation comes from the list.
bool TfmSsnEd::gdSnlAcceptEditKey(TObject*, char32_t&) {
    return gdSnl->Col() != kDaysColumn && gdSnl->Col() != kWayColumn;
}

void TfmSsnEd::gdSnlGetEditStyle(TObject*, int aCol, int, TInplaceEditStyle& style) {
    style = aCol == kWayColumn ? iePickList : ieSimple;
}

void TfmSsnEd::gdSnlGetPicklist(TObject*, int aCol, int, TStrings* pickList) {
    if (aCol != kWayColumn || !pickList)
        return;
    pickList->Clear();
    for (const char* name : WayOpNames)
        pickList->Add(name);
}

void TfmSsnEd::actInsertExecute(TObject*) {
    const TSeason* last = SeasonList->LastSeason();
    int lastStop = last ? last->DayStop() : 0;
    TSeason* season = SeasonList->AddSeason();
    if (last && lastStop < 365) {
        season->SetDayStart(lastStop + 1);
        season->SetDayStop(365);
    }
    EnsureDeviceSeasons();
    UpdateRowCount();
    gdSnl->SetRow(SeasonList->Count());
    actDelete->SetEnabled(gdSnl->Row() > 1);
    gdSnl->RedrawRow(gdSnl->Row());
    RefreshPeriodsChart();
}

void TfmSsnEd::actDeleteExecute(TObject*) {
    int row = gdSnl->Row();
    if (SeasonList->Count() < 2 || row < 2 || row - 1 >= SeasonList->Count())
        return;
    SeasonList->Delete(row - 1);
    UpdateRowCount();
    gdSnl->RedrawRow(gdSnl->Row());
    for (int i = 0; i < DevList->Count(); ++i)
        DevList->GetDevice(i)->DeleteSeason(row - 1);
    actDelete->SetEnabled(gdSnl->Row() > 1);
    gdSnl->Invalidate();
    RefreshPeriodsChart();
}

void TfmSsnEd::actLoadFromFileExecute(TObject*) {
    std::string fileName;
    SelectOpenFile(kSsnFilter, "", fileName);
    if (fileName.empty())
        return;
    // Read into a list of its own and taken over only when the whole file was read: a file
    // that fails raises with the periods, and the devices' profiles, as they were.
    auto seasons = std::make_unique<TSeasonList>();
    {
        TMemIniFile ini(fileName);
        seasons->LoadFromIni(ini);
    }
    SeasonList = std::move(seasons);
    EnsureDeviceSeasons();
    UpdateRowCount();
    gdSnl->Invalidate();
    RefreshPeriodsChart();
}

void TfmSsnEd::actSaveToFileExecute(TObject*) {
    std::string fileName;
    SelectSaveFile(kSsnFilter, "", fileName);
    if (fileName.empty())
        return;
    // The file's other sections stay; the list replaces the rest in one piece.
    TMemIniFile ini(fileName);
    SeasonList->SaveToIni(ini);
    ini.UpdateFile();
}

void TfmSsnEd::actGraphExecute(TObject*) {
    if (!fmHolder)
        return;
    ShowFormInPanel(fmHolder->pnlHolder, fmHolder->Panel1, true, nullptr, TfmSsnGr::StaticClass(),
                    false);
}
