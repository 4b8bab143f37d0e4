#include "chartdlg/ChartStore.h"

#include "chart/ChartEngine.h"
#include "framework/gui/Controls.h"

#include <algorithm>
#include <memory>

TNativeChartWriter NativeChartWriter;

namespace {

constexpr uint16_t kMagic = 0x3060;
constexpr uint16_t kVersion = 0x0120;

TChartValueList* NotMandatoryList(const TChartSeries* series) {
    return series->IsYMandatory() ? series->XValues() : series->YValues();
}

// A label as the block holds it: one length byte, so a longer label keeps the whole
// characters of its first 255 bytes (a UTF-8 character is never cut in two).
std::string_view LabelForBlock(std::string_view label) {
    constexpr size_t kMaxLength = 255;
    if (label.size() <= kMaxLength)
        return label;
    size_t length = kMaxLength;
    while (length > 0 && (uint8_t(label[length]) & 0xC0) == 0x80)
        --length;
    return label.substr(0, length);
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
            const std::string text = series->ValueLabel(i);
            const std::string_view label = LabelForBlock(text);
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
    uint8_t flags = 0;
    if (count > 0) {
        const TChartValueList* other = NotMandatoryList(series);
        bool sequence = other->ValueAt(0) == 0 && other->ValueAt(count - 1) == count - 1;
        for (int i = 0; sequence && i < count; ++i)
            sequence = other->ValueAt(i) == i;
        if (!sequence)
            flags |= 1;
    }
    for (int i = 0; i < count; ++i) {
        const TColor color = series->ValueColor(i);
        if (color != clAutoColor && color != series->SeriesColor()) {
            flags |= 2;
            break;
        }
    }
    for (int i = 0; i < count; ++i)
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
        // Written whole in memory, then replacing the file in one piece: a failed write
        // never destroys the file the user chose to replace.
        TMemoryStream stream;
        WriteChartToStream(chart, &stream);
        stream.SaveToFile(fileName);
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
    TMemoryStream stream;
    stream.WriteComponent(component);
    stream.SaveToFile(fileName);
}
