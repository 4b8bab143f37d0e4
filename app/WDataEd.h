#pragma once
// The energy workbench: the seven hourly arrays of the year in one grid, the hourly energy
// balance with its totals and coverage shares, the battery sizing by bisection (F9 and
// "EQU Bat"), the sensitivity sweeps over battery capacity, PV power and the wind
// generator's power factor, and the random and transformed wind series.
//
// The workbench keeps a power curve of its own (WorkbenchCurve, from "default.pow"); the
// project's curve of the design page plays no part in its calculations.
//
// Hours: the balance runs over the hours every hourly array holds (8760 for a full year; a
// measurement series of another length shortens or lengthens only WindSpeed), and the
// grid shows one row per such hour.

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Menus.h"
#include "framework/gui/StandardControls.h"
#include "model/Data.h"
#include "persist/ExGrids.h"
#include "persist/Placement.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TfmWDataEd : public TForm {
    ORV_CLASS(TfmWDataEd, TForm)
public:
    explicit TfmWDataEd(TComponent* owner);
    ~TfmWDataEd() override;

    // ---- Components
    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton3 = nullptr; // actLoadWindData
    TToolButton* ToolButton2 = nullptr; // actChgWG
    TToolButton* ToolButton5 = nullptr; // actNewDevList
    TToolButton* ToolButton4 = nullptr; // "Υπολογισμοί", drop-down PopupMenu2
    TToolButton* ToolButton1 = nullptr; // "Γραφήματα", drop-down PopupMenu1
    TPopupMenu* PopupMenu1 = nullptr;   // the graph actions
    TPopupMenu* PopupMenu2 = nullptr;   // actEQUBat

    TScrollBox* Panel1 = nullptr; // the column of buttons at the right (scrolls when short)
    TButton* BtnBatCap = nullptr;
    TButton* BtnVelFac = nullptr;
    TButton* BtnBatCapGr = nullptr;
    TButton* BtnPwrFacGr = nullptr;
    TButton* BtnWGGr = nullptr;
    TButton* Button1 = nullptr; // "phCap"
    TButton* BtnPLGraph = nullptr;
    TButton* BtnEQU = nullptr;
    TButton* Button2 = nullptr; // "Random"
    TButton* btnNewMean = nullptr;
    TButton* btnSort = nullptr;
    TButton* BtnFCalc = nullptr;
    TButton* BtnphCapGr = nullptr;
    TButton* Button3 = nullptr; // wind production to the clipboard

    TPanel* Panel2 = nullptr; // client: the summary and the grid
    TPanel* Panel3 = nullptr; // the summary: three columns, fewer when narrow
    // Value labels of the summary ("-" until filled).
    TLabel* lbPL = nullptr;        // demand
    TLabel* lbPW = nullptr;        // wind production
    TLabel* lbPPH = nullptr;       // PV production
    TLabel* lbPHZ = nullptr;       // generator-set production
    TLabel* lbPDL = nullptr;       // surplus
    TLabel* lbMaxBatCap = nullptr; // battery capacity in force
    TLabel* lbPWC = nullptr;       // wind share, %
    TLabel* lbPPHC = nullptr;      // PV share, %
    TLabel* lbPHZC = nullptr;      // generator-set share, %
    TExDrawGrid* gdEditor = nullptr;

    TFormStorage* FormStorage = nullptr;
    TOpenDialog* OpenDialog = nullptr; // measurement series
    TActionList* ActionList1 = nullptr;
    TAction* actChgWG = nullptr;
    TAction* actViGraph = nullptr;
    TAction* actPwGraph = nullptr;
    TAction* actCEGraph = nullptr;
    TAction* actTTLGraph = nullptr;
    TAction* actPHZGraph = nullptr;
    TAction* actPPhGraph = nullptr;
    TAction* actLoadWindData = nullptr;
    TAction* actEQUBat = nullptr; // F9
    TAction* actNewDevList = nullptr;

    // The workbench's own power curve (empty when "default.pow" could not be read).
    TWindPwrCurve* WorkbenchCurve() const { return FWorkbenchCurve.get(); }

    // The hours the balance runs over: the shortest of the seven hourly arrays.
    static int Hours();
    // The text a grid cell shows ("" where there is no value).
    std::string CellText(int aCol, int aRow) const;

    // ---- Calculation
    // Runs the balance at BatCapacity into the hourly arrays and fills the summary.
    void Recalc();
    // The per-hour callback of the balance: stores the hour's results.
    void StoreHourResult(int hour, double windPower, double pvPower, double load, double genset,
                         double dump, double charge);
    // Runs the balance over Hours() with the workbench's curve.
    void SimulateHours(const TFloatArray& pv, double capacity, const TSimHourEvent& onHour,
                       TSimResult& r) const;
    // Fills the eight result labels from r (lbMaxBatCap is not among them).
    void ShowResult(const TSimResult& r);
    void ShowBatCapacity();

    // ---- Handlers
    void FormCreate(TObject* sender);
    void gdEditorDrawCell(TObject* sender, int aCol, int aRow, const TRect& rect,
                          TGridDrawState state);
    void gdEditorGetEditText(TObject* sender, int aCol, int aRow, std::string& value);
    void gdEditorSetEditText(TObject* sender, int aCol, int aRow, const std::string& value);
    void gdEditorSelectCell(TObject* sender, int aCol, int aRow, bool& canSelect);
    bool gdEditorAcceptEditKey(TObject* sender, char32_t& key);
    void gdEditorFixedCellClick(TObject* sender, int aCol, int aRow);
    void FormStorageSavePlacement(TObject* sender);
    void FormStorageRestorePlacement(TObject* sender);

    void BtnBatCapClick(TObject* sender);
    void BtnVelFacClick(TObject* sender);
    void Button1Click(TObject* sender); // "phCap"
    void BtnFCalcClick(TObject* sender);
    void BtnPLGraphClick(TObject* sender);
    void BtnWGGrClick(TObject* sender);
    void Button3Click(TObject* sender);
    void actChgWGExecute(TObject* sender);
    void actLoadWindDataExecute(TObject* sender);
    void actNewDevListExecute(TObject* sender);
    void actPwGraphExecute(TObject* sender);
    void actPPhGraphExecute(TObject* sender);
    void actCEGraphExecute(TObject* sender);
    void actPHZGraphExecute(TObject* sender);

    // Battery sizing ("EQU Bat" with tolerance 0.001, F9 with 0.00001).
    void BtnEQUClick(TObject* sender);
    void actEQUBatExecute(TObject* sender);
    void SizeBattery(double tolerance);
    // Sensitivity sweeps and the coverage pie.
    void BtnBatCapGrClick(TObject* sender);
    void BtnPwrFacGrClick(TObject* sender);
    void BtnphCapGrClick(TObject* sender);
    void actTTLGraphExecute(TObject* sender);
    // Random and transformed wind.
    void Button2Click(TObject* sender); // "Random"
    void RandomizeWindNormal();
    void btnNewMeanClick(TObject* sender);
    void btnSortClick(TObject* sender);

private:
    void BuildToolBar();
    void BuildButtons();
    void BuildSummary();
    void BuildGrid();
    void BuildActions();
    TButton* AddButton(const std::string& name, const std::string& caption, int index,
                       TNotifyEvent onClick);
    TLabel* AddSummaryRow(const std::string& caption, const std::string& valueName);
    // Places the summary's rows in as many columns (up to three) as Panel3's width holds,
    // column by column, and makes the panel as high as its rows.
    void LayoutSummary(TObject* sender);
    void FillPVProduction();
    // The grid shows one row per hour after the header.
    void UpdateRowCount();
    void ShowGraphOf(const TFloatArray& values);

    std::unique_ptr<TWindPwrCurve> FWorkbenchCurve;
    std::vector<std::pair<TLabel*, TLabel*>> FSummaryRows; // caption and value
    int FSummaryColumns = 0;
};

// ---- The battery sizing's context (the root finder takes a plain function)

// The workbench whose curve and arrays the root function uses; set by every sizing.
extern TfmWDataEd* SizingWorkbench;
// EquGensetShare x the annual load, Wh; set by every sizing.
extern double TargetGensetEnergy;
// The result of the latest evaluation of GeneratorShareResidual.
extern TSimResult LastSizingResult;

// The balance of SizingWorkbench at battery capacity x (its hourly arrays are rewritten):
// the generator-set energy above the target.
double GeneratorShareResidual(double x);

// c x (-ln U)^(1/k) with U uniform on (0, 1], so the result is finite.
double WeibullRandom(double k, double c);
// Sorts a[lo..hi] ascending in place, in n log n steps whatever the order of the values (a
// value that is not a number goes last).
void SortDoubles(TFloatArray& a, int lo, int hi);

// Mean and sample standard deviation (divisor n - 1) of a series; false for fewer than
// two values.
bool SeriesMeanStdDev(const TFloatArray& a, double& mean, double& stdDev);

// Energies in Wh as the summary shows them ("%10.0n"), shares as per cent ("%10.2n%%").
std::string FormatEnergy(double value);
std::string FormatShare(double fraction);
