#pragma once
// The chart engine's data side: the value lists behind every coordinate of a series,
// the series marks, the function base, the point store of the series base and the axes'
// ranges, mappings, increments and label texts.

#include "chart/ChartCanvas.h"
#include "chart/ChartConst.h"
#include "chart/ChartProcs.h"
#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TChartSeries;
class TCustomChartAxis;
class TChartFunction;

// ---------------------------------------------------------------------------
// Value lists

enum TChartListOrder { loNone, loAscending, loDescending };
const TTypeInfo* TypeInfoTChartListOrder();

// The real numbers behind one coordinate of a series, stored raw (unmultiplied) in point
// order. Highest, lowest, sum and absolute sum of the multiplied values are cached and
// recomputed after a change.
class TChartValueList : public TPersistent {
    ORV_CLASS(TChartValueList, TPersistent)

    TChartValueList(TChartSeries* owner, std::string name);
    ~TChartValueList() override;
    static void Publish(TPublisher<TChartValueList>& p);
    // Copies Order, DateTime, Multiplier and ValueSource; not the values, not the name.
    void AssignFrom(const TPersistent* source) override;

    // The stored value times Multiplier.
    virtual double ValueAt(int index) const;
    // Stores a raw value and tells the owner series' dependents.
    virtual void SetValueAt(int index, double value);
    virtual void ClearValues();
    // Inserts at the place Order gives (appends for loNone); answers the index.
    virtual int AddValue(double value);
    virtual void InsertValueAt(int index, double value);
    virtual int ValueCount() const { return int(FValues.size()); }
    virtual void DeleteValueAt(int index);
    // The first value moves to the end.
    virtual void RotateFirstToEnd();

    double RawValueAt(int index) const { return FValues[size_t(index)]; }
    double FirstValue() const { return ValueAt(0); }
    double LastValue() const { return ValueAt(ValueCount() - 1); }
    double Highest() const;
    double Lowest() const;
    double Sum() const;
    double AbsSum() const;
    // The first index whose multiplied value equals value exactly; -1 when none.
    int IndexOfValue(double value) const;
    // Value i := i.
    void NumberSequentially();
    // Stores a raw value without telling anyone.
    void StoreValue(int index, double value);
    // Sorts the points by this list's Order; every exchange goes through the owner
    // series, so that all the point's values, colour and label move together.
    void SortByOrder();
    // Exchanges two entries of this list only.
    void Exchange(int index1, int index2);

    const std::string& Name() const { return FName; }
    void SetName(const std::string& value) { FName = value; }
    TChartListOrder Order() const { return FOrder; }
    void SetOrder(TChartListOrder value) { FOrder = value; }
    double Multiplier() const { return FMultiplier; }
    void SetMultiplier(double value);
    bool DateTime() const { return FDateTime; }
    void SetDateTime(bool value);
    const std::string& ValueSource() const { return FValueSource; }
    void SetValueSource(const std::string& value);
    TChartSeries* Owner() const { return FOwner; }
    bool Modified() const { return FModified; }

private:
    void Recalc() const;
    void MarkModified() { FModified = true; }
    int CompareValues(int a, int b) const;
    void QuickSort(int low, int high);

    TChartSeries* FOwner;
    std::string FName;
    TChartListOrder FOrder = loNone;
    double FMultiplier = 1.0;
    bool FDateTime = false;
    std::string FValueSource;
    std::vector<double> FValues;
    mutable bool FModified = true;
    mutable double FHighest = 0;
    mutable double FLowest = 0;
    mutable double FSum = 0;
    mutable double FAbsSum = 0;
};

// ---------------------------------------------------------------------------
// Series marks

enum TSeriesMarksStyle {
    smsValue,
    smsPercent,
    smsLabel,
    smsLabelPercent,
    smsLabelValue,
    smsLegend,
    smsPercentTotal,
    smsLabelPercentTotal,
    smsXValue
};
const TTypeInfo* TypeInfoTSeriesMarksStyle();

// Where the mark of one point is drawn: its arrow and its rectangle.
class TSeriesMarkPosition : public TObject {
public:
    std::string ClassName() const override { return "TSeriesMarkPosition"; }
    TRect Bounds() const { return ::Bounds(LeftTop.X, LeftTop.Y, Width, Height); }
    // Copies every field but Custom.
    void CopyFrom(const TSeriesMarkPosition& source);

    TPoint ArrowFrom;
    TPoint ArrowTo;
    // Placed by the user: reused on every drawing.
    bool Custom = false;
    TPoint LeftTop;
    int Height = 0;
    int Width = 0;
};

// One optional position per point index.
class TSeriesMarksPositions {
public:
    int Count() const { return int(FItems.size()); }
    // nullptr for an empty entry or an index beyond the list.
    TSeriesMarkPosition* Position(int index) const;
    // Extends the list with empty entries up to index and makes the entry when empty.
    TSeriesMarkPosition* Ensure(int index);
    void Delete(int index);
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TSeriesMarkPosition>> FItems;
};

// The labels drawn next to the points of a series.
class TSeriesMarks : public TPersistent {
    ORV_CLASS(TSeriesMarks, TPersistent)

    explicit TSeriesMarks(TChartSeries* parent = nullptr);
    ~TSeriesMarks() override;
    static void Publish(TPublisher<TSeriesMarks>& p);
    void AssignFrom(const TPersistent* source) override;

    TChartArrowPen* Arrow() const { return FArrow.get(); }
    void SetArrow(const TChartArrowPen* value) { FArrow->AssignFrom(value); }
    int ArrowLength() const { return FArrowLength; }
    void SetArrowLength(int value);
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor value);
    bool Clip() const { return FClip; }
    void SetClip(bool value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value) { FFont->AssignFrom(value); }
    TChartPen* Frame() const { return FFrame.get(); }
    void SetFrame(const TChartPen* value) { FFrame->AssignFrom(value); }
    TSeriesMarksStyle Style() const { return FStyle; }
    void SetStyle(TSeriesMarksStyle value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    // The depth at which the marks are drawn (set by the series).
    int ZPosition() const { return FZPosition; }
    void SetZPosition(int value) { FZPosition = value; }
    TSeriesMarksPositions& Positions() { return FPositions; }
    TChartSeries* ParentSeries() const { return FParent; }

    // A custom stored position overwrites the caller's; otherwise the caller's computed
    // position is stored.
    void ApplyPosition(int index, TSeriesMarkPosition& position);
    void ClearPositions() { FPositions.Clear(); }
    // Draws the arrow and the framed text of one mark on the chart's canvas.
    void DrawMarkItem(int index, TColor color, const std::string& text,
                      TSeriesMarkPosition& position);

private:
    void Repaint();
    void PartChanged(TObject* sender);

    TChartSeries* FParent;
    std::unique_ptr<TChartArrowPen> FArrow;
    int FArrowLength = 8;
    TColor FBackColor = 0x80FFFF;
    bool FClip = false;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TChartPen> FFrame;
    TSeriesMarksStyle FStyle = smsLabel;
    bool FTransparent = false;
    bool FVisible = false;
    int FZPosition = 0;
    TSeriesMarksPositions FPositions;
};

// ---------------------------------------------------------------------------
// The function base

enum TFunctionPeriodStyle { psNumPoints, psRange };
enum TFunctionPeriodAlign { paFirst, paCenter, paLast };
const TTypeInfo* TypeInfoTFunctionPeriodStyle();
const TTypeInfo* TypeInfoTFunctionPeriodAlign();

// Turns the points of one or more source series into the points of the series it
// belongs to (its parent), over the whole source or period by period.
class TChartFunction : public TComponent {
    ORV_CLASS(TChartFunction, TComponent)

    explicit TChartFunction(TComponent* owner);
    ~TChartFunction() override;
    static void Publish(TPublisher<TChartFunction>& p);
    void AssignFrom(const TPersistent* source) override;

    virtual void AddPeriodPoint(TChartSeries* source, int first, int last, double x);
    virtual void AddWholeRangePoints(TChartSeries* source, TChartValueList* positionList);
    virtual void AddPeriodPoints(TChartSeries* source, TChartValueList* positionList);
    // The result over points first..last of the source (-1, -1: all points); 0 here.
    virtual double CalculateRange(TChartSeries* source, int first, int last);
    // The result across several sources at one point index; 0 here.
    virtual double CalculateAcross(const std::vector<TChartSeries*>& sources, int index);
    // Fills the parent series (already cleared) from the source.
    virtual void FillFromSource(TChartSeries* source);

    void BeginUpdate() { FUpdating = true; }
    void EndUpdate();
    // The parent reloads from its sources, unless an update is pending.
    void Recalculate();
    // The source's list named by the parent's mandatory list's ValueSource, or the
    // source's mandatory list.
    TChartValueList* ValueListToUse(TChartSeries* source) const;
    // Adds (position, value) to the parent, or (value, position) for a source whose
    // mandatory list is X.
    void AddFunctionXY(bool sourceIsYMandatory, double value, double position);
    // Has the series adopt the function; nothing when it already has.
    void AttachToSeries(TChartSeries* series);

    TChartSeries* ParentSeries() const { return FParent; }
    // The parent series is the parent component (a nil parent is ignored).
    bool HasParent() const override { return true; }
    TComponent* ParentComponent() const override;
    void SetParentComponent(TComponent* value) override;

    double Period() const { return FPeriod; }
    // Raises Exception "Function Period should be >= 0" for a negative value.
    void SetPeriod(double value);
    TFunctionPeriodStyle PeriodStyle() const { return FPeriodStyle; }
    void SetPeriodStyle(TFunctionPeriodStyle value);
    TFunctionPeriodAlign PeriodAlign() const { return FPeriodAlign; }
    void SetPeriodAlign(TFunctionPeriodAlign value);

private:
    friend class TChartSeries;
    TChartSeries* FParent = nullptr;
    double FPeriod = 0;
    TFunctionPeriodStyle FPeriodStyle = psNumPoints;
    TFunctionPeriodAlign FPeriodAlign = paCenter;
    bool FUpdating = false;
};

// ---------------------------------------------------------------------------
// The series base

class TCustomAxisPanel;
class TChartAxis;

// Flags of how a series reacts when its source series changes.
enum TSeriesSourceReaction { srDeleted = 1, srValueChanged = 2, srAdded = 4, srCleared = 8 };

// Which axes a series uses.
enum THorizAxis { aTopAxis, aBottomAxis, aBothHorizAxis, aCustomHorizAxis };
enum TVertAxis { aLeftAxis, aRightAxis, aBothVertAxis, aCustomVertAxis };
const TTypeInfo* TypeInfoTHorizAxis();
const TTypeInfo* TypeInfoTVertAxis();

// The text of a legend row of a point.
enum TLegendTextStyle {
    ltsPlain,
    ltsLeftValue,
    ltsRightValue,
    ltsLeftPercent,
    ltsRightPercent,
    ltsXValue
};
const TTypeInfo* TypeInfoTLegendTextStyle();

// Editing locks of a series, read by the chart editor.
enum TChartSeriesStyleItem {
    tssIsTemplate,
    tssDenyChangeType,
    tssDenyDelete,
    tssDenyClone,
    tssIsPersistent,
    tssHideDataSource
};
using TChartSeriesStyle = TSet<TChartSeriesStyleItem>;

using TSeriesOnBeforeAdd = TEvent<bool(TChartSeries*)>;
using TSeriesOnAfterAdd = TEvent<void(TChartSeries*, int)>;
using TSeriesOnGetMarkText = TEvent<void(TChartSeries*, int, std::string&)>;
// Series, point index, button, shift state, x, y.
using TSeriesClick = TEvent<void(TChartSeries*, int, TMouseButton, TShiftState, int, int)>;

// The base of every data series: parallel value lists (X, Y and a series type's own), a
// colour and a label per point, the marks, the attached function, the links to the series
// it takes its points from and to those that take theirs from it, the axes it uses, and
// the drawing pass over its visible points. Concrete series types draw one point in
// DrawValue.
class TChartSeries : public TComponent {
    ORV_CLASS(TChartSeries, TComponent)

    explicit TChartSeries(TComponent* owner);
    ~TChartSeries() override;
    static void Publish(TPublisher<TChartSeries>& p);
    // "DataSources" (two or more sources), "Identifier" and "Style".
    void DefineStreamedData(TFiler& filer) override;
    // Settings and (without sources) the points of another series.
    void AssignFrom(const TPersistent* source) override;
    // Takes the sources named while loading and reloads.
    void AfterLoad() override;
    // A removed data source leaves the series without one.
    void ComponentNotification(TComponent* component, TOperation operation) override;

    // ---- Adding points (each answers the index, -1 when OnBeforeAdd refused)
    // The single road of every addition: X by the X list's order, the rest at its index.
    virtual int AddPoint(double x, double y, const std::string& label, TColor color);
    int AddXY(double x, double y, const std::string& label = {}, TColor color = clAutoColor) {
        return AddPoint(x, y, label, color);
    }
    // The mandatory value, the other one being the point count.
    virtual int AddMandatoryValue(double value, const std::string& label, TColor color);
    int Add(double value, const std::string& label = {}, TColor color = clAutoColor) {
        return AddMandatoryValue(value, label, color);
    }
    // Null points (colour clNone): counted, not drawn.
    virtual int AppendNull(const std::string& label);
    virtual int AddNullPoint(double x, double y, const std::string& label);
    // OnAfterAdd, the dependents, a repaint.
    virtual void NotifyValueAdded(int index);

    // ---- Removing and reordering
    virtual void DeleteValue(int index);
    virtual void RemovePoint(TChartSeries* /*source*/, int index) { DeleteValue(index); }
    virtual void ClearLists();
    virtual void ClearValues();
    virtual void SwapValues(int index1, int index2);

    // ---- Reading points
    int Count() const { return FXValues->ValueCount(); }
    virtual double XValueAt(int index) const { return FXValues->ValueAt(index); }
    virtual double YValueAt(int index) const { return FYValues->ValueAt(index); }
    double GetValue(bool isX, int index) const { return isX ? XValueAt(index) : YValueAt(index); }
    // Store a value of point index in the X (Y) list and repaint the chart.
    void SetXValueAt(int index, double value) {
        FXValues->SetValueAt(index, value);
        RepaintChart();
    }
    void SetYValueAt(int index, double value) {
        FYValues->SetValueAt(index, value);
        RepaintChart();
    }
    virtual double MarkValueAt(int index) const { return MandatoryValueList()->ValueAt(index); }
    virtual double OriginValueAt(int index) const { return MarkValueAt(index); }
    virtual std::string ValueLabel(int index) const;
    virtual TColor ValueColor(int index) const;
    void SetPointColor(int index, TColor color);
    void SetValueLabel(int index, const std::string& label);
    virtual double MaxXValue() const { return FXValues->Highest(); }
    virtual double MaxYValue() const { return FYValues->Highest(); }
    virtual double MaxZValue() const { return ZPosition(); }
    virtual double MinXValue() const { return FXValues->Lowest(); }
    virtual double MinYValue() const { return FYValues->Lowest(); }
    virtual double MinZValue() const { return ZPosition(); }
    // An extra list (index 2 on) of that name, ignoring case; YValues when none.
    virtual TChartValueList* ValueListByName(const std::string& name) const;
    virtual TChartValueList* MandatoryValueList() const { return FYValues.get(); }
    bool IsYMandatory() const { return MandatoryValueList() == FYValues.get(); }
    TChartValueList* XValues() const { return FXValues.get(); }
    TChartValueList* YValues() const { return FYValues.get(); }
    void SetXValues(const TChartValueList* value);
    void SetYValues(const TChartValueList* value);
    int ValueListCount() const { return int(FValueLists.size()); }
    TChartValueList* ValueList(int index) const { return FValueLists[size_t(index)]; }
    // The point under a chart pixel; -1 here (series types test their shapes).
    virtual int ValueIndexAt(int /*x*/, int /*y*/) { return -1; }

    // ---- Texts
    // The mark text of a point by Marks.Style, then OnGetMarkText.
    std::string GetMarkText(int index);
    // |mark value| as a percent of PercentTotal (100 for a zero total) in
    // PercentFormat; with total: "%s of %s".
    std::string MarkPercentText(int index, bool withTotal) const;
    // The total percentages are taken of: the sum of the mandatory list.
    virtual double PercentTotal() const { return MandatoryValueList()->Sum(); }
    // The text of a legend row of a point in the legend's text style.
    virtual std::string LegendItemText(int legendIndex, TLegendTextStyle style) const;
    virtual int LegendItemCount() const { return Count(); }
    virtual int LegendToValueIndex(int legendIndex) const { return legendIndex; }
    virtual TColor LegendItemColor(int legendIndex) const { return ValueColor(legendIndex); }
    // The widest mark text on the chart canvas.
    int MaxMarkWidth();
    // A number as the labels of the horizontal axis show it, or in ValueFormat.
    std::string FormatXValue(double value) const;

    // ---- Legend symbols
    // Row -1 is the series' own row.
    void DrawLegendSymbol(int legendIndex, const TRect& r);
    virtual void DrawLegendShape(int legendIndex, const TRect& r);
    virtual void PrepareLegendCanvas(int /*legendIndex*/, TColor& /*backColor*/,
                                     TBrushStyle& /*brushStyle*/) {}

    // ---- Sources and dependents
    // Copies the points of a source (through the function when there is one).
    virtual void AddValuesFrom(TChartSeries* source);
    // Appends point index of the source with its label and colour.
    virtual void CopyPointFrom(TChartSeries* source, int index);
    // Inserts X and Y (and the extra lists) of a source's point; answers the index.
    virtual int CopyValueFrom(TChartSeries* source, int index);
    virtual bool CanCopyFrom(TChartSeries* source) const { return source != this; }
    virtual bool AcceptsDataSource(TComponent* /*source*/) const { return true; }
    // Reloads from the data sources: through the function, or by copying the one source.
    void ReloadFromSource();
    const std::vector<TChartSeries*>& DataSources() const { return FDataSources; }
    TChartSeries* DataSource() const { return FDataSources.empty() ? nullptr : FDataSources[0]; }
    // None: unlinks every source and clears (or refills while designing). A series: the
    // chart must accept it and it must not close a circle; it then replaces the sources.
    void SetDataSource(TComponent* value);
    // Links this series to one more source series (after the circularity check) and
    // reloads.
    void AddDataSource(TChartSeries* source);
    void RemoveDataSource(TChartSeries* source);
    // Records series among the dependents of this one (no duplicates) and drops it again;
    // neither touches the dependent's own source list nor reloads anything.
    void AddLinkedSeries(TChartSeries* series);
    void RemoveLinkedSeries(TChartSeries* series);
    // Removes this series from the dependents of every source and empties the source list
    // (the points stay as they are).
    void UnlinkDataSources();
    const std::vector<TChartSeries*>& Dependents() const { return FDependents; }
    int SourceReactions() const { return FSourceReactions; }
    void SetSourceReactions(int value) { FSourceReactions = value; }
    // Raises ChartException "Circular Series dependences are not allowed" when the
    // candidate takes its points from this series, directly or through others.
    void CheckCircularSource(TChartSeries* candidate) const;

    // ---- The function
    TChartFunction* FunctionType() const { return FFunction; }
    // Adopts (and owns) the function; a previous function is freed.
    virtual void AttachFunction(TChartFunction* function);
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

    // ---- The chart and the axes
    TCustomAxisPanel* ParentChart() const { return FParentChart; }
    // Leaves the old chart's series list and joins the new one's.
    virtual void SetParentChart(TCustomAxisPanel* value);
    bool HasParent() const override { return true; }
    TComponent* ParentComponent() const override;
    void SetParentComponent(TComponent* value) override;
    // The horizontal and vertical axes used, from HorizAxis and VertAxis.
    void ResolveAxes();
    TCustomChartAxis* GetHorizAxis() const { return FGetHorizAxis; }
    TCustomChartAxis* GetVertAxis() const { return FGetVertAxis; }
    void SetHorizAxisUsed(TCustomChartAxis* value) { FGetHorizAxis = value; }
    void SetVertAxisUsed(TCustomChartAxis* value) { FGetVertAxis = value; }
    virtual bool UsesAxis(const TCustomChartAxis* axis) const;
    virtual bool UsesAxes() const { return true; }
    THorizAxis HorizAxis() const { return FHorizAxis; }
    void SetHorizAxis(THorizAxis value);
    TVertAxis VertAxis() const { return FVertAxis; }
    void SetVertAxis(TVertAxis value);
    TCustomChartAxis* CustomHorizAxis() const { return FCustomHorizAxis; }
    void SetCustomHorizAxis(TCustomChartAxis* value);
    TCustomChartAxis* CustomVertAxis() const { return FCustomVertAxis; }
    void SetCustomVertAxis(TCustomChartAxis* value);
    // Screen positions through the axes used.
    virtual int CalcXPos(int index) const { return CalcXPosValue(XValueAt(index)); }
    virtual int CalcYPos(int index) const { return CalcYPosValue(YValueAt(index)); }
    int CalcXPosValue(double value) const;
    int CalcYPosValue(double value) const;
    // The Y conversion for a Y-mandatory series, else the X conversion.
    int CalcPosValue(double value) const;
    double XScreenToValue(int pixel) const;
    // Extra pixels the series needs at the two ends of its axes (bars, for instance).
    virtual void HorizMargins(int& left, int& right) { left = right = 0; }
    virtual void VertMargins(int& top, int& bottom) { top = bottom = 0; }

    // ---- Drawing
    // First and last points inside the axis range; -1 and -1 when none.
    void CalcFirstLastVisible();
    int FirstValueIndex() const { return FFirstVisible; }
    int LastValueIndex() const { return FLastVisible; }
    virtual void PrepareDraw() {}
    virtual void DoBeforeDrawValues();
    virtual void DrawAllValues();
    virtual void DoAfterDrawValues();
    // Draws one point; nothing in the base.
    virtual void DrawValue(int /*index*/) {}
    virtual bool DrawValuesForward() const { return true; }
    virtual bool DrawSeriesForwardAt(int /*index*/) const { return true; }
    // The marks of the visible points.
    void DrawMarks();
    virtual void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position);

    // ---- Depth in a 3-D chart
    // Takes the next depth position of the chart (or keeps the fixed one).
    virtual void CalcZOrder();
    // Another active series of the chart has the same depth position.
    virtual bool SharesDepth() const;
    bool IsFirstInDepth() const;
    int ZPosition() const { return FDepth == -1 ? FZOrder : FDepth; }
    int ZOrder() const { return FZOrder; }
    void SetZOrder(int value) { FZOrder = value; }
    // The fixed depth position, -1 for automatic.
    int Depth() const { return FDepth; }
    void SetDepth(int value) { SetIntegerProperty(FDepth, value); }
    int StartZ() const { return FStartZ; }
    int MiddleZ() const { return FMiddleZ; }
    int EndZ() const { return FEndZ; }
    // The pixel depth range, set by the chart before drawing.
    void SetDepthSpan(int startZ, int endZ);

    // ---- Stacking, samples, gallery
    // The sum of OriginValueAt(index) over the active series of the same class family up
    // to this one (all of them with includeAll).
    virtual double StackedSumAt(int index, bool includeAll) const;
    // Raises Exception "FillSampleValues NumValues must be > 0" for count <= 0.
    virtual void FillSampleValues(int count);
    virtual int NumSampleValues() const { return 26; }
    virtual void PrepareForGallery(bool keepColor);
    virtual void PrepareGalleryChart(bool is3D);
    virtual std::string EditorClassName() const { return {}; }
    // The series type's gallery icon (LoadSeriesBitmap); false when it has none.
    virtual bool LoadGalleryBitmap(TBitmap* bitmap);

    // ---- Mouse
    virtual void MouseMoveHook(TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    virtual void MouseUpHook(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {
    }
    // OnDblClick for a double click, else OnClick; answers whether a handler ran.
    virtual bool DispatchClick(int index, TMouseButton button, TShiftState shift, int x, int y);

    // ---- Properties
    bool Active() const { return FActive; }
    virtual void SetActive(bool value);
    TColor SeriesColor() const { return FSeriesColor; }
    virtual void SetSeriesColor(TColor value);
    bool ColorEachPoint() const { return FColorEachPoint; }
    virtual void SetColorEachPoint(bool value);
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value);
    bool ShowInLegend() const { return FShowInLegend; }
    void SetShowInLegend(bool value) { SetBooleanProperty(FShowInLegend, value); }
    const std::string& ValueFormat() const { return FValueFormat; }
    void SetValueFormat(const std::string& value);
    const std::string& PercentFormat() const { return FPercentFormat; }
    void SetPercentFormat(const std::string& value);
    const std::string& ColorSource() const { return FColorSource; }
    void SetColorSource(const std::string& value);
    const std::string& XLabelsSource() const { return FXLabelsSource; }
    void SetXLabelsSource(const std::string& value);
    int Cursor() const { return FCursor; }
    void SetCursor(int value) { FCursor = value; }
    TSeriesMarks* Marks() const { return FMarks.get(); }
    void SetMarks(const TSeriesMarks* value) { FMarks->AssignFrom(value); }
    TChartSeriesStyle Style() const { return FStyle; }
    void SetStyle(TChartSeriesStyle value) { FStyle = value; }
    const std::string& Identifier() const { return FIdentifier; }
    void SetIdentifier(const std::string& value) { FIdentifier = value; }
    // Points stand alone (False for line, area and fast-line series).
    bool PointsStandAlone() const { return FPointsStandAlone; }

    // ---- Events
    const TSeriesOnBeforeAdd& OnBeforeAdd() const { return FOnBeforeAdd; }
    void SetOnBeforeAdd(TSeriesOnBeforeAdd value) { FOnBeforeAdd = std::move(value); }
    const TSeriesOnAfterAdd& OnAfterAdd() const { return FOnAfterAdd; }
    void SetOnAfterAdd(TSeriesOnAfterAdd value) { FOnAfterAdd = std::move(value); }
    const TNotifyEvent& OnClearValues() const { return FOnClearValues; }
    void SetOnClearValues(TNotifyEvent value) { FOnClearValues = std::move(value); }
    const TSeriesOnGetMarkText& OnGetMarkText() const { return FOnGetMarkText; }
    void SetOnGetMarkText(TSeriesOnGetMarkText value) { FOnGetMarkText = std::move(value); }
    const TNotifyEvent& BeforeDrawValues() const { return FBeforeDrawValues; }
    void SetBeforeDrawValues(TNotifyEvent value) { FBeforeDrawValues = std::move(value); }
    const TNotifyEvent& AfterDrawValues() const { return FAfterDrawValues; }
    void SetAfterDrawValues(TNotifyEvent value) { FAfterDrawValues = std::move(value); }
    const TSeriesClick& OnClick() const { return FOnClick; }
    void SetOnClick(TSeriesClick value) { FOnClick = std::move(value); }
    const TSeriesClick& OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(TSeriesClick value) { FOnDblClick = std::move(value); }

    // ---- Change and repaint
    // Invalidates the chart (when there is one).
    virtual void RepaintChart();
    // Setters of chart objects: store a changed value and repaint.
    void SetBooleanProperty(bool& field, bool value);
    void SetIntegerProperty(int& field, int value);
    void SetColorProperty(TColor& field, TColor value);
    void SetDoubleProperty(double& field, double value);
    void SetStringProperty(std::string& field, const std::string& value);
    // The source reactions: the dependents are told of a change of this series.
    enum TSourceChange { scCleared, scAdded, scDeleted, scValueChanged, scRefresh };
    void NotifyDependents(TSourceChange change, int index = -1);

protected:
    // Registers a further value list (the series type's own), in list order.
    void AddValueList(TChartValueList* list) { FValueLists.push_back(list); }
    void SetPointsStandAlone(bool value) { FPointsStandAlone = value; }
    // The visible-range computation clips to the axis range (off for round series).
    void SetCalcVisiblePoints(bool value) { FCalcVisiblePoints = value; }
    // The value a new point gets in an extra list (index 2 on) when added: 0 here.
    virtual double PendingValueOf(int /*listIndex*/) const { return 0; }
    // Appends or deletes a point without telling anyone (used while preparing to draw).
    int AppendPointQuietly(double x, double y, const std::string& label, TColor color);
    void DeletePointQuietly(int index);
    // The last point past the axis end is still drawn (lines run to the edge).
    void SetDrawBetweenPoints(bool value) { FDrawBetweenPoints = value; }
    // The random bounds of sample values: from the chart's other series, else 0..1000
    // over count points.
    void CalcRandomBounds(int count, double& minX, double& maxX, double& minY, double& maxY);

private:
    friend class TChartFunction;
    friend class TCustomAxisPanel;
    void UnlinkSources();

    bool FActive = true;
    TColor FSeriesColor = clAutoColor;
    bool FColorEachPoint = false;
    std::vector<TColor> FColors;
    std::vector<std::optional<std::string>> FLabels;
    std::string FColorSource;
    int FCursor = 0;
    std::vector<TChartSeries*> FDataSources;
    int FFirstVisible = -1;
    TCustomChartAxis* FGetHorizAxis = nullptr;
    std::string FXLabelsSource;
    int FLastVisible = -1;
    std::vector<TChartSeries*> FDependents;
    std::unique_ptr<TSeriesMarks> FMarks;
    TCustomAxisPanel* FParentChart = nullptr;
    std::string FPercentFormat = SDefaultPercentFormat;
    bool FShowInLegend = true;
    std::vector<std::string> FPendingSources;
    bool FHasPendingSources = false;
    std::string FTitle;
    std::string FValueFormat = SDefaultValueFormat;
    std::vector<TChartValueList*> FValueLists;
    std::unique_ptr<TChartValueList> FXValues;
    std::unique_ptr<TChartValueList> FYValues;
    THorizAxis FHorizAxis = aBottomAxis;
    TCustomChartAxis* FCustomHorizAxis = nullptr;
    TCustomChartAxis* FCustomVertAxis = nullptr;
    int FDepth = -1;
    TVertAxis FVertAxis = aLeftAxis;
    TCustomChartAxis* FGetVertAxis = nullptr;
    TChartFunction* FFunction = nullptr;
    int FSourceReactions = srDeleted | srValueChanged | srAdded | srCleared;
    TChartSeriesStyle FStyle;
    TSeriesOnBeforeAdd FOnBeforeAdd;
    TSeriesOnAfterAdd FOnAfterAdd;
    TNotifyEvent FOnClearValues;
    TSeriesOnGetMarkText FOnGetMarkText;
    TNotifyEvent FBeforeDrawValues;
    TNotifyEvent FAfterDrawValues;
    TSeriesClick FOnClick;
    TSeriesClick FOnDblClick;
    std::string FIdentifier;
    int FZOrder = 0;
    bool FCalcVisiblePoints = true;
    bool FDrawBetweenPoints = false;
    bool FPointsStandAlone = true;
    int FStartZ = 0;
    int FMiddleZ = 0;
    int FEndZ = 0;
};

// ---------------------------------------------------------------------------
// Axes

enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };
const TTypeInfo* TypeInfoTAxisLabelStyle();

// The title of an axis.
class TChartAxisTitle : public TChartFontObject {
    ORV_CLASS(TChartAxisTitle, TChartFontObject)

    explicit TChartAxisTitle(TCustomChartAxis* axis = nullptr, TChartPanelLink* parent = nullptr);
    static void Publish(TPublisher<TChartAxisTitle>& p);
    void AssignFrom(const TPersistent* source) override;

    int Angle() const { return FAngle; }
    // Validated as "Axis Title".
    void SetAngle(int value);
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    TCustomChartAxis* Axis() const { return FAxis; }
    // The angle the axis' side gives its title (90 left, 270 right, 0 otherwise).
    int DefaultAngle() const { return FDefaultAngle; }
    void SetDefaultAngle(int value) { FDefaultAngle = value; }

private:
    TCustomChartAxis* FAxis;
    int FAngle = 0;
    int FDefaultAngle = 0;
    std::string FCaption;
};

// An axis: its range (automatic or fixed), the value <-> pixel mappings (linear,
// logarithmic, inverted, depth), the label step and the label texts.
class TCustomChartAxis : public TPersistent {
    ORV_CLASS(TCustomChartAxis, TPersistent)

    // horizontal: the bottom or top axis; otherSide: the right or top axis.
    TCustomChartAxis(TChartPanelLink* parentChart, bool horizontal, bool otherSide,
                     bool isDepthAxis = false);
    ~TCustomChartAxis() override;
    static void Publish(TPublisher<TCustomChartAxis>& p);
    void AssignFrom(const TPersistent* source) override;

    // ---- Range
    // Clears the automatic flags and sets the range; a range below 1e-10 is widened.
    void FixRange(double a, double b);
    // Both ends at once, with the checks of Minimum and Maximum.
    void SetMinMax(double minimum, double maximum);
    // The working limits := Minimum, Maximum (after the automatic ones are taken from
    // the series when the chart provides them).
    void RecalcLimits();
    // The working range.
    double MinimumValue() const { return FMinimumValue; }
    double MaximumValue() const { return FMaximumValue; }
    double Range() const { return FRange; }
    // Working limits set directly (the chart's range computation, paging, margins).
    void SetWorkingRange(double minimum, double maximum);
    // A logarithmic axis starts at its minimum or, when that is 0 or less (which has no
    // logarithm), at the smallest positive value of its series; values at or below 0 lie at
    // that end.
    double LogLowerEnd() const { return FLogLowerEnd; }
    // Narrows the value range so that the margins (pixels at the start and the end)
    // fit inside the axis.
    void SetPixelRange(int startMargin, int endMargin);

    // ---- Pixels
    // Places the axis on origin..origin + length by StartPosition and EndPosition.
    void PlaceOnSide(int origin, int length);
    int IStartPos() const { return FIStartPos; }
    int IEndPos() const { return FIEndPos; }
    int IAxisSize() const { return FIAxisSize; }
    int ICenterPos() const { return FICenterPos; }
    // The depth of the chart in pixels (the depth axis maps onto it).
    int TotalDepth() const { return FTotalDepth; }
    void SetTotalDepth(int value) { FTotalDepth = value; }
    int ValueToPixel(double value) const;
    double PixelToValue(int pixel) const;

    // ---- Labels
    // The label step (value units or days).
    double CalcIncrement();
    std::string LabelText(double value) const;
    // Calendar steps when the axis is date-time with ExactDateTime and a step above a
    // week; else value +- step.
    void IncrementValue(bool up, double& value, int stepIndex, double step) const;
    // Whether the values on the axis are date-times (cached at each drawing).
    bool IsDateTime() const { return FIsDateTime; }
    void SetIsDateTime(bool value) { FIsDateTime = value; }
    // The values the normal label loop puts labels at, from the top of the range down.
    std::vector<double> LabelValues(double step);
    // Axis pen width when visible, plus the tick length, and at least the minor tick
    // length.
    int SpaceNeeded() const;

    // ---- Layout and drawing (on the axis panel that owns the axis)
    TCustomAxisPanel* ParentPanel() const { return FPanel; }
    void SetParentPanel(TCustomAxisPanel* value) { FPanel = value; }
    // The date-time flag of the first active series on the axis.
    void UpdateIsDateTime();
    // The limits from the series and the date-time flag, for a new frame.
    void AdjustMaxMin();
    // The label style in use: LabelStyle, or for talAuto what the series suggest.
    TAxisLabelStyle EffectiveLabelStyle() const;
    // The widest label the axis may draw.
    int MaxLabelWidth();
    // With reserve, takes the room of the title, labels, ticks and wall from the side of
    // r the axis stands on; without, places the axis on the chart rectangle and computes
    // the positions of its line, labels and title.
    void ReserveSpace(TRect& r, bool reserve);
    // Title, ticks, grid, labels and the axis line (positions first when calcPosition).
    void DrawAxis(bool calcPosition);
    // A label at (x, y), aligned by the axis side and the angle, line by line.
    void DrawLabelText(int x, int y, const std::string& text, int angle);
    // The point lies on the axis or its labels (3 pixels of tolerance).
    bool ContainsPoint(int x, int y) const;
    // Pixel positions of the last layout: the axis line, the labels and the title.
    int PosAxis() const { return FPosAxis; }
    int PosLabels() const { return FPosLabels; }
    int PosTitle() const { return FPosTitle; }
    int LabelsSizeUsed() const { return FLabelsSizeUsed; }
    int TitleSizeUsed() const { return FTitleSizeUsed; }
    // Draws the axis line; wallSize is the thickness of the wall beside it.
    virtual void AxisLinePos(int wallSize);

    bool Horizontal() const { return FHorizontal; }
    bool OtherSide() const { return FOtherSide; }
    bool IsDepthAxis() const { return FIsDepthAxis; }
    TChartPanelLink* ParentChart() const { return FParentChart; }
    // Series asked for the automatic limits (set by the chart).
    using TAxisLimitQuery = std::function<double(const TCustomChartAxis*, bool lowest)>;
    void SetLimitQuery(TAxisLimitQuery value) { FLimitQuery = std::move(value); }
    // The chart's label event: may change the text of a value label.
    using TAxisLabelEvent = std::function<void(TCustomChartAxis*, std::string&)>;
    void SetOnGetAxisLabel(TAxisLabelEvent value) { FOnGetAxisLabel = std::move(value); }

    // ---- Published properties
    bool Automatic() const { return FAutomatic; }
    void SetAutomatic(bool value);
    bool AutomaticMaximum() const { return FAutomaticMaximum; }
    void SetAutomaticMaximum(bool value);
    bool AutomaticMinimum() const { return FAutomaticMinimum; }
    void SetAutomaticMinimum(bool value);
    double Maximum() const { return FMaximum; }
    void SetMaximum(double value);
    double Minimum() const { return FMinimum; }
    void SetMinimum(double value);
    double Increment() const { return FIncrement; }
    void SetIncrement(double value);
    bool Logarithmic() const { return FLogarithmic; }
    void SetLogarithmic(bool value);
    int LogarithmicBase() const { return FLogarithmicBase; }
    void SetLogarithmicBase(int value);
    bool Inverted() const { return FInverted; }
    void SetInverted(bool value);
    TChartAxisPen* Axis() const { return FAxis.get(); }
    void SetAxis(const TChartAxisPen* value) { FAxis->AssignFrom(value); }
    TDottedGrayPen* Grid() const { return FGrid.get(); }
    void SetGrid(const TDottedGrayPen* value) { FGrid->AssignFrom(value); }
    bool GridCentered() const { return FGridCentered; }
    void SetGridCentered(bool value);
    TDarkGrayPen* Ticks() const { return FTicks.get(); }
    void SetTicks(const TDarkGrayPen* value) { FTicks->AssignFrom(value); }
    TDarkGrayPen* TicksInner() const { return FTicksInner.get(); }
    void SetTicksInner(const TDarkGrayPen* value) { FTicksInner->AssignFrom(value); }
    TDarkGrayPen* MinorTicks() const { return FMinorTicks.get(); }
    void SetMinorTicks(const TDarkGrayPen* value) { FMinorTicks->AssignFrom(value); }
    int TickLength() const { return FTickLength; }
    void SetTickLength(int value);
    int TickInnerLength() const { return FTickInnerLength; }
    void SetTickInnerLength(int value);
    int MinorTickLength() const { return FMinorTickLength; }
    void SetMinorTickLength(int value);
    int MinorTickCount() const { return FMinorTickCount; }
    void SetMinorTickCount(int value);
    bool TickOnLabelsOnly() const { return FTickOnLabelsOnly; }
    void SetTickOnLabelsOnly(bool value);
    bool Labels() const { return FLabels; }
    void SetLabels(bool value);
    int LabelsAngle() const { return FLabelsAngle; }
    void SetLabelsAngle(int value);
    TFont* LabelsFont() const { return FLabelsFont.get(); }
    void SetLabelsFont(const TFont* value) { FLabelsFont->AssignFrom(value); }
    bool LabelsOnAxis() const { return FLabelsOnAxis; }
    void SetLabelsOnAxis(bool value);
    int LabelsSeparation() const { return FLabelsSeparation; }
    void SetLabelsSeparation(int value);
    int LabelsSize() const { return FLabelsSize; }
    void SetLabelsSize(int value);
    int TitleSize() const { return FTitleSize; }
    void SetTitleSize(int value);
    bool LabelsMultiLine() const { return FLabelsMultiLine; }
    void SetLabelsMultiLine(bool value);
    TAxisLabelStyle LabelStyle() const { return FLabelStyle; }
    void SetLabelStyle(TAxisLabelStyle value);
    const std::string& AxisValuesFormat() const { return FAxisValuesFormat; }
    void SetAxisValuesFormat(const std::string& value);
    const std::string& DateTimeFormat() const { return FDateTimeFormat; }
    void SetDateTimeFormat(const std::string& value);
    bool ExactDateTime() const { return FExactDateTime; }
    void SetExactDateTime(bool value);
    bool RoundFirstLabel() const { return FRoundFirstLabel; }
    void SetRoundFirstLabel(bool value);
    TChartAxisTitle* Title() const { return FTitle.get(); }
    void SetTitle(const TChartAxisTitle* value) { FTitle->AssignFrom(value); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    double StartPosition() const { return FStartPosition; }
    void SetStartPosition(double value);
    double EndPosition() const { return FEndPosition; }
    void SetEndPosition(double value);
    double PositionPercent() const { return FPositionPercent; }
    void SetPositionPercent(double value);

protected:
    void Repaint();
    void SetBooleanValue(bool& field, bool value);
    void SetIntegerValue(int& field, int value);
    void SetDoubleValue(double& field, double value);
    bool Loading() const { return FParentChart && FParentChart->PanelLoading(); }
    // The larger text size of the labels at the two ends of the range (the text height
    // when labels run across the axis), in the labels font; 0 without a canvas.
    int LabelSizeForIncrement();
    bool IsLabelAcross() const;

private:
    void PenChanged(TObject* sender);
    // The format of date-time labels: DateTimeFormat when set, else the range's format, or
    // the date with the time when the range's format would print two labels alike.
    std::string AutomaticDateFormat() const;
    // The smallest positive value of the axis' series below maximum (a step of the base
    // under the maximum when there is none).
    double SmallestPositiveValue(double maximum) const;
    // The values, pixels and texts of the labels of this frame.
    struct TAxisLabel {
        double Value;
        int Pixel;
        std::string Text;
        bool Drawn;
    };
    void CollectLabels(double step, std::vector<TAxisLabel>& labels);
    // The step after step when labels do not fit: the next 1-2-5 step, or the next date-time
    // step (years doubling).
    double LargerStep(double step) const;
    // True when two neighbouring labels would come closer than a blank of the labels font,
    // measured with the canvas that draws them (the printer's on paper).
    bool LabelsTouch(const std::vector<TAxisLabel>& labels);
    // Switches this frame's date-time labels to the date with the time when the range's
    // format would print two of them alike; true when it switched.
    bool ChooseDateFormat(const std::vector<TAxisLabel>& labels, double step);
    void CollectTextLabels(TAxisLabelStyle style, std::vector<TAxisLabel>& labels);
    void DrawTicksAndGrid(const std::vector<TAxisLabel>& labels);
    void DrawTick(int pixel, int length, int wallSize);
    void DrawGridLine(int pixel);
    int LabelPixel(double value) const;
    bool IsTextAcross(int angle) const;
    int SideTextSize(const std::string& caption, int angle, const TFont* font);

    TChartPanelLink* FParentChart;
    bool FHorizontal;
    bool FOtherSide;
    bool FIsDepthAxis;
    TAxisLimitQuery FLimitQuery;
    TAxisLabelEvent FOnGetAxisLabel;

    bool FAutomatic = true;
    bool FAutomaticMaximum = true;
    bool FAutomaticMinimum = true;
    double FMaximum = 0;
    double FMinimum = 0;
    double FIncrement = 0;
    bool FLogarithmic = false;
    int FLogarithmicBase = 10;
    bool FInverted = false;
    std::unique_ptr<TChartAxisPen> FAxis;
    std::unique_ptr<TDottedGrayPen> FGrid;
    bool FGridCentered = false;
    std::unique_ptr<TDarkGrayPen> FTicks;
    std::unique_ptr<TDarkGrayPen> FTicksInner;
    std::unique_ptr<TDarkGrayPen> FMinorTicks;
    int FTickLength = 4;
    int FTickInnerLength = 0;
    int FMinorTickLength = 2;
    int FMinorTickCount = 3;
    bool FTickOnLabelsOnly = true;
    bool FLabels = true;
    int FLabelsAngle = 0;
    std::unique_ptr<TFont> FLabelsFont;
    bool FLabelsOnAxis = true;
    int FLabelsSeparation = 10;
    int FLabelsSize = 0;
    int FTitleSize = 0;
    bool FLabelsMultiLine = false;
    TAxisLabelStyle FLabelStyle = talAuto;
    std::string FAxisValuesFormat = SDefaultValueFormat;
    std::string FDateTimeFormat;
    bool FExactDateTime = true;
    bool FRoundFirstLabel = true;
    std::unique_ptr<TChartAxisTitle> FTitle;
    bool FVisible = true;
    double FStartPosition = 0;
    double FEndPosition = 100;
    double FPositionPercent = 0;

    // Working state
    TCustomAxisPanel* FPanel = nullptr;
    int FPosAxis = 0;
    int FPosLabels = 0;
    int FPosTitle = 0;
    int FLabelsSizeUsed = 0;
    int FTitleSizeUsed = 0;
    double FMinimumValue = 0;
    double FMaximumValue = 0;
    double FRange = 0;
    // The value at the minimum's end of a logarithmic axis (see LogLowerEnd).
    double FLogLowerEnd = 0;
    // The date-with-time format of this frame's labels; empty for the range's format.
    std::string FDateWithTime;
    int FIStartPos = 0;
    int FIEndPos = 0;
    int FIAxisSize = 0;
    int FICenterPos = 0;
    int FTotalDepth = 0;
    bool FIsDateTime = false;
};

// The left, right, top and bottom axes.
class TChartAxis : public TCustomChartAxis {
    ORV_CLASS(TChartAxis, TCustomChartAxis)

    TChartAxis(TChartPanelLink* parentChart, bool horizontal, bool otherSide)
        : TCustomChartAxis(parentChart, horizontal, otherSide, false) {}
};

// The depth axis of a 3-D chart (hidden by default).
class TChartDepthAxis : public TCustomChartAxis {
    ORV_CLASS(TChartDepthAxis, TCustomChartAxis)

    explicit TChartDepthAxis(TChartPanelLink* parentChart);
    static void Publish(TPublisher<TChartDepthAxis>& p);
    // A line along the depth at the chart's right bottom corner.
    void AxisLinePos(int wallSize) override;
};

// ---------------------------------------------------------------------------
// The axis panel

// Sender, axis, series (or nullptr), text, value index (-1 for value labels).
using TAxisOnGetLabel =
    TEvent<void(TCustomAxisPanel*, TCustomChartAxis*, TChartSeries*, std::string&, int)>;
// Sender, axis, label index, stop, value.
using TAxisOnGetNextLabel = TEvent<void(TCustomAxisPanel*, TCustomChartAxis*, int, bool&, double&)>;

// The chart without its decorations: the series list, the five axes, axis ranges over
// the series, paging through long series, depth rows of a 3-D chart and the drawing order
// of a frame. The decorations (axes rectangle, walls, titles and legend) come from the
// chart class through the abstract operations.
class TCustomAxisPanel : public TCustomChartPanelExtended {
    ORV_CLASS(TCustomAxisPanel, TCustomChartPanelExtended)

    explicit TCustomAxisPanel(TComponent* owner);
    ~TCustomAxisPanel() override;
    static void Publish(TPublisher<TCustomAxisPanel>& p);
    // The axes, the panel switches and paging, then the panel's part.
    void AssignFrom(const TPersistent* source) override;
    // A form stream holds the panel's controls, then every series of its list in list
    // order, whoever owns them (the series of a form are owned by the form).
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

    // ---- The chart's own steps of a frame
    virtual void CalcAxesRect() = 0;
    // Narrows each automatic end of the four axes by the room the series' points need
    // there (bars' half widths, points' sizes, marks).
    virtual void ApplySeriesMargins();
    // The thickness of the wall beside the axis (0 without walls).
    virtual int AxisWallSize(const TCustomChartAxis* axis) const = 0;
    virtual void DrawTitlesAndLegend() = 0;
    virtual void DrawWalls() = 0;
    // No series of the chart has the colour (and, with checkBackground, it is not the
    // chart's colour).
    virtual bool IsFreeSeriesColor(TColor color, bool checkBackground) const = 0;
    virtual void RefreshFromSource(TChartSeries* series);
    // The legend text of a point; empty here.
    virtual std::string LegendValueText(TChartSeries* series, int index);
    // Another series that the series accepts.
    virtual bool IsValidSource(TChartSeries* series, TComponent* candidate) const;

    // One frame: background, titles and legend, axes rectangle, walls, axes, series.
    void DrawContents(const TRect& bounds) override;
    // The colour behind the series (the back wall's); clAutoColor for none.
    virtual TColor ChartBackColor() const { return clAutoColor; }
    // The background of legend symbols, set while the legend draws.
    TColor LegendSymbolBackColor() const { return FLegendSymbolBackColor; }
    void SetLegendSymbolBackColor(TColor value) { FLegendSymbolBackColor = value; }
    // Set by a click handler that ran: the chart's own reaction is skipped.
    bool ClickHandled() const { return FClickHandled; }
    void SetClickHandled(bool value) { FClickHandled = value; }

    // ---- Series
    void AddSeries(TChartSeries* series);
    void RemoveSeries(TChartSeries* series);
    void FreeAllSeries();
    // Exchanges two entries of the series list.
    void ExchangeSeriesAt(int index1, int index2);
    TChartSeries* GetSeries(int index) const { return FSeriesList[size_t(index)]; }
    int SeriesCount() const { return int(FSeriesList.size()); }
    const std::vector<TChartSeries*>& SeriesList() const { return FSeriesList; }
    // The largest point count of the active series.
    int MaxPointCount() const;
    TChartSeries* FirstSeriesOnAxis(const TCustomChartAxis* axis) const;
    // The index-th active series shown in the legend; nullptr when none.
    TChartSeries* LegendSeries(int index) const;
    // Its Title, else its Name, else "Series " and the index; empty when none.
    std::string LegendSeriesTitle(int index) const;
    // The first palette colour that no series has (not the chart's colour either with
    // checkAll); the first palette colour when all are taken.
    TColor FreeSeriesColor(bool checkAll) const;
    // Raises ChartException "Circular Series dependences are not allowed" when series
    // takes its points from component, directly or through its source series.
    void CheckSourceChain(TComponent* component, TChartSeries* series) const;
    int CountActiveSeries() const;

    // ---- Axes
    TChartAxis* BottomAxis() const { return FBottomAxis.get(); }
    TChartAxis* TopAxis() const { return FTopAxis.get(); }
    TChartAxis* LeftAxis() const { return FLeftAxis.get(); }
    TChartAxis* RightAxis() const { return FRightAxis.get(); }
    TChartDepthAxis* DepthAxis() const { return FDepthAxis.get(); }
    void SetBottomAxis(const TChartAxis* value) { FBottomAxis->AssignFrom(value); }
    void SetTopAxis(const TChartAxis* value) { FTopAxis->AssignFrom(value); }
    void SetLeftAxis(const TChartAxis* value) { FLeftAxis->AssignFrom(value); }
    void SetRightAxis(const TChartAxis* value) { FRightAxis->AssignFrom(value); }
    void SetDepthAxis(const TChartDepthAxis* value) { FDepthAxis->AssignFrom(value); }
    // The axes in drawing order: bottom, top, left, right, depth.
    const std::vector<TCustomChartAxis*>& Axes() const { return FAxes; }
    bool IsAxisVisible(const TCustomChartAxis* axis) const;
    // The smallest (lowest) or largest value of the series on the axis, X or Y.
    double SeriesValueLimit(const TCustomChartAxis* axis, bool lowest, bool isX) const;
    double MaxXValue(const TCustomChartAxis* axis) const;
    double MaxYValue(const TCustomChartAxis* axis) const;
    double MinXValue(const TCustomChartAxis* axis) const;
    double MinYValue(const TCustomChartAxis* axis) const;
    // The widest point label of the series that have labels.
    int MaxTextLabelWidth();
    // The widest mark of the active series.
    int MaxMarkWidth();
    // Steps the chart class uses to lay out its axes: every axis takes its limits;
    // every visible axis reserves its room in r; every axis takes its positions.
    void RecalcAxesLimits();
    TRect ReserveAxesSpace(const TRect& r);
    void CalcAxesPositions();

    // ---- Depth
    // The depth of one series row and the total depth (0 in 2-D).
    void CalcDepthSize();
    int SeriesWidth3D() const { return FSeriesWidth3D; }
    int SeriesHigh() const { return FSeriesHigh; }
    // Raises the highest depth row (CalcZOrder of the series).
    void SetSeriesHigh(int value) { FSeriesHigh = value; }
    // A frame has been drawn since the chart was made.
    bool HasBeenDrawn() const { return FHasBeenDrawn; }

    // ---- Paging
    int NumPages() const;
    int Page() const { return FPage; }
    // Clamped to 1..NumPages.
    virtual void SetPage(int value);
    int MaxPointsPerPage() const { return FMaxPointsPerPage; }
    // Raises ChartException "MaxPointsPerPage must be >= 0" for a negative value.
    void SetMaxPointsPerPage(int value);
    bool ScaleLastPage() const { return FScaleLastPage; }
    void SetScaleLastPage(bool value) { SetBooleanProperty(FScaleLastPage, value); }

    // ---- Properties
    bool AxisVisible() const { return FAxisVisible; }
    void SetAxisVisible(bool value) { SetBooleanProperty(FAxisVisible, value); }
    bool ClipPoints() const { return FClipPoints; }
    void SetClipPoints(bool value) { SetBooleanProperty(FClipPoints, value); }
    bool View3DWalls() const { return FView3DWalls; }
    void SetView3DWalls(bool value) { SetBooleanProperty(FView3DWalls, value); }

    // ---- Events
    const TNotifyEvent& OnAfterDraw() const { return FOnAfterDraw; }
    void SetOnAfterDraw(TNotifyEvent value) { FOnAfterDraw = std::move(value); }
    const TNotifyEvent& OnBeforeDrawAxes() const { return FOnBeforeDrawAxes; }
    void SetOnBeforeDrawAxes(TNotifyEvent value) { FOnBeforeDrawAxes = std::move(value); }
    const TNotifyEvent& OnBeforeDrawSeries() const { return FOnBeforeDrawSeries; }
    void SetOnBeforeDrawSeries(TNotifyEvent value) { FOnBeforeDrawSeries = std::move(value); }
    const TNotifyEvent& OnPageChange() const { return FOnPageChange; }
    void SetOnPageChange(TNotifyEvent value) { FOnPageChange = std::move(value); }
    const TAxisOnGetLabel& OnGetAxisLabel() const { return FOnGetAxisLabel; }
    void SetOnGetAxisLabel(TAxisOnGetLabel value) { FOnGetAxisLabel = std::move(value); }
    const TAxisOnGetNextLabel& OnGetNextAxisLabel() const { return FOnGetNextAxisLabel; }
    void SetOnGetNextAxisLabel(TAxisOnGetNextLabel value) {
        FOnGetNextAxisLabel = std::move(value);
    }

private:
    void CalcSeriesDepthRows();
    void CalcSeriesSpans();
    void DrawAxes();
    void DrawSeries(TChartSeries* series);
    void ClipToChartBox();
    int PageCountOnAxis(const TCustomChartAxis* axis) const;

    std::vector<TChartSeries*> FSeriesList;
    std::unique_ptr<TChartAxis> FBottomAxis;
    std::unique_ptr<TChartAxis> FTopAxis;
    std::unique_ptr<TChartAxis> FLeftAxis;
    std::unique_ptr<TChartAxis> FRightAxis;
    std::unique_ptr<TChartDepthAxis> FDepthAxis;
    std::vector<TCustomChartAxis*> FAxes;
    bool FAxisVisible = true;
    bool FClipPoints = true;
    bool FView3DWalls = true;
    int FMaxPointsPerPage = 0;
    int FPage = 1;
    bool FScaleLastPage = true;
    int FSeriesHigh = 0;
    int FSeriesWidth3D = 0;
    TColor FLegendSymbolBackColor = clAutoColor;
    bool FClickHandled = false;
    bool FHasBeenDrawn = false;
    TNotifyEvent FOnAfterDraw;
    TNotifyEvent FOnBeforeDrawAxes;
    TNotifyEvent FOnBeforeDrawSeries;
    TNotifyEvent FOnPageChange;
    TAxisOnGetLabel FOnGetAxisLabel;
    TAxisOnGetNextLabel FOnGetNextAxisLabel;
};

// Axes are drawn before the series (behind them).
extern bool ChartDrawAxesBeforeSeries;
