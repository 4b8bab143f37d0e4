#pragma once
// The complete chart: titles, walls, legend, the axes rectangle and series margins, the
// back image inside the walls, zoom, panning and click dispatch with the mouse, and the
// registry of series types and functions that the chart editor's gallery lists, with the
// routines that create, clone, retype and replace series.

#include "chart/ChartCanvas.h"
#include "chart/ChartConst.h"
#include "chart/ChartEngine.h"
#include "chart/ChartProcs.h"
#include "framework/core/Classes.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class TCustomChart;

// ---------------------------------------------------------------------------
// Walls

// The back, left or bottom wall of a chart: its colour, fill and outline, and its
// thickness in 3-D.
class TChartWall : public TPersistent {
    ORV_CLASS(TChartWall, TPersistent)

    explicit TChartWall(TCustomChart* chart = nullptr, TColor defaultColor = clAutoColor);
    ~TChartWall() override;
    static void Publish(TPublisher<TChartWall>& p);
    // Brush, colour, Dark3D, pen and size.
    void AssignFrom(const TPersistent* source) override;

    TChartBrush* Brush() const { return FBrush.get(); }
    void SetBrush(const TChartBrush* value) { FBrush->AssignFrom(value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool Dark3D() const { return FDark3D; }
    void SetDark3D(bool value);
    TChartPen* Pen() const { return FPen.get(); }
    void SetPen(const TChartPen* value) { FPen->AssignFrom(value); }
    int Size() const { return FSize; }
    void SetSize(int value);

    TColor DefaultColor() const { return FDefaultColor; }
    // Dark3D with a brush that is neither clear nor a bitmap.
    bool HasDarkSides() const;
    TCustomChart* ParentChart() const { return FChart; }
    void SetParentChart(TCustomChart* value) { FChart = value; }

private:
    void Repaint();
    void PartChanged(TObject* sender);

    TCustomChart* FChart;
    TColor FDefaultColor;
    std::unique_ptr<TChartBrush> FBrush;
    TColor FColor;
    bool FDark3D = true;
    std::unique_ptr<TChartPen> FPen;
    int FSize = 0;
};

// ---------------------------------------------------------------------------
// Titles

const TTypeInfo* TypeInfoTAlignment();

// The text block at the top (title) or the bottom (foot) of a chart.
class TChartTitle : public TChartFontObject {
    ORV_CLASS(TChartTitle, TChartFontObject)

    explicit TChartTitle(TCustomChart* chart = nullptr);
    ~TChartTitle() override;
    static void Publish(TPublisher<TChartTitle>& p);
    void AssignFrom(const TPersistent* source) override;

    bool AdjustFrame() const { return FAdjustFrame; }
    void SetAdjustFrame(bool value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TChartBrush* Brush() const { return FBrush.get(); }
    void SetBrush(const TChartBrush* value) { FBrush->AssignFrom(value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TChartHiddenPen* Frame() const { return FFrame.get(); }
    void SetFrame(const TChartHiddenPen* value) { FFrame->AssignFrom(value); }
    TStrings* Text() const { return FText.get(); }
    void SetText(const TStrings* value) { FText->Assign(*value); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    // The text rectangle of the last drawing.
    const TRect& TitleRect() const { return FTitleRect; }
    void SetTitleRect(const TRect& value) { FTitleRect = value; }
    // The font's defaults (blue for the title, red italic for a foot): the font is
    // stored only when it differs from them.
    void SetDefaultFont(TColor color, TFontStyles style);
    bool IsFontChanged() const;
    // Draws the block at the top (or the bottom) of the chart rectangle and takes its
    // room from it.
    void DrawTitle(bool isFoot);

private:
    void Changed(TObject* sender);

    TCustomChart* FChart;
    bool FAdjustFrame = true;
    TAlignment FAlignment = taCenter;
    std::unique_ptr<TChartBrush> FBrush;
    TColor FColor = clAutoColor;
    std::unique_ptr<TChartHiddenPen> FFrame;
    std::unique_ptr<TStringList> FText;
    bool FVisible = true;
    TRect FTitleRect;
    TColor FDefaultColor = clBlue;
    TFontStyles FDefaultStyle;
};

// ---------------------------------------------------------------------------
// The legend

enum TLegendStyle { lsAuto, lsSeries, lsValues, lsLastValues };
enum TLegendAlignment { laLeft, laRight, laTop, laBottom };
const TTypeInfo* TypeInfoTLegendStyle();
const TTypeInfo* TypeInfoTLegendAlignment();

// The box beside, above or below the chart rectangle that lists the series of the chart
// or the points of its first active series, each row with the series' colour symbol.
class TCustomChartLegend : public TChartFontObject {
    ORV_CLASS(TCustomChartLegend, TChartFontObject)

    explicit TCustomChartLegend(TCustomChart* chart = nullptr);
    ~TCustomChartLegend() override;
    void AssignFrom(const TPersistent* source) override;

    // How many rows of step pixels fit from start to the chart's bottom (vertical) or
    // right (horizontal) edge; never more than the total rows.
    virtual int FitCount(int start, int step);
    // Lays the legend out, draws it and (with ResizeChart) takes its room from the chart
    // rectangle.
    virtual void DrawLegend();

    bool IsVertical() const { return FAlignment == laLeft || FAlignment == laRight; }
    // The row under the point (counted from the first row shown); -1 when none.
    int Clicked(int x, int y) const;
    // The rows of the current style and chart, FirstValue left out.
    int TotalRows() const;
    // The text of row index (counted from 0, FirstValue included).
    std::string RowText(int index) const;
    TLegendStyle EffectiveStyle() const { return FEffectiveStyle; }
    // The style a drawing would use now (lsAuto resolved).
    TLegendStyle CalcEffectiveStyle() const;
    const TRect& RectLegend() const { return FRectLegend; }
    int SymbolWidth() const { return FSymbolWidth; }
    int NumColumns() const { return FColumns; }
    int NumRows() const { return FRows; }

    TLegendAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TLegendAlignment value);
    TChartBrush* Brush() const { return FBrush.get(); }
    void SetBrush(const TChartBrush* value) { FBrush->AssignFrom(value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    int ColorWidth() const { return FColorWidth; }
    // Raises LegendException outside 0..100.
    void SetColorWidth(int value);
    TChartHiddenPen* DividingLines() const { return FDividingLines.get(); }
    void SetDividingLines(const TChartHiddenPen* value) { FDividingLines->AssignFrom(value); }
    int FirstValue() const { return FFirstValue; }
    // Raises LegendException for a negative value.
    void SetFirstValue(int value);
    TChartPen* Frame() const { return FFrame.get(); }
    void SetFrame(const TChartPen* value) { FFrame->AssignFrom(value); }
    int HorizMargin() const { return FHorizMargin; }
    void SetHorizMargin(int value);
    bool Inverted() const { return FInverted; }
    void SetInverted(bool value);
    TLegendStyle LegendStyle() const { return FLegendStyle; }
    void SetLegendStyle(TLegendStyle value);
    int MaxNumRows() const { return FMaxNumRows; }
    void SetMaxNumRows(int value);
    bool ResizeChart() const { return FResizeChart; }
    void SetResizeChart(bool value);
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor value);
    int ShadowSize() const { return FShadowSize; }
    void SetShadowSize(int value);
    TLegendTextStyle TextStyle() const { return FTextStyle; }
    void SetTextStyle(TLegendTextStyle value);
    int TopPos() const { return FTopPos; }
    // Raises LegendException outside 0..100.
    void SetTopPos(int value);
    int VertMargin() const { return FVertMargin; }
    void SetVertMargin(int value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);

    TCustomChart* ParentChart() const { return FChart; }

private:
    void SetIntegerValue(int& field, int value);
    void SetBooleanValue(bool& field, bool value);
    void PartChanged(TObject* sender);
    bool Loading() const;

    // The steps of drawing the legend: measure its rows, place it, draw its box and its
    // rows, and shrink the chart's rectangle by its room.
    struct TLegendLayout {
        std::vector<std::string> Texts;
        int RowHeight = 0;
        int Widest = 0;    // the widest row text
        int ItemWidth = 0; // a column's text width
        TRect Rect;        // the legend's rectangle
        int TextX = 0;     // where the first column's texts begin
        int RowsShown = 0; // the rows that fit (times the columns)
    };
    TLegendLayout MeasureLegend();
    void PlaceLegend(TLegendLayout& layout);
    void DrawLegendBox(const TRect& r);
    void DrawLegendRows(const TLegendLayout& layout, int shown);
    void ShrinkChartRect(const TRect& r);

    TCustomChart* FChart;
    TLegendAlignment FAlignment = laRight;
    std::unique_ptr<TChartBrush> FBrush;
    TColor FColor = clWhite;
    int FColorWidth = 12;
    std::unique_ptr<TChartHiddenPen> FDividingLines;
    int FFirstValue = 0;
    std::unique_ptr<TChartPen> FFrame;
    int FHorizMargin = 0;
    bool FInverted = false;
    TLegendStyle FLegendStyle = lsAuto;
    int FMaxNumRows = 10;
    bool FResizeChart = true;
    TColor FShadowColor = clBlack;
    int FShadowSize = 3;
    TLegendTextStyle FTextStyle = ltsLeftValue;
    int FTopPos = 10;
    int FVertMargin = 0;
    bool FVisible = true;

    // Layout of the last drawing.
    TLegendStyle FEffectiveStyle = lsSeries;
    TRect FRectLegend;
    int FSymbolWidth = 0;
    int FColumns = 0;
    int FRows = 0;
};

// The legend a chart publishes.
class TChartLegend : public TCustomChartLegend {
    ORV_CLASS(TChartLegend, TCustomChartLegend)

    explicit TChartLegend(TCustomChart* chart = nullptr) : TCustomChartLegend(chart) {}
    static void Publish(TPublisher<TChartLegend>& p);
};

// ---------------------------------------------------------------------------
// The series-type registry

// One gallery entry: a series class, a function class (either may be none), its
// description, gallery page and the number of series the gallery shows for it.
class TChartSeriesType : public TObject {
public:
    std::string ClassName() const override { return "TChartSeriesType"; }
    TClass SeriesClass = nullptr;
    TClass FunctionClass = nullptr;
    std::string Description;
    std::string GalleryPage;
    int NumGallerySeries = 1;
};

// The registered entries, in registration order.
class TChartSeriesTypes : public TObject {
public:
    std::string ClassName() const override { return "TChartSeriesTypes"; }
    int Count() const { return int(FItems.size()); }
    TChartSeriesType* GetItem(int index) const { return FItems[size_t(index)].get(); }
    // The entry of the two classes; nullptr when none.
    TChartSeriesType* Find(TClass seriesClass, TClass functionClass) const;
    void Add(std::unique_ptr<TChartSeriesType> item) { FItems.push_back(std::move(item)); }
    void Delete(int index) { FItems.erase(FItems.begin() + index); }

private:
    std::vector<std::unique_ptr<TChartSeriesType>> FItems;
};

// The registry, made on first use with the standard series types and functions.
TChartSeriesTypes* ChartSeriesTypes();
// Registers the classes with the class library and appends an entry unless one of the
// same two classes exists (texts cut to 20 characters).
void AddGalleryEntry(TClass seriesClass, TClass functionClass, const std::string& description,
                     int numGallerySeries, const std::string& galleryPage);
void AddGallerySeries(TClass seriesClass, const std::string& description,
                      const std::string& galleryPage, int numGallerySeries);
void AddGalleryFunction(TClass functionClass, const std::string& description,
                        const std::string& galleryPage, int numGallerySeries);
// On the page "Functions" with two gallery series.
void AddBasicGalleryFunction(TClass functionClass, const std::string& description);

// The mouse buttons and shift keys that start a zoom and a panning drag, and the share
// of the remaining distance each animated zoom step covers.
struct TChartMouseSettings {
    TMouseButton ZoomButton = mbLeft;
    TShiftState ZoomShift;
    TMouseButton PanningButton = mbRight;
    TShiftState PanningShift;
    double AnimatedZoomFactor = 3.0;
};
TChartMouseSettings& ChartMouseSettings();

// ---------------------------------------------------------------------------
// The chart

// Sender, button, shift, x, y.
using TChartClick = TEvent<void(TCustomChart*, TMouseButton, TShiftState, int, int)>;
// Sender, axis, button, shift, x, y.
using TChartClickAxis =
    TEvent<void(TCustomChart*, TCustomChartAxis*, TMouseButton, TShiftState, int, int)>;
// Sender, series, point index, button, shift, x, y.
using TChartClickSeries =
    TEvent<void(TCustomChart*, TChartSeries*, int, TMouseButton, TShiftState, int, int)>;
// Axis, new minimum, new maximum, allow.
using TChartAllowScroll = TEvent<void(TCustomChartAxis*, double&, double&, bool&)>;
// Sender, row, x, y, text x.
using TChartGetLegendPos = TEvent<void(TCustomChart*, int, int&, int&, int&)>;
using TChartGetLegendRect = TEvent<void(TCustomChart*, TRect&)>;
// Sender, legend style, row, text.
using TChartGetLegendText = TEvent<void(TCustomChart*, TLegendStyle, int, std::string&)>;
// Called with the name of each value list of a series' source.
using TEnumValueListProc = std::function<void(const std::string&)>;

// The part of a chart under a point.
enum TChartClickedPartStyle { cpNone, cpLegend, cpAxis, cpSeries, cpTitle, cpFoot, cpChartRect };
struct TChartClickedPart {
    TChartClickedPartStyle Part = cpNone;
    int PointIndex = -1;
    TChartSeries* ASeries = nullptr;
    TCustomChartAxis* AAxis = nullptr;
};

class TCustomChart : public TCustomAxisPanel {
    ORV_CLASS(TCustomChart, TCustomAxisPanel)

    explicit TCustomChart(TComponent* owner);
    ~TCustomChart() override;
    static void Publish(TPublisher<TCustomChart>& p);
    // BackImageInside, the walls, legend, foot and title, then the axis panel's part.
    void AssignFrom(const TPersistent* source) override;

    // ---- Drawing steps
    // The back image over the panel, unless it is drawn inside the walls.
    void DrawBackImage(const TRect& r) override;
    // Restores the axes saved before the first zoom or scroll, then the panel's undo.
    void ResetZoom() override;
    void CalcAxesRect() override;
    int AxisWallSize(const TCustomChartAxis* axis) const override;
    void DrawTitlesAndLegend() override;
    void DrawWalls() override;
    std::string LegendValueText(TChartSeries* series, int index) override;
    bool IsFreeSeriesColor(TColor color, bool checkBackground) const override;
    TColor ChartBackColor() const override;
    // Sets the axes to the values under the rectangle's corners.
    virtual void ZoomToRect(const TRect& r);
    virtual void ReservedOperation(int /*a*/, int /*b*/) {}
    // Names of the value lists of the source of the series (a series data source).
    virtual void EnumSourceValueLists(TChartSeries* series, const TEnumValueListProc& proc);

    // ---- Operations
    void ExchangeSeries(int index1, int index2);
    TChartSeries* FirstActiveSeries() const;
    void NextPage();
    void PreviousPage();
    std::string AxisDisplayName(const TCustomChartAxis* axis) const;
    // The part of the chart under the point, in hit-test order.
    TChartClickedPart CalcClickedPart(int x, int y);
    // Each axis takes the limits; the limits are saved first when they were not yet.
    void ZoomToValues(const std::vector<std::pair<double, double>>& limits);
    // The 3-D width and height of the chart: its total depth.
    int Height3D() const { return Width3D(); }

    // ---- Properties
    bool BackImageInside() const { return FBackImageInside; }
    void SetBackImageInside(bool value) { SetBooleanProperty(FBackImageInside, value); }
    TChartWall* BackWall() const { return FBackWall.get(); }
    void SetBackWall(const TChartWall* value) { FBackWall->AssignFrom(value); }
    TChartWall* BottomWall() const { return FBottomWall.get(); }
    void SetBottomWall(const TChartWall* value) { FBottomWall->AssignFrom(value); }
    TChartWall* LeftWall() const { return FLeftWall.get(); }
    void SetLeftWall(const TChartWall* value) { FLeftWall->AssignFrom(value); }
    TChartTitle* Title() const { return FTitle.get(); }
    void SetTitle(const TChartTitle* value) { FTitle->AssignFrom(value); }
    TChartTitle* Foot() const { return FFoot.get(); }
    void SetFoot(const TChartTitle* value) { FFoot->AssignFrom(value); }
    TChartLegend* Legend() const { return FLegend.get(); }
    void SetLegend(const TChartLegend* value) { FLegend->AssignFrom(value); }
    // The back wall's colour; written outside loading on a chart with a parent window it
    // also makes the back wall's brush solid.
    TColor BackColor() const { return FBackWall->Color(); }
    void SetBackColor(TColor value);
    // The back wall's pen.
    TChartPen* Frame() const { return FBackWall->Pen(); }
    void SetFrame(const TChartPen* value) { FBackWall->Pen()->AssignFrom(value); }

    // ---- Events
    const TChartAllowScroll& OnAllowScroll() const { return FOnAllowScroll; }
    void SetOnAllowScroll(TChartAllowScroll value) { FOnAllowScroll = std::move(value); }
    const TChartClickAxis& OnClickAxis() const { return FOnClickAxis; }
    void SetOnClickAxis(TChartClickAxis value) { FOnClickAxis = std::move(value); }
    const TChartClick& OnClickBackground() const { return FOnClickBackground; }
    void SetOnClickBackground(TChartClick value) { FOnClickBackground = std::move(value); }
    const TChartClick& OnClickLegend() const { return FOnClickLegend; }
    void SetOnClickLegend(TChartClick value) { FOnClickLegend = std::move(value); }
    const TChartClickSeries& OnClickSeries() const { return FOnClickSeries; }
    void SetOnClickSeries(TChartClickSeries value) { FOnClickSeries = std::move(value); }
    const TChartGetLegendPos& OnGetLegendPos() const { return FOnGetLegendPos; }
    void SetOnGetLegendPos(TChartGetLegendPos value) { FOnGetLegendPos = std::move(value); }
    const TChartGetLegendRect& OnGetLegendRect() const { return FOnGetLegendRect; }
    void SetOnGetLegendRect(TChartGetLegendRect value) { FOnGetLegendRect = std::move(value); }
    const TChartGetLegendText& OnGetLegendText() const { return FOnGetLegendText; }
    void SetOnGetLegendText(TChartGetLegendText value) { FOnGetLegendText = std::move(value); }

protected:
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    struct TSavedAxis {
        bool Automatic = true;
        bool AutomaticMinimum = true;
        bool AutomaticMaximum = true;
        double Minimum = 0;
        double Maximum = 0;
    };
    // Top, left, right and bottom.
    std::array<TChartAxis*, 4> StandardAxes() const;
    void SaveAxesState();
    // Prepares the canvas for a wall: its pen, and its brush or none.
    void PrepareWallBrush(TChartWall* wall);
    // Starts a zoom or panning drag when the button and shift keys call for one.
    bool StartDrag(TMouseButton button, TShiftState shift, int x, int y);
    void ScrollAxes(bool horizontal, int from, int to);
    void DrawZoomRectangle();

    bool FBackImageInside = false;
    std::unique_ptr<TChartWall> FBackWall;
    std::unique_ptr<TChartWall> FBottomWall;
    std::unique_ptr<TChartTitle> FFoot;
    std::unique_ptr<TChartWall> FLeftWall;
    std::unique_ptr<TChartLegend> FLegend;
    std::unique_ptr<TChartTitle> FTitle;
    std::array<TSavedAxis, 4> FSavedAxes;
    bool FAxesNotSaved = true;
    TChartAllowScroll FOnAllowScroll;
    TChartClickAxis FOnClickAxis;
    TChartClick FOnClickBackground;
    TChartClick FOnClickLegend;
    TChartClickSeries FOnClickSeries;
    TChartGetLegendPos FOnGetLegendPos;
    TChartGetLegendRect FOnGetLegendRect;
    TChartGetLegendText FOnGetLegendText;
};

// The chart component of the forms.
class TChart : public TCustomChart {
    ORV_CLASS(TChart, TCustomChart)

    explicit TChart(TComponent* owner) : TCustomChart(owner) {}
};

// ---------------------------------------------------------------------------
// Creating, cloning, retyping and replacing series

// A series of the class owned by owner (the chart when none) in the chart, named
// "Series" followed by the first free number, with a function of functionClass.
TChartSeries* CreateNewSeries(TComponent* owner, TCustomAxisPanel* chart, TClass seriesClass,
                              TClass functionClass = nullptr);
// A function owned by the series' owner, attached to the series, named "ChartFunction"
// followed by the first free number.
TChartFunction* CreateSeriesFunction(TChartSeries* series, TClass functionClass);
// A new series like the given one (same owner, chart, classes, settings and points).
TChartSeries* CloneChartSeries(TChartSeries* series);
// Replaces the series by a new one of the class (nothing when it has that class).
void ChangeSeriesClass(TChartSeries*& series, TClass newClass);
// newSeries takes oldSeries' settings, events, dependents, place and name; oldSeries is
// freed and cleared.
void ReplaceSeries(TChartSeries*& oldSeries, TChartSeries*& newSeries);
