#include "chart/TeEngine.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
using TStoredFn = std::function<bool(const TObject*)>;
constexpr double kOneSecond = 1.0 / 86400.0;
constexpr double kMinimumStep = 1e-12;
// Pixel offsets beyond this saturate (a value far outside the axis range).
constexpr double kMaxPixelOffset = 100000000.0;
// At most this many labels on an axis.
constexpr double kMaxLabels = 10000;
} // namespace

// ---------------------------------------------------------------------------
// Type information

const TTypeInfo* TypeInfoTChartListOrder() {
    static const TTypeInfo info =
        MakeEnumType("TChartListOrder", {"loNone", "loAscending", "loDescending"});
    return &info;
}

const TTypeInfo* TypeInfoTSeriesMarksStyle() {
    static const TTypeInfo info =
        MakeEnumType("TSeriesMarksStyle",
                     {"smsValue", "smsPercent", "smsLabel", "smsLabelPercent", "smsLabelValue",
                      "smsLegend", "smsPercentTotal", "smsLabelPercentTotal", "smsXValue"});
    return &info;
}

const TTypeInfo* TypeInfoTFunctionPeriodStyle() {
    static const TTypeInfo info = MakeEnumType("TFunctionPeriodStyle", {"psNumPoints", "psRange"});
    return &info;
}

const TTypeInfo* TypeInfoTFunctionPeriodAlign() {
    static const TTypeInfo info =
        MakeEnumType("TFunctionPeriodAlign", {"paFirst", "paCenter", "paLast"});
    return &info;
}

const TTypeInfo* TypeInfoTAxisLabelStyle() {
    static const TTypeInfo info =
        MakeEnumType("TAxisLabelStyle", {"talAuto", "talNone", "talValue", "talMark", "talText"});
    return &info;
}

// ---------------------------------------------------------------------------
// TChartValueList

TChartValueList::TChartValueList(TChartSeries* owner, std::string name)
    : FOwner(owner), FName(std::move(name)) {}

TChartValueList::~TChartValueList() = default;

void TChartValueList::Publish(TPublisher<TChartValueList>& p) {
    using T = TChartValueList;
    p.String("Name", &T::Name, &T::SetName);
    p.Enum("Order", TypeInfoTChartListOrder(), &T::Order, &T::SetOrder).NoDefault();
    p.Float("Multiplier", &T::Multiplier, &T::SetMultiplier).Default(1.0);
    p.Bool("DateTime", &T::DateTime, &T::SetDateTime).NoDefault();
    p.String("ValueSource", &T::ValueSource, &T::SetValueSource);
}

void TChartValueList::AssignFrom(const TPersistent* source) {
    if (auto* list = dynamic_cast<const TChartValueList*>(source)) {
        FOrder = list->FOrder;
        FDateTime = list->FDateTime;
        FMultiplier = list->FMultiplier;
        FValueSource = list->FValueSource;
        MarkModified();
        return;
    }
    TPersistent::AssignFrom(source);
}

double TChartValueList::ValueAt(int index) const {
    return FValues[size_t(index)] * FMultiplier;
}

void TChartValueList::SetValueAt(int index, double value) {
    FValues[size_t(index)] = value;
    MarkModified();
    if (FOwner)
        FOwner->NotifyDependents(TChartSeries::scValueChanged, index);
}

void TChartValueList::ClearValues() {
    FValues.clear();
    FValues.shrink_to_fit();
    MarkModified();
}

int TChartValueList::AddValue(double value) {
    const int count = ValueCount();
    int index = count;
    if (FOrder == loAscending && count > 0 && value < FValues.back()) {
        int t = count - 1;
        while (t >= 0 && FValues[size_t(t)] > value)
            --t;
        index = t + 1;
    } else if (FOrder == loDescending && count > 0 && value > FValues.back()) {
        int t = count - 1;
        while (t >= 0 && FValues[size_t(t)] < value)
            --t;
        index = t + 1;
    }
    FValues.insert(FValues.begin() + index, value);
    MarkModified();
    return index;
}

void TChartValueList::InsertValueAt(int index, double value) {
    FValues.insert(FValues.begin() + index, value);
    MarkModified();
}

void TChartValueList::DeleteValueAt(int index) {
    FValues.erase(FValues.begin() + index);
    MarkModified();
}

void TChartValueList::RotateFirstToEnd() {
    if (FValues.empty())
        return;
    std::rotate(FValues.begin(), FValues.begin() + 1, FValues.end());
    MarkModified();
}

void TChartValueList::Exchange(int index1, int index2) {
    std::swap(FValues[size_t(index1)], FValues[size_t(index2)]);
    MarkModified();
}

void TChartValueList::Recalc() const {
    FModified = false;
    if (FValues.empty()) {
        FHighest = FLowest = FSum = FAbsSum = 0;
        return;
    }
    double v = ValueAt(0);
    FHighest = FLowest = FSum = v;
    FAbsSum = std::fabs(v);
    for (int i = 1; i < ValueCount(); ++i) {
        v = ValueAt(i);
        if (v < FLowest)
            FLowest = v;
        else if (v > FHighest)
            FHighest = v;
        FSum += v;
        FAbsSum += std::fabs(v);
    }
}

double TChartValueList::Highest() const {
    if (FModified)
        Recalc();
    return FHighest;
}

double TChartValueList::Lowest() const {
    if (FModified)
        Recalc();
    return FLowest;
}

double TChartValueList::Sum() const {
    if (FModified)
        Recalc();
    return FSum;
}

double TChartValueList::AbsSum() const {
    if (FModified)
        Recalc();
    return FAbsSum;
}

int TChartValueList::IndexOfValue(double value) const {
    for (int i = 0; i < ValueCount(); ++i)
        if (ValueAt(i) == value)
            return i;
    return -1;
}

void TChartValueList::NumberSequentially() {
    for (int i = 0; i < ValueCount(); ++i)
        FValues[size_t(i)] = i;
    MarkModified();
}

int TChartValueList::CompareValues(int a, int b) const {
    const double va = ValueAt(a);
    const double vb = ValueAt(b);
    int result = va < vb ? -1 : (va > vb ? 1 : 0);
    return FOrder == loDescending ? -result : result;
}

void TChartValueList::QuickSort(int low, int high) {
    int i = low;
    int j = high;
    int pivot = (low + high) / 2;
    while (i <= j) {
        while (CompareValues(i, pivot) < 0)
            ++i;
        while (CompareValues(pivot, j) < 0)
            --j;
        if (i <= j) {
            if (i != j) {
                if (FOwner)
                    FOwner->SwapValues(i, j);
                else
                    Exchange(i, j);
            }
            // The pivot index follows its element.
            if (pivot == i)
                pivot = j;
            else if (pivot == j)
                pivot = i;
            ++i;
            --j;
        }
    }
    if (low < j)
        QuickSort(low, j);
    if (i < high)
        QuickSort(i, high);
}

void TChartValueList::SortByOrder() {
    if (FOrder == loNone || ValueCount() < 2)
        return;
    QuickSort(0, ValueCount() - 1);
}

void TChartValueList::SetMultiplier(double value) {
    if (FMultiplier == value)
        return;
    FMultiplier = value;
    MarkModified();
    if (FOwner) {
        FOwner->NotifyDependents(TChartSeries::scRefresh);
        FOwner->RepaintChart();
    }
}

void TChartValueList::SetDateTime(bool value) {
    if (FOwner)
        FOwner->SetBooleanProperty(FDateTime, value);
    else
        FDateTime = value;
}

void TChartValueList::SetValueSource(const std::string& value) {
    if (FValueSource == value)
        return;
    FValueSource = value;
    if (FOwner)
        FOwner->ReloadFromSource();
}

// ---------------------------------------------------------------------------
// Series marks

void TSeriesMarkPosition::CopyFrom(const TSeriesMarkPosition& source) {
    ArrowFrom = source.ArrowFrom;
    ArrowTo = source.ArrowTo;
    LeftTop = source.LeftTop;
    Height = source.Height;
    Width = source.Width;
}

TSeriesMarkPosition* TSeriesMarksPositions::Position(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[size_t(index)].get();
}

TSeriesMarkPosition* TSeriesMarksPositions::Ensure(int index) {
    if (index >= Count())
        FItems.resize(size_t(index) + 1);
    auto& item = FItems[size_t(index)];
    if (!item)
        item = std::make_unique<TSeriesMarkPosition>();
    return item.get();
}

void TSeriesMarksPositions::Delete(int index) {
    if (index >= 0 && index < Count())
        FItems.erase(FItems.begin() + index);
}

TSeriesMarks::TSeriesMarks(TChartSeries* parent) : FParent(parent) {
    TNotifyEvent changed(this, &TSeriesMarks::PartChanged);
    FArrow = std::make_unique<TChartArrowPen>(changed);
    FFont = NewStandardFont(changed);
    FFrame = std::make_unique<TChartPen>(changed);
}

TSeriesMarks::~TSeriesMarks() = default;

void TSeriesMarks::Publish(TPublisher<TSeriesMarks>& p) {
    using T = TSeriesMarks;
    p.Class("Arrow", TChartArrowPen::StaticClass(), &T::Arrow, &T::SetArrow);
    p.Integer("ArrowLength", &T::ArrowLength, &T::SetArrowLength).Default(8);
    p.Ordinal("BackColor", TypeInfoTColor(), &T::BackColor, &T::SetBackColor)
        .Default(int64_t(0x80FFFF));
    p.Bool("Clip", &T::Clip, &T::SetClip).Default(false);
    p.Class("Font", TFont::StaticClass(), &T::Font, &T::SetFont)
        .Stored(TStoredFn(
            [](const TObject* o) { return !IsStandardFont(static_cast<const T*>(o)->Font()); }));
    p.Class("Frame", TChartPen::StaticClass(), &T::Frame, &T::SetFrame);
    p.Enum("Style", TypeInfoTSeriesMarksStyle(), &T::Style, &T::SetStyle).Default(smsLabel);
    p.Bool("Transparent", &T::Transparent, &T::SetTransparent).Default(false);
    p.Bool("Visible", &T::Visible, &T::SetVisible).NoDefault();
}

void TSeriesMarks::AssignFrom(const TPersistent* source) {
    if (auto* m = dynamic_cast<const TSeriesMarks*>(source)) {
        FArrow->AssignFrom(m->FArrow.get());
        FArrowLength = m->FArrowLength;
        FBackColor = m->FBackColor;
        FTransparent = m->FTransparent;
        FClip = m->FClip;
        FFrame->AssignFrom(m->FFrame.get());
        FFont->AssignFrom(m->FFont.get());
        FStyle = m->FStyle;
        FVisible = m->FVisible;
        return;
    }
    TPersistent::AssignFrom(source);
}

void TSeriesMarks::Repaint() {
    if (FParent)
        FParent->RepaintChart();
}

void TSeriesMarks::PartChanged(TObject* /*sender*/) {
    Repaint();
}

void TSeriesMarks::SetArrowLength(int value) {
    if (FParent)
        FParent->SetIntegerProperty(FArrowLength, value);
    else
        FArrowLength = value;
}

void TSeriesMarks::SetBackColor(TColor value) {
    if (FParent)
        FParent->SetColorProperty(FBackColor, value);
    else
        FBackColor = value;
}

void TSeriesMarks::SetClip(bool value) {
    if (FParent)
        FParent->SetBooleanProperty(FClip, value);
    else
        FClip = value;
}

void TSeriesMarks::SetTransparent(bool value) {
    if (FParent)
        FParent->SetBooleanProperty(FTransparent, value);
    else
        FTransparent = value;
}

void TSeriesMarks::SetVisible(bool value) {
    if (FParent)
        FParent->SetBooleanProperty(FVisible, value);
    else
        FVisible = value;
}

void TSeriesMarks::SetStyle(TSeriesMarksStyle value) {
    if (FStyle == value)
        return;
    FStyle = value;
    Repaint();
}

void TSeriesMarks::ApplyPosition(int index, TSeriesMarkPosition& position) {
    TSeriesMarkPosition* stored = FPositions.Ensure(index);
    if (stored->Custom)
        position.CopyFrom(*stored);
    else
        stored->CopyFrom(position);
}

void TSeriesMarks::DrawMarkItem(int index, TColor color, const std::string& text,
                                TSeriesMarkPosition& position) {
    ApplyPosition(index, position);
    TTeePanelLink* chart = FParent ? FParent->ParentChart() : nullptr;
    TCanvas3D* canvas = chart ? chart->ChartCanvas() : nullptr;
    if (!canvas)
        return;
    const bool is3D = chart->PanelView3D();
    const TColor chartColor = chart->PanelColor();

    if (FArrow->Visible()) {
        canvas->Pen()->AssignFrom(FArrow.get());
        canvas->Brush()->SetStyle(bsClear);
        if (canvas->Pen()->Color() == color || canvas->Pen()->Color() == chartColor)
            canvas->Pen()->SetColor(chartColor == clBlack ? clWhite : clBlack);
        if (is3D)
            canvas->DrawLineAtDepth(position.ArrowFrom.X, position.ArrowFrom.Y, position.ArrowTo.X,
                                    position.ArrowTo.Y, FZPosition);
        else
            canvas->DrawSegment(position.ArrowFrom.X, position.ArrowFrom.Y, position.ArrowTo.X,
                                position.ArrowTo.Y);
    }

    TRect r = position.Bounds();
    const bool textAtDepth = canvas->CanDrawTextAtDepth();
    if (is3D && !textAtDepth) {
        // The rectangle follows its arrow end into the projection.
        TPoint projected =
            canvas->SpaceToScreen(position.ArrowTo.X, position.ArrowTo.Y, FZPosition);
        OffsetRect(r, projected.X - position.ArrowTo.X, projected.Y - position.ArrowTo.Y);
    }

    int textTop = r.Top;
    if (FFrame->Visible() || !FTransparent) {
        canvas->Brush()->SetColor(FBackColor);
        canvas->Brush()->SetStyle(FTransparent ? bsClear : bsSolid);
        canvas->UseChartPen(FFrame.get());
        if (is3D && textAtDepth)
            canvas->DrawRectangleAtDepth(r, FZPosition + 1);
        else
            canvas->DrawRectangleRecord(r);
        if (FFrame->Visible())
            textTop += FFrame->Width();
    }

    canvas->Brush()->SetStyle(bsClear);
    canvas->WriteTextAlignment(int(TA_CENTER | TA_TOP));
    const int lineHeight = canvas->FontHeight();
    const int x = r.Left + r.Width() / 2;
    size_t start = 0;
    int line = 0;
    while (true) {
        size_t pos = text.find(TeeLineSeparator, start);
        std::string_view part = std::string_view(text).substr(
            start, pos == std::string::npos ? std::string::npos : pos - start);
        canvas->DrawText(x, textTop + line * lineHeight, part);
        if (pos == std::string::npos)
            break;
        start = pos + 1;
        ++line;
    }
    canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
}

// ---------------------------------------------------------------------------
// TTeeFunction

TTeeFunction::TTeeFunction(TComponent* owner) : TComponent(owner) {}

TTeeFunction::~TTeeFunction() {
    if (FParent && FParent->FFunction == this)
        FParent->FFunction = nullptr;
}

void TTeeFunction::Publish(TPublisher<TTeeFunction>& p) {
    using T = TTeeFunction;
    p.Float("Period", &T::Period, &T::SetPeriod).Default(0.0);
    p.Enum("PeriodAlign", TypeInfoTFunctionPeriodAlign(), &T::PeriodAlign, &T::SetPeriodAlign)
        .Default(paCenter);
    p.Enum("PeriodStyle", TypeInfoTFunctionPeriodStyle(), &T::PeriodStyle, &T::SetPeriodStyle)
        .Default(psNumPoints);
}

void TTeeFunction::AssignFrom(const TPersistent* source) {
    if (auto* f = dynamic_cast<const TTeeFunction*>(source)) {
        FPeriod = f->FPeriod;
        FPeriodStyle = f->FPeriodStyle;
        FPeriodAlign = f->FPeriodAlign;
        return;
    }
    TComponent::AssignFrom(source);
}

void TTeeFunction::AddPeriodPoint(TChartSeries* source, int first, int last, double x) {
    const double value = CalculateRange(source, first, last);
    AddFunctionXY(source->IsYMandatory(), value, x);
}

void TTeeFunction::AddWholeRangePoints(TChartSeries* source, TChartValueList* positionList) {
    const double value = CalculateRange(source, -1, -1);
    const double low = positionList->Lowest();
    const double high = positionList->Highest();
    if (FParent->PointsStandAlone()) {
        const double middle = low + (high - low) * 0.5;
        if (FParent->IsYMandatory())
            FParent->AddPoint(middle, value, {}, clAutoColor);
        else
            FParent->AddPoint(value, middle, {}, clAutoColor);
    } else {
        AddFunctionXY(source->IsYMandatory(), value, low);
        AddFunctionXY(source->IsYMandatory(), value, high);
    }
}

void TTeeFunction::AddPeriodPoints(TChartSeries* source, TChartValueList* positionList) {
    const int count = source->Count();
    if (count == 0)
        return;
    auto aligned = [this](double start, double end) {
        switch (FPeriodAlign) {
        case paFirst:
            return start;
        case paLast:
            return end;
        default:
            return (start + end) * 0.5;
        }
    };
    int first = 0;
    if (FPeriodStyle == psNumPoints) {
        // A period that rounds to no points counts one point per period.
        const int points = int(std::clamp<int64_t>(Round(FPeriod), 1, count));
        while (first < count) {
            const int last = first + points - 1;
            if (last >= count)
                break; // a short final period adds nothing
            AddPeriodPoint(source, first, last,
                           aligned(positionList->ValueAt(first), positionList->ValueAt(last)));
            first = last + 1;
        }
        return;
    }

    TCustomChartAxis* axis = FParent->GetHorizAxis();
    int stepIndex = DateTimeStepIndex(FPeriod);
    if (stepIndex < dtHalfMonth)
        stepIndex = dtNone;
    double boundary = positionList->ValueAt(0);
    while (first < count) {
        const double start = boundary;
        double next = boundary;
        if (axis)
            axis->IncrementValue(true, next, stepIndex, FPeriod);
        else
            next += FPeriod;
        // A boundary that no longer grows ends the function (no endless periods).
        if (!(next > boundary))
            break;
        boundary = next;
        const double end = boundary - FPeriod * 0.001;
        const double position = aligned(start, end);
        if (positionList->ValueAt(first) < boundary) {
            int last = first;
            while (last + 1 < count && positionList->ValueAt(last + 1) < boundary)
                ++last;
            AddPeriodPoint(source, first, last, position);
            first = last + 1;
        } else {
            AddFunctionXY(source->IsYMandatory(), 0, position);
        }
    }
}

double TTeeFunction::CalculateRange(TChartSeries*, int, int) {
    return 0;
}

double TTeeFunction::CalculateAcross(const std::vector<TChartSeries*>&, int) {
    return 0;
}

void TTeeFunction::FillFromSource(TChartSeries* source) {
    if (!source || !FParent)
        return;
    TChartValueList* positionList = source->IsYMandatory() ? source->XValues() : source->YValues();
    if (FParent->DataSources().size() > 1) {
        for (int i = 0; i < source->Count(); ++i) {
            double position = positionList->ValueAt(i);
            double value = CalculateAcross(FParent->DataSources(), i);
            if (!source->IsYMandatory())
                std::swap(position, value);
            FParent->AddPoint(position, value, source->ValueLabel(i), clAutoColor);
        }
    } else if (source->Count() > 0) {
        if (FPeriod == 0)
            AddWholeRangePoints(source, positionList);
        else
            AddPeriodPoints(source, positionList);
    }
}

void TTeeFunction::EndUpdate() {
    if (FUpdating) {
        FUpdating = false;
        Recalculate();
    }
}

void TTeeFunction::Recalculate() {
    if (!FUpdating && FParent)
        FParent->ReloadFromSource();
}

TChartValueList* TTeeFunction::ValueListToUse(TChartSeries* source) const {
    const std::string& name = FParent ? FParent->MandatoryValueList()->ValueSource() : "";
    if (name.empty())
        return source->MandatoryValueList();
    return source->ValueListByName(name);
}

void TTeeFunction::AddFunctionXY(bool sourceIsYMandatory, double value, double position) {
    if (sourceIsYMandatory)
        FParent->AddPoint(position, value, {}, clAutoColor);
    else
        FParent->AddPoint(value, position, {}, clAutoColor);
}

void TTeeFunction::AttachToSeries(TChartSeries* series) {
    if (!series || FParent == series)
        return;
    if (FParent)
        FParent->FFunction = nullptr;
    FParent = nullptr;
    series->AttachFunction(this);
}

TComponent* TTeeFunction::ParentComponent() const {
    return FParent;
}

void TTeeFunction::SetParentComponent(TComponent* value) {
    if (auto* series = dynamic_cast<TChartSeries*>(value))
        AttachToSeries(series);
}

void TTeeFunction::SetPeriod(double value) {
    if (value < 0)
        throw Exception(SFunctionPeriod);
    if (FPeriod == value)
        return;
    FPeriod = value;
    Recalculate();
}

void TTeeFunction::SetPeriodStyle(TFunctionPeriodStyle value) {
    if (FPeriodStyle == value)
        return;
    FPeriodStyle = value;
    Recalculate();
}

void TTeeFunction::SetPeriodAlign(TFunctionPeriodAlign value) {
    if (FPeriodAlign == value)
        return;
    FPeriodAlign = value;
    Recalculate();
}

// ---------------------------------------------------------------------------
// TChartSeries: the point store

TChartSeries::TChartSeries(TComponent* owner) : TComponent(owner) {
    FXValues = std::make_unique<TChartValueList>(this, SValuesX);
    FXValues->SetOrder(loAscending);
    FYValues = std::make_unique<TChartValueList>(this, SValuesY);
    FValueLists = {FXValues.get(), FYValues.get()};
    FMarks = std::make_unique<TSeriesMarks>(this);
}

TChartSeries::~TChartSeries() {
    if (FFunction) {
        TTeeFunction* function = FFunction;
        FFunction = nullptr;
        function->FParent = nullptr;
        delete function;
    }
    UnlinkSources();
    FDataSources.clear();
    for (TChartSeries* dependent : std::vector<TChartSeries*>(FDependents))
        dependent->RemoveDataSource(this);
    FDependents.clear();
}

int TChartSeries::AddPoint(double x, double y, const std::string& label, TColor color) {
    if (FOnBeforeAdd && !FOnBeforeAdd(this))
        return -1;
    const int index = FXValues->AddValue(x);
    FYValues->InsertValueAt(index, y);
    FColors.insert(FColors.begin() + index, color);
    FLabels.insert(FLabels.begin() + index,
                   label.empty() ? std::nullopt : std::optional<std::string>(label));
    NotifyValueAdded(index);
    return index;
}

int TChartSeries::AddMandatoryValue(double value, const std::string& label, TColor color) {
    if (IsYMandatory())
        return AddPoint(Count(), value, label, color);
    return AddPoint(value, Count(), label, color);
}

int TChartSeries::AppendNull(const std::string& label) {
    return AddMandatoryValue(0, label, clNone);
}

int TChartSeries::AddNullPoint(double x, double y, const std::string& label) {
    return AddPoint(x, y, label, clNone);
}

void TChartSeries::NotifyValueAdded(int index) {
    if (FOnAfterAdd)
        FOnAfterAdd(this, index);
    NotifyDependents(scAdded, index);
    if (FActive)
        RepaintChart();
}

void TChartSeries::DeleteValue(int index) {
    for (TChartValueList* list : FValueLists)
        list->DeleteValueAt(index);
    if (index < int(FColors.size()))
        FColors.erase(FColors.begin() + index);
    if (index < int(FLabels.size()))
        FLabels.erase(FLabels.begin() + index);
    FMarks->Positions().Delete(index);
    NotifyDependents(scDeleted, index);
    RepaintChart();
}

void TChartSeries::ClearLists() {
    for (TChartValueList* list : FValueLists)
        list->ClearValues();
    FColors.clear();
    FColors.shrink_to_fit();
    FLabels.clear();
    FLabels.shrink_to_fit();
    FMarks->ClearPositions();
}

void TChartSeries::ClearValues() {
    ClearLists();
    if (FOnClearValues)
        FOnClearValues(this);
    NotifyDependents(scCleared);
    if (!(FParentChart && FParentChart->PanelDestroying()))
        RepaintChart();
}

void TChartSeries::SwapValues(int index1, int index2) {
    for (TChartValueList* list : FValueLists)
        list->Exchange(index1, index2);
    const int colours = int(FColors.size());
    if (index1 < colours && index2 < colours)
        std::swap(FColors[size_t(index1)], FColors[size_t(index2)]);
    const int labels = int(FLabels.size());
    if (index1 < labels && index2 < labels)
        std::swap(FLabels[size_t(index1)], FLabels[size_t(index2)]);
}

std::string TChartSeries::ValueLabel(int index) const {
    if (index < 0 || index >= int(FLabels.size()) || !FLabels[size_t(index)])
        return {};
    return *FLabels[size_t(index)];
}

TColor TChartSeries::ValueColor(int index) const {
    if (index < 0 || index >= int(FColors.size()))
        return FSeriesColor;
    const TColor color = FColors[size_t(index)];
    if (color != clAutoColor)
        return color;
    return FColorEachPoint ? PaletteColor(index) : FSeriesColor;
}

void TChartSeries::SetPointColor(int index, TColor color) {
    if (index >= int(FColors.size()))
        FColors.resize(size_t(index) + 1, clAutoColor);
    FColors[size_t(index)] = color;
    RepaintChart();
}

TChartValueList* TChartSeries::ValueListByName(const std::string& name) const {
    for (size_t i = 2; i < FValueLists.size(); ++i)
        if (SameText(FValueLists[i]->Name(), name))
            return FValueLists[i];
    return FYValues.get();
}

void TChartSeries::AddValuesFrom(TChartSeries* source) {
    if (!source || source == this)
        return;
    ClearValues();
    if (FFunction) {
        FXValues->SetDateTime(source->XValues()->DateTime());
        FYValues->SetDateTime(source->YValues()->DateTime());
        FFunction->FillFromSource(source);
    } else {
        for (int i = 0; i < source->Count(); ++i)
            CopyPointFrom(source, i);
    }
    NotifyDependents(scRefresh);
}

void TChartSeries::CopyPointFrom(TChartSeries* source, int index) {
    double x = source->XValueAt(index);
    double y = source->YValueAt(index);
    if (IsYMandatory() != source->IsYMandatory())
        std::swap(x, y);
    const int at = FXValues->AddValue(x);
    FYValues->InsertValueAt(at, y);
    for (size_t i = 2; i < FValueLists.size(); ++i) {
        const double extra =
            int(i) < source->ValueListCount() && index < source->ValueList(int(i))->ValueCount()
                ? source->ValueList(int(i))->ValueAt(index)
                : 0.0;
        FValueLists[i]->InsertValueAt(at, extra);
    }
    const TColor color =
        index < int(source->FColors.size()) ? source->FColors[size_t(index)] : clAutoColor;
    FColors.insert(FColors.begin() + at, color);
    FLabels.insert(FLabels.begin() + at, index < int(source->FLabels.size())
                                             ? source->FLabels[size_t(index)]
                                             : std::nullopt);
    NotifyValueAdded(at);
}

void TChartSeries::ReloadFromSource() {
    if (IsLoading())
        return;
    if (TChartSeries* source = DataSource())
        AddValuesFrom(source);
}

void TChartSeries::CheckCircularSource(TChartSeries* candidate) const {
    if (!candidate)
        return;
    if (candidate == this)
        throw ChartException(SCircularSeries);
    for (TChartSeries* source : candidate->FDataSources)
        CheckCircularSource(source);
}

void TChartSeries::AddDataSource(TChartSeries* source) {
    if (!source ||
        std::find(FDataSources.begin(), FDataSources.end(), source) != FDataSources.end())
        return;
    CheckCircularSource(source);
    FDataSources.push_back(source);
    if (std::find(source->FDependents.begin(), source->FDependents.end(), this) ==
        source->FDependents.end())
        source->FDependents.push_back(this);
    ReloadFromSource();
}

void TChartSeries::RemoveDataSource(TChartSeries* source) {
    auto it = std::find(FDataSources.begin(), FDataSources.end(), source);
    if (it == FDataSources.end())
        return;
    FDataSources.erase(it);
    auto& deps = source->FDependents;
    deps.erase(std::remove(deps.begin(), deps.end(), this), deps.end());
    ReloadFromSource();
}

void TChartSeries::UnlinkSources() {
    for (TChartSeries* source : FDataSources) {
        auto& deps = source->FDependents;
        deps.erase(std::remove(deps.begin(), deps.end(), this), deps.end());
    }
}

void TChartSeries::NotifyDependents(TSourceChange change, int index) {
    for (TChartSeries* dependent : std::vector<TChartSeries*>(FDependents)) {
        const auto& sources = dependent->FDataSources;
        if (std::find(sources.begin(), sources.end(), this) == sources.end())
            continue;
        const int flags = dependent->FSourceReactions;
        const bool hasFunction = dependent->FFunction != nullptr;
        switch (change) {
        case scCleared:
            if (flags & srCleared)
                dependent->ClearValues();
            break;
        case scAdded:
            if ((flags & srAdded) && !hasFunction)
                dependent->CopyPointFrom(this, index);
            break;
        case scDeleted:
            if ((flags & srDeleted) && !hasFunction)
                dependent->RemovePoint(this, index);
            break;
        case scValueChanged:
            if (flags & srValueChanged)
                dependent->AddValuesFrom(this);
            break;
        case scRefresh:
            dependent->AddValuesFrom(this);
            break;
        }
    }
}

void TChartSeries::AttachFunction(TTeeFunction* function) {
    if (FFunction && FFunction != function) {
        TTeeFunction* old = FFunction;
        FFunction = nullptr;
        old->FParent = nullptr;
        delete old;
    }
    FFunction = function;
    if (function)
        function->FParent = this;
    ReloadFromSource();
}

void TChartSeries::GetChildren(const TGetChildProc& proc, TComponent* /*root*/) {
    if (FFunction)
        proc(FFunction);
}

void TChartSeries::RepaintChart() {
    if (FParentChart)
        FParentChart->RepaintPanel();
}

void TChartSeries::SetBooleanProperty(bool& field, bool value) {
    if (field == value)
        return;
    field = value;
    RepaintChart();
}

void TChartSeries::SetIntegerProperty(int& field, int value) {
    if (field == value)
        return;
    field = value;
    RepaintChart();
}

void TChartSeries::SetColorProperty(TColor& field, TColor value) {
    if (field == value)
        return;
    field = value;
    RepaintChart();
}

void TChartSeries::SetActive(bool value) {
    SetBooleanProperty(FActive, value);
}

void TChartSeries::SetSeriesColor(TColor value) {
    SetColorProperty(FSeriesColor, value);
}

void TChartSeries::SetColorEachPoint(bool value) {
    if (FColorEachPoint == value)
        return;
    FColorEachPoint = value;
    if (!value)
        std::fill(FColors.begin(), FColors.end(), clAutoColor);
    RepaintChart();
}

void TChartSeries::SetTitle(const std::string& value) {
    if (FTitle == value)
        return;
    FTitle = value;
    RepaintChart();
}

// ---------------------------------------------------------------------------
// Axis title

TChartAxisTitle::TChartAxisTitle(TCustomChartAxis* axis, TTeePanelLink* parent)
    : TChartFontObject(parent), FAxis(axis) {}

void TChartAxisTitle::Publish(TPublisher<TChartAxisTitle>& p) {
    using T = TChartAxisTitle;
    p.Integer("Angle", &T::Angle, &T::SetAngle).Stored(TStoredFn([](const TObject* o) {
        auto* t = static_cast<const T*>(o);
        return t->Angle() != t->DefaultAngle();
    }));
    p.String("Caption", &T::Caption, &T::SetCaption);
    p.Class("Font", TFont::StaticClass(), &T::Font, &T::SetFont)
        .Stored(
            TStoredFn([](const TObject* o) { return static_cast<const T*>(o)->IsFontStored(); }));
}

void TChartAxisTitle::AssignFrom(const TPersistent* source) {
    if (auto* t = dynamic_cast<const TChartAxisTitle*>(source)) {
        FAxis = t->FAxis;
        FAngle = t->FAngle;
        FCaption = t->FCaption;
    }
    TChartFontObject::AssignFrom(source);
}

void TChartAxisTitle::SetAngle(int value) {
    if (FAngle == value)
        return;
    ValidateAngle(value, SAxisTitle);
    FAngle = value;
    Repaint();
}

void TChartAxisTitle::SetCaption(const std::string& value) {
    if (FCaption == value)
        return;
    FCaption = value;
    Repaint();
}

// ---------------------------------------------------------------------------
// TCustomChartAxis

TCustomChartAxis::TCustomChartAxis(TTeePanelLink* parentChart, bool horizontal, bool otherSide,
                                   bool isDepthAxis)
    : FParentChart(parentChart), FHorizontal(horizontal), FOtherSide(otherSide),
      FIsDepthAxis(isDepthAxis) {
    TNotifyEvent changed(this, &TCustomChartAxis::PenChanged);
    FAxis = std::make_unique<TChartAxisPen>(changed);
    FGrid = std::make_unique<TDottedGrayPen>(changed);
    FTicks = std::make_unique<TDarkGrayPen>(changed);
    FTicksInner = std::make_unique<TDarkGrayPen>(changed);
    FMinorTicks = std::make_unique<TDarkGrayPen>(changed);
    FLabelsFont = NewStandardFont(changed);
    FTitle = std::make_unique<TChartAxisTitle>(this, parentChart);
    if (!horizontal && !isDepthAxis) {
        const int angle = otherSide ? 270 : 90;
        FTitle->SetDefaultAngle(angle);
        FTitle->SetAngle(angle);
    }
}

TCustomChartAxis::~TCustomChartAxis() = default;

void TCustomChartAxis::Publish(TPublisher<TCustomChartAxis>& p) {
    using T = TCustomChartAxis;
    auto notAutomaticMax = [](const TObject* o) {
        auto* a = static_cast<const T*>(o);
        return !a->Automatic() && !a->AutomaticMaximum();
    };
    auto notAutomaticMin = [](const TObject* o) {
        auto* a = static_cast<const T*>(o);
        return !a->Automatic() && !a->AutomaticMinimum();
    };
    p.Bool("Automatic", &T::Automatic, &T::SetAutomatic).Default(true);
    p.Bool("AutomaticMaximum", &T::AutomaticMaximum, &T::SetAutomaticMaximum).Default(true);
    p.Bool("AutomaticMinimum", &T::AutomaticMinimum, &T::SetAutomaticMinimum).Default(true);
    p.Class("Axis", TChartAxisPen::StaticClass(), &T::Axis, &T::SetAxis);
    p.String("AxisValuesFormat", &T::AxisValuesFormat, &T::SetAxisValuesFormat)
        .Default(SDefaultValueFormat);
    p.String("DateTimeFormat", &T::DateTimeFormat, &T::SetDateTimeFormat);
    p.Bool("ExactDateTime", &T::ExactDateTime, &T::SetExactDateTime).Default(true);
    p.Class("Grid", TDottedGrayPen::StaticClass(), &T::Grid, &T::SetGrid);
    p.Bool("GridCentered", &T::GridCentered, &T::SetGridCentered).Default(false);
    p.Float("Increment", &T::Increment, &T::SetIncrement).Default(0.0);
    p.Bool("Inverted", &T::Inverted, &T::SetInverted).Default(false);
    p.Bool("Labels", &T::Labels, &T::SetLabels).Default(true);
    p.Integer("LabelsAngle", &T::LabelsAngle, &T::SetLabelsAngle).Default(0);
    p.Class("LabelsFont", TFont::StaticClass(), &T::LabelsFont, &T::SetLabelsFont)
        .Stored(TStoredFn([](const TObject* o) {
            return !IsStandardFont(static_cast<const T*>(o)->LabelsFont());
        }));
    p.Bool("LabelsMultiLine", &T::LabelsMultiLine, &T::SetLabelsMultiLine).Default(false);
    p.Bool("LabelsOnAxis", &T::LabelsOnAxis, &T::SetLabelsOnAxis).Default(true);
    p.Integer("LabelsSeparation", &T::LabelsSeparation, &T::SetLabelsSeparation).Default(10);
    p.Integer("LabelsSize", &T::LabelsSize, &T::SetLabelsSize).Default(0);
    p.Enum("LabelStyle", TypeInfoTAxisLabelStyle(), &T::LabelStyle, &T::SetLabelStyle)
        .Default(talAuto);
    p.Bool("Logarithmic", &T::Logarithmic, &T::SetLogarithmic).Default(false);
    p.Integer("LogarithmicBase", &T::LogarithmicBase, &T::SetLogarithmicBase).Default(10);
    p.Float("Maximum", &T::Maximum, &T::SetMaximum).Stored(TStoredFn(notAutomaticMax));
    p.Float("Minimum", &T::Minimum, &T::SetMinimum).Stored(TStoredFn(notAutomaticMin));
    p.Class("MinorTicks", TDarkGrayPen::StaticClass(), &T::MinorTicks, &T::SetMinorTicks);
    p.Integer("MinorTickCount", &T::MinorTickCount, &T::SetMinorTickCount).Default(3);
    p.Integer("MinorTickLength", &T::MinorTickLength, &T::SetMinorTickLength).Default(2);
    p.Float("StartPosition", &T::StartPosition, &T::SetStartPosition).Default(0.0);
    p.Float("EndPosition", &T::EndPosition, &T::SetEndPosition).Default(100.0);
    p.Float("PositionPercent", &T::PositionPercent, &T::SetPositionPercent).Default(0.0);
    p.Bool("RoundFirstLabel", &T::RoundFirstLabel, &T::SetRoundFirstLabel).Default(true);
    p.Class("Ticks", TDarkGrayPen::StaticClass(), &T::Ticks, &T::SetTicks);
    p.Class("TicksInner", TDarkGrayPen::StaticClass(), &T::TicksInner, &T::SetTicksInner);
    p.Integer("TickInnerLength", &T::TickInnerLength, &T::SetTickInnerLength).Default(0);
    p.Integer("TickLength", &T::TickLength, &T::SetTickLength).Default(4);
    p.Bool("TickOnLabelsOnly", &T::TickOnLabelsOnly, &T::SetTickOnLabelsOnly).Default(true);
    p.Class("Title", TChartAxisTitle::StaticClass(), &T::Title, &T::SetTitle);
    p.Integer("TitleSize", &T::TitleSize, &T::SetTitleSize).Default(0);
    p.Bool("Visible", &T::Visible, &T::SetVisible).Default(true);
}

void TCustomChartAxis::AssignFrom(const TPersistent* source) {
    auto* a = dynamic_cast<const TCustomChartAxis*>(source);
    if (!a) {
        TPersistent::AssignFrom(source);
        return;
    }
    FAutomatic = a->FAutomatic;
    FAutomaticMaximum = a->FAutomaticMaximum;
    FAutomaticMinimum = a->FAutomaticMinimum;
    FMaximum = a->FMaximum;
    FMinimum = a->FMinimum;
    FIncrement = a->FIncrement;
    FLogarithmic = a->FLogarithmic;
    FLogarithmicBase = a->FLogarithmicBase;
    FInverted = a->FInverted;
    FAxis->AssignFrom(a->FAxis.get());
    FGrid->AssignFrom(a->FGrid.get());
    FGridCentered = a->FGridCentered;
    FTicks->AssignFrom(a->FTicks.get());
    FTicksInner->AssignFrom(a->FTicksInner.get());
    FMinorTicks->AssignFrom(a->FMinorTicks.get());
    FTickLength = a->FTickLength;
    FTickInnerLength = a->FTickInnerLength;
    FMinorTickLength = a->FMinorTickLength;
    FMinorTickCount = a->FMinorTickCount;
    FTickOnLabelsOnly = a->FTickOnLabelsOnly;
    FLabels = a->FLabels;
    FLabelsAngle = a->FLabelsAngle;
    FLabelsFont->AssignFrom(a->FLabelsFont.get());
    FLabelsOnAxis = a->FLabelsOnAxis;
    FLabelsSeparation = a->FLabelsSeparation;
    FLabelsSize = a->FLabelsSize;
    FTitleSize = a->FTitleSize;
    FLabelsMultiLine = a->FLabelsMultiLine;
    FLabelStyle = a->FLabelStyle;
    FAxisValuesFormat = a->FAxisValuesFormat;
    FDateTimeFormat = a->FDateTimeFormat;
    FExactDateTime = a->FExactDateTime;
    FRoundFirstLabel = a->FRoundFirstLabel;
    FTitle->AssignFrom(a->FTitle.get());
    FVisible = a->FVisible;
    FStartPosition = a->FStartPosition;
    FEndPosition = a->FEndPosition;
    FPositionPercent = a->FPositionPercent;
    FIsDepthAxis = a->FIsDepthAxis;
}

void TCustomChartAxis::Repaint() {
    if (FParentChart)
        FParentChart->RepaintPanel();
}

void TCustomChartAxis::PenChanged(TObject* /*sender*/) {
    Repaint();
}

void TCustomChartAxis::SetBooleanValue(bool& field, bool value) {
    if (field == value)
        return;
    field = value;
    Repaint();
}

void TCustomChartAxis::SetIntegerValue(int& field, int value) {
    if (field == value)
        return;
    field = value;
    Repaint();
}

void TCustomChartAxis::SetDoubleValue(double& field, double value) {
    if (field == value)
        return;
    field = value;
    Repaint();
}

// ---- Range

void TCustomChartAxis::SetAutomatic(bool value) {
    FAutomatic = value;
    if (!Loading()) {
        FAutomaticMinimum = value;
        FAutomaticMaximum = value;
    }
    Repaint();
}

void TCustomChartAxis::SetAutomaticMaximum(bool value) {
    if (FAutomaticMaximum == value)
        return;
    FAutomaticMaximum = value;
    if (!value)
        FAutomatic = false;
    else if (FAutomaticMinimum)
        FAutomatic = true;
    Repaint();
}

void TCustomChartAxis::SetAutomaticMinimum(bool value) {
    if (FAutomaticMinimum == value)
        return;
    FAutomaticMinimum = value;
    if (!value)
        FAutomatic = false;
    else if (FAutomaticMaximum)
        FAutomatic = true;
    Repaint();
}

void TCustomChartAxis::SetMaximum(double value) {
    if (!Loading() && value < FMinimum)
        throw AxisException(SAxisMaxMin);
    SetDoubleValue(FMaximum, value);
}

void TCustomChartAxis::SetMinimum(double value) {
    if (!Loading() && value > FMaximum)
        throw AxisException(SAxisMinMax);
    SetDoubleValue(FMinimum, value);
}

void TCustomChartAxis::SetMinMax(double minimum, double maximum) {
    if (!Loading() && minimum > maximum)
        throw AxisException(SAxisMinMax);
    FAutomatic = FAutomaticMinimum = FAutomaticMaximum = false;
    FMinimum = minimum;
    FMaximum = maximum;
    Repaint();
}

void TCustomChartAxis::FixRange(double a, double b) {
    FAutomatic = FAutomaticMinimum = FAutomaticMaximum = false;
    FMinimum = std::min(a, b);
    FMaximum = std::max(a, b);
    if (FMaximum - FMinimum < 1e-10)
        FMaximum = FMinimum + 1e-10;
    Repaint();
}

void TCustomChartAxis::RecalcLimits() {
    if (FLimitQuery) {
        if (FAutomatic || FAutomaticMaximum)
            FMaximum = FLimitQuery(this, false);
        if (FAutomatic || FAutomaticMinimum)
            FMinimum = FLimitQuery(this, true);
    }
    SetWorkingRange(FMinimum, FMaximum);
}

void TCustomChartAxis::SetWorkingRange(double minimum, double maximum) {
    FMinimumValue = minimum;
    FMaximumValue = maximum;
    FRange = maximum - minimum;
}

void TCustomChartAxis::SetPixelRange(int startMargin, int endMargin) {
    const int start = FIStartPos;
    const int end = FIEndPos;
    FIStartPos = start + startMargin;
    FIEndPos = end - endMargin;
    FIAxisSize = FIEndPos - FIStartPos;
    double a = FMinimumValue;
    double b = FMaximumValue;
    if (FIAxisSize >= 1) {
        a = PixelToValue(start);
        b = PixelToValue(end);
    }
    FIStartPos = start;
    FIEndPos = end;
    FIAxisSize = end - start;
    FICenterPos = (start + end) / 2;
    SetWorkingRange(std::min(a, b), std::max(a, b));
}

// ---- Pixels

void TCustomChartAxis::PlaceOnSide(int origin, int length) {
    FIStartPos = origin + int(Round(length * FStartPosition / 100));
    FIEndPos = origin + int(Round(length * FEndPosition / 100));
    FIAxisSize = FIEndPos - FIStartPos;
    FICenterPos = (FIStartPos + FIEndPos) / 2;
}

int TCustomChartAxis::ValueToPixel(double value) const {
    const double m = FMinimumValue;
    const double M = FMaximumValue;
    const double r = FRange;
    if (FIsDepthAxis) {
        if (r == 0)
            return FTotalDepth / 2;
        const double d = FTotalDepth * ((FInverted ? M - value : value - m) / r);
        return int(Round(std::clamp(d, -kMaxPixelOffset, kMaxPixelOffset)));
    }
    const int s = FIStartPos;
    const int e = FIEndPos;
    const int n = FIAxisSize;
    double d;
    if (FLogarithmic) {
        if (m <= 0)
            return FICenterPos;
        const double lm = std::log(m);
        const double lM = std::log(M);
        const double span = lM - lm;
        if (span == 0 || !std::isfinite(span))
            return FICenterPos;
        // No logarithm for 0 or less: such a value sits at the end that stands for the minimum.
        if (value <= 0)
            return FHorizontal != FInverted ? s : e;
        const double lx = std::log(value);
        d = n * (FInverted ? lM - lx : lx - lm) / span;
        if (std::isnan(d))
            return FICenterPos;
        const int offset = int(Round(std::clamp(d, -kMaxPixelOffset, kMaxPixelOffset)));
        return FHorizontal ? s + offset : e - offset;
    }
    if (r == 0)
        return FICenterPos;
    d = (value - m) * n / r;
    if (std::isnan(d))
        return FICenterPos;
    const int offset = int(Round(std::clamp(d, -kMaxPixelOffset, kMaxPixelOffset)));
    if (FHorizontal)
        return FInverted ? e - offset : s + offset;
    return FInverted ? s + offset : e - offset;
}

double TCustomChartAxis::PixelToValue(int pixel) const {
    const int s = FIStartPos;
    const int e = FIEndPos;
    const int n = FIAxisSize;
    if (n < 1)
        return 0;
    const double m = FMinimumValue;
    const double M = FMaximumValue;
    if (FLogarithmic) {
        // The fraction of the way from the pixel that stands for the minimum.
        const int minPixel = FHorizontal != FInverted ? s : e;
        const int maxPixel = FHorizontal != FInverted ? e : s;
        if (pixel == minPixel)
            return m;
        if (pixel == maxPixel)
            return M;
        if (m <= 0 || M <= 0)
            return 0;
        const double fraction = double(std::abs(pixel - minPixel)) / n *
                                ((pixel - minPixel) * (maxPixel - minPixel) < 0 ? -1 : 1);
        return std::exp(std::log(m) + fraction * (std::log(M) - std::log(m)));
    }
    const double d = double(FInverted ? e - pixel : pixel - s) * FRange / n;
    return FHorizontal ? m + d : M - d;
}

// ---- Labels

bool TCustomChartAxis::IsLabelAcross() const {
    if (FHorizontal)
        return FLabelsAngle == 90 || FLabelsAngle == 270;
    return FLabelsAngle == 0 || FLabelsAngle == 180;
}

int TCustomChartAxis::LabelSizeForIncrement() {
    TCanvas3D* canvas = FParentChart ? FParentChart->ChartCanvas() : nullptr;
    if (!canvas || !canvas->ReferenceCanvas())
        return 0;
    canvas->Font()->AssignFrom(FLabelsFont.get());
    const std::string low = LabelText(FMinimumValue);
    const std::string high = LabelText(FMaximumValue);
    int lowLines = 0;
    int highLines = 0;
    const int lowWidth = WidestLineWidth(canvas, low, lowLines);
    const int highWidth = WidestLineWidth(canvas, high, highLines);
    if (IsLabelAcross())
        return canvas->FontHeight() * std::max(lowLines, highLines);
    return std::max(lowWidth, highWidth);
}

double TCustomChartAxis::CalcIncrement() {
    int size = LabelSizeForIncrement();
    if (size > 0 && FLabelsSeparation > 0)
        size += int(Round(size * FLabelsSeparation / 100.0));
    const int maxLabels = size == 0 ? 1 : int(Round(double(FIAxisSize) / size));
    if (maxLabels <= 0)
        return FIsDateTime ? kOneSecond : kMinimumStep;
    const double r = FRange;
    if (!std::isfinite(r))
        return FIsDateTime ? kOneSecond : kMinimumStep;

    if (FIsDateTime) {
        double step = std::max(FIncrement, kOneSecond);
        if (r / step > 1000000)
            step = r / 1000000;
        for (int guard = 0; guard < 5000 && Round(r / step) > maxLabels; ++guard)
            step = step >= 365 ? step * 2 : NextLargerDateStep(step);
        return std::max(step, kOneSecond);
    }

    double step = FIncrement > 0 ? FIncrement : (std::fabs(r) >= 1 ? 1 : kMinimumStep);
    if (FLabelsSeparation > 0) {
        auto tooMany = [&]() {
            const double q = r / step;
            if (!std::isfinite(q) || q > INT_MAX || q < INT_MIN)
                return true;
            return Round(q) > maxLabels;
        };
        for (int guard = 0; guard < 5000 && tooMany(); ++guard)
            step = NextNiceStep(step);
    }
    return std::max(step, kMinimumStep);
}

std::string TCustomChartAxis::LabelText(double value) const {
    std::string text;
    if (FIsDateTime) {
        if (value >= 0)
            text = FormatDateTime(
                FDateTimeFormat.empty() ? DateTimeFormatForStep(FRange) : FDateTimeFormat, value);
    } else {
        text = FormatFloat(FAxisValuesFormat, value);
    }
    if (FOnGetAxisLabel)
        FOnGetAxisLabel(const_cast<TCustomChartAxis*>(this), text);
    if (FLabelsMultiLine)
        std::replace(text.begin(), text.end(), ' ', TeeLineSeparator);
    return text;
}

void TCustomChartAxis::IncrementValue(bool up, double& value, int stepIndex, double step) const {
    if (FExactDateTime && FIsDateTime && stepIndex > dtOneWeek)
        AdvanceByStep(true, up, value, stepIndex, step);
    else
        value = up ? value + step : value - step;
}

std::vector<double> TCustomChartAxis::LabelValues(double step) {
    std::vector<double> values;
    const double m = FMinimumValue;
    const double M = FMaximumValue;
    int stepIndex = dtNone;
    if (FIsDateTime && FExactDateTime && FIncrement != 0) {
        stepIndex = DateTimeStepIndex(FIncrement);
        while (stepIndex < dtOneYear && step > DateTimeStep[size_t(stepIndex)])
            ++stepIndex;
    }
    const bool calendar = stepIndex >= dtHalfMonth && stepIndex <= dtOneYear;
    if (!(step > 0 || calendar) || M < m)
        return values;
    // The number of labels is limited by the range, not by the size of the values.
    if (step > 0 && FRange / step >= kMaxLabels)
        return values;

    double value;
    if (FIsDateTime && FExactDateTime && stepIndex > dtTwelveHours && stepIndex <= dtOneYear)
        value = AlignDateToStep(stepIndex, M);
    else if (m == M)
        value = M;
    else if (FRoundFirstLabel)
        value = std::trunc(M / step) * step;
    else
        value = M;

    auto aboveTop = [&](double v) { return FLabelsOnAxis ? v > M : v >= M; };
    auto aboveBottom = [&](double v) { return FLabelsOnAxis ? v >= m : v > m; };
    for (int guard = 0; guard < kMaxLabels && aboveTop(value); ++guard) {
        const double before = value;
        IncrementValue(false, value, stepIndex, step);
        if (!(value < before))
            return values;
    }
    for (int guard = 0; guard < kMaxLabels && aboveBottom(value); ++guard) {
        values.push_back(value);
        const double before = value;
        IncrementValue(false, value, stepIndex, step);
        if (!(value < before))
            break;
    }
    return values;
}

int TCustomChartAxis::SpaceNeeded() const {
    int space = 0;
    if (FAxis->Visible())
        space += FAxis->Width();
    if (FTicks->Visible())
        space += FTickLength;
    if (FMinorTicks->Visible())
        space = std::max(space, FMinorTickLength);
    return space;
}

// ---- Setters with checks

void TCustomChartAxis::SetIncrement(double value) {
    if (value < 0)
        throw AxisException(SAxisIncrementNegative);
    SetDoubleValue(FIncrement, value);
}

void TCustomChartAxis::SetLogarithmic(bool value) {
    if (FLogarithmic == value)
        return;
    if (value && !Loading()) {
        if (FIsDateTime)
            throw AxisException(SAxisLogDateTime);
        RecalcLimits();
        if (FMinimumValue < 0 || FMaximumValue < 0)
            throw AxisException(SAxisLogNotPositive);
    }
    FLogarithmic = value;
    Repaint();
}

void TCustomChartAxis::SetLogarithmicBase(int value) {
    if (value < 2)
        throw AxisException(SAxisLogBase);
    SetIntegerValue(FLogarithmicBase, value);
}

void TCustomChartAxis::SetLabelsAngle(int value) {
    if (FLabelsAngle == value)
        return;
    ValidateAngle(value, SAxisLabels);
    FLabelsAngle = value;
    Repaint();
}

void TCustomChartAxis::SetLabelsSeparation(int value) {
    if (value < 0)
        throw AxisException(SAxisLabelSep);
    SetIntegerValue(FLabelsSeparation, value);
}

// ---- Plain setters

void TCustomChartAxis::SetInverted(bool value) {
    SetBooleanValue(FInverted, value);
}
void TCustomChartAxis::SetGridCentered(bool value) {
    SetBooleanValue(FGridCentered, value);
}
void TCustomChartAxis::SetTickLength(int value) {
    SetIntegerValue(FTickLength, value);
}
void TCustomChartAxis::SetTickInnerLength(int value) {
    SetIntegerValue(FTickInnerLength, value);
}
void TCustomChartAxis::SetMinorTickLength(int value) {
    SetIntegerValue(FMinorTickLength, value);
}
void TCustomChartAxis::SetMinorTickCount(int value) {
    SetIntegerValue(FMinorTickCount, value);
}
void TCustomChartAxis::SetTickOnLabelsOnly(bool value) {
    SetBooleanValue(FTickOnLabelsOnly, value);
}
void TCustomChartAxis::SetLabels(bool value) {
    SetBooleanValue(FLabels, value);
}
void TCustomChartAxis::SetLabelsOnAxis(bool value) {
    SetBooleanValue(FLabelsOnAxis, value);
}
void TCustomChartAxis::SetLabelsSize(int value) {
    SetIntegerValue(FLabelsSize, value);
}
void TCustomChartAxis::SetTitleSize(int value) {
    SetIntegerValue(FTitleSize, value);
}
void TCustomChartAxis::SetLabelsMultiLine(bool value) {
    SetBooleanValue(FLabelsMultiLine, value);
}
void TCustomChartAxis::SetExactDateTime(bool value) {
    SetBooleanValue(FExactDateTime, value);
}
void TCustomChartAxis::SetRoundFirstLabel(bool value) {
    SetBooleanValue(FRoundFirstLabel, value);
}
void TCustomChartAxis::SetVisible(bool value) {
    SetBooleanValue(FVisible, value);
}
void TCustomChartAxis::SetStartPosition(double value) {
    SetDoubleValue(FStartPosition, value);
}
void TCustomChartAxis::SetEndPosition(double value) {
    SetDoubleValue(FEndPosition, value);
}
void TCustomChartAxis::SetPositionPercent(double value) {
    SetDoubleValue(FPositionPercent, value);
}

void TCustomChartAxis::SetLabelStyle(TAxisLabelStyle value) {
    if (FLabelStyle == value)
        return;
    FLabelStyle = value;
    Repaint();
}

void TCustomChartAxis::SetAxisValuesFormat(const std::string& value) {
    if (FAxisValuesFormat == value)
        return;
    FAxisValuesFormat = value;
    Repaint();
}

void TCustomChartAxis::SetDateTimeFormat(const std::string& value) {
    if (FDateTimeFormat == value)
        return;
    FDateTimeFormat = value;
    Repaint();
}

// ---------------------------------------------------------------------------
// TChartDepthAxis

TChartDepthAxis::TChartDepthAxis(TTeePanelLink* parentChart)
    : TCustomChartAxis(parentChart, false, true, true) {
    SetVisible(false);
}

void TChartDepthAxis::Publish(TPublisher<TChartDepthAxis>& p) {
    p.Bool("Visible", &TChartDepthAxis::Visible, &TChartDepthAxis::SetVisible).Default(false);
}
