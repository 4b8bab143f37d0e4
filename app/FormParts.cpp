#include "app/FormParts.h"

#include "app/DataMod.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"

#include <cmath>

TToolStrip MakeToolStrip(TCustomForm* form, int buttonWidth, int buttonHeight) {
    TToolStrip strip;
    strip.CoolBar = new TCoolBar(form);
    strip.CoolBar->SetName("CoolBar1");
    strip.CoolBar->SetAlign(alTop);
    strip.CoolBar->SetAutoSize(true);
    strip.CoolBar->SetParent(form);
    strip.ToolBar = new TToolBar(form);
    strip.ToolBar->SetName("ToolBar1");
    strip.ToolBar->SetFlat(true);
    strip.ToolBar->SetShowCaptions(true);
    strip.ToolBar->SetButtonWidth(buttonWidth);
    strip.ToolBar->SetButtonHeight(buttonHeight);
    if (dm) {
        strip.ToolBar->SetImages(dm->ieGrays);
        strip.ToolBar->SetHotImages(dm->ieHots);
        strip.ToolBar->SetDisabledImages(dm->ieDisabled);
    }
    strip.ToolBar->SetParent(strip.CoolBar);
    if (TCoolBand* band = strip.CoolBar->Bands()->FindBand(strip.ToolBar))
        band->SetMinHeight(buttonHeight);
    return strip;
}

TToolButton* AddToolButton(TCustomForm* form, TToolBar* bar, const std::string& name,
                           TBasicAction* action) {
    auto* button = new TToolButton(form);
    button->SetName(name);
    button->SetParent(bar);
    button->SetAction(action);
    return button;
}

TAction* AddAction(TCustomForm* form, TActionList* list, const std::string& name,
                   const std::string& caption, int imageIndex, TShortCut shortCut,
                   TNotifyEvent onExecute) {
    auto* action = new TAction(form);
    action->SetName(name);
    action->SetActionList(list);
    action->SetCaption(caption);
    action->SetImageIndex(imageIndex);
    action->SetShortCut(shortCut);
    action->SetOnExecute(std::move(onExecute));
    return action;
}

std::string RangeText(double minValue, double maxValue) {
    if (std::isinf(maxValue))
        return "Επιτρεπτές τιμές: από " + FloatToStr(minValue) + " και πάνω.";
    return "Επιτρεπτές τιμές: από " + FloatToStr(minValue) + " έως " + FloatToStr(maxValue) + ".";
}

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

void CheckRange(double value, double minValue, double maxValue) {
    if (!(value >= minValue && value <= maxValue))
        throw EValueRange(RangeText(minValue, maxValue));
}

bool ReadSpin(TExSpinEdit* edit, double shownValue, double& value, double minValue,
              double maxValue) {
    if (!edit->HasValue())
        return false;
    const double typed = edit->Value();
    if (!(typed >= minValue && typed <= maxValue)) {
        edit->ShowValue(shownValue);
        throw EValueRange(RangeText(minValue, maxValue));
    }
    value = typed;
    return true;
}
