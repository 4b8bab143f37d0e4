#pragma once
// The chart engine's data side: the value lists behind every coordinate of a series,
// the series marks, the function base, the point store of the series base and the axes'
// ranges, mappings, increments and label texts.

#include "chart/TeCanvas.h"
#include "chart/TeeConst.h"
#include "chart/TeeProcs.h"
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TChartSeries;
class TCustomChartAxis;
class TTeeFunction;

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
class TTeeFunction : public TComponent {
    ORV_CLASS(TTeeFunction, TComponent)

    explicit TTeeFunction(TComponent* owner);
    ~TTeeFunction() override;
    static void Publish(TPublisher<TTeeFunction>& p);
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
// The point store of a series

// Flags of how a series reacts when its source series changes.
enum TSeriesSourceReaction { srDeleted = 1, srValueChanged = 2, srAdded = 4, srCleared = 8 };

// The points of a series: parallel value lists (X, Y and a series type's own), a colour
// and a label per point, the marks, the attached function and the links to the series
// it takes its points from and to those that take theirs from it.
class TChartSeries : public TComponent {
    ORV_CLASS(TChartSeries, TComponent)

    explicit TChartSeries(TComponent* owner);
    ~TChartSeries() override;

    // ---- Adding points (each answers the index, -1 when OnBeforeAdd refused)
    virtual int AddPoint(double x, double y, const std::string& label, TColor color);
    int AddXY(double x, double y, const std::string& label = {}, TColor color = clAutoColor) {
        return AddPoint(x, y, label, color);
    }
    virtual int AddMandatoryValue(double value, const std::string& label, TColor color);
    int Add(double value, const std::string& label = {}, TColor color = clAutoColor) {
        return AddMandatoryValue(value, label, color);
    }
    virtual int AppendNull(const std::string& label);
    virtual int AddNullPoint(double x, double y, const std::string& label);
    virtual void NotifyValueAdded(int index);

    // ---- Removing and reordering
    virtual void DeleteValue(int index);
    virtual void RemovePoint(TChartSeries* source, int index) { DeleteValue(index); }
    virtual void ClearLists();
    virtual void ClearValues();
    virtual void SwapValues(int index1, int index2);

    // ---- Reading points
    int Count() const { return FXValues->ValueCount(); }
    virtual double XValueAt(int index) const { return FXValues->ValueAt(index); }
    virtual double YValueAt(int index) const { return FYValues->ValueAt(index); }
    virtual double MarkValueAt(int index) const { return MandatoryValueList()->ValueAt(index); }
    virtual double OriginValueAt(int index) const { return MarkValueAt(index); }
    virtual std::string ValueLabel(int index) const;
    virtual TColor ValueColor(int index) const;
    void SetPointColor(int index, TColor color);
    virtual double MaxXValue() const { return FXValues->Highest(); }
    virtual double MaxYValue() const { return FYValues->Highest(); }
    virtual double MinXValue() const { return FXValues->Lowest(); }
    virtual double MinYValue() const { return FYValues->Lowest(); }
    // An extra list (index 2 on) of that name, ignoring case; YValues when none.
    virtual TChartValueList* ValueListByName(const std::string& name) const;
    virtual TChartValueList* MandatoryValueList() const { return FYValues.get(); }
    bool IsYMandatory() const { return MandatoryValueList() == FYValues.get(); }
    TChartValueList* XValues() const { return FXValues.get(); }
    TChartValueList* YValues() const { return FYValues.get(); }
    int ValueListCount() const { return int(FValueLists.size()); }
    TChartValueList* ValueList(int index) const { return FValueLists[size_t(index)]; }

    // ---- Sources and dependents
    // Copies the points of a source (through the function when there is one).
    virtual void AddValuesFrom(TChartSeries* source);
    // Appends point index of the source with its label and colour.
    virtual void CopyPointFrom(TChartSeries* source, int index);
    // Reloads from the data sources: through the function, or by copying the one source.
    void ReloadFromSource();
    const std::vector<TChartSeries*>& DataSources() const { return FDataSources; }
    TChartSeries* DataSource() const { return FDataSources.empty() ? nullptr : FDataSources[0]; }
    // Links this series to a source series (after the circularity check) and reloads.
    void AddDataSource(TChartSeries* source);
    void RemoveDataSource(TChartSeries* source);
    const std::vector<TChartSeries*>& Dependents() const { return FDependents; }
    int SourceReactions() const { return FSourceReactions; }
    void SetSourceReactions(int value) { FSourceReactions = value; }
    // Raises ChartException "Circular Series dependences are not allowed" when the
    // candidate takes its points from this series, directly or through others.
    void CheckCircularSource(TChartSeries* candidate) const;

    // ---- The function
    TTeeFunction* FunctionType() const { return FFunction; }
    // Adopts (and owns) the function; a previous function is freed.
    virtual void AttachFunction(TTeeFunction* function);
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

    // ---- Series settings used by the function base and the value lists
    // Points stand alone (False for line, area and fast-line series).
    bool PointsStandAlone() const { return FPointsStandAlone; }
    // The horizontal axis used (nullptr without a chart).
    TCustomChartAxis* GetHorizAxis() const { return FGetHorizAxis; }
    void SetHorizAxisUsed(TCustomChartAxis* value) { FGetHorizAxis = value; }
    TCustomChartAxis* GetVertAxis() const { return FGetVertAxis; }
    void SetVertAxisUsed(TCustomChartAxis* value) { FGetVertAxis = value; }
    TTeePanelLink* ParentChart() const { return FParentChart; }
    void SetParentChart(TTeePanelLink* value) { FParentChart = value; }
    TSeriesMarks* Marks() const { return FMarks.get(); }

    bool Active() const { return FActive; }
    virtual void SetActive(bool value);
    TColor SeriesColor() const { return FSeriesColor; }
    virtual void SetSeriesColor(TColor value);
    bool ColorEachPoint() const { return FColorEachPoint; }
    virtual void SetColorEachPoint(bool value);
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value);

    using TSeriesOnBeforeAdd = TEvent<bool(TChartSeries*)>;
    using TSeriesOnAfterAdd = TEvent<void(TChartSeries*, int)>;
    void SetOnBeforeAdd(TSeriesOnBeforeAdd value) { FOnBeforeAdd = std::move(value); }
    void SetOnAfterAdd(TSeriesOnAfterAdd value) { FOnAfterAdd = std::move(value); }
    void SetOnClearValues(TNotifyEvent value) { FOnClearValues = std::move(value); }

    // ---- Change and repaint
    // Invalidates the chart (when there is one).
    virtual void RepaintChart();
    // Setters of chart objects: store a changed value and repaint.
    void SetBooleanProperty(bool& field, bool value);
    void SetIntegerProperty(int& field, int value);
    void SetColorProperty(TColor& field, TColor value);
    // The source reactions: the dependents are told of a change of this series.
    enum TSourceChange { scCleared, scAdded, scDeleted, scValueChanged, scRefresh };
    void NotifyDependents(TSourceChange change, int index = -1);

protected:
    // Registers a further value list (the series type's own), in list order.
    void AddValueList(TChartValueList* list) { FValueLists.push_back(list); }
    void SetPointsStandAlone(bool value) { FPointsStandAlone = value; }

private:
    friend class TTeeFunction;
    void UnlinkSources();

    bool FActive = true;
    TColor FSeriesColor = clAutoColor;
    bool FColorEachPoint = false;
    std::vector<TColor> FColors;
    std::vector<std::optional<std::string>> FLabels;
    std::vector<TChartSeries*> FDataSources;
    std::vector<TChartSeries*> FDependents;
    std::vector<TChartValueList*> FValueLists;
    std::unique_ptr<TChartValueList> FXValues;
    std::unique_ptr<TChartValueList> FYValues;
    std::unique_ptr<TSeriesMarks> FMarks;
    TTeeFunction* FFunction = nullptr;
    TCustomChartAxis* FGetHorizAxis = nullptr;
    TCustomChartAxis* FGetVertAxis = nullptr;
    TTeePanelLink* FParentChart = nullptr;
    std::string FTitle;
    int FSourceReactions = srDeleted | srValueChanged | srAdded | srCleared;
    bool FPointsStandAlone = true;
    TSeriesOnBeforeAdd FOnBeforeAdd;
    TSeriesOnAfterAdd FOnAfterAdd;
    TNotifyEvent FOnClearValues;
};

// ---------------------------------------------------------------------------
// Axes

enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };
const TTypeInfo* TypeInfoTAxisLabelStyle();

// The title of an axis.
class TChartAxisTitle : public TChartFontObject {
    ORV_CLASS(TChartAxisTitle, TChartFontObject)

    explicit TChartAxisTitle(TCustomChartAxis* axis = nullptr, TTeePanelLink* parent = nullptr);
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
    TCustomChartAxis(TTeePanelLink* parentChart, bool horizontal, bool otherSide,
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

    bool Horizontal() const { return FHorizontal; }
    bool OtherSide() const { return FOtherSide; }
    bool IsDepthAxis() const { return FIsDepthAxis; }
    TTeePanelLink* ParentChart() const { return FParentChart; }
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

    TTeePanelLink* FParentChart;
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
    double FMinimumValue = 0;
    double FMaximumValue = 0;
    double FRange = 0;
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

    TChartAxis(TTeePanelLink* parentChart, bool horizontal, bool otherSide)
        : TCustomChartAxis(parentChart, horizontal, otherSide, false) {}
};

// The depth axis of a 3-D chart (hidden by default).
class TChartDepthAxis : public TCustomChartAxis {
    ORV_CLASS(TChartDepthAxis, TCustomChartAxis)

    explicit TChartDepthAxis(TTeePanelLink* parentChart);
    static void Publish(TPublisher<TChartDepthAxis>& p);
};
