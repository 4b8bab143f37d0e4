#include "framework/gui/CommonControls.h"

#include "framework/gui/ControlHelpers.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"

#include <algorithm>

using namespace ControlHelpers;

// ---------------------------------------------------------------------------
// TCustomTabControl

TCustomTabControl::TCustomTabControl(TComponent* owner) : TCustomControl(owner) {
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csDoubleClicks, csOpaque};
    SetParentColor(false);
    SetColor(clBtnFace);
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
    FTabs.SetOnChange(TNotifyEvent([this](TObject*) { TabsChanged(); }));
}

TCustomTabControl::~TCustomTabControl() {
    FTabs.SetOnChange(TNotifyEvent());
}

void TCustomTabControl::Publish(TPublisher<TCustomTabControl>& p) {
    using T = TCustomTabControl;
    p.Bool("HotTrack", &T::HotTrack, &T::SetHotTrack).Default(false);
    p.Class("Images", TImageList::StaticClass(), &T::Images, &T::SetImages);
    p.Integer("TabHeight", &T::TabHeight, &T::SetTabHeight).Default(0);
    p.Integer("TabWidth", &T::TabWidth, &T::SetTabWidth).Default(0);
    p.Class("Font", TFont::StaticClass(), &TControl::Font, &TControl::SetFont);
}

void TCustomTabControl::SetHotTrack(bool value) {
    FHotTrack = value;
    if (!value)
        SetHotIndex(-1);
}

void TCustomTabControl::SetImages(TImageList* value) {
    if (!SetComponentReference(this, FImages, value))
        return;
    TabsChanged();
}

void TCustomTabControl::SetTabHeight(int value) {
    FTabHeight = std::max(0, value);
    TabsChanged();
}

void TCustomTabControl::SetTabWidth(int value) {
    FTabWidth = std::max(0, value);
    TabsChanged();
}

void TCustomTabControl::ComponentNotification(TComponent* component, TOperation operation) {
    TCustomControl::ComponentNotification(component, operation);
    if (operation == opRemove && component == FImages) {
        FImages = nullptr;
        TabsChanged();
    }
}

void TCustomTabControl::TabsChanged() {
    FLayoutValid = false;
    if (FTabIndex >= FTabs.Count())
        FTabIndex = FTabs.Count() - 1;
    if (FHotIndex >= FTabs.Count())
        FHotIndex = -1;
    Realign();
    Invalidate();
}

void TCustomTabControl::SetSelectedIndex(int value) {
    if (value < -1 || value >= FTabs.Count())
        value = -1;
    if (StoreChanged(FTabIndex, value))
        Invalidate();
}

int TCustomTabControl::TabImageIndex(int index) const {
    return FImages ? index : -1;
}

int TCustomTabControl::RowHeight() {
    if (FTabHeight > 0)
        return FTabHeight;
    int h = MeasureText(Font(), "Wg").cy + 6;
    if (FImages)
        h = std::max(h, FImages->Height() + 4);
    return h;
}

void TCustomTabControl::Layout() {
    if (FLayoutValid && int(FTabRects.size()) == FTabs.Count())
        return;
    FTabRects.clear();
    int rowHeight = RowHeight();
    int x = 2;
    for (int i = 0; i < FTabs.Count(); ++i) {
        int w = FTabWidth;
        if (w == 0) {
            w = TextWidthIn(Font(), FTabs.Get(i)) + 12;
            if (FImages && TabImageIndex(i) >= 0)
                w += FImages->Width() + 3;
        }
        FTabRects.push_back(TRect(x, 2, x + w, 2 + rowHeight));
        x += w;
    }
    FLayoutValid = true;
}

TRect TCustomTabControl::TabRect(int index) {
    Layout();
    if (index < 0 || index >= int(FTabRects.size()))
        return TRect();
    return FTabRects[index];
}

int TCustomTabControl::IndexOfTabAt(int x, int y) {
    Layout();
    // The selected tab stands out over its neighbours: test it first.
    if (FTabIndex >= 0 && FTabIndex < int(FTabRects.size())) {
        TRect r = FTabRects[FTabIndex];
        InflateRect(r, 2, 2);
        if (PtInRect(r, TPoint(x, y)))
            return FTabIndex;
    }
    for (int i = 0; i < int(FTabRects.size()); ++i)
        if (PtInRect(FTabRects[i], TPoint(x, y)))
            return i;
    return -1;
}

TRect TCustomTabControl::DisplayRect() {
    TRect client = ClientRect();
    int top = FTabs.Count() > 0 ? RowHeight() + 2 : 0;
    TRect r(client.Left + 4, client.Top + top + 4, client.Right - 4, client.Bottom - 4);
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    return r;
}

void TCustomTabControl::ArrangeChildren(TControl* control, TRect& rect) {
    rect = DisplayRect();
    TCustomControl::ArrangeChildren(control, rect);
}

void TCustomTabControl::SetHotIndex(int index) {
    if (index == FHotIndex)
        return;
    FHotIndex = index;
    Invalidate();
}

bool TCustomTabControl::CanChange() {
    bool allow = true;
    if (FOnChanging)
        FOnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change() {
    if (FOnChange)
        FOnChange(this);
}

void TCustomTabControl::UserSelect(int index) {
    if (index < 0 || index >= FTabs.Count() || index == FTabIndex)
        return;
    if (!CanChange())
        return;
    FTabIndex = index;
    TabSelected(index);
    Invalidate();
    Change();
}

void TCustomTabControl::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && Enabled()) {
        int index = IndexOfTabAt(x, y);
        if (index >= 0) {
            if (CanFocus() && !Focused())
                SetFocus();
            UserSelect(index);
        }
    }
    TCustomControl::HandleMouseDown(button, shift, x, y);
}

void TCustomTabControl::HandleMouseMove(TShiftState shift, int x, int y) {
    if (FHotTrack)
        SetHotIndex(IndexOfTabAt(x, y));
    TCustomControl::HandleMouseMove(shift, x, y);
}

void TCustomTabControl::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TCustomControl::HandleKeyDown(key, shift);
    if (key == VK_LEFT || key == VK_RIGHT) {
        int next = FTabIndex + (key == VK_RIGHT ? 1 : -1);
        key = 0;
        UserSelect(next);
    }
}

void TCustomTabControl::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS;
        return;
    case CM_MOUSELEAVE:
        SetHotIndex(-1);
        break;
    case CM_FONTCHANGED:
        FLayoutValid = false;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::HandleMessage(message);
}

void TCustomTabControl::PaintControl() {
    TCanvas* canvas = Canvas();
    Layout();
    TRect client = ClientRect();
    FillFace(canvas, client, Color());
    int frameTop = FTabs.Count() > 0 ? RowHeight() + 2 : 0;
    TRect frame(client.Left, frameTop, client.Right, client.Bottom);
    DrawEdge(canvas, frame, EDGE_RAISED, BF_RECT | BF_SOFT);
    canvas->SetFont(Font());
    auto drawTab = [&](int i) {
        bool selected = i == FTabIndex;
        TRect r = FTabRects[i];
        if (selected) {
            r.Left -= 2;
            r.Right += 2;
            r.Top -= 2;
            r.Bottom += 1; // covers the frame's top line under the tab
        }
        FillFace(canvas, r, Color());
        // Left and top in the highlight, right in the shadows.
        canvas->Pen()->SetWidth(1);
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetColor(clBtnHighlight);
        canvas->MoveTo(r.Left, r.Bottom - (selected ? 1 : 0));
        canvas->LineTo(r.Left, r.Top + 2);
        canvas->LineTo(r.Left + 2, r.Top);
        canvas->LineTo(r.Right - 2, r.Top);
        canvas->Pen()->SetColor(cl3DDkShadow);
        canvas->MoveTo(r.Right - 2, r.Top + 1);
        canvas->LineTo(r.Right - 1, r.Top + 2);
        canvas->LineTo(r.Right - 1, r.Bottom - (selected ? 1 : 0));
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->MoveTo(r.Right - 2, r.Top + 2);
        canvas->LineTo(r.Right - 2, r.Bottom - (selected ? 1 : 0));
        TRect inner = FTabRects[i];
        if (selected)
            OffsetRect(inner, 0, -1);
        int image = TabImageIndex(i);
        if (FImages && image >= 0) {
            int y = inner.Top + (inner.Height() - FImages->Height()) / 2;
            FImages->Draw(canvas, inner.Left + 6, y, image, Enabled());
            inner.Left += FImages->Width() + 3;
        }
        TColor textColor = !Enabled()                      ? clGrayText
                           : (FHotTrack && i == FHotIndex) ? clHotLight
                                                           : clBtnText;
        canvas->Font()->SetColor(textColor);
        canvas->Brush()->SetStyle(bsClear);
        std::string text = FTabs.Get(i);
        TRect textRect = inner;
        DrawText(canvas, text, textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (selected && Focused()) {
            TRect focus = inner;
            InflateRect(focus, -3, -3);
            canvas->Brush()->SetStyle(bsSolid);
            canvas->DrawFocusRect(focus);
        }
    };
    for (int i = 0; i < int(FTabRects.size()); ++i)
        if (i != FTabIndex)
            drawTab(i);
    if (FTabIndex >= 0 && FTabIndex < int(FTabRects.size()))
        drawTab(FTabIndex);
}

// ---------------------------------------------------------------------------
// TTabControl

TTabControl::TTabControl(TComponent* owner) : TCustomTabControl(owner) {}

void TTabControl::Publish(TPublisher<TTabControl>& p) {
    using T = TTabControl;
    p.Class("Tabs", TStrings::StaticClass(), &T::Tabs, &T::SetTabs);
    p.Integer("TabIndex", &T::TabIndex, &T::SetTabIndex).Default(-1);
    p.Event("OnChange", &T::OnChange, &T::SetOnChange);
    p.Event("OnChanging", &T::OnChanging, &T::SetOnChanging);
}

void TTabControl::SetTabs(const TStrings* value) {
    if (value)
        TabList()->Assign(*value);
}

// ---------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    FControlStyle.Include(csAcceptsControls);
    SetAlign(alClient);
    SetVisible(false);
}

TTabSheet::~TTabSheet() {
    if (FPageControl)
        FPageControl->RemovePage(this);
}

void TTabSheet::Publish(TPublisher<TTabSheet>& p) {
    using T = TTabSheet;
    p.String(
        "Caption", [](const T* c) { return c->Caption(); },
        [](T* c, const std::string& v) { c->SetCaption(v); });
    p.Integer("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
    p.Integer("PageIndex", &T::PageIndex, &T::SetPageIndex).Stored(false);
    p.Bool("TabVisible", &T::TabVisible, &T::SetTabVisible).Default(true);
    p.Event("OnShow", &T::OnShow, &T::SetOnShow);
    p.Event("OnHide", &T::OnHide, &T::SetOnHide);
}

void TTabSheet::SetPageControl(TPageControl* value) {
    SetParent(value);
}

void TTabSheet::AttachParent(TWinControl* parent) {
    TPageControl* old = FPageControl;
    auto* next = dynamic_cast<TPageControl*>(parent);
    if (old && old != next) {
        old->RemovePage(this);
        FPageControl = nullptr;
    }
    TWinControl::AttachParent(parent);
    if (next && next != old) {
        FPageControl = next;
        next->InsertPage(this);
    }
}

int TTabSheet::PageIndex() const {
    if (!FPageControl)
        return -1;
    const auto& pages = FPageControl->FPages;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : int(it - pages.begin());
}

void TTabSheet::SetPageIndex(int value) {
    if (FPageControl)
        FPageControl->MovePage(this, value);
}

int TTabSheet::TabIndex() const {
    if (!FPageControl || !FTabVisible)
        return -1;
    int index = 0;
    for (TTabSheet* page : FPageControl->FPages) {
        if (page == this)
            return index;
        if (page->FTabVisible)
            ++index;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool value) {
    if (value == FTabVisible)
        return;
    bool lostActive = !value && FPageControl && FPageControl->FActivePage == this;
    int oldTab = TabIndex();
    FTabVisible = value;
    if (FPageControl)
        FPageControl->UpdateTabs(lostActive ? oldTab : -1);
}

void TTabSheet::SetImageIndex(int value) {
    if (!StoreChanged(FImageIndex, value))
        return;
    if (FPageControl)
        FPageControl->TabsChanged();
}

void TTabSheet::SetText(const std::string& value) {
    TWinControl::SetText(value);
    if (FPageControl)
        FPageControl->UpdateTabs();
}

// ---------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

TPageControl::~TPageControl() {
    // The sheets may outlive the control's own members while its base frees them.
    for (TTabSheet* page : FPages)
        page->FPageControl = nullptr;
    FPages.clear();
    FActivePage = nullptr;
}

void TPageControl::Publish(TPublisher<TPageControl>& p) {
    using T = TPageControl;
    p.Class("ActivePage", TTabSheet::StaticClass(), &T::ActivePage, &T::SetActivePage);
    p.Event("OnChange", &T::OnChange, &T::SetOnChange);
    p.Event("OnChanging", &T::OnChanging, &T::SetOnChanging);
}

void TPageControl::InsertPage(TTabSheet* page) {
    FPages.push_back(page);
    UpdateTabs();
    if (!FActivePage && page->TabVisible())
        SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end())
        return;
    bool wasActive = page == FActivePage;
    int oldTab = page->TabIndex();
    FPages.erase(it);
    page->FPageControl = nullptr;
    if (wasActive) {
        FActivePage = nullptr;
        if (!IsDestroying() && !page->IsDestroying())
            page->SetVisible(false);
    }
    if (!IsDestroying())
        UpdateTabs(wasActive ? std::max(oldTab, 0) : -1);
}

void TPageControl::MovePage(TTabSheet* page, int index) {
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end())
        return;
    FPages.erase(it);
    index = std::clamp(index, 0, int(FPages.size()));
    FPages.insert(FPages.begin() + index, page);
    UpdateTabs();
}

void TPageControl::UpdateTabs(int preferredTab) {
    TStringList* tabs = TabList();
    tabs->BeginUpdate();
    tabs->Clear();
    for (TTabSheet* page : FPages)
        if (page->TabVisible())
            tabs->AddObject(page->Caption(), page);
    tabs->EndUpdate();
    TabsChanged();
    if (preferredTab >= 0) {
        // The active page lost its tab: the tab now at its place (or the last) takes over.
        int index = std::min(preferredTab, tabs->Count() - 1);
        SetActivePage(index >= 0 ? static_cast<TTabSheet*>(tabs->GetObject(index)) : nullptr);
    }
    SetSelectedIndex(FActivePage ? FActivePage->TabIndex() : -1);
}

int TPageControl::TabImageIndex(int index) const {
    int visible = 0;
    for (TTabSheet* page : FPages)
        if (page->TabVisible()) {
            if (visible == index)
                return page->ImageIndex();
            ++visible;
        }
    return -1;
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->FPageControl != this)
        return;
    if (page == FActivePage) {
        SetSelectedIndex(page ? page->TabIndex() : -1);
        return;
    }
    TTabSheet* previous = FActivePage;
    FActivePage = page;
    SetSelectedIndex(page ? page->TabIndex() : -1);
    ShowActivePage(previous);
}

void TPageControl::SetActivePageIndex(int value) {
    SetActivePage(value >= 0 && value < PageCount() ? FPages[value] : nullptr);
}

void TPageControl::ShowActivePage(TTabSheet* previous) {
    if (FActivePage) {
        FActivePage->SetBoundsRect(DisplayRect());
        FActivePage->BringToFront();
        FActivePage->SetVisible(true);
        if (FActivePage->OnShow())
            FActivePage->OnShow()(FActivePage);
    }
    if (previous && previous != FActivePage) {
        previous->SetVisible(false);
        if (previous->OnHide())
            previous->OnHide()(previous);
    }
    Realign();
}

void TPageControl::TabSelected(int index) {
    TStringList* tabs = TabList();
    if (index >= 0 && index < tabs->Count())
        SetActivePage(static_cast<TTabSheet*>(tabs->GetObject(index)));
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward,
                                      bool checkTabVisible) const {
    int count = PageCount();
    if (count == 0)
        return nullptr;
    int start = current ? current->PageIndex() : -1;
    if (start < 0)
        start = goForward ? count - 1 : 0;
    int i = start;
    for (int n = 0; n < count; ++n) {
        i = goForward ? (i + 1) % count : (i - 1 + count) % count;
        TTabSheet* page = FPages[i];
        if (!checkTabVisible || page->TabVisible())
            return page;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible) {
    TTabSheet* page = FindNextPage(FActivePage, goForward, checkTabVisible);
    if (!page || page == FActivePage || !CanChange())
        return;
    SetActivePage(page);
    Change();
}

void TPageControl::ArrangeChildren(TControl* control, TRect& rect) {
    TCustomTabControl::ArrangeChildren(control, rect);
}

void TPageControl::HandleMessage(TMessage& message) {
    if (message.Msg == CM_DIALOGKEY && message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        TWinControl* focused = FindFocusedControl();
        if (focused && ContainsControl(focused)) {
            SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
            message.Result = 1;
            return;
        }
    }
    TCustomTabControl::HandleMessage(message);
}
