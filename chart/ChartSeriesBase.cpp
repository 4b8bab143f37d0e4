// The series every chart series type derives from: its value lists, adding and removing
// points, mark and legend texts, data sources, axes, depth, stacking and drawing.

#include "chart/ChartEngine.h"

#include "framework/core/Streams.h"

#include <algorithm>
#include <cmath>

namespace {

using TStoredFn = std::function<bool(const TObject*)>;

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
    if (ChangeField(field, value))
        RepaintChart();
}

void TChartSeries::SetIntegerProperty(int& field, int value) {
    if (ChangeField(field, value))
        RepaintChart();
}

void TChartSeries::SetColorProperty(TColor& field, TColor value) {
    if (ChangeField(field, value))
        RepaintChart();
}

void TChartSeries::SetDoubleProperty(double& field, double value) {
    if (ChangeField(field, value))
        RepaintChart();
}

void TChartSeries::SetStringProperty(std::string& field, const std::string& value) {
    if (ChangeField(field, value))
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
