#include "app/ViewHelpers.h"

#include "app/DataMod.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/RedrawLock.h"
#include "model/Data.h"

#include <memory>
#include <vector>

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

TCustomForm* ShowFormInPanel(TWinControl* host, TWinControl* toolHost, bool bordered,
                             const TFormInitProc& initProc, TFormClass formClass,
                             bool closeOthers) {
    if (!host || !formClass)
        return nullptr;
    // A form of the class is already shown here: nothing at all happens.
    for (int i = 0; i < host->ComponentCount(); ++i)
        if (SameText(host->Components(i)->ClassName(), formClass->Name()))
            return nullptr;

    // The window paints once, when the new view and its tool bar are in place, not at
    // every step of taking the old ones out and docking the new ones.
    TRedrawLock redrawLock(host);
    std::unique_ptr<TObject> created(formClass->Create(host));
    auto* form = dynamic_cast<TCustomForm*>(created.get());
    if (!form)
        throw EInvalidOperation(Format("%s is not a form class", {formClass->Name()}));
    form->AfterConstruction();
    if (initProc)
        initProc(form);
    form->SetAlign(alClient);
    if (toolHost)
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* coolBar = dynamic_cast<TCoolBar*>(form->Components(i)))
                coolBar->SetParent(toolHost);
    form->SetBorderIcons({});
    if (!bordered)
        form->SetBorderStyle(bsNone);
    form->SetParent(host);
    form->SetVisible(true);
    created.release();

    if (closeOthers) {
        std::vector<TComponent*> others;
        for (int i = 0; i < host->ComponentCount(); ++i)
            if (host->Components(i) != form)
                others.push_back(host->Components(i));
        // Freeing one may free another that it owns or watches: free only those still here.
        for (TComponent* other : others) {
            bool owned = false;
            for (int i = 0; i < host->ComponentCount() && !owned; ++i)
                owned = host->Components(i) == other;
            if (owned)
                delete other;
        }
    }
    return form;
}

bool InputReal(const std::string& prompt, double& value) {
    std::string text = FloatToStr(value);
    if (!InputQuery("Εισαγωγή", prompt, text))
        return false;
    value = StrToFloat(text);
    return true;
}

void DrawCellCentered(TCanvas* canvas, const TRect& rect, const std::string& text) {
    // Integer division toward zero, as the cell's left edge is the reference.
    const int x = rect.Left + (rect.Right - rect.Left - canvas->TextWidth(text)) / 2;
    canvas->TextRect(rect, x, rect.Top + 2, text);
}

void DrawCellLeft(TCanvas* canvas, const TRect& rect, const std::string& text) {
    canvas->TextRect(rect, rect.Left + 2, rect.Top + 2, text);
}

namespace {

// The extension of a filter's only pattern: its last three characters.
std::string FilterExt(const std::string& filter) {
    return filter.size() >= 3 ? filter.substr(filter.size() - 3) : filter;
}

template <class TDialog>
void RunFileDialog(const std::string& filter, const std::string& fileName,
                   const std::string& initialDir, std::string& result) {
    std::unique_ptr<TDialog> dialog(new TDialog(Application));
    dialog->SetFilter(filter);
    dialog->SetFileName(fileName);
    dialog->SetDefaultExt(FilterExt(filter));
    dialog->SetInitialDir(initialDir);
    result = dialog->Execute() ? dialog->FileName() : std::string();
}

} // namespace

void SelectOpenFile(const std::string& filter, const std::string& fileName, std::string& result) {
    std::string dir = DirList ? DirList->Values(filter) : std::string();
    if (dir.empty())
        dir = AppDir();
    RunFileDialog<TOpenDialog>(filter, fileName, dir, result);
    if (!result.empty() && DirList)
        DirList->SetValues(filter, FileFolder(result));
}

void SelectSaveFile(const std::string& filter, const std::string& fileName, std::string& result) {
    RunFileDialog<TSaveDialog>(filter, fileName, AppDir(), result);
}
