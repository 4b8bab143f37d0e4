#pragma once
// Building blocks of the chart editor's pages: controls made, named, placed and bound in
// one call, the guard that marks a page as filling its controls, and the borderless form
// every page is.

#include "framework/core/Classes.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ControlPlacing.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"

#include <initializer_list>
#include <string>

namespace ChartEdit {

inline TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name,
                         const std::string& caption, int left, int top, int width = 90) {
    return PlaceControl<TLabel>(owner, parent, name, left, top, width, 16, caption);
}

// A control with a caption that answers a click.
template <class T>
T* MakeClickable(TComponent* owner, TWinControl* parent, const char* name,
                 const std::string& caption, int left, int top, int width, int height,
                 TNotifyEvent onClick) {
    T* control = PlaceControl<T>(owner, parent, name, left, top, width, height, caption);
    control->SetOnClick(std::move(onClick));
    return control;
}

inline TCheckBox* MakeCheck(TComponent* owner, TWinControl* parent, const char* name,
                            const std::string& caption, int left, int top, int width,
                            TNotifyEvent onClick) {
    return MakeClickable<TCheckBox>(owner, parent, name, caption, left, top, width, 19,
                                    std::move(onClick));
}

inline TButton* MakeButton(TComponent* owner, TWinControl* parent, const char* name,
                           const std::string& caption, int left, int top, int width,
                           TNotifyEvent onClick) {
    return MakeClickable<TButton>(owner, parent, name, caption, left, top, width, 25,
                                  std::move(onClick));
}

// A named page of a page control.
inline TTabSheet* MakeTab(TComponent* owner, TPageControl* pages, const std::string& name,
                          const std::string& caption) {
    auto* tab = new TTabSheet(owner);
    tab->SetName(name);
    tab->SetPageControl(pages);
    tab->SetCaption(caption);
    return tab;
}

// An edit with an up-down beside it; onChange is the edit's change handler, which reads
// the up-down's position.
inline void MakeSpin(TComponent* owner, TWinControl* parent, TEdit*& edit, TUpDown*& upDown,
                     const char* editName, const char* upDownName, int left, int top, int width,
                     int min, int max, int increment, int position, TNotifyEvent onChange) {
    edit = PlaceControl<TEdit>(owner, parent, editName, left, top, width, 24);
    upDown = PlaceControl<TUpDown>(owner, parent, upDownName, left + width, top, 16, 24);
    upDown->SetMin(min);
    upDown->SetMax(max);
    upDown->SetIncrement(increment);
    upDown->SetThousands(false);
    upDown->SetPosition(position);
    upDown->SetAssociate(edit);
    edit->SetOnChange(std::move(onChange));
}

inline TRadioGroup* MakeRadioGroup(TComponent* owner, TWinControl* parent, const char* name,
                                   const std::string& caption, int left, int top, int width,
                                   int height, std::initializer_list<const char*> items,
                                   TNotifyEvent onClick) {
    TRadioGroup* group = PlaceControl<TRadioGroup>(owner, parent, name, left, top, width, height);
    group->SetCaption(caption);
    for (const char* item : items)
        group->Items()->Add(item);
    group->SetOnClick(std::move(onClick));
    return group;
}

inline TComboBox* MakeList(TComponent* owner, TWinControl* parent, const char* name, int left,
                           int top, int width, std::initializer_list<const char*> items,
                           TNotifyEvent onChange) {
    TComboBox* combo = PlaceControl<TComboBox>(owner, parent, name, left, top, width, 24);
    combo->SetStyle(csDropDownList);
    for (const char* item : items)
        combo->Items()->Add(item);
    combo->SetOnChange(std::move(onChange));
    return combo;
}

// Sets a flag for its lifetime; afterwards (also after an error) the flag takes its
// previous value, or endValue when given.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : FFlag(flag), FOld(flag) { FFlag = true; }
    TFlagGuard(bool& flag, bool endValue) : FFlag(flag), FOld(endValue) { FFlag = true; }
    ~TFlagGuard() { FFlag = FOld; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

} // namespace ChartEdit

// The base of the editor's pages: a borderless form docked into its tab. Loading is on
// from creation until the page has filled its controls; while it is on, no control
// writes into the edited object.
class TChartEditPage : public TForm {
    ORV_CLASS(TChartEditPage, TForm)
public:
    explicit TChartEditPage(TComponent* owner) : TForm(owner) {
        SetBorderStyle(bsNone);
        SetBorderIcons({});
    }
    bool Loading() const { return FLoading; }

protected:
    bool FLoading = true;
};
