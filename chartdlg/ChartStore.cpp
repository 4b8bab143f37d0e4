#include "chartdlg/ChartStore.h"

#include "chart/ChartEngine.h"
#include "framework/gui/Controls.h"

#include <algorithm>
#include <memory>

TNativeChartWriter NativeChartWriter;

namespace {

constexpr uint16_t kMagic = 0x3060;
constexpr uint16_t kVersion = 0x0120;
// Only the first points decide what a series block holds.
constexpr int kExaminedPoints = 10001;

TChartValueList* NotMandatoryList(const TChartSeries* series) {
    return series->IsYMandatory() ? series->XValues() : series->YValues();
}

void WriteSeriesData(const TChartSeries* series, TStream* stream) {
    const uint8_t flags = SeriesDataFlags(series);
    const int count = series->Count();
    stream->WriteByte(flags);
    stream->WriteInt32(count);
    const TChartValueList* mandatory = series->MandatoryValueList();
    const TChartValueList* other = NotMandatoryList(series);
    for (int i = 0; i < count; ++i) {
        if (flags & 1)
            stream->WriteDouble(other->ValueAt(i));
        stream->WriteDouble(mandatory->ValueAt(i));
        if (flags & 2)
            stream->WriteUInt32(uint32_t(series->ValueColor(i)));
        if (flags & 4) {
            // One length byte: a longer label keeps its first 255 bytes.
            std::string label = series->ValueLabel(i);
            if (label.size() > 255)
                label.resize(255);
            stream->WriteByte(uint8_t(label.size()));
            stream->WriteBytes(label);
        }
        for (int list = 2; list < series->ValueListCount(); ++list)
            stream->WriteDouble(series->ValueList(list)->ValueAt(i));
    }
}

const bool kRegistered = [] {
    RegisterClass(TODBCChart::StaticClass());
    return true;
}();

} // namespace

uint8_t SeriesDataFlags(const TChartSeries* series) {
    const int count = series->Count();
    const int examined = std::min(count, kExaminedPoints);
    uint8_t flags = 0;
    if (count > 0) {
        const TChartValueList* other = NotMandatoryList(series);
        bool sequence = other->ValueAt(0) == 0 && other->ValueAt(count - 1) == count - 1;
        for (int i = 0; sequence && i < examined; ++i)
            sequence = other->ValueAt(i) == i;
        if (!sequence)
            flags |= 1;
    }
    for (int i = 0; i < examined; ++i) {
        const TColor color = series->ValueColor(i);
        if (color != clAutoColor && color != series->SeriesColor()) {
            flags |= 2;
            break;
        }
    }
    for (int i = 0; i < examined; ++i)
        if (!series->ValueLabel(i).empty()) {
            flags |= 4;
            break;
        }
    return flags;
}

void WriteChartToStream(TCustomChart* chart, TStream* stream) {
    (void)kRegistered;
    stream->WriteWord(kMagic);
    stream->WriteWord(kVersion);
    stream->WriteComponent(chart);
    for (const TChartSeries* series : chart->SeriesList())
        WriteSeriesData(series, stream);
}

void SaveChartFile(TComponent* component, const std::string& fileName) {
    if (auto* chart = dynamic_cast<TCustomChart*>(component)) {
        TFileStream stream(fileName, fmCreate);
        WriteChartToStream(chart, &stream);
        return;
    }
    SaveComponentFile(component, fileName);
}

void SaveComponentFile(TComponent* component, const std::string& fileName) {
    auto* control = dynamic_cast<TControl*>(component);
    const bool wasVisible = control && control->Visible();
    struct TRestore {
        TControl* Control;
        bool Visible;
        ~TRestore() {
            if (Control)
                Control->SetVisible(Visible);
        }
    } restore{control, wasVisible};
    if (control)
        control->SetVisible(true);
    TFileStream stream(fileName, fmCreate);
    stream.WriteComponent(component);
}
