#include "app/FormParts.h"

#include "app/DataMod.h"
#include "framework/core/SystemUtils.h"

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
