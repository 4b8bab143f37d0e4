#pragma once
// The outlook bar: a button group whose items are pages. Every page has a page button and
// a page panel; the buttons are stacked along the bar and the panel of the selected page
// fills the space the buttons leave free. Pressing another page button moves buttons and
// panels to their new places in a short step-by-step animation.

#include "controls/fxButtonGroup.h"
#include "controls/fxChangeLink.h"
#include "controls/fxCommon.h"
#include "controls/fxImager.h"
#include "controls/fxOutlookList.h"

#include <memory>
#include <vector>

class TFxCustomOutlookBar;
class TFxOutlookPages;

enum TFxCustomOutlookBarOption { cboAutoCreateOutlookList, cboTransparentPanels };
using TFxCustomOutlookBarOptions = TSet<TFxCustomOutlookBarOption>;
enum TFxPanelAlignment { paDynamic, paTop, paBottom };

// How a page switch started by a click is animated.
class TFxAnimation : public TPersistent {
    ORV_CLASS(TFxAnimation, TPersistent)
public:
    static void Publish(TPublisher<TFxAnimation>& p);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    // Pause in milliseconds after each step.
    int Interval() const { return FInterval; }
    void SetInterval(int value) { FInterval = value; }
    int Steps() const { return FSteps; }
    void SetSteps(int value) { FSteps = value; }
    void AssignFrom(const TPersistent* source) override;

private:
    bool FEnabled = true;
    int FInterval = 1;
    int FSteps = 7;
};

class TFxOutlookPage : public TFxButtonGroupItem {
    ORV_CLASS(TFxOutlookPage, TFxButtonGroupItem)
public:
    explicit TFxOutlookPage(TCollection* collection);
    ~TFxOutlookPage() override;

    void MoveToIndex(int value) override;
    // Selects the page and arranges the bar.
    void ItemChanged() override;
    void ItemLoaded() override;
    TFxCustomOutlookBar* OutlookBar() const;
    // Creates the page's icon list when it has none.
    void CreateOutlookList();

    TFxOutlookPanel* Panel() const { return FPanel; }
    TFxCustomOutlookList* OutlookList() const { return FList; }

private:
    friend class TFxCustomOutlookBar;
    friend class TFxOutlookPages;
    TFxOutlookPanel* FPanel = nullptr;
    TFxCustomOutlookList* FList = nullptr;
};

// The arrangement worked out from sizes and page states alone; ArrangePages gathers the
// input from the bar and applies the rectangles to the buttons and panels.
struct TFxOutlookPageState {
    bool ButtonVisible = false; // the page has a button and it is visible
    TRect Button;               // the button's bounds now
    bool HasPanel = false;
};

struct TFxOutlookLayoutInput {
    TRect Client; // the bar's client rectangle
    int ButtonSize = 20;
    bool Vertical = true;
    TFxPanelAlignment Alignment = paDynamic;
    bool ShowButtons = true;
    std::vector<TFxOutlookPageState> Pages;
    int Selected = -1; // the page to open
    int Old = -1;      // the page whose panel is open now
};

// Where one page's button and panel go. A visible button moves to ButtonEnd. The panels of
// the page to open and of the open page are shown and move to PanelEnd: the one to open
// jumps first to PanelStart, collapsed where it grows from; the other collapses onto the
// edge after its button. Without buttons the panel to open just takes the client
// rectangle (PanelEnd).
struct TFxOutlookPagePlace {
    bool MovesButton = false;
    TRect ButtonEnd;
    bool MovesPanel = false;
    bool PanelJumps = false;
    TRect PanelStart;
    TRect PanelEnd;
};

// One place per page of the input, in page order.
std::vector<TFxOutlookPagePlace> LayoutOutlookPages(const TFxOutlookLayoutInput& input);

class TFxOutlookPages : public TFxButtonGroupItems {
    ORV_CLASS(TFxOutlookPages, TFxButtonGroupItems)
public:
    explicit TFxOutlookPages(TFxCustomOutlookBar* bar);
    // Adds a page; the only page is selected.
    TFxButtonGroupItem* Add() override;
    // The page at the index; nullptr while that item is not (or no longer) a whole page.
    TFxOutlookPage* Pages(int index) const { return dynamic_cast<TFxOutlookPage*>(Items(index)); }
    // True when every item is a whole page (none is being made or freed).
    bool AllPagesWhole() const;
    // The page arrangement and the animated switch; replaces the grid layout.
    void ArrangeButtons() override { ArrangePages(); }
    void ArrangePages();
    TFxCustomOutlookBar* OutlookBar() const;
    // Places a control during the animation: a page panel gets its bounds while marked as
    // moved by the bar; any other control is moved without a redraw and invalidated.
    void SetItemBounds(TControl* control, const TRect& rect);
};

class TFxCustomOutlookBar : public TFxCustomButtonGroup {
    ORV_CLASS(TFxCustomOutlookBar, TFxCustomButtonGroup)
public:
    explicit TFxCustomOutlookBar(TComponent* owner);
    ~TFxCustomOutlookBar() override;

    // The selected page's button; writing selects the page of the button.
    TFxCustomBitBtn* ActivePage() const;
    void SetActivePage(TFxCustomBitBtn* value);
    TFxAnimation* Animation() const { return FAnimation.get(); }
    void SetAnimation(const TFxAnimation* value) { FAnimation->AssignFrom(value); }
    int ButtonSize() const { return FButtonSize; }
    void SetButtonSize(int value);
    TFxCustomImager* Imager() const { return FImager; }
    void SetImager(TFxCustomImager* value);
    TFxCustomOutlookBarOptions Options() const { return FOptions; }
    virtual void SetOptions(TFxCustomOutlookBarOptions value) { FOptions = value; }
    TFxPanelAlignment PanelAlignment() const { return FPanelAlignment; }
    virtual void SetPanelAlignment(TFxPanelAlignment value);
    bool ShowButtons() const { return FShowButtons; }
    void SetShowButtons(bool value);
    void SetLayout(TFxLayout value) override;
    TFxOutlookPages* OutlookItems() const { return static_cast<TFxOutlookPages*>(Items()); }
    void SetOutlookItems(const TFxOutlookPages* value) { Items()->AssignFrom(value); }

    // True while a page-button click is being handled (an animated switch).
    bool IsHandlingClick() const { return FClickDepth != 0; }
    // Draws the imager's picture: tiled over tileArea, or stretched onto stretchArea.
    void PaintImager(TCanvas* canvas, const TRect& tileArea, const TRect& stretchArea);
    // True for buttons that do not cover their rectangle.
    virtual bool ButtonNeedsParentRepaint(TControl* button) const;
    // Repaints the bar and its page panels, whose open parts show the bar's background.
    void InvalidateBackground();

    void AfterLoad() override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    void Rename(const std::string& newName) override;
    void AutoSizeToButtons(TControl* button, bool resize, TSize& size) override;
    void HandleMessage(TMessage& message) override;

protected:
    std::unique_ptr<TFxButtonGroupItems> ItemsClass() override;
    void HandleButtonClick(TObject* button) override;
    void PaintControl() override;

private:
    friend class TFxOutlookPages;
    std::unique_ptr<TFxAnimation> FAnimation;
    int FClickDepth = 0;
    int FButtonSize = 20;
    TFxCustomImager* FImager = nullptr;
    TFxCustomOutlookBarOptions FOptions{cboAutoCreateOutlookList};
    TFxPanelAlignment FPanelAlignment = paDynamic;
    bool FShowButtons = true;
    std::unique_ptr<TFxChangeLink> FImagerLink;
};

class TFxOutlookBar : public TFxCustomOutlookBar {
    ORV_CLASS(TFxOutlookBar, TFxCustomOutlookBar)
public:
    explicit TFxOutlookBar(TComponent* owner) : TFxCustomOutlookBar(owner) {}
    static void Publish(TPublisher<TFxOutlookBar>& p);
};
