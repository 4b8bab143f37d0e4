// Dock sites: a window control that lays docked clients out below caption strips, and
// the caption strip with its close button.

#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"

#include <algorithm>

namespace {

// The strip above a docked client: two grip lines and a close button.
constexpr int kCaptionHeight = 12;
constexpr int kCloseButtonSize = 11;

} // namespace

// The caption strip of one docked client: a graphic control of the site.
class TDockCaption : public TGraphicControl {
    ORV_CLASS(TDockCaption, TGraphicControl)
public:
    TDockCaption(TWinControl* site, TControl* client) : TGraphicControl(site), FClient(client) {
        SetControlStyle(ControlStyle() - TControlStyle{csClickEvents});
        SetParent(site);
    }

    TControl* Client() const { return FClient; }
    // The close button in the strip's own coordinates.
    TRect CloseButton() const {
        const int top = (Height() - kCloseButtonSize) / 2;
        return TRect(Width() - kCloseButtonSize - 1, top, Width() - 1, top + kCloseButtonSize);
    }

protected:
    void PaintControl() override {
        TCanvas* canvas = Canvas();
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(ClientRect());
        const TRect button = CloseButton();
        // Two raised grip lines from the left edge up to the button.
        for (int y : {Height() / 2 - 2, Height() / 2 + 1}) {
            TRect grip(2, y, button.Left - 3, y + 3);
            if (grip.Right > grip.Left)
                DrawEdge(canvas, grip, BDR_RAISEDINNER, BF_RECT);
        }
        TRect face = button;
        DrawEdge(canvas, face, FPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetWidth(1);
        canvas->Pen()->SetColor(clBtnText);
        const int shift = FPressed ? 1 : 0;
        const int l = button.Left + 3 + shift, t = button.Top + 3 + shift;
        const int r = button.Right - 3 + shift, b = button.Bottom - 3 + shift;
        canvas->MoveTo(l, t);
        canvas->LineTo(r, b);
        canvas->MoveTo(r - 1, t);
        canvas->LineTo(l - 1, b);
    }

    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
        TGraphicControl::HandleMouseDown(button, shift, x, y);
        if (button == mbLeft && PtInRect(CloseButton(), TPoint(x, y))) {
            FPressed = true;
            Invalidate();
        }
    }

    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
        TGraphicControl::HandleMouseUp(button, shift, x, y);
        if (button != mbLeft || !FPressed)
            return;
        FPressed = false;
        Invalidate();
        if (PtInRect(CloseButton(), TPoint(x, y)) && FClient) {
            if (auto* form = dynamic_cast<TCustomForm*>(FClient))
                form->Close();
            else
                FClient->Hide();
        }
    }

private:
    friend class TWinControl;
    TControl* FClient;
    bool FPressed = false;
};

// ---------------------------------------------------------------------------

void TControl::ManualDock(TWinControl* newDockSite) {
    if (newDockSite == FHostDockSite)
        return;
    if (FHostDockSite)
        FHostDockSite->RemoveDockClient(this);
    if (!newDockSite)
        return;
    if (!newDockSite->DockSite())
        newDockSite->SetDockSite(true);
    SetAlign(alNone);
    newDockSite->AddDockClient(this);
    SetParent(newDockSite);
    newDockSite->Realign();
}

void TWinControl::SetDockSite(bool value) {
    if (value == FDockSite)
        return;
    FDockSite = value;
    if (!value)
        while (!FDockClients.empty())
            RemoveDockClient(FDockClients.back());
    Realign();
}

void TWinControl::AddDockClient(TControl* client) {
    FDockClients.push_back(client);
    FDockCaptions.push_back(new TDockCaption(this, client));
    client->FHostDockSite = this;
}

void TWinControl::RemoveDockClient(TControl* client) {
    auto it = std::find(FDockClients.begin(), FDockClients.end(), client);
    if (it == FDockClients.end())
        return;
    const size_t i = size_t(it - FDockClients.begin());
    TControl* caption = FDockCaptions[i];
    FDockClients.erase(it);
    FDockCaptions.erase(FDockCaptions.begin() + std::ptrdiff_t(i));
    client->FHostDockSite = nullptr;
    delete caption;
    if (!IsDestroying())
        Realign();
}

void TWinControl::ArrangeDockClients(TRect& rect) {
    std::vector<size_t> shown;
    for (size_t i = 0; i < FDockClients.size(); ++i) {
        const bool visible = FDockClients[i]->Visible() && FDockClients[i]->Parent() == this;
        // The strip shows with its client (SetVisible of a graphic control only repaints).
        if (FDockCaptions[i]->Visible() != visible)
            FDockCaptions[i]->SetVisible(visible);
        if (visible)
            shown.push_back(i);
    }
    if (shown.empty())
        return;
    // The shown clients share the height, one below the other.
    const int n = int(shown.size());
    const int total = rect.Height();
    int top = rect.Top;
    for (int k = 0; k < n; ++k) {
        const size_t i = shown[size_t(k)];
        const int bottom = rect.Top + total * (k + 1) / n;
        FDockCaptions[i]->SetBounds(rect.Left, top, rect.Width(), kCaptionHeight);
        const int clientTop = std::min(top + kCaptionHeight, bottom);
        FDockClients[i]->SetBounds(rect.Left, clientTop, rect.Width(), bottom - clientTop);
        top = bottom;
    }
    rect.Top = rect.Bottom;
}

TRect TWinControl::DockCaptionRect(const TControl* client) const {
    for (size_t i = 0; i < FDockClients.size(); ++i)
        if (FDockClients[i] == client && FDockCaptions[i]->Visible())
            return FDockCaptions[i]->BoundsRect();
    return TRect();
}

TRect TWinControl::DockCloseButtonRect(const TControl* client) const {
    for (size_t i = 0; i < FDockClients.size(); ++i)
        if (FDockClients[i] == client && FDockCaptions[i]->Visible()) {
            auto* caption = static_cast<TDockCaption*>(FDockCaptions[i]);
            TRect r = caption->CloseButton();
            OffsetRect(r, caption->Left(), caption->Top());
            return r;
        }
    return TRect();
}
