#include "framework/gui/OwnerDrawButton.h"

#include "framework/gui/WindowSystem.h"

#include <array>
#include <memory>
#include <vector>

TOwnerDrawButton::TOwnerDrawButton(TComponent* owner) : TWinControl(owner) {}

void TOwnerDrawButton::PrepareWindowParams(TCreateParams& params) {
    TWinControl::PrepareWindowParams(params);
    params.WinClassName = "BUTTON";
    params.Style |= BS_OWNERDRAW;
}

UINT TOwnerDrawButton::OwnerDrawState() {
    UINT state = 0;
    if (!Enabled())
        state |= ODS_DISABLED;
    if (Focused())
        state |= ODS_FOCUS;
    return state;
}

void TOwnerDrawButton::PaintWindowContent(TCanvas* canvas) {
    TDrawItemStruct dis;
    dis.CtlType = ODT_BUTTON;
    dis.ItemAction = ODA_DRAWENTIRE;
    dis.ItemState = OwnerDrawState();
    dis.HwndItem = Handle();
    dis.Canvas = canvas;
    dis.RcItem = ClientRect();
    if (Parent() && Parent()->HandleAllocated())
        SendMessage(Parent()->Handle(), WM_DRAWITEM, 0, LPARAM(&dis));
    else
        Perform(CN_DRAWITEM, 0, LPARAM(&dis));
}

namespace {

constexpr int kFrame = 18;
constexpr TColor kGlyphBack = clOlive;

// Draws one kind's picture in the given colours at the frame's left edge.
void DrawKind(TCanvas* c, TBitBtnKind kind, int x0, TColor main, TColor second) {
    auto line = [&](std::vector<TPoint> pts, TColor color, int width) {
        c->Pen()->SetColor(color);
        c->Pen()->SetWidth(width);
        for (TPoint& p : pts)
            p.X += x0;
        c->Polyline(pts);
    };
    c->Brush()->SetStyle(bsClear);
    switch (kind) {
    case bkOK:
    case bkYes:
        line({{3, 9}, {7, 13}, {15, 4}}, main, 2);
        break;
    case bkAll:
        line({{1, 9}, {4, 12}, {10, 4}}, main, 2);
        line({{7, 10}, {9, 12}, {16, 4}}, main, 2);
        break;
    case bkCancel:
    case bkAbort:
        line({{4, 4}, {14, 14}}, main, 2);
        line({{14, 4}, {4, 14}}, main, 2);
        if (kind == bkAbort) {
            c->Pen()->SetColor(second);
            c->Pen()->SetWidth(1);
            c->Ellipse(x0 + 1, 1, x0 + 17, 17);
        }
        break;
    case bkNo:
        c->Pen()->SetColor(main);
        c->Pen()->SetWidth(2);
        c->Ellipse(x0 + 2, 2, x0 + 16, 16);
        line({{4, 14}, {14, 4}}, main, 2);
        break;
    case bkHelp:
        line({{5, 6}, {6, 3}, {11, 2}, {13, 5}, {9, 9}, {9, 12}}, main, 2);
        line({{9, 14}, {9, 16}}, main, 2);
        break;
    case bkClose:
        c->Pen()->SetColor(main);
        c->Pen()->SetWidth(1);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(second);
        c->Rectangle(x0 + 4, 1, x0 + 14, 17);
        c->Brush()->SetStyle(bsClear);
        line({{11, 9}, {12, 9}}, main, 1);
        break;
    case bkRetry:
        c->Pen()->SetColor(main);
        c->Pen()->SetWidth(2);
        c->Arc(x0 + 3, 3, x0 + 15, 15, x0 + 15, 3, x0 + 15, 9);
        line({{12, 2}, {15, 5}, {11, 6}}, main, 2);
        break;
    case bkIgnore:
        line({{3, 9}, {15, 9}}, main, 2);
        line({{11, 5}, {15, 9}, {11, 13}}, main, 2);
        break;
    case bkCustom:
        break;
    }
    c->Pen()->SetWidth(1);
    c->Brush()->SetStyle(bsSolid);
}

TColor KindColor(TBitBtnKind kind) {
    switch (kind) {
    case bkOK:
    case bkYes:
    case bkAll:
        return clGreen;
    case bkCancel:
    case bkAbort:
    case bkNo:
        return clRed;
    case bkHelp:
    case bkRetry:
    case bkIgnore:
        return clNavy;
    default:
        return clBlack;
    }
}

} // namespace

const TBitmap* KindGlyph(TBitBtnKind kind) {
    static std::array<std::unique_ptr<TBitmap>, 11> glyphs;
    int k = int(kind);
    if (k <= int(bkCustom) || k >= int(glyphs.size()))
        return nullptr;
    if (!glyphs[size_t(k)]) {
        auto bmp = std::make_unique<TBitmap>(2 * kFrame, kFrame);
        TCanvas* c = bmp->Canvas();
        c->Brush()->SetColor(kGlyphBack);
        c->FillRect(TRect(0, 0, 2 * kFrame, kFrame));
        DrawKind(c, kind, 0, KindColor(kind), clYellow);
        DrawKind(c, kind, kFrame + 1, clBtnHighlight, clBtnHighlight);
        DrawKind(c, kind, kFrame, clGray, clSilver);
        c->ReleasePainter();
        glyphs[size_t(k)] = std::move(bmp);
    }
    return glyphs[size_t(k)].get();
}
