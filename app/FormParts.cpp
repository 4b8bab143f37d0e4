#include "app/FormParts.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Dialogs.h"
#include "model/Data.h"

#include <cmath>

namespace {

// The width of text in the font, in pixels.
int TextWidthIn(const TFont* font, const std::string& text) {
    static TBitmap measure(1, 1);
    TCanvas* canvas = measure.Canvas();
    canvas->Font()->AssignFrom(font);
    return canvas->TextWidth(text);
}

} // namespace

void ShowNumber(TControl* box, const std::string& text, double value) {
    // Room inside the box's edges, with the margin the text keeps from them.
    const int room = box->ClientWidth() - 4;
    std::string shown = text;
    if (TextWidthIn(box->Font(), shown) > room) {
        shown = "…";
        for (int digits = 6; digits >= 0; --digits) {
            std::string scientific = Format("%." + std::to_string(digits) + "e", {value});
            if (TextWidthIn(box->Font(), scientific) <= room) {
                shown = scientific;
                break;
            }
        }
    }
    const std::string hint = shown == text ? std::string() : text;
    if (box->Hint() != hint) {
        box->SetHint(hint);
        box->SetShowHint(!hint.empty());
    }
    if (box->Caption() != shown)
        box->SetCaption(shown);
}

TScrollBox* MakeScrollPane(TCustomForm* form) {
    auto* pane = new TScrollBox(form);
    pane->SetName("ScrollBox1");
    pane->SetAlign(alClient);
    pane->SetParent(form);
    return pane;
}

void CheckRange(double value, double minValue, double maxValue, double smallestNonZero) {
    if (!ValueInRange(value, minValue, maxValue, smallestNonZero))
        throw EValueRange(ValueRangeText(minValue, maxValue, smallestNonZero));
}

double TypedNumber(const std::string& text, double minValue, double maxValue,
                   double smallestNonZero) {
    double value = 0;
    if (TryStrToFloat(text, value))
        return value;
    const std::string range = ValueRangeText(minValue, maxValue, smallestNonZero);
    if (IsNumberText(text, DecimalSeparator))
        throw EValueRange(range);
    throw EConvertError(Format(FrameworkTexts::InvalidFloat, {text}) + ". " + range);
}

double TypedReal(const std::string& text, double minValue, double maxValue,
                 double smallestNonZero) {
    const double value = TypedNumber(text, minValue, maxValue, smallestNonZero);
    CheckRange(value, minValue, maxValue, smallestNonZero);
    return value;
}

int TypedInteger(const std::string& text, int minValue, int maxValue) {
    int64_t value = 0;
    if (!TryStrToInt64(text, value)) {
        // A whole number beyond 64 bits, or one no double holds, is still a number.
        double real = 0;
        const bool number = IsNumberText(text, DecimalSeparator);
        if (number && (!TryStrToFloat(text, real) || std::fabs(real) >= 9.2e18))
            throw EValueRange(ValueRangeText(minValue, maxValue));
        throw EConvertError(Format(FrameworkTexts::InvalidInteger, {text}) + ". " +
                            ValueRangeText(minValue, maxValue));
    }
    CheckRange(double(value), minValue, maxValue);
    return int(value);
}

bool InputRealInRange(const std::string& prompt, double& value, double minValue, double maxValue,
                      double smallestNonZero) {
    std::string text = FloatToStr(value);
    if (!InputQuery("Εισαγωγή", prompt, text))
        return false;
    value = TypedReal(text, minValue, maxValue, smallestNonZero);
    return true;
}

bool ReadSpin(TExSpinEdit* edit, double shownValue, double& value, double minValue,
              double maxValue) {
    if (!edit->HasValue()) {
        double unused = 0;
        const std::string text = edit->Text();
        if (!IsNumberText(text, DecimalSeparator) || TryStrToFloat(text, unused))
            return false;
        edit->ShowValue(shownValue);
        throw EValueRange(ValueRangeText(minValue, maxValue));
    }
    const double typed = edit->Value();
    if (!(typed >= minValue && typed <= maxValue)) {
        edit->ShowValue(shownValue);
        throw EValueRange(ValueRangeText(minValue, maxValue));
    }
    value = typed;
    return true;
}
