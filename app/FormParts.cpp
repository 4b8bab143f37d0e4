#include "app/FormParts.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
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

bool ReadSpin(TExSpinEdit* edit, double shownValue, double& value, double minValue,
              double maxValue) {
    if (!edit->HasValue())
        return false;
    const double typed = edit->Value();
    if (!(typed >= minValue && typed <= maxValue)) {
        edit->ShowValue(shownValue);
        throw EValueRange(ValueRangeText(minValue, maxValue));
    }
    value = typed;
    return true;
}
