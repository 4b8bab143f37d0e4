#pragma once
// Pelmora's main window: a tool bar over a chart. The wind rose of the current
// observed-wind-climate table is not a series: it is drawn into a metafile of the chart's
// size that becomes the chart's back image, while the chart shows its title, gradient and,
// in its foot, the table's title. The window opens .tab tables, copies the chart to the
// clipboard as an enhanced metafile and opens the table editor.

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"

#include "chart/Chart.h"
#include "persist/Placement.h"
#include "windrose/TabData.h"

#include <array>
#include <memory>

// The rows of a table form four speed-class groups: rows 0-3, 4-11, 12-24 and 25 on.
inline constexpr std::array<int, 3> SpeedClassBounds = {4, 12, 25};
// Half the width of the narrowest bar, in the rose's length unit (% of all observations).
inline constexpr double BarHalfWidth = 0.2;
// The fill of the sector bars.
inline constexpr TColor RoseColor = clGreen;

// A point of the rose in its length unit, y growing upward (north).
struct TRosePoint {
    double X = 0;
    double Y = 0;
    friend constexpr bool operator==(const TRosePoint&, const TRosePoint&) = default;
};
using TSectorPolygon = std::array<TRosePoint, 16>;

// p turned by angle a (radians, counter-clockwise in a y-up plane).
TRosePoint RotatePoint(const TRosePoint& p, double a);
// The outline of sector k's bar: a line for the first speed-class group, then bars of
// half-width 1, 2 and 3 times BarHalfWidth stacked outward, their lengths the cumulative
// shares of the groups; turned clockwise by k sectors from north.
TSectorPolygon BuildSectorPolygon(const TTabData& table, int k);
// A table the rose can be drawn from and the normalisations work on: at least one sector,
// a frequency and a complete row of values per sector, and a positive largest frequency.
bool IsDrawableTable(const TTabData& table);

class TForm1 : public TForm {
    ORV_CLASS(TForm1, TForm)
public:
    explicit TForm1(TComponent* owner);

    // ---- Components
    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr; // actOpen
    TToolButton* ToolButton2 = nullptr; // actClipCopy
    TToolButton* ToolButton3 = nullptr; // actEditChart
    TToolButton* ToolButton4 = nullptr; // actEditData
    TChart* Chart1 = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* actOpen = nullptr;      // "Ανοιγμα", F3
    TAction* actClipCopy = nullptr;  // "Αντιγραφή", Ctrl+Ins
    TAction* actEditChart = nullptr; // "Ιδιότητες": the chart editor on the axis page
    TAction* actEditData = nullptr;  // "Επεξεργ.": enabled once a table is open
    TOpenDialog* OpenDialog = nullptr;
    TFormStorage* FormStorage = nullptr; // placement and OpenDialog.InitialDir

    // The current table (nullptr until a file has been opened).
    TTabData* TabData() const { return FTabData.get(); }

    // ---- Handlers
    // Reads the chosen file into a new table; only a completely read, drawable table
    // replaces the current one (then the dialog starts in its folder next time, the rose
    // is drawn and the table can be edited). An error leaves everything as it was and
    // reaches the user as its message.
    void actOpenExecute(TObject* sender);
    // The chart to the clipboard as an enhanced metafile.
    void actClipCopyExecute(TObject* sender);
    // The chart editor on Chart1, opened on the axis page without the series tabs (the
    // rose is a background picture, not a series).
    void actEditChartExecute(TObject* sender);
    // The table editor, modal, on the current table. The rose is not redrawn afterwards:
    // the next resize or opening shows the edits.
    void actEditDataExecute(TObject* sender);
    // Insert copies too, from wherever the focus is (Ctrl+Ins is left to the action).
    void FormKeyDown(TObject* sender, uint16_t& key, TShiftState shift);
    void FormResize(TObject* sender);

    // Draws the rose of the current table into a new metafile of the chart's size, makes
    // it the chart's back image and puts the table's title into the foot. Nothing without
    // a drawable table or with a chart of no size.
    void DrawRose();

    // As the form's; when closing ends the program, the settings saved from here to the
    // end of FreeRoseWindows go to the settings store in one write.
    bool CloseQuery() override;

private:
    std::unique_ptr<TTabData> FTabData;
};

// The program's main window.
extern TForm1* Form1;

// The program block's windows: the shape series is registered, then the data module `dm`
// and the main window `Form1` are created, both owned by the application.
void CreateRoseWindows();
// Frees the main window and the data module as the end of a run does (placement and
// dialog folders are saved).
void FreeRoseWindows();
