#include "app/WDataEd.h"

#include "app/DataMod.h"
#include "app/EnergyGraph.h"
#include "app/EnergyPerBat.h"
#include "app/FormParts.h"
#include "app/GraphBase.h"
#include "app/PwrCurveGr.h"
#include "app/ViewHelpers.h"
#include "chart/Series.h"
#include "framework/gui/Clipboard.h"
#include "framework/gui/WindowSystem.h"
#include "model/RootsEqu.h"

#include <algorithm>
#include <cmath>
#include <utility>

TfmWDataEd* SizingWorkbench = nullptr;
double TargetGensetEnergy = 0;
TSimResult LastSizingResult;

namespace {

// The placeholder load drawn when the window opens: up to 800 Wh in each hour.
constexpr double kPlaceholderLoad = 800.0;
// Weibull parameters of the "Random" series.
constexpr double kRandomShape = 1.697;
constexpr double kRandomScale = 6.484;
// Battery sizing: tolerances of "EQU Bat" and of the F9 action, the iteration limit, and
// the upper end of the search as a multiple of the annual load.
constexpr double kEquTolerance = 0.001;
constexpr double kF9Tolerance = 0.00001;
constexpr int kSizingMaxIter = 100;
constexpr double kSizingUpperFactor = 100.0;

constexpr int kColumnCount = 8;
constexpr std::array<int, kColumnCount> kColWidths = {120, 88, 79, 93, 78, 80, 120, 120};
// Header texts: two lines separated by a carriage return.
const std::array<std::string, kColumnCount> kHeaders = {
    "Ημερομηνία",       "Ταχύτητα\rΑνέμου",         "Παραγωγή\r Α/Γ", "Παραγωγή\r Φ/Β",
    "Φορτίο\r Ζήτησης", "Χωρητικότητα\r Μπαταρίας", "Παραγωγή\r Η/Ζ", "Περίσεια\r Ενέργειας"};

const char* const kTooFewValues = "Η σειρά ανέμου έχει λιγότερες από δύο τιμές: δεν ορίζονται "
                                  "μέση τιμή και τυπική απόκλιση. Η σειρά δεν άλλαξε.";
const char* const kNoValues =
    "Η σειρά ανέμου δεν έχει τιμές: δεν ορίζεται μέση τιμή. Η σειρά δεν άλλαξε.";
const char* const kZeroMean = "Η μέση τιμή της σειράς ανέμου είναι 0: δεν κλιμακώνεται σε νέα "
                              "μέση τιμή. Η σειρά δεν άλλαξε.";

// The array of a grid column (1..7), nullptr for the date column.
TFloatArray* ColumnArray(int col) {
    switch (col) {
    case 1:
        return &WindSpeed;
    case 2:
        return &WGProduction;
    case 3:
        return &PVProduction;
    case 4:
        return &DemandLoad;
    case 5:
        return &BatteryCharge;
    case 6:
        return &GensetProduction;
    case 7:
        return &Surplus;
    default:
        return nullptr;
    }
}

// Sum of the first n elements (n no more than the array holds).
double SumOf(const TFloatArray& a, int n) {
    double sum = 0;
    const size_t count = std::min(a.size(), size_t(std::max(n, 0)));
    for (size_t i = 0; i < count; ++i)
        sum += a[i];
    return sum;
}

} // namespace

// ---------------------------------------------------------------------------
// Helpers of the unit

std::string FormatEnergy(double value) {
    return Format("%10.0n", {value});
}

std::string FormatShare(double fraction) {
    return Format("%10.2n%%", {fraction * 100.0});
}

double WeibullRandom(double k, double c) {
    const double u = 1.0 - Random(); // (0, 1]: -ln u stays finite
    return c * std::pow(-std::log(u), 1.0 / k);
}

void SortDoubles(TFloatArray& a, int lo, int hi) {
    if (lo < 0 || hi < lo || size_t(hi) >= a.size())
        return;
    // A quicksort around the middle element takes n² steps on values in a crafted order (a
    // series of a million values took minutes); the library's sort is n log n in every case.
    // The order must be strict also with a value that is not a number: such values go last.
    std::sort(a.begin() + lo, a.begin() + hi + 1,
              [](double x, double y) { return x < y || (std::isnan(y) && !std::isnan(x)); });
}

bool SeriesMeanStdDev(const TFloatArray& a, double& mean, double& stdDev) {
    if (a.size() < 2)
        return false;
    const double n = double(a.size());
    double sum = 0;
    for (double v : a)
        sum += v;
    mean = sum / n;
    double squares = 0;
    for (double v : a)
        squares += (v - mean) * (v - mean);
    stdDev = std::sqrt(squares / (n - 1));
    return true;
}

double GeneratorShareResidual(double x) {
    TfmWDataEd* bench = SizingWorkbench;
    TSimResult r;
    bench->SimulateHours(
        PVProduction, x,
        [bench](int hour, double wp, double pv, double load, double genset, double dump,
                double charge) {
            bench->StoreHourResult(hour, wp, pv, load, genset, dump, charge);
        },
        r);
    LastSizingResult = r;
    return r.TotGenset - TargetGensetEnergy;
}

// ---------------------------------------------------------------------------
// Construction

TfmWDataEd::TfmWDataEd(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmWDataEd");
    SetCaption("Υπολογισμοί");
    SetBounds(0, 0, 832, 480);
    Font()->SetHeight(-13);

    FormStorage = new TFormStorage(this);
    FormStorage->SetName("FormStorage");
    FormStorage->SetUseRegistry(true);
    FormStorage->SetOnSavePlacement(
        TNotifyEvent(this, &TfmWDataEd::FormStorageSavePlacement, "FormStorageSavePlacement"));
    FormStorage->SetOnRestorePlacement(TNotifyEvent(this, &TfmWDataEd::FormStorageRestorePlacement,
                                                    "FormStorageRestorePlacement"));

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetName("OpenDialog");
    OpenDialog->SetDefaultExt("exp");
    OpenDialog->SetFilter("Αρχεία Ανεμ. Μετρήσεων|*.dat;*.exp");

    BuildActions();
    BuildToolBar();
    BuildButtons();

    Panel2 = new TPanel(this);
    Panel2->SetName("Panel2");
    Panel2->SetCaption("");
    Panel2->SetBevelOuter(bvNone);
    Panel2->SetAlign(alClient);
    Panel2->SetParent(this);
    BuildSummary();
    BuildGrid();

    SetOnCreate(TNotifyEvent(this, &TfmWDataEd::FormCreate, "FormCreate"));
}

TfmWDataEd::~TfmWDataEd() {
    if (SizingWorkbench == this)
        SizingWorkbench = nullptr;
}

void TfmWDataEd::BuildActions() {
    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    if (dm)
        ActionList1->SetImages(dm->ieHots);
    auto add = [this](const std::string& name, const std::string& caption, int image,
                      TShortCut shortCut, TNotifyEvent onExecute) {
        return AddAction(this, ActionList1, name, caption, image, shortCut, std::move(onExecute));
    };
    actChgWG = add("actChgWG", "Ανεμ/τρια", tiWindGenerator, scNone,
                   TNotifyEvent(this, &TfmWDataEd::actChgWGExecute, "actChgWGExecute"));
    // The wind speeds themselves, as the other hourly charts show their arrays.
    actViGraph = add("actViGraph", "Γράφημα Ταχύτητας Ανέμου (Vi)", tiGraph, scNone,
                     TNotifyEvent([this](TObject*) { ShowGraphOf(WindSpeed); }));
    actPwGraph = add("actPwGraph", "Γραφημα (PW)", tiGraph, scNone,
                     TNotifyEvent(this, &TfmWDataEd::actPwGraphExecute, "actPwGraphExecute"));
    actCEGraph = add("actCEGraph", "Γραφημα Χωρητικότητας Μπαταρίας (CE)", tiGraph, scNone,
                     TNotifyEvent(this, &TfmWDataEd::actCEGraphExecute, "actCEGraphExecute"));
    actTTLGraph = add("actTTLGraph", "Συνολικό", tiGraph, scNone,
                      TNotifyEvent(this, &TfmWDataEd::actTTLGraphExecute, "actTTLGraphExecute"));
    actPHZGraph = add("actPHZGraph", "Παραγωγή ΗΖ", tiGraph, scNone,
                      TNotifyEvent(this, &TfmWDataEd::actPHZGraphExecute, "actPHZGraphExecute"));
    actPPhGraph = add("actPPhGraph", "Γραφημα Φ/Β", tiGraph, scNone,
                      TNotifyEvent(this, &TfmWDataEd::actPPhGraphExecute, "actPPhGraphExecute"));
    actLoadWindData =
        add("actLoadWindData", "Μετρήσεις", tiOpen, scNone,
            TNotifyEvent(this, &TfmWDataEd::actLoadWindDataExecute, "actLoadWindDataExecute"));
    actEQUBat = add("actEQUBat", "Υπολογισμός Μπαταρίας", tiBattery, TextToShortCut("F9"),
                    TNotifyEvent(this, &TfmWDataEd::actEQUBatExecute, "actEQUBatExecute"));
    actNewDevList =
        add("actNewDevList", "Συσκευές", tiDevices, scNone,
            TNotifyEvent(this, &TfmWDataEd::actNewDevListExecute, "actNewDevListExecute"));
}

void TfmWDataEd::BuildToolBar() {
    TToolStrip strip = MakeToolStrip(this, 87, 43);
    CoolBar1 = strip.CoolBar;
    ToolBar1 = strip.ToolBar;
    ToolButton3 = AddToolButton(this, ToolBar1, "ToolButton3", actLoadWindData);
    ToolButton2 = AddToolButton(this, ToolBar1, "ToolButton2", actChgWG);
    ToolButton5 = AddToolButton(this, ToolBar1, "ToolButton5", actNewDevList);

    auto addMenu = [this](const std::string& name, std::initializer_list<TAction*> actions) {
        auto* menu = new TPopupMenu(this);
        menu->SetName(name);
        if (dm)
            menu->SetImages(dm->ieHots);
        for (TAction* action : actions) {
            auto* item = new TMenuItem(this);
            item->SetName("mi" + action->Name().substr(3));
            item->SetAction(action);
            menu->Items()->Add(item);
        }
        return menu;
    };
    PopupMenu1 = addMenu(
        "PopupMenu1", {actViGraph, actPwGraph, actPPhGraph, actCEGraph, actPHZGraph, actTTLGraph});
    PopupMenu2 = addMenu("PopupMenu2", {actEQUBat});

    auto addDropDown = [this](const std::string& name, const std::string& caption, int image,
                              TPopupMenu* menu) {
        auto* button = new TToolButton(this);
        button->SetName(name);
        button->SetParent(ToolBar1);
        button->SetCaption(caption);
        button->SetImageIndex(image);
        button->SetStyle(tbsDropDown);
        button->SetDropdownMenu(menu);
        return button;
    };
    ToolButton4 = addDropDown("ToolButton4", "Υπολογισμοί", tiInsert, PopupMenu2);
    ToolButton1 = addDropDown("ToolButton1", "Γραφήματα", tiGraph, PopupMenu1);
}

TButton* TfmWDataEd::AddButton(const std::string& name, const std::string& caption, int index,
                               TNotifyEvent onClick) {
    auto* button = new TButton(this);
    button->SetName(name);
    button->SetCaption(caption);
    button->SetBounds(6, 4 + index * 27, 77, 24);
    button->SetOnClick(std::move(onClick));
    button->SetParent(Panel1);
    return button;
}

void TfmWDataEd::BuildButtons() {
    Panel1 = new TScrollBox(this);
    Panel1->SetName("Panel1");
    Panel1->SetBorderStyle(bsNone);
    Panel1->SetAlign(alRight);
    // Room for the buttons and a vertical scroll bar beside them: in a short window the
    // last buttons are reached by scrolling.
    Panel1->SetWidth(89 + GetSystemMetrics(SM_CXVSCROLL));
    Panel1->SetParent(this);
    using T = TfmWDataEd;
    auto bind = [this](void (T::*method)(TObject*), const char* name) {
        return TNotifyEvent(this, method, name);
    };
    BtnBatCap = AddButton("BtnBatCap", "BatCap", 0, bind(&T::BtnBatCapClick, "BtnBatCapClick"));
    BtnVelFac = AddButton("BtnVelFac", "VelFac", 1, bind(&T::BtnVelFacClick, "BtnVelFacClick"));
    BtnBatCapGr =
        AddButton("BtnBatCapGr", "BatCapGr", 2, bind(&T::BtnBatCapGrClick, "BtnBatCapGrClick"));
    BtnPwrFacGr =
        AddButton("BtnPwrFacGr", "PwrFacGr", 3, bind(&T::BtnPwrFacGrClick, "BtnPwrFacGrClick"));
    BtnWGGr = AddButton("BtnWGGr", "WG-Graph", 4, bind(&T::BtnWGGrClick, "BtnWGGrClick"));
    Button1 = AddButton("Button1", "phCap", 5, bind(&T::Button1Click, "Button1Click"));
    BtnPLGraph =
        AddButton("BtnPLGraph", "PLGraph", 6, bind(&T::BtnPLGraphClick, "BtnPLGraphClick"));
    BtnEQU = AddButton("BtnEQU", "EQU Bat", 7, bind(&T::BtnEQUClick, "BtnEQUClick"));
    Button2 = AddButton("Button2", "Random", 8, bind(&T::Button2Click, "Button2Click"));
    btnNewMean =
        AddButton("btnNewMean", "NewMean", 9, bind(&T::btnNewMeanClick, "btnNewMeanClick"));
    btnSort = AddButton("btnSort", "Sort", 10, bind(&T::btnSortClick, "btnSortClick"));
    BtnFCalc = AddButton("BtnFCalc", "FCalc", 11, bind(&T::BtnFCalcClick, "BtnFCalcClick"));
    BtnphCapGr =
        AddButton("BtnphCapGr", "phCapGr", 12, bind(&T::BtnphCapGrClick, "BtnphCapGrClick"));
    Button3 = AddButton("Button3", "Button3", 13, bind(&T::Button3Click, "Button3Click"));
}

namespace {

constexpr int kSummaryCaptionWidth = 118;
constexpr int kSummaryValueWidth = 88;
constexpr int kSummaryColumnWidth = kSummaryCaptionWidth + kSummaryValueWidth + 4;
constexpr int kSummaryRowHeight = 20;

} // namespace

TLabel* TfmWDataEd::AddSummaryRow(const std::string& caption, const std::string& valueName) {
    const int left = 8, top = 6;
    auto* label = new TLabel(this);
    label->SetName(valueName + "Caption");
    label->SetParentFont(false);
    // The captions are padded with blanks to line up their colons.
    label->Font()->SetName("Courier New");
    label->Font()->SetHeight(-12);
    label->SetAutoSize(false);
    label->SetBounds(left, top, kSummaryCaptionWidth, kSummaryRowHeight - 2);
    label->SetCaption(caption);
    label->SetParent(Panel3);
    auto* value = new TLabel(this);
    value->SetName(valueName);
    value->SetParentFont(false);
    value->Font()->SetStyle(TFontStyles{fsBold});
    value->SetAutoSize(false);
    value->SetAlignment(taRightJustify);
    value->SetBounds(left + kSummaryCaptionWidth, top, kSummaryValueWidth, kSummaryRowHeight - 2);
    value->SetCaption("-");
    value->SetParent(Panel3);
    FSummaryRows.emplace_back(label, value);
    return value;
}

void TfmWDataEd::LayoutSummary(TObject*) {
    const int rowCount = int(FSummaryRows.size());
    const int columns = std::clamp((Panel3->ClientWidth() - 8) / kSummaryColumnWidth, 1, 3);
    if (columns == FSummaryColumns || rowCount == 0)
        return;
    FSummaryColumns = columns;
    const int perColumn = (rowCount + columns - 1) / columns;
    for (int i = 0; i < rowCount; ++i) {
        const int left = 8 + (i / perColumn) * kSummaryColumnWidth;
        const int top = 6 + (i % perColumn) * kSummaryRowHeight;
        FSummaryRows[size_t(i)].first->SetBounds(left, top, kSummaryCaptionWidth,
                                                 kSummaryRowHeight - 2);
        FSummaryRows[size_t(i)].second->SetBounds(left + kSummaryCaptionWidth, top,
                                                  kSummaryValueWidth, kSummaryRowHeight - 2);
    }
    Panel3->SetHeight(10 + perColumn * kSummaryRowHeight);
}

void TfmWDataEd::BuildSummary() {
    Panel3 = new TPanel(this);
    Panel3->SetName("Panel3");
    Panel3->SetCaption("");
    Panel3->SetAlign(alTop);
    Panel3->SetHeight(70);
    Panel3->SetParent(Panel2);
    lbPL = AddSummaryRow("Ζήτηση        :", "lbPL");
    lbPW = AddSummaryRow("Παραγωγή (Α/Γ):", "lbPW");
    lbPPH = AddSummaryRow("Παραγωγή (Φ/Β):", "lbPPH");
    lbPHZ = AddSummaryRow("Παραγωγή (Η/Ζ):", "lbPHZ");
    lbPDL = AddSummaryRow("Περίσεια      :", "lbPDL");
    lbMaxBatCap = AddSummaryRow("Χωρ/τητα Μπατ.:", "lbMaxBatCap");
    lbPWC = AddSummaryRow("Κάλυψη (Α/Γ)  :", "lbPWC");
    lbPPHC = AddSummaryRow("Κάλυψη (Φ/Β)  :", "lbPPHC");
    lbPHZC = AddSummaryRow("Καλυψη (Η/Ζ)  :", "lbPHZC");
    Panel3->SetOnResize(TNotifyEvent(this, &TfmWDataEd::LayoutSummary, "LayoutSummary"));
    LayoutSummary(Panel3);
}

void TfmWDataEd::BuildGrid() {
    gdEditor = new TExDrawGrid(this);
    gdEditor->SetName("gdEditor");
    gdEditor->SetAlign(alClient);
    gdEditor->SetDefaultColWidth(120);
    gdEditor->SetColCount(kColumnCount);
    gdEditor->SetFixedCols(1);
    gdEditor->SetFixedRows(1);
    gdEditor->SetFixedButtons(true);
    gdEditor->SetOptions(gdEditor->Options() + TGridOptions{goColSizing});
    for (int c = 0; c < kColumnCount; ++c)
        gdEditor->SetColWidths(c, kColWidths[size_t(c)]);
    gdEditor->SetIniStorage(FormStorage);
    using T = TfmWDataEd;
    gdEditor->SetOnDrawCell(TDrawCellEvent(this, &T::gdEditorDrawCell, "gdEditorDrawCell"));
    gdEditor->SetOnGetEditText(TGetEditEvent(this, &T::gdEditorGetEditText, "gdEditorGetEditText"));
    gdEditor->SetOnSetEditText(TSetEditEvent(this, &T::gdEditorSetEditText, "gdEditorSetEditText"));
    gdEditor->SetOnSelectCell(TSelectCellEvent(this, &T::gdEditorSelectCell, "gdEditorSelectCell"));
    gdEditor->SetOnAcceptEditKey(
        TAcceptKeyEvent(this, &T::gdEditorAcceptEditKey, "gdEditorAcceptEditKey"));
    gdEditor->SetOnFixedCellClick(
        TFixedCellClickEvent(this, &T::gdEditorFixedCellClick, "gdEditorFixedCellClick"));
    gdEditor->SetParent(Panel2);
}

// ---------------------------------------------------------------------------
// Creation and the balance

void TfmWDataEd::FormCreate(TObject*) {
    ShowBatCapacity();
    gdEditor->SetRowHeights(0, 2 * gdEditor->RowHeights(0));
    Randomize();
    UpdateRowCount();
    for (double& load : DemandLoad)
        load = kPlaceholderLoad * Random();
    FillPVProduction();
    FWorkbenchCurve = std::make_unique<TWindPwrCurve>();
    try {
        FWorkbenchCurve->LoadFromFile(AppDir() + "/default.pow");
    } catch (...) {
        // The window stays, with an empty curve and no balance until the next one.
        Application->HandleException(this);
        return;
    }
    Recalc();
}

int TfmWDataEd::Hours() {
    size_t n = WindSpeed.size();
    for (const TFloatArray* a :
         {&WGProduction, &DemandLoad, &PVProduction, &BatteryCharge, &GensetProduction, &Surplus})
        n = std::min(n, a->size());
    return int(n);
}

void TfmWDataEd::UpdateRowCount() {
    // One blank row stands for an empty year, so the header stays a fixed row.
    gdEditor->SetRowCount(std::max(Hours(), 1) + 1);
}

void TfmWDataEd::FillPVProduction() {
    for (size_t i = 0; i < PVProduction.size(); ++i)
        PVProduction[i] = PVPower * PVDayProfile[i % 24];
}

void TfmWDataEd::SimulateHours(const TFloatArray& pv, double capacity, const TSimHourEvent& onHour,
                               TSimResult& r) const {
    const size_t hours = size_t(Hours());
    if (WindSpeed.size() == hours) {
        Simulate(WindSpeed, pv, DemandLoad, FWorkbenchCurve.get(), capacity, onHour, r);
        return;
    }
    // A wind series longer than the other arrays: only the hours they hold.
    const TFloatArray wind(WindSpeed.begin(), WindSpeed.begin() + std::ptrdiff_t(hours));
    Simulate(wind, pv, DemandLoad, FWorkbenchCurve.get(), capacity, onHour, r);
}

void TfmWDataEd::Recalc() {
    UpdateRowCount();
    TSimResult r;
    SimulateHours(
        PVProduction, BatCapacity,
        [this](int hour, double wp, double pv, double load, double genset, double dump,
               double charge) { StoreHourResult(hour, wp, pv, load, genset, dump, charge); },
        r);
    ShowResult(r);
    ShowBatCapacity();
}

void TfmWDataEd::StoreHourResult(int hour, double windPower, double /*pvPower*/, double /*load*/,
                                 double genset, double dump, double charge) {
    const size_t i = size_t(hour);
    if (hour < 0 || i >= size_t(Hours()))
        return;
    WGProduction[i] = windPower;
    GensetProduction[i] = genset;
    Surplus[i] = dump;
    BatteryCharge[i] = charge;
}

void TfmWDataEd::ShowResult(const TSimResult& r) {
    ShowNumber(lbPL, FormatEnergy(r.TotLoad), r.TotLoad);
    ShowNumber(lbPW, FormatEnergy(r.TotWind), r.TotWind);
    ShowNumber(lbPPH, FormatEnergy(r.TotPV), r.TotPV);
    ShowNumber(lbPHZ, FormatEnergy(r.TotGenset), r.TotGenset);
    ShowNumber(lbPDL, FormatEnergy(r.TotDump), r.TotDump);
    ShowNumber(lbPWC, FormatShare(r.WindShare), 100 * r.WindShare);
    ShowNumber(lbPPHC, FormatShare(r.PVShare), 100 * r.PVShare);
    ShowNumber(lbPHZC, FormatShare(r.GensetShare), 100 * r.GensetShare);
}

void TfmWDataEd::ShowBatCapacity() {
    ShowNumber(lbMaxBatCap, FormatEnergy(BatCapacity), BatCapacity);
}

// ---------------------------------------------------------------------------
// The grid

std::string TfmWDataEd::CellText(int aCol, int aRow) const {
    if (aCol < 0 || aCol >= kColumnCount || aRow < 0)
        return "";
    if (aRow == 0)
        return kHeaders[size_t(aCol)];
    const int hour = aRow - 1;
    if (aCol == 0)
        return hour < Hours() ? FormatDateTime("dd/mm hh:nn", BaseDate + hour / 24.0) : "";
    const TFloatArray* a = ColumnArray(aCol);
    return size_t(hour) < a->size() ? Format("%8.3n", {(*a)[size_t(hour)]}) : "";
}

void TfmWDataEd::gdEditorDrawCell(TObject*, int aCol, int aRow, const TRect& rect, TGridDrawState) {
    if (aRow == 0)
        gdEditor->DrawCellWrapped(rect, CellText(aCol, aRow), taCenter);
    else
        DrawCellCentered(gdEditor->Canvas(), rect, CellText(aCol, aRow));
}

void TfmWDataEd::gdEditorGetEditText(TObject*, int aCol, int aRow, std::string& value) {
    if (aCol == 1 && aRow >= 1 && size_t(aRow - 1) < WindSpeed.size())
        value = Format("%8.3n", {WindSpeed[size_t(aRow - 1)]});
}

void TfmWDataEd::gdEditorSetEditText(TObject*, int aCol, int aRow, const std::string& value) {
    if (aCol != 1 || aRow < 1 || size_t(aRow - 1) >= WindSpeed.size())
        return;
    WindSpeed[size_t(aRow - 1)] = TypedReal(value, 0, kMaxWindSpeed);
}

void TfmWDataEd::gdEditorSelectCell(TObject*, int aCol, int, bool&) {
    TGridOptions options = gdEditor->Options();
    if (aCol == 1)
        options.Include(goEditing);
    else
        options.Exclude(goEditing);
    gdEditor->SetOptions(options);
}

bool TfmWDataEd::gdEditorAcceptEditKey(TObject*, char32_t& key) {
    if (gdEditor->Col() != 1 || key < 32)
        return true;
    return (key >= U'0' && key <= U'9') || key == char32_t(DecimalSeparator);
}

void TfmWDataEd::gdEditorFixedCellClick(TObject*, int aCol, int aRow) {
    if (aRow != 0)
        return;
    const int hours = Hours();
    switch (aCol) {
    case 0: {
        const double lastCharge = hours > 0 ? BatteryCharge[size_t(hours - 1)] : BatCapacity;
        const double supply = SumOf(WGProduction, hours) + SumOf(PVProduction, hours) +
                              SumOf(GensetProduction, hours) - SumOf(Surplus, hours) + BatCapacity -
                              lastCharge;
        const double load = SumOf(DemandLoad, hours);
        ShowMessage(FormatEnergy(supply) + " = " + FormatEnergy(load));
        break;
    }
    case 1:
        RandomizeWindNormal();
        break;
    case 2:
    case 3:
    case 4:
    case 6:
    case 7:
        ShowMessage(FormatEnergy(SumOf(*ColumnArray(aCol), hours)));
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Storage of the measurement dialog's folder

void TfmWDataEd::FormStorageSavePlacement(TObject*) {
    if (!OpenDialog->FileName().empty())
        FormStorage->WriteSetting(
            "InitialDir", IncludeTrailingPathDelimiter(ExtractFileDir(OpenDialog->FileName())));
}

void TfmWDataEd::FormStorageRestorePlacement(TObject*) {
    OpenDialog->SetInitialDir(FormStorage->ReadSetting("InitialDir", ""));
}

// ---------------------------------------------------------------------------
// Buttons and actions

void TfmWDataEd::BtnBatCapClick(TObject*) {
    std::string text = FloatToStr(BatCapacity);
    if (!InputQuery("Χωριτηκότητα", "Βαταρία Wh", text))
        return;
    BatCapacity = TypedReal(text, 0, kMaxBatCapacity);
    Recalc();
    gdEditor->Invalidate();
}

void TfmWDataEd::BtnVelFacClick(TObject*) {
    std::string text = FloatToStr(WindVelFactor);
    if (!InputQuery("Ταχύτητα Ανέμου", "Συντελεστής", text))
        return;
    WindVelFactor = TypedReal(text, 0, kMaxWindVelFactor);
    Recalc();
    gdEditor->Invalidate();
}

void TfmWDataEd::Button1Click(TObject*) {
    double power = PVPower;
    if (!InputRealInRange("Ισχύς Φωτοβολταϊκού:", power, 0, kMaxPower))
        return;
    PVPower = power;
    FillPVProduction();
    Recalc();
    gdEditor->Invalidate();
}

void TfmWDataEd::BtnFCalcClick(TObject*) {
    Recalc();
}

void TfmWDataEd::actChgWGExecute(TObject*) {
    if (!dm)
        return;
    std::unique_ptr<TWindPwrCurve> curve = dm->SelectPowerCurve();
    if (!curve)
        return;
    FWorkbenchCurve = std::move(curve);
    Recalc();
}

void TfmWDataEd::actLoadWindDataExecute(TObject*) {
    if (!OpenDialog->Execute())
        return;
    // Read into a series of its own and taken over only when the whole file was read: a
    // file that fails part-way raises with the year's wind speeds as they were.
    TFloatArray speeds;
    LoadColumn(OpenDialog->FileName(), speeds);
    WindSpeed = std::move(speeds);
    UpdateRowCount();
    gdEditor->Invalidate();
    Recalc();
}

void TfmWDataEd::actNewDevListExecute(TObject*) {
    if (!dm)
        return;
    std::string fileName;
    dm->SelectDevListFile(fileName);
    if (fileName.empty())
        return;
    auto list = std::make_unique<TDevList>();
    list->LoadFromFile(fileName);
    list->FillLoad(DemandLoad);
    gdEditor->Invalidate();
}

void TfmWDataEd::ShowGraphOf(const TFloatArray& values) {
    // The hours of the balance only: a longer array holds no result beyond them.
    const size_t hours = std::min(values.size(), size_t(Hours()));
    ShowHourlyGraph(TFloatArray(values.begin(), values.begin() + std::ptrdiff_t(hours)), BaseDate);
}

void TfmWDataEd::actPwGraphExecute(TObject*) {
    ShowGraphOf(WGProduction);
}

void TfmWDataEd::actPPhGraphExecute(TObject*) {
    ShowGraphOf(PVProduction);
}

void TfmWDataEd::actCEGraphExecute(TObject*) {
    ShowGraphOf(BatteryCharge);
}

void TfmWDataEd::actPHZGraphExecute(TObject*) {
    ShowGraphOf(GensetProduction);
}

void TfmWDataEd::BtnPLGraphClick(TObject*) {
    TFloatArray daily(24, 0.0);
    const size_t n = DemandLoad.size();
    if (n > 0) {
        for (size_t i = 0; i < n; ++i)
            daily[i % 24] += DemandLoad[i];
        for (double& value : daily)
            value = value / double(n) * 24.0;
    }
    ShowHourlyGraph(daily, 0);
}

void TfmWDataEd::BtnWGGrClick(TObject*) {
    std::unique_ptr<TfmPwrCurveGr> form(CreateForm<TfmPwrCurveGr>(nullptr));
    form->ShowModal();
}

void TfmWDataEd::Button3Click(TObject*) {
    const int hours = Hours();
    std::string text;
    text.reserve(size_t(hours) * 12);
    for (int i = 0; i < hours; ++i) {
        text += Format("%0.3f", {WGProduction[size_t(i)]});
        text += "\r\n";
    }
    Clipboard()->SetAsText(text);
}

// ---------------------------------------------------------------------------
// Battery sizing

void TfmWDataEd::BtnEQUClick(TObject*) {
    SizeBattery(kEquTolerance);
}

void TfmWDataEd::actEQUBatExecute(TObject*) {
    SizeBattery(kF9Tolerance);
}

void TfmWDataEd::SizeBattery(double tolerance) {
    SizingWorkbench = this;
    const double annualLoad = SumOf(DemandLoad, Hours());
    TargetGensetEnergy = SimParams.EquGensetShare * annualLoad;
    double root = 0;
    double fRoot = 0;
    int iter = 0;
    uint8_t err = 0;
    Bisect(0, kSizingUpperFactor * annualLoad, tolerance, kSizingMaxIter, GeneratorShareResidual,
           root, fRoot, iter, err);
    if (err != 0) {
        ShowMessage(Format("error num : %d iters[%d]", {int(err), iter}));
        // The evaluations rewrote the hourly arrays: back to the capacity in force.
        Recalc();
        return;
    }
    const std::string found = Format("root[%d]=%8.3f, %8.3f", {iter, root, fRoot});
    // The search reaches 100 times the year's load, beyond the largest capacity a user can
    // type for a large enough load. A capacity the program sets must be one the battery
    // boxes take back: a root past the limit is reported and the capacity stays.
    if (!ValueInRange(root, 0, kMaxBatCapacity)) {
        ShowMessage(found + "\n" +
                    Format("Η χωρητικότητα που βρέθηκε, %s Wh, είναι πάνω από το όριο της "
                           "χωρητικότητας μπαταρίας. %s Η χωρητικότητα δεν άλλαξε.",
                           {FloatToStr(root), ValueRangeText(0, kMaxBatCapacity)}));
        Recalc();
        return;
    }
    ShowMessage(found);
    BatCapacity = root;
    ShowResult(LastSizingResult);
    ShowBatCapacity();
}

// ---------------------------------------------------------------------------
// Sensitivity sweeps and the coverage pie

namespace {

void AddSweepPoint(TfmEnergyPerBat* form, double x, const TSimResult& r) {
    form->srPHZ->AddXY(x, r.TotGenset);
    form->srPW->AddXY(x, r.TotLoad * r.WindShare);
    form->srPPH->AddXY(x, r.TotLoad * r.PVShare);
    form->srPDL->AddXY(x, r.TotDump);
}

} // namespace

void TfmWDataEd::BtnBatCapGrClick(TObject*) {
    std::unique_ptr<TfmEnergyPerBat> form(CreateForm<TfmEnergyPerBat>(Application));
    const double capacity = BatCapacity;
    for (int i = 0; i <= 10; ++i) {
        const double c = (i / 10.0 + 0.5) * capacity;
        TSimResult r;
        SimulateHours(PVProduction, c, {}, r);
        AddSweepPoint(form.get(), c, r);
    }
    form->ShowModal();
}

void TfmWDataEd::BtnPwrFacGrClick(TObject*) {
    // Loading a curve sets the factor to 1.0, so that is what the sweep leaves behind.
    struct TFactorReset {
        TWindPwrCurve* Curve;
        ~TFactorReset() {
            if (Curve)
                Curve->SetPowerFactor(1.0);
        }
    } reset{FWorkbenchCurve.get()};
    std::unique_ptr<TfmEnergyPerBat> form(CreateForm<TfmEnergyPerBat>(Application));
    const int steps = std::max(PwrFacSteps, 1);
    for (int j = 0; j <= steps; ++j) {
        const double factor = double(j) / steps + 0.5;
        if (FWorkbenchCurve)
            FWorkbenchCurve->SetPowerFactor(factor);
        TSimResult r;
        SimulateHours(PVProduction, BatCapacity, {}, r);
        AddSweepPoint(form.get(), 100.0 * factor, r);
    }
    form->ShowModal();
}

void TfmWDataEd::BtnphCapGrClick(TObject*) {
    std::unique_ptr<TfmEnergyPerBat> form(CreateForm<TfmEnergyPerBat>(Application));
    TFloatArray pv(WindSpeed.size());
    for (int i = 0; i <= 10; ++i) {
        const double power = (i / 10.0 + 0.5) * PVPower;
        for (size_t n = 0; n < pv.size(); ++n)
            pv[n] = power * PVDayProfile[n % 24];
        TSimResult r;
        SimulateHours(pv, BatCapacity, {}, r);
        AddSweepPoint(form.get(), power, r);
    }
    form->ShowModal();
}

void TfmWDataEd::actTTLGraphExecute(TObject*) {
    TSimResult r;
    SimulateHours(PVProduction, BatCapacity, {}, r);
    std::unique_ptr<TfmEnergyGraph> form(CreateForm<TfmEnergyGraph>(Application));
    form->Series1->AddSlice(r.GensetShare, "hz", clRed);
    form->Series1->AddSlice(r.WindShare, "pw", clGreen);
    form->Series1->AddSlice(r.PVShare, "pph", clYellow);
    form->ShowModal();
}

// ---------------------------------------------------------------------------
// Random and transformed wind

void TfmWDataEd::Button2Click(TObject*) {
    if (WindSpeed.size() < 2) {
        ShowMessage(kTooFewValues);
        return;
    }
    for (double& v : WindSpeed)
        v = WeibullRandom(kRandomShape, kRandomScale);
    double mean = 0;
    double stdDev = 0;
    SeriesMeanStdDev(WindSpeed, mean, stdDev);
    double c = 0;
    double k = 0;
    double fitMean = 0;
    double fitStdDev = 0;
    WeibullFit(mean, stdDev, c, k, fitMean, fitStdDev);
    ShowMessage(Format("c=%0.3f k=%0.3f", {c, k}));
    Recalc();
    gdEditor->Invalidate();
}

void TfmWDataEd::RandomizeWindNormal() {
    double mean = 0;
    double stdDev = 0;
    if (!SeriesMeanStdDev(WindSpeed, mean, stdDev)) {
        ShowMessage(kTooFewValues);
        return;
    }
    for (double& v : WindSpeed)
        v = GaussRandom(mean, stdDev);
    Recalc();
    gdEditor->Invalidate();
}

void TfmWDataEd::btnNewMeanClick(TObject*) {
    if (WindSpeed.empty()) {
        ShowMessage(kNoValues);
        return;
    }
    double sum = 0;
    for (double v : WindSpeed)
        sum += v;
    const double mean = sum / double(WindSpeed.size());
    if (mean == 0) {
        ShowMessage(kZeroMean);
        return;
    }
    double newMean = mean;
    if (!InputRealInRange("Νεος ΜΟ:", newMean, 0, kMaxWindSpeed))
        return;
    // The mean as the box showed it (15 digits) confirmed: the series stays as it is.
    if (FloatToStr(newMean) == FloatToStr(mean))
        return Recalc();
    // Each speed is scaled as speed x new mean / mean: a speed is at most the series' length
    // times its mean, so the quotient stays finite also for a mean too small for
    // new mean / mean to be a number.
    for (double& v : WindSpeed)
        v = v * newMean / mean;
    Recalc();
}

void TfmWDataEd::btnSortClick(TObject*) {
    if (WindSpeed.size() > 1)
        SortDoubles(WindSpeed, 0, int(WindSpeed.size()) - 1);
    Recalc();
}
