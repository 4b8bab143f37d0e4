#include "chart/ChartEngine.h"

#include "framework/core/Streams.h"

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

void TChartValueList::StoreValue(int index, double value) {
    FValues[size_t(index)] = value;
    MarkModified();
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
    TChartPanelLink* chart = FParent ? FParent->ParentChart() : nullptr;
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
        size_t pos = text.find(ChartLineSeparator, start);
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
// TChartFunction

TChartFunction::TChartFunction(TComponent* owner) : TComponent(owner) {}

TChartFunction::~TChartFunction() {
    if (FParent && FParent->FFunction == this)
        FParent->FFunction = nullptr;
}

void TChartFunction::Publish(TPublisher<TChartFunction>& p) {
    using T = TChartFunction;
    p.Float("Period", &T::Period, &T::SetPeriod).Default(0.0);
    p.Enum("PeriodAlign", TypeInfoTFunctionPeriodAlign(), &T::PeriodAlign, &T::SetPeriodAlign)
        .Default(paCenter);
    p.Enum("PeriodStyle", TypeInfoTFunctionPeriodStyle(), &T::PeriodStyle, &T::SetPeriodStyle)
        .Default(psNumPoints);
}

void TChartFunction::AssignFrom(const TPersistent* source) {
    if (auto* f = dynamic_cast<const TChartFunction*>(source)) {
        FPeriod = f->FPeriod;
        FPeriodStyle = f->FPeriodStyle;
        FPeriodAlign = f->FPeriodAlign;
        return;
    }
    TComponent::AssignFrom(source);
}

void TChartFunction::AddPeriodPoint(TChartSeries* source, int first, int last, double x) {
    const double value = CalculateRange(source, first, last);
    AddFunctionXY(source->IsYMandatory(), value, x);
}

void TChartFunction::AddWholeRangePoints(TChartSeries* source, TChartValueList* positionList) {
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

void TChartFunction::AddPeriodPoints(TChartSeries* source, TChartValueList* positionList) {
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

double TChartFunction::CalculateRange(TChartSeries*, int, int) {
    return 0;
}

double TChartFunction::CalculateAcross(const std::vector<TChartSeries*>&, int) {
    return 0;
}

void TChartFunction::FillFromSource(TChartSeries* source) {
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

void TChartFunction::EndUpdate() {
    if (FUpdating) {
        FUpdating = false;
        Recalculate();
    }
}

void TChartFunction::Recalculate() {
    if (!FUpdating && FParent)
        FParent->ReloadFromSource();
}

TChartValueList* TChartFunction::ValueListToUse(TChartSeries* source) const {
    const std::string& name = FParent ? FParent->MandatoryValueList()->ValueSource() : "";
    if (name.empty())
        return source->MandatoryValueList();
    return source->ValueListByName(name);
}

void TChartFunction::AddFunctionXY(bool sourceIsYMandatory, double value, double position) {
    if (sourceIsYMandatory)
        FParent->AddPoint(position, value, {}, clAutoColor);
    else
        FParent->AddPoint(value, position, {}, clAutoColor);
}

void TChartFunction::AttachToSeries(TChartSeries* series) {
    if (!series || FParent == series)
        return;
    if (FParent)
        FParent->FFunction = nullptr;
    FParent = nullptr;
    series->AttachFunction(this);
}

TComponent* TChartFunction::ParentComponent() const {
    return FParent;
}

void TChartFunction::SetParentComponent(TComponent* value) {
    if (auto* series = dynamic_cast<TChartSeries*>(value))
        AttachToSeries(series);
}

void TChartFunction::SetPeriod(double value) {
    if (value < 0)
        throw Exception(SFunctionPeriod);
    if (FPeriod == value)
        return;
    FPeriod = value;
    Recalculate();
}

void TChartFunction::SetPeriodStyle(TFunctionPeriodStyle value) {
    if (FPeriodStyle == value)
        return;
    FPeriodStyle = value;
    Recalculate();
}

void TChartFunction::SetPeriodAlign(TFunctionPeriodAlign value) {
    if (FPeriodAlign == value)
        return;
    FPeriodAlign = value;
    Recalculate();
}

// ---------------------------------------------------------------------------
// TChartSeries

namespace {

// A random integer below range; 0 when the range is empty.
int RandomBelow(int range) {
    return range > 0 ? Random(range) : 0;
}

std::string LabelOrValue(const TChartSeries* series, int index) {
    std::string label = series->ValueLabel(index);
    if (label.empty())
        label = FormatFloat(series->ValueFormat(), series->MarkValueAt(index));
    return label;
}

} // namespace

const TTypeInfo* TypeInfoTHorizAxis() {
    static const TTypeInfo info = MakeEnumType(
        "THorizAxis", {"aTopAxis", "aBottomAxis", "aBothHorizAxis", "aCustomHorizAxis"});
    return &info;
}

const TTypeInfo* TypeInfoTVertAxis() {
    static const TTypeInfo info =
        MakeEnumType("TVertAxis", {"aLeftAxis", "aRightAxis", "aBothVertAxis", "aCustomVertAxis"});
    return &info;
}

const TTypeInfo* TypeInfoTLegendTextStyle() {
    static const TTypeInfo info =
        MakeEnumType("TLegendTextStyle", {"ltsPlain", "ltsLeftValue", "ltsRightValue",
                                          "ltsLeftPercent", "ltsRightPercent", "ltsXValue"});
    return &info;
}

TChartSeries::TChartSeries(TComponent* owner) : TComponent(owner) {
    FXValues = std::make_unique<TChartValueList>(this, SValuesX);
    FXValues->SetOrder(loAscending);
    FYValues = std::make_unique<TChartValueList>(this, SValuesY);
    FValueLists = {FXValues.get(), FYValues.get()};
    FMarks = std::make_unique<TSeriesMarks>(this);
}

TChartSeries::~TChartSeries() {
    if (FFunction) {
        TChartFunction* function = FFunction;
        FFunction = nullptr;
        function->FParent = nullptr;
        delete function;
    }
    UnlinkSources();
    FDataSources.clear();
    // A dependent that loses its only source is left without one (and cleared).
    for (TChartSeries* dependent : std::vector<TChartSeries*>(FDependents)) {
        if (dependent->FDataSources.size() == 1 && dependent->FDataSources[0] == this)
            dependent->SetDataSource(nullptr);
        else
            dependent->RemoveDataSource(this);
    }
    FDependents.clear();
    if (FParentChart)
        FParentChart->RemoveSeries(this);
}

void TChartSeries::Publish(TPublisher<TChartSeries>& p) {
    using T = TChartSeries;
    p.Bool("Active", &T::Active, &T::SetActive).Default(true);
    p.Bool("ColorEachPoint", &T::ColorEachPoint, &T::SetColorEachPoint).Default(false);
    p.String("ColorSource", &T::ColorSource, &T::SetColorSource);
    p.Integer("Cursor", &T::Cursor, &T::SetCursor).Default(0);
    p.Enum("HorizAxis", TypeInfoTHorizAxis(), &T::HorizAxis, &T::SetHorizAxis).Default(aBottomAxis);
    p.Class("Marks", TSeriesMarks::StaticClass(), &T::Marks, &T::SetMarks);
    p.Class("ParentChart", TComponent::StaticClass(), &T::ParentChart, &T::SetParentChart)
        .Stored(TStoredFn([](const TObject*) { return false; }));
    p.Class("DataSource", TComponent::StaticClass(), &T::DataSource, &T::SetDataSource);
    p.String("PercentFormat", &T::PercentFormat, &T::SetPercentFormat)
        .Default(SDefaultPercentFormat);
    p.Ordinal("SeriesColor", TypeInfoTColor(), &T::SeriesColor, &T::SetSeriesColor)
        .Default(int64_t(clAutoColor));
    p.Bool("ShowInLegend", &T::ShowInLegend, &T::SetShowInLegend).Default(true);
    p.String("Title", &T::Title, &T::SetTitle);
    p.String("ValueFormat", &T::ValueFormat, &T::SetValueFormat).Default(SDefaultValueFormat);
    p.Enum("VertAxis", TypeInfoTVertAxis(), &T::VertAxis, &T::SetVertAxis).Default(aLeftAxis);
    p.String("XLabelsSource", &T::XLabelsSource, &T::SetXLabelsSource);
    p.Class("XValues", TChartValueList::StaticClass(), &T::XValues, &T::SetXValues);
    p.Class("YValues", TChartValueList::StaticClass(), &T::YValues, &T::SetYValues);
    p.Event("AfterDrawValues", &T::AfterDrawValues, &T::SetAfterDrawValues);
    p.Event("BeforeDrawValues", &T::BeforeDrawValues, &T::SetBeforeDrawValues);
    p.Event("OnAfterAdd", &T::OnAfterAdd, &T::SetOnAfterAdd);
    p.Event("OnBeforeAdd", &T::OnBeforeAdd, &T::SetOnBeforeAdd);
    p.Event("OnClearValues", &T::OnClearValues, &T::SetOnClearValues);
    p.Event("OnClick", &T::OnClick, &T::SetOnClick);
    p.Event("OnDblClick", &T::OnDblClick, &T::SetOnDblClick);
    p.Event("OnGetMarkText", &T::OnGetMarkText, &T::SetOnGetMarkText);
}

void TChartSeries::DefineStreamedData(TFiler& filer) {
    TComponent::DefineStreamedData(filer);
    std::vector<std::string> names;
    for (TChartSeries* source : FDataSources)
        names.push_back(source->Name());
    filer.DefineStrings(
        "DataSources", names,
        [this](const std::vector<std::string>& value) {
            FPendingSources = value;
            FHasPendingSources = true;
        },
        FDataSources.size() > 1);
    filer.DefineString(
        "Identifier", FIdentifier, [this](const std::string& value) { FIdentifier = value; },
        !FIdentifier.empty());
    filer.DefineInteger(
        "Style", FStyle.ToInt(),
        [this](int64_t value) { FStyle = TChartSeriesStyle::FromInt(uint32_t(value) & 0x3F); },
        !FStyle.Empty());
}

void TChartSeries::AfterLoad() {
    TComponent::AfterLoad();
    if (FHasPendingSources) {
        FHasPendingSources = false;
        UnlinkSources();
        FDataSources.clear();
        for (const std::string& name : FPendingSources) {
            TComponent* found = Owner() ? Owner()->FindComponent(name) : nullptr;
            if (auto* source = dynamic_cast<TChartSeries*>(found)) {
                FDataSources.push_back(source);
                source->AddLinkedSeries(this);
            }
        }
        FPendingSources.clear();
    }
    if (FParentChart)
        FParentChart->RefreshFromSource(this);
}

void TChartSeries::ComponentNotification(TComponent* component, TOperation operation) {
    TComponent::ComponentNotification(component, operation);
    if (operation == opRemove && component && component == DataSource())
        SetDataSource(nullptr);
}

void TChartSeries::AssignFrom(const TPersistent* source) {
    auto* s = dynamic_cast<const TChartSeries*>(source);
    if (!s) {
        TComponent::AssignFrom(source);
        return;
    }
    auto* other = const_cast<TChartSeries*>(s);
    SetTag(s->Tag());
    SetDataSource(nullptr);
    if (IsYMandatory() == s->IsYMandatory()) {
        FXValues->AssignFrom(s->FXValues.get());
        FYValues->AssignFrom(s->FYValues.get());
    } else {
        FXValues->AssignFrom(s->FYValues.get());
        FYValues->AssignFrom(s->FXValues.get());
    }
    FXLabelsSource = s->FXLabelsSource;
    FColorSource = s->FColorSource;
    for (size_t i = 2; i < FValueLists.size() && i < s->FValueLists.size(); ++i)
        FValueLists[i]->AssignFrom(s->FValueLists[i]);
    if (s->FFunction && !FFunction && s->FFunction->ClassType()->CanCreate()) {
        auto* function = dynamic_cast<TChartFunction*>(s->FFunction->ClassType()->Create(Owner()));
        if (function) {
            function->AssignFrom(s->FFunction);
            function->FParent = this;
            FFunction = function;
        }
    }
    if (!s->FDataSources.empty()) {
        for (TChartSeries* src : s->FDataSources) {
            FDataSources.push_back(src);
            src->AddLinkedSeries(this);
        }
    } else if (!s->ComponentState().Contains(csDesigning)) {
        AddValuesFrom(other);
    }
    FMarks->AssignFrom(s->FMarks.get());
    FSeriesColor = s->FSeriesColor;
    FColorEachPoint = s->FColorEachPoint;
    FTitle = s->FTitle;
    FValueFormat = s->FValueFormat;
    FPercentFormat = s->FPercentFormat;
    FActive = s->FActive;
    FHorizAxis = s->FHorizAxis;
    FVertAxis = s->FVertAxis;
    FCursor = s->FCursor;
    FShowInLegend = s->FShowInLegend;
    FSourceReactions = s->FSourceReactions;
    FStyle = s->FStyle;
    FIdentifier = s->FIdentifier;
    ResolveAxes();
    if (FParentChart && DataSource())
        FParentChart->RefreshFromSource(this);
    RepaintChart();
}

// ---- Adding

int TChartSeries::AddPoint(double x, double y, const std::string& label, TColor color) {
    if (FOnBeforeAdd && !FOnBeforeAdd(this))
        return -1;
    const int index = AppendPointQuietly(x, y, label, color);
    NotifyValueAdded(index);
    return index;
}

int TChartSeries::AppendPointQuietly(double x, double y, const std::string& label, TColor color) {
    const int index = FXValues->AddValue(x);
    FYValues->InsertValueAt(index, y);
    for (size_t i = 2; i < FValueLists.size(); ++i)
        FValueLists[i]->InsertValueAt(index, PendingValueOf(int(i)));
    FColors.insert(FColors.begin() + index, color);
    FLabels.insert(FLabels.begin() + index,
                   label.empty() ? std::nullopt : std::optional<std::string>(label));
    return index;
}

void TChartSeries::DeletePointQuietly(int index) {
    for (TChartValueList* list : FValueLists)
        list->DeleteValueAt(index);
    if (index < int(FColors.size()))
        FColors.erase(FColors.begin() + index);
    if (index < int(FLabels.size()))
        FLabels.erase(FLabels.begin() + index);
    FMarks->Positions().Delete(index);
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

// ---- Removing

void TChartSeries::DeleteValue(int index) {
    DeletePointQuietly(index);
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

// ---- Reading

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

void TChartSeries::SetValueLabel(int index, const std::string& label) {
    if (index >= int(FLabels.size()))
        FLabels.resize(size_t(index) + 1);
    FLabels[size_t(index)] = label.empty() ? std::nullopt : std::optional<std::string>(label);
    RepaintChart();
}

TChartValueList* TChartSeries::ValueListByName(const std::string& name) const {
    for (size_t i = 2; i < FValueLists.size(); ++i)
        if (SameText(FValueLists[i]->Name(), name))
            return FValueLists[i];
    return FYValues.get();
}

void TChartSeries::SetXValues(const TChartValueList* value) {
    FXValues->AssignFrom(value);
    RepaintChart();
}

void TChartSeries::SetYValues(const TChartValueList* value) {
    FYValues->AssignFrom(value);
    RepaintChart();
}

// ---- Texts

std::string TChartSeries::FormatXValue(double value) const {
    if (FGetHorizAxis)
        return FGetHorizAxis->LabelText(value);
    return FormatFloat(FValueFormat, value);
}

std::string TChartSeries::MarkPercentText(int index, bool withTotal) const {
    const double total = PercentTotal();
    const double percent = total == 0 ? 100.0 : std::fabs(MarkValueAt(index)) * 100.0 / total;
    std::string text = FormatFloat(FPercentFormat, percent);
    if (withTotal)
        text = Format("%s of %s", {text, FormatFloat(FValueFormat, total)});
    return text;
}

std::string TChartSeries::GetMarkText(int index) {
    std::string text;
    switch (FMarks->Style()) {
    case smsValue:
        text = FormatFloat(FValueFormat, MarkValueAt(index));
        break;
    case smsPercent:
        text = MarkPercentText(index, false);
        break;
    case smsLabel:
        text = LabelOrValue(this, index);
        break;
    case smsLabelPercent:
        text = MarkPercentText(index, false) + " " + LabelOrValue(this, index);
        break;
    case smsLabelValue:
        text = FormatFloat(FValueFormat, MarkValueAt(index)) + " " + LabelOrValue(this, index);
        break;
    case smsLegend:
        if (FParentChart)
            text = FParentChart->LegendValueText(this, index);
        break;
    case smsPercentTotal:
        text = MarkPercentText(index, true);
        break;
    case smsLabelPercentTotal:
        text = MarkPercentText(index, true) + " " + LabelOrValue(this, index);
        break;
    case smsXValue:
        text = FormatXValue(XValueAt(index));
        break;
    }
    if (FOnGetMarkText)
        FOnGetMarkText(this, index, text);
    return text;
}

std::string TChartSeries::LegendItemText(int legendIndex, TLegendTextStyle style) const {
    const int index = LegendToValueIndex(legendIndex);
    const std::string label = ValueLabel(index);
    auto value = [&]() { return FormatFloat(FValueFormat, MarkValueAt(index)); };
    auto percent = [&]() {
        const double total = PercentTotal();
        return FormatFloat(FPercentFormat, total == 0 ? 100.0 : MarkValueAt(index) * 100.0 / total);
    };
    switch (style) {
    case ltsPlain:
        return label;
    case ltsLeftValue:
        return value() + " " + label;
    case ltsRightValue:
        return label + " " + value();
    case ltsLeftPercent:
        return percent() + " " + label;
    case ltsRightPercent:
        return label + " " + percent();
    case ltsXValue:
        return FormatXValue(XValueAt(index));
    }
    return label;
}

int TChartSeries::MaxMarkWidth() {
    TCanvas3D* canvas = FParentChart ? FParentChart->ChartCanvas() : nullptr;
    if (!canvas || !canvas->ReferenceCanvas())
        return 0;
    canvas->Font()->AssignFrom(FMarks->Font());
    int widest = 0;
    for (int i = 0; i < Count(); ++i) {
        int lines = 0;
        widest = std::max(widest, WidestLineWidth(canvas, GetMarkText(i), lines));
    }
    return widest;
}

// ---- Legend symbols

void TChartSeries::DrawLegendSymbol(int legendIndex, const TRect& r) {
    if (legendIndex == -1 && FColorEachPoint)
        return;
    if (!FParentChart)
        return;
    const TColor color = legendIndex == -1 ? FSeriesColor : LegendItemColor(legendIndex);
    if (color == clNone)
        return;
    TColor back = FParentChart->LegendSymbolBackColor();
    TBrushStyle style = bsSolid;
    PrepareLegendCanvas(legendIndex, back, style);
    if (back == clAutoColor)
        back = FParentChart->ChartBackColor();
    if (back == clAutoColor)
        back = FParentChart->Color();
    FParentChart->PrepareBrush(color, style, back);
    DrawLegendShape(legendIndex, r);
}

void TChartSeries::DrawLegendShape(int /*legendIndex*/, const TRect& r) {
    TChartCanvas3D* canvas = FParentChart->Canvas3D();
    canvas->FillRectangle(r);
    TColor back = FParentChart->LegendSymbolBackColor();
    if (back == clAutoColor)
        back = FParentChart->ChartBackColor();
    if (back == clAutoColor)
        back = FParentChart->Color();
    // A symbol in the background's colour gets an outline, so that it shows.
    if (ColorToRGB(canvas->Brush()->Color()) == ColorToRGB(back)) {
        canvas->Brush()->SetStyle(bsClear);
        if (back == clBlack)
            canvas->Pen()->SetColor(clWhite);
        canvas->DrawRectangleRecord(r);
        canvas->Pen()->SetColor(clBlack);
    }
}

// ---- Sources

void TChartSeries::AddValuesFrom(TChartSeries* source) {
    if (!source || !CanCopyFrom(source))
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

int TChartSeries::CopyValueFrom(TChartSeries* source, int index) {
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
    return at;
}

void TChartSeries::CopyPointFrom(TChartSeries* source, int index) {
    const int at = CopyValueFrom(source, index);
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

void TChartSeries::SetDataSource(TComponent* value) {
    if (!value) {
        if (FDataSources.empty())
            return;
        UnlinkSources();
        FDataSources.clear();
        if (ComponentState().Contains(csDesigning))
            FillSampleValues(NumSampleValues());
        else
            ClearValues();
        RepaintChart();
        return;
    }
    auto* source = dynamic_cast<TChartSeries*>(value);
    if (!IsLoading()) {
        if (!FParentChart)
            throw ChartException(SNoParentChartSource);
        if (!FParentChart->IsValidSource(this, value))
            throw ChartException(Format(SInvalidDataSource, {value->Name()}));
    }
    if (!source ||
        std::find(FDataSources.begin(), FDataSources.end(), source) != FDataSources.end())
        return;
    CheckCircularSource(source);
    if (!IsLoading()) {
        UnlinkSources();
        FDataSources.clear();
    }
    FDataSources.push_back(source);
    source->AddLinkedSeries(this);
    if (!IsLoading() && FParentChart)
        FParentChart->RefreshFromSource(this);
}

void TChartSeries::AddDataSource(TChartSeries* source) {
    if (!source ||
        std::find(FDataSources.begin(), FDataSources.end(), source) != FDataSources.end())
        return;
    CheckCircularSource(source);
    FDataSources.push_back(source);
    source->AddLinkedSeries(this);
    ReloadFromSource();
}

void TChartSeries::RemoveDataSource(TChartSeries* source) {
    auto it = std::find(FDataSources.begin(), FDataSources.end(), source);
    if (it == FDataSources.end())
        return;
    FDataSources.erase(it);
    source->RemoveLinkedSeries(this);
    ReloadFromSource();
}

void TChartSeries::AddLinkedSeries(TChartSeries* series) {
    if (series && std::find(FDependents.begin(), FDependents.end(), series) == FDependents.end())
        FDependents.push_back(series);
}

void TChartSeries::RemoveLinkedSeries(TChartSeries* series) {
    FDependents.erase(std::remove(FDependents.begin(), FDependents.end(), series),
                      FDependents.end());
}

void TChartSeries::UnlinkSources() {
    for (TChartSeries* source : FDataSources)
        source->RemoveLinkedSeries(this);
}

void TChartSeries::UnlinkDataSources() {
    UnlinkSources();
    FDataSources.clear();
}

bool TChartSeries::LoadGalleryBitmap(TBitmap* bitmap) {
    return LoadSeriesBitmap(this, bitmap);
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

void TChartSeries::AttachFunction(TChartFunction* function) {
    if (FFunction && FFunction != function) {
        TChartFunction* old = FFunction;
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

// ---- The chart and the axes

void TChartSeries::SetParentChart(TCustomAxisPanel* value) {
    if (FParentChart == value)
        return;
    if (FParentChart)
        FParentChart->RemoveSeries(this);
    FParentChart = value;
    ResolveAxes();
    if (value)
        value->AddSeries(this);
}

TComponent* TChartSeries::ParentComponent() const {
    return FParentChart;
}

void TChartSeries::SetParentComponent(TComponent* value) {
    if (auto* chart = dynamic_cast<TCustomAxisPanel*>(value))
        SetParentChart(chart);
}

void TChartSeries::ResolveAxes() {
    if (!FParentChart) {
        FGetHorizAxis = nullptr;
        FGetVertAxis = nullptr;
        return;
    }
    FGetHorizAxis = FParentChart->BottomAxis();
    if (FHorizAxis == aTopAxis)
        FGetHorizAxis = FParentChart->TopAxis();
    else if (FHorizAxis == aCustomHorizAxis && FCustomHorizAxis)
        FGetHorizAxis = FCustomHorizAxis;
    FGetVertAxis = FParentChart->LeftAxis();
    if (FVertAxis == aRightAxis)
        FGetVertAxis = FParentChart->RightAxis();
    else if (FVertAxis == aCustomVertAxis && FCustomVertAxis)
        FGetVertAxis = FCustomVertAxis;
}

bool TChartSeries::UsesAxis(const TCustomChartAxis* axis) const {
    if (!UsesAxes() || !axis || axis->IsDepthAxis())
        return false;
    if (axis->Horizontal())
        return FHorizAxis == aBothHorizAxis || axis == FGetHorizAxis;
    return FVertAxis == aBothVertAxis || axis == FGetVertAxis;
}

void TChartSeries::SetHorizAxis(THorizAxis value) {
    if (FHorizAxis == value)
        return;
    FHorizAxis = value;
    ResolveAxes();
    RepaintChart();
}

void TChartSeries::SetVertAxis(TVertAxis value) {
    if (FVertAxis == value)
        return;
    FVertAxis = value;
    ResolveAxes();
    RepaintChart();
}

void TChartSeries::SetCustomHorizAxis(TCustomChartAxis* value) {
    FCustomHorizAxis = value;
    ResolveAxes();
    RepaintChart();
}

void TChartSeries::SetCustomVertAxis(TCustomChartAxis* value) {
    FCustomVertAxis = value;
    ResolveAxes();
    RepaintChart();
}

int TChartSeries::CalcXPosValue(double value) const {
    return FGetHorizAxis ? FGetHorizAxis->ValueToPixel(value) : 0;
}

int TChartSeries::CalcYPosValue(double value) const {
    return FGetVertAxis ? FGetVertAxis->ValueToPixel(value) : 0;
}

int TChartSeries::CalcPosValue(double value) const {
    return IsYMandatory() ? CalcYPosValue(value) : CalcXPosValue(value);
}

double TChartSeries::XScreenToValue(int pixel) const {
    return FGetHorizAxis ? FGetHorizAxis->PixelToValue(pixel) : 0;
}

// ---- Drawing

void TChartSeries::CalcFirstLastVisible() {
    FFirstVisible = -1;
    FLastVisible = -1;
    const int count = Count();
    if (count == 0)
        return;
    const bool yMandatory = IsYMandatory();
    TChartValueList* other = yMandatory ? FXValues.get() : FYValues.get();
    TCustomChartAxis* axis = yMandatory ? FGetHorizAxis : FGetVertAxis;
    if (!FCalcVisiblePoints || other->Order() == loNone || !axis || !FParentChart) {
        FFirstVisible = 0;
        FLastVisible = count - 1;
        return;
    }
    const TRect& r = FParentChart->ChartRect();
    double low;
    double high;
    if (yMandatory) {
        low = axis->PixelToValue(axis->Inverted() ? r.Right : r.Left);
        high = axis->PixelToValue(axis->Inverted() ? r.Left : r.Right);
    } else {
        low = axis->PixelToValue(axis->Inverted() ? r.Top : r.Bottom);
        high = axis->PixelToValue(axis->Inverted() ? r.Bottom : r.Top);
    }
    // Binary searches find the two ends. A descending list is searched as the ascending
    // list of its negated values, from the high end of the axis to the low.
    const double sign = other->Order() == loDescending ? -1 : 1;
    if (sign < 0) {
        std::swap(low, high);
        low = -low;
        high = -high;
    }
    auto valueAt = [&](int index) { return sign * other->ValueAt(index); };
    auto firstNotBelow = [&](int from, double value) {
        int lo = from;
        int hi = count;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (valueAt(mid) < value)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    const int first = firstNotBelow(0, low);
    if (first >= count)
        return;
    FFirstVisible = first;
    if (valueAt(count - 1) > high) {
        int last = firstNotBelow(first, high);
        if (last >= count)
            last = count - 1;
        if (!FDrawBetweenPoints && valueAt(last) > high)
            --last;
        FLastVisible = last;
    } else {
        FLastVisible = count - 1;
    }
}

void TChartSeries::DoBeforeDrawValues() {
    if (FBeforeDrawValues)
        FBeforeDrawValues(this);
}

void TChartSeries::DoAfterDrawValues() {
    if (FAfterDrawValues)
        FAfterDrawValues(this);
}

void TChartSeries::DrawAllValues() {
    if (FFirstVisible < 0)
        return;
    if (DrawValuesForward()) {
        for (int i = FFirstVisible; i <= FLastVisible; ++i)
            DrawValue(i);
    } else {
        for (int i = FLastVisible; i >= FFirstVisible; --i)
            DrawValue(i);
    }
}

void TChartSeries::DrawMarks() {
    if (!FParentChart || FFirstVisible < 0)
        return;
    TChartCanvas3D* canvas = FParentChart->Canvas3D();
    TView3DOptions* options = FParentChart->View3DOptions();
    for (int i = FFirstVisible; i <= FLastVisible && i < Count(); ++i) {
        if (ValueColor(i) == clNone)
            continue;
        const std::string text = GetMarkText(i);
        if (text.empty())
            continue;
        FParentChart->AssignCanvasFont(FMarks->Font());
        if (FParentChart->View3D() && options->ZoomText() && options->Zoom() != 100)
            canvas->Font()->SetSize(
                std::max(1, int(Round(canvas->Font()->Size() * options->Zoom() / 100.0))));
        int lines = 0;
        int width = WidestLineWidth(canvas, text, lines) + canvas->MeasureTextWidth("W");
        int height = lines * canvas->FontHeight();
        if (FMarks->Frame()->Visible()) {
            width += 2 * FMarks->Frame()->Width();
            height += 2 * FMarks->Frame()->Width();
        }
        TSeriesMarkPosition position;
        position.ArrowFrom = TPoint(CalcXPos(i), CalcYPos(i));
        position.ArrowTo = position.ArrowFrom;
        position.Width = width;
        position.Height = height;
        position.LeftTop = TPoint(position.ArrowTo.X - width / 2, position.ArrowTo.Y - height + 1);
        DrawMark(i, text, position);
    }
}

void TChartSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    FMarks->DrawMarkItem(index, ValueColor(index), text, position);
}

// ---- Depth

void TChartSeries::CalcZOrder() {
    if (!FParentChart)
        return;
    if (FDepth == -1) {
        if (FParentChart->View3D()) {
            FParentChart->SetSeriesHigh(FParentChart->SeriesHigh() + 1);
            FZOrder = FParentChart->SeriesHigh();
        } else {
            FZOrder = 0;
        }
    } else {
        FParentChart->SetSeriesHigh(std::max(FParentChart->SeriesHigh(), FDepth));
    }
}

bool TChartSeries::SharesDepth() const {
    if (!FParentChart)
        return false;
    for (TChartSeries* s : FParentChart->SeriesList())
        if (s != this && s->Active() && s->ZPosition() == ZPosition())
            return true;
    return false;
}

bool TChartSeries::IsFirstInDepth() const {
    if (!FActive)
        return false;
    if (!FParentChart)
        return true;
    for (TChartSeries* s : FParentChart->SeriesList()) {
        if (s == this)
            return true;
        if (s->Active() && s->ZPosition() == ZPosition())
            return false;
    }
    return true;
}

void TChartSeries::SetDepthSpan(int startZ, int endZ) {
    FStartZ = startZ;
    FEndZ = endZ;
    FMiddleZ = (startZ + endZ) / 2;
    FMarks->SetZPosition(FMiddleZ);
}

// ---- Stacking, samples, gallery

double TChartSeries::StackedSumAt(int index, bool includeAll) const {
    if (!FParentChart)
        return 0;
    double sum = 0;
    for (TChartSeries* s : FParentChart->SeriesList()) {
        if (!includeAll && s == this)
            break;
        const bool sameFamily = s->InheritsFrom(ClassType()) || InheritsFrom(s->ClassType());
        if (s->Active() && sameFamily && s->Count() > index)
            sum += s->OriginValueAt(index);
    }
    return sum;
}

void TChartSeries::CalcRandomBounds(int count, double& minX, double& maxX, double& minY,
                                    double& maxY) {
    Randomize();
    bool anyPoints = false;
    if (FParentChart)
        for (TChartSeries* s : FParentChart->SeriesList())
            if (s->Active() && s->Count() > 0)
                anyPoints = true;
    if (anyPoints && FGetHorizAxis && FGetVertAxis) {
        minY = FParentChart->MinYValue(FGetVertAxis);
        maxY = FParentChart->MaxYValue(FGetVertAxis);
        minX = FParentChart->MinXValue(FGetHorizAxis);
        maxX = FParentChart->MaxXValue(FGetHorizAxis);
        if (maxY == minY)
            maxY = minY == 0 ? 1000 : 2 * minY;
        if (maxX == minX)
            maxX = minX == 0 ? count : 2 * minX;
        return;
    }
    minY = 0;
    maxY = 1000;
    if (FXValues->DateTime()) {
        minX = double(Trunc(Now()));
        maxX = minX + count - 1;
    } else {
        minX = 0;
        maxX = count - 1;
    }
}

void TChartSeries::FillSampleValues(int count) {
    if (count <= 0)
        throw Exception(SFillSample);
    ClearValues();
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    CalcRandomBounds(count, minX, maxX, minY, maxY);
    const double stepX = count > 1 ? (maxX - minX) / (count - 1) : maxX - minX;
    const double spanY = std::clamp(maxY - minY, -2147483647.0, 2147483647.0);
    const int range = int(Round(spanY));
    double y = minY + RandomBelow(range);
    double x = minX;
    {
        // One repaint at the end, not one per point.
        TCustomAxisPanel* chart = FParentChart;
        FParentChart = nullptr;
        struct TRestore {
            TCustomAxisPanel*& Field;
            TCustomAxisPanel* Value;
            ~TRestore() { Field = Value; }
        } restore{FParentChart, chart};
        for (int i = 0; i < count; ++i) {
            const int d = range / 4;
            y = std::fabs(y + RandomBelow(d) - d / 2);
            AddPoint(x, y, {}, clAutoColor);
            x += stepX;
        }
    }
    NotifyDependents(scRefresh);
    RepaintChart();
}

void TChartSeries::PrepareForGallery(bool keepColor) {
    FillSampleValues(4);
    FMarks->SetVisible(false);
    SetColorEachPoint(false);
    if (!keepColor)
        SetSeriesColor(clSilver);
}

void TChartSeries::PrepareGalleryChart(bool is3D) {
    if (!FParentChart)
        return;
    FParentChart->SetView3D(is3D);
    FParentChart->SetClipPoints(!is3D);
}

bool TChartSeries::DispatchClick(int index, TMouseButton button, TShiftState shift, int x, int y) {
    if (!FParentChart)
        return false;
    FParentChart->SetClickHandled(false);
    if (shift.Contains(ssDouble) && FOnDblClick) {
        FParentChart->SetClickHandled(true);
        FOnDblClick(this, index, button, shift, x, y);
    } else if (FOnClick) {
        FParentChart->SetClickHandled(true);
        FOnClick(this, index, button, shift, x, y);
    }
    return FParentChart->ClickHandled();
}

// ---- Change and repaint

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

void TChartSeries::SetDoubleProperty(double& field, double value) {
    if (field == value)
        return;
    field = value;
    RepaintChart();
}

void TChartSeries::SetStringProperty(std::string& field, const std::string& value) {
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
    SetStringProperty(FTitle, value);
}

void TChartSeries::SetValueFormat(const std::string& value) {
    SetStringProperty(FValueFormat, value);
}

void TChartSeries::SetPercentFormat(const std::string& value) {
    SetStringProperty(FPercentFormat, value);
}

void TChartSeries::SetColorSource(const std::string& value) {
    if (FColorSource == value)
        return;
    FColorSource = value;
    if (FParentChart)
        FParentChart->RefreshFromSource(this);
}

void TChartSeries::SetXLabelsSource(const std::string& value) {
    if (FXLabelsSource == value)
        return;
    FXLabelsSource = value;
    if (FParentChart)
        FParentChart->RefreshFromSource(this);
}

// ---------------------------------------------------------------------------
// Axis title

TChartAxisTitle::TChartAxisTitle(TCustomChartAxis* axis, TChartPanelLink* parent)
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

TCustomChartAxis::TCustomChartAxis(TChartPanelLink* parentChart, bool horizontal, bool otherSide,
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
    FLogLowerEnd = minimum;
    if (FLogarithmic && !(minimum > 0))
        FLogLowerEnd = SmallestPositiveValue(maximum);
}

double TCustomChartAxis::SmallestPositiveValue(double maximum) const {
    double lowest = std::numeric_limits<double>::infinity();
    if (FPanel)
        for (TChartSeries* s : FPanel->SeriesList()) {
            if (!s->Active() || !s->UsesAxis(this))
                continue;
            const TChartValueList* list = FHorizontal ? s->XValues() : s->YValues();
            for (int i = 0; i < list->ValueCount(); ++i) {
                const double v = list->ValueAt(i);
                if (v > 0 && v < lowest)
                    lowest = v;
            }
        }
    if (std::isfinite(lowest) && lowest < maximum)
        return lowest;
    // Nothing positive below the maximum: one step of the base under it.
    return maximum > 0 ? maximum / std::max(2, FLogarithmicBase) : 1;
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
        const double low = FLogLowerEnd;
        if (!(low > 0))
            return FICenterPos;
        const double lm = std::log(low);
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
        const double low = FLogLowerEnd;
        if (low <= 0 || M <= 0)
            return 0;
        const double fraction = double(std::abs(pixel - minPixel)) / n *
                                ((pixel - minPixel) * (maxPixel - minPixel) < 0 ? -1 : 1);
        return std::exp(std::log(low) + fraction * (std::log(M) - std::log(low)));
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

std::string TCustomChartAxis::AutomaticDateFormat() const {
    if (!FDateTimeFormat.empty())
        return FDateTimeFormat;
    return FDateWithTime.empty() ? DateTimeFormatForStep(FRange) : FDateWithTime;
}

bool TCustomChartAxis::ChooseDateFormat(const std::vector<TAxisLabel>& labels, double step) {
    if (!FIsDateTime || !FDateTimeFormat.empty() || !FDateWithTime.empty())
        return false;
    const std::string format = DateTimeFormatForStep(FRange);
    std::vector<std::string> texts;
    for (const TAxisLabel& label : labels)
        if (label.Value >= 0)
            texts.push_back(FormatDateTime(format, label.Value));
    std::sort(texts.begin(), texts.end());
    if (std::adjacent_find(texts.begin(), texts.end()) == texts.end())
        return false;
    // Two labels alike: the date with the time of day (seconds for steps under a minute).
    FDateWithTime = ShortDateFormat + " " + (step < 1.0 / 1440 ? LongTimeFormat : ShortTimeFormat);
    return true;
}

std::string TCustomChartAxis::LabelText(double value) const {
    std::string text;
    if (FIsDateTime) {
        if (value >= 0)
            text = FormatDateTime(AutomaticDateFormat(), value);
    } else {
        text = FormatFloat(FAxisValuesFormat, value);
    }
    if (FOnGetAxisLabel)
        FOnGetAxisLabel(const_cast<TCustomChartAxis*>(this), text);
    if (FLabelsMultiLine)
        std::replace(text.begin(), text.end(), ' ', ChartLineSeparator);
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
    // Exact date-time steps follow the calendar: the step's place in the date-time steps
    // table, from the Increment when one is set, else from the step chosen for the labels.
    if (FIsDateTime && FExactDateTime) {
        stepIndex = DateTimeStepIndex(FIncrement != 0 ? FIncrement : step);
        if (stepIndex != dtNone)
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
    if (FIsDateTime && FExactDateTime && stepIndex >= dtHalfMonth && stepIndex <= dtOneYear)
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
        // The series decide whether the axis shows dates now, not at the last paint.
        UpdateIsDateTime();
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

TChartDepthAxis::TChartDepthAxis(TChartPanelLink* parentChart)
    : TCustomChartAxis(parentChart, false, true, true) {
    SetVisible(false);
}

void TChartDepthAxis::Publish(TPublisher<TChartDepthAxis>& p) {
    p.Bool("Visible", &TChartDepthAxis::Visible, &TChartDepthAxis::SetVisible).Default(false);
}

// ---------------------------------------------------------------------------
// Axis layout and drawing

namespace {

std::vector<std::string> SplitLabelLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t pos = text.find(ChartLineSeparator, start);
        if (pos == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    return lines;
}

} // namespace

void TCustomChartAxis::UpdateIsDateTime() {
    if (!FPanel)
        return;
    for (TChartSeries* s : FPanel->SeriesList())
        if (s->Active() && s->UsesAxis(this)) {
            FIsDateTime = FHorizontal ? s->XValues()->DateTime() : s->YValues()->DateTime();
            return;
        }
    FIsDateTime = false;
}

void TCustomChartAxis::AdjustMaxMin() {
    UpdateIsDateTime();
    if (FPanel)
        FTotalDepth = FPanel->Width3D();
    RecalcLimits();
}

TAxisLabelStyle TCustomChartAxis::EffectiveLabelStyle() const {
    if (FLabelStyle != talAuto)
        return FLabelStyle;
    if (!FPanel)
        return talValue;
    if (FIsDepthAxis) {
        for (TChartSeries* s : FPanel->SeriesList()) {
            if (!s->Active())
                continue;
            if (s->MinZValue() != s->MaxZValue())
                return talValue;
        }
        return talText;
    }
    bool used = false;
    for (TChartSeries* s : FPanel->SeriesList()) {
        if (!s->Active() || !s->UsesAxis(this))
            continue;
        used = true;
        const bool positions = FHorizontal ? s->IsYMandatory() : !s->IsYMandatory();
        if (positions && s->Count() > 0 && !s->ValueLabel(0).empty())
            return talText;
    }
    return used ? talValue : talNone;
}

int TCustomChartAxis::MaxLabelWidth() {
    TChartCanvas3D* canvas = FPanel ? FPanel->Canvas3D() : nullptr;
    if (!canvas)
        return 0;
    FPanel->AssignCanvasFont(FLabelsFont.get());
    int lines = 0;
    switch (EffectiveLabelStyle()) {
    case talValue:
        return std::max(WidestLineWidth(canvas, LabelText(FMinimumValue), lines),
                        WidestLineWidth(canvas, LabelText(FMaximumValue), lines));
    case talText:
        if (FIsDepthAxis) {
            int widest = 0;
            for (int k = 0; k < FPanel->SeriesCount(); ++k)
                widest =
                    std::max(widest, WidestLineWidth(canvas, FPanel->LegendSeriesTitle(k), lines));
            return widest;
        }
        return FPanel->MaxTextLabelWidth();
    case talMark:
        return FPanel->MaxMarkWidth();
    default:
        return 0;
    }
}

bool TCustomChartAxis::IsTextAcross(int angle) const {
    if (FHorizontal)
        return angle == 0 || angle == 180;
    return angle == 90 || angle == 270;
}

int TCustomChartAxis::SideTextSize(const std::string& caption, int angle, const TFont* font) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    FPanel->AssignCanvasFont(font);
    int lines = 0;
    const int width = WidestLineWidth(canvas, caption, lines);
    return IsTextAcross(angle) ? canvas->FontHeight() * lines : width;
}

void TCustomChartAxis::ReserveSpace(TRect& r, bool reserve) {
    if (!FPanel)
        return;
    int titleSize = 0;
    if (!FTitle->Caption().empty())
        titleSize = FTitleSize != 0
                        ? FTitleSize
                        : SideTextSize(FTitle->Caption(), FTitle->Angle(), FTitle->Font());
    int labelsSize = 0;
    if (FLabels && EffectiveLabelStyle() != talNone) {
        if (FLabelsSize != 0) {
            labelsSize = FLabelsSize;
        } else if (IsTextAcross(FLabelsAngle)) {
            FPanel->AssignCanvasFont(FLabelsFont.get());
            const int lines =
                std::max(LineCount(LabelText(FMinimumValue)), LineCount(LabelText(FMaximumValue)));
            labelsSize = FPanel->Canvas3D()->FontHeight() * std::max(1, lines);
        } else {
            labelsSize = MaxLabelWidth();
        }
    }
    FTitleSizeUsed = titleSize;
    FLabelsSizeUsed = labelsSize;
    const int wall = FPanel->AxisWallSize(this);
    const int space = SpaceNeeded() + wall;
    if (reserve) {
        if (FIsDepthAxis) {
            r.Right -= labelsSize + space;
            r.Bottom -= titleSize;
        } else if (FHorizontal) {
            if (FOtherSide)
                r.Top += titleSize + labelsSize + space;
            else
                r.Bottom -= titleSize + labelsSize + space;
        } else if (FOtherSide) {
            r.Right -= titleSize + labelsSize + space;
        } else {
            r.Left += titleSize + labelsSize + space;
        }
        return;
    }
    const TRect& c = FPanel->ChartRect();
    FTotalDepth = FPanel->Width3D();
    if (FIsDepthAxis) {
        PlaceOnSide(0, FTotalDepth);
        FPosAxis = c.Right;
        FPosLabels = c.Right + space;
        FPosTitle = FPosLabels + labelsSize;
        return;
    }
    if (FHorizontal) {
        PlaceOnSide(c.Left, c.Width());
        const int offset = int(Round(FPositionPercent * FPanel->ChartHeight() / 100));
        if (FOtherSide) {
            FPosAxis = c.Top + offset;
            FPosLabels = FPosAxis - space;
            FPosTitle = FPosLabels - labelsSize;
        } else {
            FPosAxis = c.Bottom - offset;
            FPosLabels = FPosAxis + space;
            FPosTitle = FPosLabels + labelsSize;
        }
    } else {
        PlaceOnSide(c.Top, c.Height());
        const int offset = int(Round(FPositionPercent * FPanel->ChartWidth() / 100));
        if (FOtherSide) {
            FPosAxis = c.Right - offset;
            FPosLabels = FPosAxis + space;
            FPosTitle = FPosLabels + labelsSize;
        } else {
            FPosAxis = c.Left + offset;
            FPosLabels = FPosAxis - space;
            FPosTitle = FPosLabels - labelsSize;
        }
    }
}

int TCustomChartAxis::LabelPixel(double value) const {
    return ValueToPixel(value);
}

void TCustomChartAxis::CollectLabels(double step, std::vector<TAxisLabel>& labels) {
    const double m = FMinimumValue;
    const double M = FMaximumValue;
    auto add = [&](double value) {
        labels.push_back({value, LabelPixel(value), LabelText(value), true});
    };
    if (FPanel && FPanel->OnGetNextAxisLabel()) {
        bool stoppedAtStart = false;
        for (int index = 0; index < 1000; ++index) {
            bool stop = false;
            double value = 0;
            FPanel->OnGetNextAxisLabel()(FPanel, this, index, stop, value);
            if (stop) {
                stoppedAtStart = index == 0;
                break;
            }
            if (value >= m - 1e-7 && value <= M + 1e-7)
                add(value);
        }
        if (!stoppedAtStart)
            return;
    }
    if (FLogarithmic && FIncrement == 0) {
        if (M < m)
            return;
        const double base = FLogarithmicBase;
        const double low = FLogLowerEnd;
        if (!(low > 0))
            return;
        double value = std::pow(base, double(Round(std::log(low) / std::log(base))));
        for (int guard = 0; guard < 1000 && value <= M && value > 0; ++guard) {
            if (value >= low * (1 - 1e-12))
                add(value);
            value *= base;
        }
        return;
    }
    for (double value : LabelValues(step))
        add(value);
}

void TCustomChartAxis::CollectTextLabels(TAxisLabelStyle style, std::vector<TAxisLabel>& labels) {
    if (!FPanel)
        return;
    const TAxisOnGetLabel& event = FPanel->OnGetAxisLabel();
    if (FIsDepthAxis) {
        if (FPanel->CountActiveSeries() == 0)
            return;
        for (int64_t k = Trunc(FMinimumValue); k <= Trunc(FMaximumValue) && k < 10000; ++k) {
            const double value = FMaximumValue - double(k) - 0.5;
            std::string text = FPanel->LegendSeriesTitle(int(k));
            if (event)
                event(FPanel, this, nullptr, text, int(k));
            labels.push_back({value, LabelPixel(value), text, true});
        }
        return;
    }
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    FPanel->AssignCanvasFont(FLabelsFont.get());
    const bool across = IsLabelAcross();
    const int lineHeight = canvas->FontHeight();
    bool haveLast = false;
    int lastPixel = 0;
    int lastHalf = 0;
    for (TChartSeries* s : FPanel->SeriesList()) {
        if (!s->Active() || !s->UsesAxis(this))
            continue;
        s->CalcFirstLastVisible();
        if (s->FirstValueIndex() < 0)
            continue;
        for (int i = s->FirstValueIndex(); i <= s->LastValueIndex(); ++i) {
            const double value = FHorizontal ? s->XValueAt(i) : s->YValueAt(i);
            std::string text = style == talMark ? s->GetMarkText(i) : s->ValueLabel(i);
            if (event)
                event(FPanel, this, s, text, i);
            if (FLabelsMultiLine)
                std::replace(text.begin(), text.end(), ' ', ChartLineSeparator);
            const int pixel = LabelPixel(value);
            int lines = 0;
            const int width = WidestLineWidth(canvas, text, lines);
            const int size = across ? lineHeight * lines : width;
            const int half = (size + int(Trunc(size * 0.02 * FLabelsSeparation))) / 2;
            const bool drawn = !haveLast || std::abs(pixel - lastPixel) >= lastHalf + half;
            if (drawn) {
                haveLast = true;
                lastPixel = pixel;
                lastHalf = half;
            }
            if (drawn || !FTickOnLabelsOnly)
                labels.push_back({value, pixel, text, drawn});
        }
    }
}

void TCustomChartAxis::DrawTick(int pixel, int length, int wallSize) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    const int depth = FPanel->Width3D();
    if (FIsDepthAxis) {
        const TRect& c = FPanel->ChartRect();
        canvas->DrawLineAtDepth(c.Right, c.Bottom, c.Right + length, c.Bottom, pixel);
    } else if (FHorizontal) {
        if (FOtherSide)
            canvas->DrawLineAtDepth(pixel, FPosAxis, pixel, FPosAxis - length, depth);
        else
            canvas->DrawLineAtDepth(pixel, FPosAxis + wallSize, pixel, FPosAxis + wallSize + length,
                                    0);
    } else if (FOtherSide) {
        canvas->DrawLineAtDepth(FPosAxis, pixel, FPosAxis + length, pixel, depth);
    } else {
        canvas->DrawLineAtDepth(FPosAxis - wallSize, pixel, FPosAxis - wallSize - length, pixel, 0);
    }
}

void TCustomChartAxis::DrawGridLine(int pixel) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    const TRect& c = FPanel->ChartRect();
    const int depth = FPanel->Width3D();
    if (FIsDepthAxis)
        canvas->DrawHorizontalLineAtDepth(c.Left, c.Right, c.Bottom, pixel);
    else if (FHorizontal)
        canvas->DrawVerticalLineAtDepth(pixel, c.Top, c.Bottom, depth);
    else
        canvas->DrawHorizontalLineAtDepth(c.Left, c.Right, pixel, depth);
}

void TCustomChartAxis::DrawTicksAndGrid(const std::vector<TAxisLabel>& labels) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    const int wall = FPanel->AxisWallSize(this);
    const bool minor = FMinorTicks->Visible() && FMinorTickLength != 0 && FMinorTickCount > 0;
    bool havePrevious = false;
    int previous = 0;
    for (const TAxisLabel& label : labels) {
        if (FTickOnLabelsOnly && !label.Drawn)
            continue;
        const int p = label.Pixel;
        if (FGrid->Visible() && (!FGridCentered || havePrevious)) {
            canvas->UseChartPen(FGrid.get());
            if (FGrid->Color() == clAutoColor)
                canvas->Pen()->SetColor(clGray);
            canvas->Brush()->SetStyle(bsClear);
            FPanel->AdjustPenForPrinter(canvas->Pen());
            DrawGridLine(FGridCentered ? (p + previous) / 2 : p);
        }
        if (FTicks->Visible() && FTickLength != 0) {
            canvas->UseChartPen(FTicks.get());
            DrawTick(p, FTickLength, wall);
        }
        if (FTicksInner->Visible() && FTickInnerLength != 0) {
            canvas->UseChartPen(FTicksInner.get());
            DrawTick(p, -FTickInnerLength, wall);
        }
        if (minor) {
            canvas->UseChartPen(FMinorTicks.get());
            if (FLogarithmic) {
                const double value = label.Value;
                const double width = (FLogarithmicBase * value - value) / (FMinorTickCount + 1);
                for (int k = 1; k <= FMinorTickCount; ++k) {
                    const double v = value + k * width;
                    if (v >= FMinimumValue && v <= FMaximumValue)
                        DrawTick(LabelPixel(v), FMinorTickLength, wall);
                }
            } else if (havePrevious) {
                for (int k = 1; k <= FMinorTickCount; ++k)
                    DrawTick(previous + (p - previous) * k / (FMinorTickCount + 1),
                             FMinorTickLength, wall);
            }
        }
        havePrevious = true;
        previous = p;
    }
}

void TCustomChartAxis::DrawLabelText(int x, int y, const std::string& text, int angle) {
    TChartCanvas3D* canvas = FPanel ? FPanel->Canvas3D() : nullptr;
    if (!canvas)
        return;
    const std::vector<std::string> lines = SplitLabelLines(text);
    const int n = int(lines.size());
    const int h = canvas->FontHeight();
    const int half = h / 2;
    enum {
        sBottom,
        sTop,
        sLeft,
        sRight
    } side = FHorizontal ? (FOtherSide ? sTop : sBottom) : (FOtherSide ? sRight : sLeft);
    unsigned align = TA_LEFT | TA_TOP;
    int dx = 0, dy = 0; // the first line's offset
    int sx = 0, sy = h; // each further line's step
    switch (angle) {
    case 0:
        sx = 0;
        sy = h;
        switch (side) {
        case sBottom:
            align = TA_CENTER | TA_TOP;
            break;
        case sTop:
            align = TA_CENTER | TA_BOTTOM;
            dy = -(n - 1) * h;
            break;
        case sLeft:
            align = TA_RIGHT | TA_TOP;
            dy = n == 1 ? -half : -(n * h) / 2;
            break;
        case sRight:
            align = TA_LEFT | TA_TOP;
            dy = n == 1 ? -half : -(n * h) / 2;
            break;
        }
        break;
    case 180:
        sx = 0;
        sy = -h;
        switch (side) {
        case sBottom:
            align = TA_CENTER | TA_BOTTOM;
            dy = (n - 1) * h;
            break;
        case sTop:
            align = TA_CENTER | TA_TOP;
            break;
        case sLeft:
            align = TA_LEFT | TA_TOP;
            dy = n == 1 ? half : (n * h) / 2;
            break;
        case sRight:
            align = TA_RIGHT | TA_TOP;
            dy = n == 1 ? half : (n * h) / 2;
            break;
        }
        break;
    case 90:
        sx = h;
        sy = 0;
        switch (side) {
        case sBottom:
            align = TA_RIGHT | TA_TOP;
            dx = n == 1 ? -half : -(n * h) / 2;
            break;
        case sTop:
            align = TA_LEFT | TA_TOP;
            dx = n == 1 ? -half : -(n * h) / 2;
            break;
        case sLeft:
            align = TA_CENTER | TA_BOTTOM;
            dx = -(n - 1) * h;
            break;
        case sRight:
            align = TA_CENTER | TA_TOP;
            break;
        }
        break;
    case 270:
        sx = -h;
        sy = 0;
        switch (side) {
        case sBottom:
            align = TA_LEFT | TA_TOP;
            dx = n == 1 ? half : (n * h) / 2;
            break;
        case sTop:
            align = TA_RIGHT | TA_TOP;
            dx = n == 1 ? half : (n * h) / 2;
            break;
        case sLeft:
            align = TA_CENTER | TA_TOP;
            break;
        case sRight:
            align = TA_CENTER | TA_BOTTOM;
            dx = (n - 1) * h;
            break;
        }
        break;
    default:
        break;
    }
    const int z = FOtherSide ? FPanel->Width3D() : 0;
    canvas->WriteTextAlignment(int(align));
    for (int i = 0; i < n; ++i) {
        const int px = x + dx + i * sx;
        const int py = y + dy + i * sy;
        if (angle == 0)
            canvas->DrawTextAtDepth(px, py, z, lines[size_t(i)]);
        else
            canvas->DrawRotatedTextAtDepth(px, py, z, lines[size_t(i)], angle);
    }
    canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
}

void TCustomChartAxis::DrawAxis(bool calcPosition) {
    if (!FPanel)
        return;
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    UpdateIsDateTime();
    FTotalDepth = FPanel->Width3D();
    if (calcPosition) {
        TRect r = FPanel->ChartRect();
        ReserveSpace(r, false);
    }
    FPanel->AssignCanvasFont(FLabelsFont.get());
    FDateWithTime.clear();
    double step = CalcIncrement();

    if (!FTitle->Caption().empty()) {
        FPanel->AssignCanvasFont(FTitle->Font());
        canvas->Brush()->SetStyle(bsClear);
        if (FIsDepthAxis)
            canvas->DrawTextAtDepth(FPosTitle, FPanel->ChartRect().Bottom, FTotalDepth / 2,
                                    FTitle->Caption());
        else if (FHorizontal)
            DrawLabelText(FICenterPos, FPosTitle, FTitle->Caption(), FTitle->Angle());
        else
            DrawLabelText(FPosTitle, FICenterPos, FTitle->Caption(), FTitle->Angle());
    }

    std::vector<TAxisLabel> labels;
    const TAxisLabelStyle style = EffectiveLabelStyle();
    if (style == talValue) {
        CollectLabels(step, labels);
        if (ChooseDateFormat(labels, step)) {
            // The longer texts may need a larger step.
            FPanel->AssignCanvasFont(FLabelsFont.get());
            step = CalcIncrement();
            labels.clear();
            CollectLabels(step, labels);
        }
    } else if (style == talText || style == talMark)
        CollectTextLabels(style, labels);
    DrawTicksAndGrid(labels);

    if (FLabels && !labels.empty()) {
        FPanel->AssignCanvasFont(FLabelsFont.get());
        if (FPanel->Printing() && canvas->Font()->Color() == clWhite)
            canvas->Font()->SetColor(clBlack);
        canvas->Brush()->SetStyle(bsClear);
        const TRect& c = FPanel->ChartRect();
        for (const TAxisLabel& label : labels) {
            if (!label.Drawn || label.Text.empty())
                continue;
            if (FIsDepthAxis) {
                canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
                canvas->DrawTextAtDepth(FPosLabels, c.Bottom, label.Pixel, label.Text);
            } else if (FHorizontal) {
                DrawLabelText(label.Pixel, FPosLabels, label.Text, FLabelsAngle);
            } else {
                DrawLabelText(FPosLabels, label.Pixel, label.Text, FLabelsAngle);
            }
        }
    }

    if (FAxis->Visible()) {
        canvas->UseChartPen(FAxis.get());
        AxisLinePos(FPanel->AxisWallSize(this));
    }
}

void TCustomChartAxis::AxisLinePos(int wallSize) {
    if (!FPanel)
        return;
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    const int depth = FPanel->Width3D();
    if (FHorizontal) {
        if (FOtherSide)
            canvas->DrawHorizontalLineAtDepth(FIStartPos, FIEndPos, FPosAxis, depth);
        else
            canvas->DrawHorizontalLineAtDepth(FIStartPos - FPanel->AxisWallSize(FPanel->LeftAxis()),
                                              FIEndPos, FPosAxis + wallSize, 0);
    } else if (FOtherSide) {
        canvas->DrawVerticalLineAtDepth(FPosAxis, FIStartPos, FIEndPos, depth);
    } else {
        canvas->DrawVerticalLineAtDepth(FPosAxis - wallSize, FIStartPos,
                                        FIEndPos + FPanel->AxisWallSize(FPanel->BottomAxis()), 0);
    }
}

void TChartDepthAxis::AxisLinePos(int /*wallSize*/) {
    TCustomAxisPanel* panel = ParentPanel();
    if (!panel)
        return;
    const TRect& c = panel->ChartRect();
    panel->Canvas3D()->DrawDepthLine(c.Right, c.Bottom + panel->AxisWallSize(panel->BottomAxis()),
                                     0, panel->Width3D());
}

bool TCustomChartAxis::ContainsPoint(int x, int y) const {
    if (!FPanel || !FPanel->AxisVisible() || !FPanel->IsAxisVisible(this))
        return false;
    const int farSide =
        FOtherSide == FHorizontal ? FPosLabels - FLabelsSizeUsed : FPosLabels + FLabelsSizeUsed;
    TRect r;
    if (FHorizontal)
        r = TRect(FIStartPos, std::min(FPosAxis, farSide), FIEndPos, std::max(FPosAxis, farSide));
    else
        r = TRect(std::min(FPosAxis, farSide), FIStartPos, std::max(FPosAxis, farSide), FIEndPos);
    InflateRect(r, 3, 3);
    return x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom;
}

// ---------------------------------------------------------------------------
// TCustomAxisPanel

bool ChartDrawAxesBeforeSeries = true;

TCustomAxisPanel::TCustomAxisPanel(TComponent* owner) : TCustomChartPanelExtended(owner) {
    FAllowInvalidate = false;
    FBottomAxis = std::make_unique<TChartAxis>(this, true, false);
    FTopAxis = std::make_unique<TChartAxis>(this, true, true);
    FLeftAxis = std::make_unique<TChartAxis>(this, false, false);
    FRightAxis = std::make_unique<TChartAxis>(this, false, true);
    FDepthAxis = std::make_unique<TChartDepthAxis>(this);
    FAxes = {FBottomAxis.get(), FTopAxis.get(), FLeftAxis.get(), FRightAxis.get(),
             FDepthAxis.get()};
    for (TCustomChartAxis* axis : FAxes) {
        axis->SetParentPanel(this);
        axis->SetLimitQuery([this](const TCustomChartAxis* a, bool lowest) {
            return SeriesValueLimit(a, lowest, a->Horizontal());
        });
        axis->SetOnGetAxisLabel([this](TCustomChartAxis* a, std::string& text) {
            if (FOnGetAxisLabel)
                FOnGetAxisLabel(this, a, nullptr, text, -1);
        });
    }
    FAllowInvalidate = true;
}

TCustomAxisPanel::~TCustomAxisPanel() {
    FAllowInvalidate = false;
    FreeAllSeries();
}

void TCustomAxisPanel::Publish(TPublisher<TCustomAxisPanel>& p) {
    using T = TCustomAxisPanel;
    p.Bool("AxisVisible", &T::AxisVisible, &T::SetAxisVisible).Default(true);
    p.Class("BottomAxis", TChartAxis::StaticClass(), &T::BottomAxis, &T::SetBottomAxis);
    p.Bool("ClipPoints", &T::ClipPoints, &T::SetClipPoints).Default(true);
    p.Class("DepthAxis", TChartDepthAxis::StaticClass(), &T::DepthAxis, &T::SetDepthAxis);
    p.Class("LeftAxis", TChartAxis::StaticClass(), &T::LeftAxis, &T::SetLeftAxis);
    p.Integer("MaxPointsPerPage", &T::MaxPointsPerPage, &T::SetMaxPointsPerPage).Default(0);
    p.Integer("Page", &T::Page, &T::SetPage).Default(1);
    p.Class("RightAxis", TChartAxis::StaticClass(), &T::RightAxis, &T::SetRightAxis);
    p.Bool("ScaleLastPage", &T::ScaleLastPage, &T::SetScaleLastPage).Default(true);
    p.Class("TopAxis", TChartAxis::StaticClass(), &T::TopAxis, &T::SetTopAxis);
    p.Bool("View3DWalls", &T::View3DWalls, &T::SetView3DWalls).Default(true);
    p.Event("OnAfterDraw", &T::OnAfterDraw, &T::SetOnAfterDraw);
    p.Event("OnBeforeDrawAxes", &T::OnBeforeDrawAxes, &T::SetOnBeforeDrawAxes);
    p.Event("OnBeforeDrawSeries", &T::OnBeforeDrawSeries, &T::SetOnBeforeDrawSeries);
    p.Event("OnGetAxisLabel", &T::OnGetAxisLabel, &T::SetOnGetAxisLabel);
    p.Event("OnGetNextAxisLabel", &T::OnGetNextAxisLabel, &T::SetOnGetNextAxisLabel);
    p.Event("OnPageChange", &T::OnPageChange, &T::SetOnPageChange);
}

void TCustomAxisPanel::AssignFrom(const TPersistent* source) {
    if (auto* panel = dynamic_cast<const TCustomAxisPanel*>(source)) {
        for (size_t i = 0; i < FAxes.size(); ++i)
            FAxes[i]->AssignFrom(panel->FAxes[i]);
        FAxisVisible = panel->FAxisVisible;
        FClipPoints = panel->FClipPoints;
        FView3DWalls = panel->FView3DWalls;
        FMaxPointsPerPage = panel->FMaxPointsPerPage;
        FPage = panel->FPage;
        FScaleLastPage = panel->FScaleLastPage;
    }
    TCustomChartPanelExtended::AssignFrom(source);
}

void TCustomAxisPanel::ApplySeriesMargins() {
    for (TChartAxis* axis : {TopAxis(), LeftAxis(), RightAxis(), BottomAxis()}) {
        int low = 0;
        int high = 0;
        for (TChartSeries* s : SeriesList()) {
            if (!s->Active() || !s->UsesAxis(axis))
                continue;
            int a = 0;
            int b = 0;
            if (axis->Horizontal()) {
                s->HorizMargins(a, b);
                if (axis->AutomaticMinimum())
                    low = std::max(low, a);
                if (axis->AutomaticMaximum())
                    high = std::max(high, b);
            } else {
                s->VertMargins(a, b);
                if (axis->AutomaticMaximum())
                    low = std::max(low, a);
                if (axis->AutomaticMinimum())
                    high = std::max(high, b);
            }
        }
        if (low || high)
            axis->SetPixelRange(low, high);
    }
}

void TCustomAxisPanel::GetChildren(const TGetChildProc& proc, TComponent* root) {
    TCustomChartPanelExtended::GetChildren(proc, root);
    for (int i = 0; i < ControlCount(); ++i)
        proc(Controls(i));
    for (TChartSeries* series : std::vector<TChartSeries*>(FSeriesList))
        proc(series);
}

// ---- Series

void TCustomAxisPanel::AddSeries(TChartSeries* series) {
    if (!series || std::find(FSeriesList.begin(), FSeriesList.end(), series) != FSeriesList.end())
        return;
    if (series->FParentChart && series->FParentChart != this)
        series->FParentChart->RemoveSeries(series);
    if (series->SeriesColor() == clAutoColor)
        series->SetSeriesColor(FreeSeriesColor(true));
    series->FParentChart = this;
    series->ResolveAxes();
    if (series->ComponentState().Contains(csDesigning) && !series->FunctionType())
        series->FillSampleValues(series->NumSampleValues());
    else
        series->ReloadFromSource();
    FSeriesList.push_back(series);
    Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries* series) {
    auto it = std::find(FSeriesList.begin(), FSeriesList.end(), series);
    if (it == FSeriesList.end())
        return;
    series->FParentChart = nullptr;
    series->ResolveAxes();
    if (series->Cursor() != 0 && Cursor() == series->Cursor())
        SetCursor(OriginalCursor());
    FSeriesList.erase(std::find(FSeriesList.begin(), FSeriesList.end(), series));
    Invalidate();
}

void TCustomAxisPanel::FreeAllSeries() {
    while (!FSeriesList.empty()) {
        TChartSeries* series = FSeriesList.front();
        series->SetParentChart(nullptr);
        delete series;
    }
}

int TCustomAxisPanel::MaxPointCount() const {
    int result = 0;
    for (TChartSeries* s : FSeriesList)
        if (s->Active())
            result = std::max(result, s->Count());
    return result;
}

int TCustomAxisPanel::CountActiveSeries() const {
    return int(std::count_if(FSeriesList.begin(), FSeriesList.end(),
                             [](TChartSeries* s) { return s->Active(); }));
}

TChartSeries* TCustomAxisPanel::FirstSeriesOnAxis(const TCustomChartAxis* axis) const {
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->UsesAxis(axis))
            return s;
    return nullptr;
}

TChartSeries* TCustomAxisPanel::LegendSeries(int index) const {
    int n = 0;
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->ShowInLegend()) {
            if (n == index)
                return s;
            ++n;
        }
    return nullptr;
}

std::string TCustomAxisPanel::LegendSeriesTitle(int index) const {
    TChartSeries* s = LegendSeries(index);
    if (!s)
        return {};
    if (!s->Title().empty())
        return s->Title();
    if (!s->Name().empty())
        return s->Name();
    return SSeriesNumbered + IntToStr(index);
}

TColor TCustomAxisPanel::FreeSeriesColor(bool checkAll) const {
    for (int t = 0; t < 16; ++t)
        if (IsFreeSeriesColor(PaletteColor(t), checkAll))
            return PaletteColor(t);
    return PaletteColor(16);
}

void TCustomAxisPanel::CheckSourceChain(TComponent* component, TChartSeries* series) const {
    if (!series)
        return;
    if (series->DataSource() && series->DataSource() == component)
        throw ChartException(SCircularSeries);
    for (TChartSeries* source : series->DataSources())
        CheckSourceChain(component, source);
}

void TCustomAxisPanel::RefreshFromSource(TChartSeries* series) {
    if (!series->IsLoading() && series->DataSource())
        series->AddValuesFrom(series->DataSource());
}

std::string TCustomAxisPanel::LegendValueText(TChartSeries* /*series*/, int /*index*/) {
    return {};
}

bool TCustomAxisPanel::IsValidSource(TChartSeries* series, TComponent* candidate) const {
    auto* source = dynamic_cast<TChartSeries*>(candidate);
    return source && source != series && series->AcceptsDataSource(source);
}

// ---- Axes

bool TCustomAxisPanel::IsAxisVisible(const TCustomChartAxis* axis) const {
    if (!FAxisVisible || !axis->Visible())
        return false;
    if (axis->IsDepthAxis())
        return View3D();
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->UsesAxes() && s->UsesAxis(axis))
            return true;
    return false;
}

double TCustomAxisPanel::SeriesValueLimit(const TCustomChartAxis* axis, bool lowest,
                                          bool isX) const {
    if (axis->IsDepthAxis()) {
        if (axis->EffectiveLabelStyle() != talValue)
            return lowest ? -0.5 : FSeriesHigh + 0.5;
        for (TChartSeries* s : FSeriesList)
            if (s->Active())
                return lowest ? s->MinZValue() : s->MaxZValue();
        return 0;
    }
    if (FMaxPointsPerPage > 0) {
        TChartSeries* first = FirstSeriesOnAxis(axis);
        if (!first || isX == first->IsYMandatory()) {
            if (!first)
                return 0;
            const int n = first->Count();
            if (n == 0)
                return 0;
            const int perPage = FMaxPointsPerPage;
            int firstIndex = perPage * (FPage - 1);
            if (firstIndex >= n)
                firstIndex = std::max(0, n / perPage - 1) * perPage;
            int lastIndex = firstIndex + perPage - 1;
            if (lastIndex >= n)
                lastIndex = firstIndex + n % perPage - 1;
            lastIndex = std::clamp(lastIndex, firstIndex, n - 1);
            const double low = first->GetValue(isX, firstIndex);
            if (lowest)
                return low;
            const double high = first->GetValue(isX, lastIndex);
            const int onPage = lastIndex - firstIndex + 1;
            if (!FScaleLastPage && onPage < perPage)
                return low + (high - low) * perPage / onPage;
            return high;
        }
    }
    bool found = false;
    double result = 0;
    for (TChartSeries* s : FSeriesList) {
        if (!s->Active() || s->Count() == 0 || !s->UsesAxis(axis))
            continue;
        const double v = isX ? (lowest ? s->MinXValue() : s->MaxXValue())
                             : (lowest ? s->MinYValue() : s->MaxYValue());
        if (!found || (lowest ? v < result : v > result))
            result = v;
        found = true;
    }
    return result;
}

double TCustomAxisPanel::MaxXValue(const TCustomChartAxis* axis) const {
    return SeriesValueLimit(axis, false, true);
}
double TCustomAxisPanel::MaxYValue(const TCustomChartAxis* axis) const {
    return SeriesValueLimit(axis, false, false);
}
double TCustomAxisPanel::MinXValue(const TCustomChartAxis* axis) const {
    return SeriesValueLimit(axis, true, true);
}
double TCustomAxisPanel::MinYValue(const TCustomChartAxis* axis) const {
    return SeriesValueLimit(axis, true, false);
}

int TCustomAxisPanel::MaxTextLabelWidth() {
    int widest = 0;
    for (TChartSeries* s : FSeriesList)
        for (const auto& label : s->FLabels)
            if (label && !label->empty()) {
                int lines = 0;
                widest = std::max(widest, WidestLineWidth(Canvas3D(), *label, lines));
            }
    return widest;
}

int TCustomAxisPanel::MaxMarkWidth() {
    int widest = 0;
    for (TChartSeries* s : FSeriesList)
        if (s->Active())
            widest = std::max(widest, s->MaxMarkWidth());
    return widest;
}

void TCustomAxisPanel::RecalcAxesLimits() {
    CalcDepthSize();
    for (TCustomChartAxis* axis : FAxes)
        axis->AdjustMaxMin();
}

TRect TCustomAxisPanel::ReserveAxesSpace(const TRect& r) {
    TRect result = r;
    for (TCustomChartAxis* axis : FAxes) {
        if (!IsAxisVisible(axis))
            continue;
        TRect reserved = result;
        axis->ReserveSpace(reserved, true);
        // The room an axis takes never turns the chart inside out.
        if (reserved.Right > reserved.Left && reserved.Bottom > reserved.Top)
            result = reserved;
    }
    return result;
}

void TCustomAxisPanel::CalcAxesPositions() {
    for (TCustomChartAxis* axis : FAxes) {
        TRect r = ChartRect();
        axis->ReserveSpace(r, false);
    }
}

// ---- Depth

void TCustomAxisPanel::CalcDepthSize() {
    if (View3D()) {
        FSeriesWidth3D = int(Round(ChartWidth() * Chart3DPercent() / 1000.0));
        if (!View3DOptions()->Orthogonal())
            FSeriesWidth3D *= 2;
        const bool rows = DepthRows();
        SetWidth3D(FSeriesWidth3D * (rows ? std::max(1, FSeriesHigh + 1) : 1));
    } else {
        FSeriesWidth3D = 0;
        SetWidth3D(0);
    }
    for (TCustomChartAxis* axis : FAxes)
        axis->SetTotalDepth(Width3D());
}

void TCustomAxisPanel::CalcSeriesDepthRows() {
    FSeriesHigh = 0;
    if (DepthRows() && View3D()) {
        FSeriesHigh = -1;
        for (TChartSeries* s : FSeriesList)
            if (s->Active())
                s->CalcZOrder();
    } else {
        for (TChartSeries* s : FSeriesList)
            s->FZOrder = 0;
    }
}

void TCustomAxisPanel::CalcSeriesSpans() {
    const bool rows = View3D() && DepthRows();
    for (TChartSeries* s : FSeriesList) {
        if (!s->Active())
            continue;
        const int row = rows ? FSeriesHigh - s->ZPosition() : 0;
        const int start = row * FSeriesWidth3D;
        s->SetDepthSpan(start, start + FSeriesWidth3D);
    }
}

// ---- Paging

int TCustomAxisPanel::PageCountOnAxis(const TCustomChartAxis* axis) const {
    int most = 0;
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->UsesAxis(axis))
            most = std::max(most, s->Count());
    if (most == 0)
        return 1;
    return (most + FMaxPointsPerPage - 1) / FMaxPointsPerPage;
}

int TCustomAxisPanel::NumPages() const {
    if (FMaxPointsPerPage == 0 || FSeriesList.empty())
        return 1;
    const TChartSeries* first = FSeriesList.front();
    if (first->IsYMandatory())
        return std::max(PageCountOnAxis(FTopAxis.get()), PageCountOnAxis(FBottomAxis.get()));
    return std::max(PageCountOnAxis(FLeftAxis.get()), PageCountOnAxis(FRightAxis.get()));
}

void TCustomAxisPanel::SetPage(int value) {
    if (!IsLoading()) {
        value = std::min(value, NumPages());
        value = std::max(value, 1);
    }
    if (FPage == value)
        return;
    FPage = value;
    Invalidate();
    if (FOnPageChange)
        FOnPageChange(this);
}

void TCustomAxisPanel::SetMaxPointsPerPage(int value) {
    if (value < 0)
        throw ChartException(SMaxPointsPerPage);
    SetIntegerProperty(FMaxPointsPerPage, value);
    if (!IsLoading() && FPage > NumPages())
        SetPage(NumPages());
}

// ---- Drawing

void TCustomAxisPanel::ClipToChartBox() {
    Canvas3D()->ClipToBox(ChartRect(), 0, Width3D());
}

void TCustomAxisPanel::DrawAxes() {
    if (FOnBeforeDrawAxes)
        FOnBeforeDrawAxes(this);
    for (TCustomChartAxis* axis : FAxes)
        if (IsAxisVisible(axis))
            axis->DrawAxis(true);
}

void TCustomAxisPanel::DrawSeries(TChartSeries* series) {
    const bool clip = FClipPoints && CanClip();
    auto drawMarks = [&](TChartSeries* s) {
        if (!s->Marks()->Visible())
            return;
        const bool clipMarks = s->Marks()->Clip() && CanClip();
        if (clipMarks)
            ClipToChartBox();
        s->DrawMarks();
        if (clipMarks)
            Canvas3D()->RemoveClipping();
    };
    if (!View3D() || !series->SharesDepth()) {
        series->CalcFirstLastVisible();
        if (series->FirstValueIndex() < 0)
            return;
        series->DoBeforeDrawValues();
        if (clip)
            ClipToChartBox();
        series->DrawAllValues();
        if (clip)
            Canvas3D()->RemoveClipping();
        drawMarks(series);
        series->DoAfterDrawValues();
        return;
    }
    if (!series->IsFirstInDepth())
        return;
    // The series of one depth are drawn point by point, so that they overlap correctly.
    std::vector<TChartSeries*> group;
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->ZPosition() == series->ZPosition() && (s == series || !group.empty()))
            group.push_back(s);
    int first = -1;
    int last = -1;
    for (TChartSeries* s : group) {
        s->CalcFirstLastVisible();
        s->DoBeforeDrawValues();
        if (s->FirstValueIndex() < 0)
            continue;
        first = first < 0 ? s->FirstValueIndex() : std::min(first, s->FirstValueIndex());
        last = std::max(last, s->LastValueIndex());
    }
    if (first >= 0) {
        if (clip)
            ClipToChartBox();
        auto drawIndex = [&](int index) {
            const bool forward = group.front()->DrawSeriesForwardAt(index);
            const int n = int(group.size());
            for (int k = 0; k < n; ++k) {
                TChartSeries* s = group[size_t(forward ? k : n - 1 - k)];
                if (index < s->Count())
                    s->DrawValue(index);
            }
        };
        if (group.front()->DrawValuesForward())
            for (int index = first; index <= last; ++index)
                drawIndex(index);
        else
            for (int index = last; index >= first; --index)
                drawIndex(index);
        if (clip)
            Canvas3D()->RemoveClipping();
    }
    for (TChartSeries* s : group) {
        drawMarks(s);
        s->DoAfterDrawValues();
    }
}

void TCustomAxisPanel::ExchangeSeriesAt(int index1, int index2) {
    std::swap(FSeriesList[size_t(index1)], FSeriesList[size_t(index2)]);
}

void TCustomAxisPanel::DrawContents(const TRect& bounds) {
    FHasBeenDrawn = true;
    DrawPanelBackground(bounds);
    for (TChartSeries* s : FSeriesList)
        if (s->Active())
            s->PrepareDraw();
    DrawTitlesAndLegend();
    CalcSeriesDepthRows();
    CalcAxesRect();
    CalcSeriesSpans();
    ApplySeriesMargins();
    Canvas3D()->SetViewCentre(Width3D(), bounds, ChartRect());
    DrawWalls();
    if (FAxisVisible && ChartDrawAxesBeforeSeries)
        DrawAxes();
    if (FOnBeforeDrawSeries)
        FOnBeforeDrawSeries(this);
    for (TChartSeries* s : std::vector<TChartSeries*>(FSeriesList))
        if (s->Active())
            DrawSeries(s);
    if (FAxisVisible && !ChartDrawAxesBeforeSeries)
        DrawAxes();
    if (ZoomRecord().Active)
        DrawZoomFrame();
    Canvas3D()->ResetDrawingState();
    if (FOnAfterDraw)
        FOnAfterDraw(this);
}

namespace {
// Form resources name these classes.
const bool kClassesRegistered = [] {
    RegisterClasses({TChartAxis::StaticClass(), TChartDepthAxis::StaticClass(),
                     TSeriesMarks::StaticClass(), TChartAxisTitle::StaticClass()});
    return true;
}();
} // namespace
