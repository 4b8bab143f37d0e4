#pragma once
// The common controls: tab controls and page controls, the header control, the up-down
// control, tool bars with their buttons, and cool bars with bands. All are drawn by us
// with the canvas in the button colours.
//
// Event rules: a change made by the program fires nothing (setting ActivePage, TabIndex,
// a button's Down); a change made by the user asks OnChanging first (where there is one)
// and then fires OnChange or OnClick. Setting an up-down's Position rewrites its
// associated control's text, so that control fires its own change event.

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"
#include "framework/gui/WindowSystem.h"

#include <memory>
#include <string>
#include <vector>

class TBasicAction;
class TPopupMenu;

// Messages of the up-down control.
constexpr UINT UDM_SETRANGE = WM_USER + 101;
constexpr UINT UDM_GETRANGE = WM_USER + 102;
constexpr UINT UDM_SETPOS = WM_USER + 103;
constexpr UINT UDM_GETPOS = WM_USER + 104;
constexpr UINT UDM_SETBUDDY = WM_USER + 105;
constexpr UINT UDM_GETBUDDY = WM_USER + 106;

// Sender, allow (set false to refuse the change).
using TTabChangingEvent = TEvent<void(TObject*, bool&)>;

// ---------------------------------------------------------------------------
// Tab controls

// A row of tabs above a display area. Tabs are as wide as their text plus a margin (or
// TabWidth); the selected tab stands two pixels higher than the others. With HotTrack
// the tab under the mouse shows its text in the hot-light colour.
class TCustomTabControl : public TCustomControl {
    ORV_CLASS(TCustomTabControl, TCustomControl)
public:
    explicit TCustomTabControl(TComponent* owner);
    ~TCustomTabControl() override;
    static void Publish(TPublisher<TCustomTabControl>& p);

    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool value);
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    // 0: from the font.
    int TabHeight() const { return FTabHeight; }
    void SetTabHeight(int value);
    // 0: from each tab's text.
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int value);

    // The rectangle of tab index (client coordinates; empty for a bad index).
    TRect TabRect(int index);
    // The tab at a client point, -1 for none.
    int IndexOfTabAt(int x, int y);
    // The area under the tabs where the pages or children go.
    TRect DisplayRect();
    // The tab the mouse is over while hot tracking (-1 for none).
    int HotTabIndex() const { return FHotIndex; }

    TRect NonClientBorder() const override { return TRect(); }

protected:
    // The tab captions and their image indexes; the tab control owns the list, the page
    // control keeps it equal to its visible pages.
    TStringList* TabList() { return &FTabs; }
    int SelectedIndex() const { return FTabIndex; }
    // Selects a tab without asking or telling anyone.
    void SetSelectedIndex(int value);
    virtual int TabImageIndex(int index) const;
    // The user selects a tab: CanChange, then the change, then Change.
    void UserSelect(int index);
    virtual bool CanChange();
    virtual void Change();
    // The selection moved to tab index by the user (before Change).
    virtual void TabSelected(int index) {}

    void PaintControl() override;
    void ArrangeChildren(TControl* control, TRect& rect) override;
    void HandleMessage(TMessage& message) override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    // The tab list changed: layout and paint again.
    void TabsChanged();

    TTabChangingEvent FOnChanging;
    TNotifyEvent FOnChange;

private:
    int RowHeight();
    void Layout();
    void SetHotIndex(int index);
    TStringList FTabs;
    int FTabIndex = -1;
    bool FHotTrack = false;
    int FHotIndex = -1;
    int FTabHeight = 0;
    int FTabWidth = 0;
    TImageList* FImages = nullptr;
    std::vector<TRect> FTabRects;
    bool FLayoutValid = false;
};

// A tab control whose tabs are a string list; its children sit in the display area.
class TTabControl : public TCustomTabControl {
    ORV_CLASS(TTabControl, TCustomTabControl)
public:
    explicit TTabControl(TComponent* owner);
    static void Publish(TPublisher<TTabControl>& p);

    TStrings* Tabs() const { return const_cast<TTabControl*>(this)->TabList(); }
    void SetTabs(const TStrings* value);
    int TabIndex() const { return SelectedIndex(); }
    // Selects the tab; fires nothing.
    void SetTabIndex(int value) { SetSelectedIndex(value); }

    const TTabChangingEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(TTabChangingEvent value) { FOnChanging = std::move(value); }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
};

class TPageControl;

// A page of a page control. Its PageIndex is its place among all pages and does not
// change when tabs are hidden; TabIndex is its place among the visible tabs (-1 while
// hidden).
class TTabSheet : public TWinControl {
    ORV_CLASS(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    static void Publish(TPublisher<TTabSheet>& p);

    TPageControl* PageControl() const { return FPageControl; }
    // Puts the sheet into the page control (its parent too); nullptr takes it out.
    void SetPageControl(TPageControl* value);
    int PageIndex() const;
    void SetPageIndex(int value);
    int TabIndex() const;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    void SetText(const std::string& value) override;

    // When the sheet becomes, or stops being, the active page.
    const TNotifyEvent& OnShow() const { return FOnShow; }
    void SetOnShow(TNotifyEvent value) { FOnShow = std::move(value); }
    const TNotifyEvent& OnHide() const { return FOnHide; }
    void SetOnHide(TNotifyEvent value) { FOnHide = std::move(value); }

    void AttachParent(TWinControl* parent) override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
    int FImageIndex = -1;
    TNotifyEvent FOnShow;
    TNotifyEvent FOnHide;
};

// Pages with a tab each; the active page fills the display area, the others are hidden.
class TPageControl : public TCustomTabControl {
    ORV_CLASS(TPageControl, TCustomTabControl)
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    static void Publish(TPublisher<TPageControl>& p);

    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int index) const { return FPages.at(index); }
    TTabSheet* ActivePage() const { return FActivePage; }
    // Shows the page (its tab visible or not); fires nothing.
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
    void SetActivePageIndex(int value);
    // The selected tab among the visible ones (-1 for none).
    int TabIndex() const { return SelectedIndex(); }
    // The next or previous page after current (wrapping), with a visible tab when asked.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    // Moves to the next page as the user would (OnChanging, then OnChange).
    void SelectNextPage(bool goForward, bool checkTabVisible = true);

    const TTabChangingEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(TTabChangingEvent value) { FOnChanging = std::move(value); }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

protected:
    int TabImageIndex(int index) const override;
    void TabSelected(int index) override;
    void ArrangeChildren(TControl* control, TRect& rect) override;
    void HandleMessage(TMessage& message) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    // Rebuilds the tabs from the visible pages and selects the active page's tab; when
    // the active page lost its tab, the tab now at its place becomes active.
    void UpdateTabs(int preferredTab = -1);
    void ShowActivePage(TTabSheet* previous);
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
};

// ---------------------------------------------------------------------------
// Header control

class THeaderControl;
enum THeaderSectionStyle { hsText, hsOwnerDraw };

class THeaderSection : public TCollectionItem {
    ORV_CLASS(THeaderSection, TCollectionItem)
public:
    explicit THeaderSection(TCollection* collection);
    static void Publish(TPublisher<THeaderSection>& p);

    const std::string& Text() const { return FText; }
    void SetText(const std::string& value);
    int Width() const { return FWidth; }
    void SetWidth(int value);
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int value) { FMinWidth = std::max(0, value); }
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int value) { FMaxWidth = std::max(0, value); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool AllowClick() const { return FAllowClick; }
    void SetAllowClick(bool value) { FAllowClick = value; }
    THeaderSectionStyle Style() const { return FStyle; }
    void SetStyle(THeaderSectionStyle value);
    // Client x of the section's left edge.
    int Left() const;
    int Right() const { return Left() + FWidth; }
    std::string DisplayName() const override { return FText.empty() ? "THeaderSection" : FText; }

private:
    std::string FText;
    int FWidth = 50;
    int FMinWidth = 0;
    int FMaxWidth = 10000;
    TAlignment FAlignment = taLeftJustify;
    bool FAllowClick = true;
    THeaderSectionStyle FStyle = hsText;
};

class THeaderSections : public TCollection {
    ORV_CLASS(THeaderSections, TCollection)
public:
    explicit THeaderSections(THeaderControl* header);
    THeaderSection* Add() { return static_cast<THeaderSection*>(TCollection::Add()); }
    THeaderSection* Items(int index) const {
        return static_cast<THeaderSection*>(TCollection::Items(index));
    }
    THeaderControl* Header() const { return FHeader; }

protected:
    void Update(TCollectionItem* item) override;

private:
    THeaderControl* FHeader;
};

enum TSectionTrackState { tsTrackBegin, tsTrackMove, tsTrackEnd };
using TSectionNotifyEvent = TEvent<void(THeaderControl*, THeaderSection*)>;
using TSectionTrackEvent =
    TEvent<void(THeaderControl*, THeaderSection*, int width, TSectionTrackState)>;
using TDrawSectionEvent =
    TEvent<void(THeaderControl*, THeaderSection*, const TRect&, bool pressed)>;

// A row of raised sections with captions; the user clicks a section or drags the
// divider at its right edge to resize it.
class THeaderControl : public TCustomControl {
    ORV_CLASS(THeaderControl, TCustomControl)
public:
    explicit THeaderControl(TComponent* owner);
    ~THeaderControl() override;
    static void Publish(TPublisher<THeaderControl>& p);

    THeaderSections* Sections() const { return FSections.get(); }
    void SetSections(const THeaderSections* value);
    // Buttons: sections look pressed while clicked.
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool value) { FHotTrack = value; }
    // The section at a client x (-1 for none).
    int SectionAt(int x) const;

    const TSectionNotifyEvent& OnSectionClick() const { return FOnSectionClick; }
    void SetOnSectionClick(TSectionNotifyEvent value) { FOnSectionClick = std::move(value); }
    const TSectionNotifyEvent& OnSectionResize() const { return FOnSectionResize; }
    void SetOnSectionResize(TSectionNotifyEvent value) { FOnSectionResize = std::move(value); }
    const TSectionTrackEvent& OnSectionTrack() const { return FOnSectionTrack; }
    void SetOnSectionTrack(TSectionTrackEvent value) { FOnSectionTrack = std::move(value); }
    const TDrawSectionEvent& OnDrawSection() const { return FOnDrawSection; }
    void SetOnDrawSection(TDrawSectionEvent value) { FOnDrawSection = std::move(value); }

protected:
    void PaintControl() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    // The section whose right divider is at x (within 3 pixels), -1 for none.
    int DividerAt(int x) const;
    std::unique_ptr<THeaderSections> FSections;
    bool FHotTrack = false;
    int FPressed = -1;
    int FTracking = -1;
    int FTrackStartX = 0;
    int FTrackStartWidth = 0;
    TSectionNotifyEvent FOnSectionClick;
    TSectionNotifyEvent FOnSectionResize;
    TSectionTrackEvent FOnSectionTrack;
    TDrawSectionEvent FOnDrawSection;
};

// ---------------------------------------------------------------------------
// Up-down control

enum TUDOrientation { udHorizontal, udVertical };
enum TUDAlignButton { udLeft, udRight };
enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = TEvent<void(TObject*, TUDBtnType)>;
using TUDChangingEvent = TEvent<void(TObject*, bool&)>;

// Two arrow buttons that step Position between Min and Max by Increment. The associated
// control (any window control) shows the position as its text: setting Position writes
// the text, and reading Position takes a valid number typed there. A user's step asks
// OnChanging, moves the position, writes the text, then sends itself the scroll
// notification (CN_VSCROLL, or CN_HSCROLL when horizontal, with SB_THUMBPOSITION and the
// new position), whose handling fires OnClick with btNext or btPrev.
// UDM_SETPOS sets the position; UDM_SETBUDDY (WParam: the handle, 0 for none) names the
// control whose Up and Down keys step it when ArrowKeys, without taking its text.
class TCustomUpDown : public TCustomControl {
    ORV_CLASS(TCustomUpDown, TCustomControl)
public:
    explicit TCustomUpDown(TComponent* owner);
    ~TCustomUpDown() override;
    static void Publish(TPublisher<TCustomUpDown>& p);

    TWinControl* Associate() const { return FAssociate; }
    // Places the up-down at the control's edge (the control gets narrower by the
    // up-down's width) and writes the position into its text.
    void SetAssociate(TWinControl* value);
    TUDAlignButton AlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton value);
    int Min() const { return FMin; }
    void SetMin(int value);
    int Max() const { return FMax; }
    void SetMax(int value);
    int Increment() const { return FIncrement; }
    void SetIncrement(int value) { FIncrement = value; }
    // Reads a valid number from the associated control's text first.
    int Position() const;
    void SetPosition(int value);
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation value);
    bool Wrap() const { return FWrap; }
    void SetWrap(bool value) { FWrap = value; }
    bool ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool value);
    // Thousands separators in the associated control's text.
    bool Thousands() const { return FThousands; }
    void SetThousands(bool value);

    const TUDClickEvent& OnClick() const { return FOnClick; }
    void SetOnClick(TUDClickEvent value) { FOnClick = std::move(value); }
    const TUDChangingEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(TUDChangingEvent value) { FOnChanging = std::move(value); }

    // Steps as a press of the button would (the user's step).
    void Step(TUDBtnType button);
    // The button under a client point.
    TUDBtnType ButtonAt(int x, int y) const;

protected:
    virtual bool CanChange();
    virtual void Click(TUDBtnType button);
    void PaintControl() override;
    void HandleMessage(TMessage& message) override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    void BeforeWindowDestroyed() override;

private:
    using TControl::Click;
    int Lower() const { return std::min(FMin, FMax); }
    int Upper() const { return std::max(FMin, FMax); }
    std::string PositionText(int value) const;
    void WriteAssociateText();
    void PlaceAtAssociate();
    void SetKeyBuddy(TWinControl* control);
    void UpdateKeyHook();
    void StopRepeat();
    TWinControl* FAssociate = nullptr;
    TWinControl* FKeyBuddy = nullptr;
    TUDAlignButton FAlignButton = udRight;
    int FMin = 0;
    int FMax = 100;
    int FIncrement = 1;
    mutable int FPosition = 0;
    int FNotifyBase = 0;
    TUDOrientation FOrientation = udVertical;
    bool FWrap = false;
    bool FArrowKeys = true;
    bool FThousands = true;
    int FPressed = -1; // -1 none, else the TUDBtnType held down
    HHOOK FKeyHook = 0;
    TUDClickEvent FOnClick;
    TUDChangingEvent FOnChanging;
};

class TUpDown : public TCustomUpDown {
    ORV_CLASS(TUpDown, TCustomUpDown)
public:
    explicit TUpDown(TComponent* owner) : TCustomUpDown(owner) {}
};

// ---------------------------------------------------------------------------
// Tool bars

class TToolBar;
enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// A button of a tool bar; the bar places it. Check buttons toggle Down when clicked;
// grouped check buttons next to each other form a group where one is down (or none,
// with AllowAllUp). A drop-down button pops up its menu from the arrow at its right.
class TToolButton : public TGraphicControl {
    ORV_CLASS(TToolButton, TGraphicControl)
public:
    explicit TToolButton(TComponent* owner);
    ~TToolButton() override;
    static void Publish(TPublisher<TToolButton>& p);

    TToolBar* ToolBar() const;
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle value);
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value) { FAllowAllUp = value; }
    bool Down() const { return FDown; }
    // Fires nothing; the other buttons of its group come up.
    void SetDown(bool value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* value);
    // The linked action also gives the button its image and, for a check button, Down
    // (its Checked).
    // Shown while the mouse is over it (flat bars draw its border then).
    bool Hot() const { return FHot; }
    // Pops up the drop-down menu below the button; false when there is none.
    bool CheckMenuDropdown();
    // The width of the arrow part of a drop-down button.
    static constexpr int kDropDownWidth = 14;

    void Click() override;

protected:
    void PaintControl() override;
    void HandleMessage(TMessage& message) override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    void ActionChange(TBasicAction* sender) override;

private:
    // The buttons of this one's group (itself included), in bar order.
    std::vector<TToolButton*> Group() const;
    void SetHot(bool value);
    TToolButtonStyle FStyle = tbsButton;
    bool FGrouped = false;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FPressed = false;
    bool FHot = false;
    int FImageIndex = -1;
    TPopupMenu* FDropdownMenu = nullptr;
};

enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder>;
enum TEdgeStyle { esNone, esRaised, esLowered };

// A bar of tool buttons laid out left to right in their order, wrapping into rows when
// Wrapable and the bar is too narrow. Images come from Images, HotImages (under the mouse)
// and DisabledImages (disabled buttons; without it the normal image drawn disabled).
class TToolBar : public TCustomControl {
    ORV_CLASS(TToolBar, TCustomControl)
public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;
    static void Publish(TPublisher<TToolBar>& p);

    int ButtonCount() const { return int(FButtons.size()); }
    TToolButton* Buttons(int index) const { return FButtons.at(index); }
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int value);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool value);
    // Captions right of the images instead of under them.
    bool List() const { return FList; }
    void SetList(bool value);
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool value);
    int Indent() const { return FIndent; }
    void SetIndent(int value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    TImageList* HotImages() const { return FHotImages; }
    void SetHotImages(TImageList* value);
    TImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TImageList* value);
    TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders value);
    TEdgeStyle EdgeInner() const { return FEdgeInner; }
    void SetEdgeInner(TEdgeStyle value);
    TEdgeStyle EdgeOuter() const { return FEdgeOuter; }
    void SetEdgeOuter(TEdgeStyle value);

    // The width the buttons need in one row (indent included).
    int ContentWidth() const;
    // The height the rows of buttons need.
    int ContentHeight() const;
    // The bar's height (borders included) when it is the given width.
    int HeightAt(int width) const;
    // Places the buttons again.
    void ArrangeButtons();

    TRect NonClientBorder() const override;

protected:
    void PaintNonClient(TCanvas* canvas) override;
    // The bar is opaque: its face is filled under the buttons at every paint, so that a
    // button repainted without its hover frame or pressed look loses them.
    void PaintWindowContent(TCanvas* canvas) override;
    void HandleMessage(TMessage& message) override;
    void ArrangeChildren(TControl* control, TRect& rect) override;
    void ComponentNotification(TComponent* component, TOperation operation) override;

private:
    friend class TToolButton;
    void ButtonsChanged();
    void EdgesChanged();
    int ButtonWidthOf(const TToolButton* button) const;
    std::vector<TToolButton*> FButtons; // in bar order
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    bool FFlat = false;
    bool FShowCaptions = false;
    bool FList = false;
    bool FWrapable = true;
    int FIndent = 0;
    bool FAutoSize = false;
    bool FArranging = false;
    TImageList* FImages = nullptr;
    TImageList* FHotImages = nullptr;
    TImageList* FDisabledImages = nullptr;
    TEdgeBorders FEdgeBorders;
    TEdgeStyle FEdgeInner = esRaised;
    TEdgeStyle FEdgeOuter = esLowered;
};

// ---------------------------------------------------------------------------
// Cool bars

class TCoolBar;

// One band of a cool bar: a gripper, an optional text and one control.
class TCoolBand : public TCollectionItem {
    ORV_CLASS(TCoolBand, TCollectionItem)
public:
    explicit TCoolBand(TCollection* collection);
    ~TCoolBand() override;
    static void Publish(TPublisher<TCoolBand>& p);

    TCoolBar* CoolBar() const;
    TWinControl* Control() const { return FControl; }
    // Moves the control into the cool bar (it keeps its owner).
    void SetControl(TWinControl* value);
    const std::string& Text() const { return FText; }
    void SetText(const std::string& value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int value);
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int value);
    // The band's width in its row (0: as the contents need).
    int Width() const { return FWidth; }
    void SetWidth(int value);
    // Starts a new row.
    bool Break() const { return FBreak; }
    void SetBreak(bool value);
    bool FixedSize() const { return FFixedSize; }
    void SetFixedSize(bool value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    // The band's rectangle in the cool bar (after layout).
    TRect BandRect() const { return FRect; }
    // The width the band needs: gripper, text and the control's natural width.
    int NaturalWidth() const;
    int BandHeight() const;
    // The height when the band is the given width: a tool bar narrower than its buttons
    // wraps them onto further rows.
    int BandHeightAt(int width) const;
    // Where the control starts in the band: after the gripper and the text.
    int ControlOffset() const;
    std::string DisplayName() const override;

private:
    friend class TCoolBar;
    TWinControl* FControl = nullptr;
    std::string FText;
    int FMinHeight = 25;
    int FMinWidth = 0;
    int FWidth = 0;
    bool FBreak = true;
    bool FFixedSize = false;
    bool FVisible = true;
    TRect FRect;
};

class TCoolBands : public TCollection {
    ORV_CLASS(TCoolBands, TCollection)
public:
    explicit TCoolBands(TCoolBar* coolBar);
    TCoolBand* Add() { return static_cast<TCoolBand*>(TCollection::Add()); }
    // nullptr for an item being freed.
    TCoolBand* Items(int index) const {
        return dynamic_cast<TCoolBand*>(TCollection::Items(index));
    }
    // The bands in order, without one being freed.
    std::vector<TCoolBand*> Live() const;
    TCoolBar* CoolBar() const { return FCoolBar; }
    // The band holding the control, or nullptr.
    TCoolBand* FindBand(const TControl* control) const;

protected:
    void Update(TCollectionItem* item) override;

private:
    TCoolBar* FCoolBar;
};

// Bands in rows (a band with Break starts a row). A window control placed on the cool
// bar gets a band of its own. A cool bar moved into a panel of another form (a docked
// form's tool bar in the main window's tool strip) lines up at the left of that panel,
// after the cool bars docked there before it, as wide as its bands need; a bar that no
// longer fits beside them wraps onto a further row, and the panel grows to show every
// row (back to its own height when one row is enough).
class TCoolBar : public TCustomControl {
    ORV_CLASS(TCoolBar, TCustomControl)
public:
    explicit TCoolBar(TComponent* owner);
    ~TCoolBar() override;
    static void Publish(TPublisher<TCoolBar>& p);

    TCoolBands* Bands() const { return FBands.get(); }
    void SetBands(const TCoolBands* value);
    // The height follows the rows of bands.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool value);
    bool FixedOrder() const { return FFixedOrder; }
    void SetFixedOrder(bool value) { FFixedOrder = value; }
    // True while the bar sits in a window of another form than its owner.
    bool DockedElsewhere() const;
    // The width all bands need in their rows.
    int ContentWidth() const;
    // The height the rows need.
    int ContentHeight() const;
    // The height the rows need in the given client width.
    int ContentHeightAt(int clientWidth) const;
    // Lays the bands out again.
    void ArrangeBands();

    void AttachParent(TWinControl* parent) override;
    void AlignCustom(const TRect& clientRect) override;

protected:
    void PaintControl() override;
    void HandleMessage(TMessage& message) override;
    void ArrangeChildren(TControl* control, TRect& rect) override;

private:
    friend class TCoolBand;
    struct TBandRow {
        std::vector<std::pair<TCoolBand*, int>> Bands; // with their widths
        int Height = 0;
    };
    // The visible bands in rows for a client width (0: as wide as they need); the last
    // band of a row takes the rest of the width, and is squeezed when the row is too
    // narrow for it.
    std::vector<TBandRow> BandRows(int clientWidth) const;
    // The cool bars docked in a panel of another form, in the panel's control order.
    static std::vector<TCoolBar*> StripBars(const TWinControl* strip);
    // Lays out the bars docked in the strip in rows and sizes the strip to them.
    static void FlowStrip(TWinControl* strip, const TRect& clientRect);
    // The panel of another form this bar is docked in, and that panel's own height.
    TWinControl* FStrip = nullptr;
    int FStripHeight = 0;
    static constexpr int kGripperWidth = 10;
    static constexpr int kBandPadding = 2;
    TAlign FHomeAlign = alTop;
    bool FArranging = false;
    bool FAutoSize = false;
    bool FShowText = true;
    bool FFixedOrder = false;
    std::unique_ptr<TCoolBands> FBands;
};
