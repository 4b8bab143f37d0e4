#include "app/ViewHelpers.h"

#include "app/DataMod.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/RedrawLock.h"
#include "model/Data.h"

#include <algorithm>
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

namespace {

// A window docked over the other controls of its host (a chart over the view) covers them:
// while it lives they are disabled, so none of them takes the focus, a typed key or an
// accelerator, and Tab passes them by. When the window is freed, what it disabled is
// enabled again (unless another window still covers it) and the focus goes back to the
// control that had it before. The guard hears of the cover's end through a free
// notification, after the cover has left its host.
class TCoverGuard : public TComponent {
public:
    TCoverGuard(TWinControl* host, TCustomForm* cover)
        : TComponent(nullptr), FHost(host), FCover(cover) {
        Guards().push_back(this);
        cover->FreeNotification(this);
        if (TWinControl* focused = FindFocusedControl();
            focused && (focused == host || host->ContainsControl(focused)) &&
            !(focused == cover || cover->ContainsControl(focused)))
            Watch(FFocused = focused);
        for (int i = 0; i < host->ControlCount(); ++i) {
            TControl* control = host->Controls(i);
            if (control != cover && control->Enabled()) {
                FCovered.push_back(control);
                Watch(control);
            }
        }
        // The focus moves onto the cover before what it covers is disabled, so that it does
        // not wander to whatever the toolkit finds next.
        if (FFocused) {
            cover->SelectFirst();
            TWinControl* now = FindFocusedControl();
            if ((!now || !(now == cover || cover->ContainsControl(now))) && cover->CanFocus())
                cover->SetFocus();
        }
        for (TControl* control : FCovered)
            control->SetEnabled(false);
    }
    ~TCoverGuard() override {
        std::erase(Guards(), this);
        for (TControl* control : FCovered)
            control->RemoveFreeNotification(this);
        if (FFocused)
            FFocused->RemoveFreeNotification(this);
        if (FCover)
            FCover->RemoveFreeNotification(this);
    }

    void ComponentNotification(TComponent* component, TOperation operation) override {
        TComponent::ComponentNotification(component, operation);
        if (operation != opRemove)
            return;
        if (component == FCover) {
            FCover = nullptr;
            Uncover();
            delete this;
            return;
        }
        std::erase(FCovered, component);
        if (component == FFocused)
            FFocused = nullptr;
    }

private:
    static std::vector<TCoverGuard*>& Guards() {
        static std::vector<TCoverGuard*> guards;
        return guards;
    }
    void Watch(TComponent* component) { component->FreeNotification(this); }
    bool Covers(const TControl* control) const {
        return std::find(FCovered.begin(), FCovered.end(), control) != FCovered.end();
    }
    void Uncover() {
        std::erase(Guards(), this);
        for (TControl* control : FCovered) {
            bool stillCovered = false;
            for (const TCoverGuard* other : Guards())
                stillCovered = stillCovered || other->Covers(control);
            if (!stillCovered)
                control->SetEnabled(true);
        }
        // The focus returns to the control that had it before, unless a form docked in the
        // host since (the next view) has it now.
        if (FFocused && FFocused->CanFocus() && FFocused->Showing()) {
            TWinControl* now = FindFocusedControl();
            bool inNewForm = now && now != FHost && FHost->ContainsControl(now);
            for (const TControl* control : FCovered)
                if (auto* covered = dynamic_cast<const TWinControl*>(control);
                    covered && (now == covered || covered->ContainsControl(now)))
                    inNewForm = false;
            if (!inNewForm)
                FFocused->SetFocus();
        }
    }

    TWinControl* FHost; // alive while FFocused is: it holds it
    TCustomForm* FCover;
    TWinControl* FFocused = nullptr;
    std::vector<TControl*> FCovered;
};

} // namespace

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
    // A form kept beside the others is shown over them: they are out of reach of the
    // keyboard until it goes.
    if (!closeOthers)
        new TCoverGuard(host, form);

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
