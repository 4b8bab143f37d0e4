#include "persist/GuiUtils.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/WindowSystem.h"
#include "persist/ExConst.h"

#include <algorithm>
#include <memory>

void Beep() {
    MessageBeep(MB_OK);
}

void DiscardPendingMessage(HWND window, UINT msg) {
    TMsg m;
    if (PeekMessage(m, window, msg, msg, PM_REMOVE) && m.message == WM_QUIT)
        PostQuitMessage(int(m.wParam));
}

// ---------------------------------------------------------------------------
// Cell text

namespace {

std::unique_ptr<TBitmap>& CellBitmapHolder() {
    static std::unique_ptr<TBitmap> bitmap;
    return bitmap;
}

unsigned AlignmentFlags(TAlignment alignment) {
    switch (alignment) {
    case taRightJustify:
        return DT_RIGHT | DT_EXPANDTABS | DT_NOPREFIX;
    case taCenter:
        return DT_CENTER | DT_EXPANDTABS | DT_NOPREFIX;
    case taLeftJustify:
    default:
        return DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX;
    }
}

TAlignment SwapLeftRight(TAlignment alignment) {
    if (alignment == taLeftJustify)
        return taRightJustify;
    if (alignment == taRightJustify)
        return taLeftJustify;
    return alignment;
}

// Every colour is a pure colour of our true-colour surfaces: the nearest device colour
// is the colour itself.
bool IsPureDeviceColor(TColor /*color*/) {
    return true;
}

} // namespace

TBitmap* CachedCellBitmap() {
    auto& bitmap = CellBitmapHolder();
    if (!bitmap)
        bitmap = std::make_unique<TBitmap>();
    return bitmap.get();
}

void DrawCellTextBuffered(TCanvas* canvas, const TRect& cellRect, int dx, bool rightToLeft,
                          bool wordWrap, TAlignment alignment, std::string_view text, int dy) {
    const int cellWidth = cellRect.Width();
    const int cellHeight = cellRect.Height();
    bool buffered = wordWrap || !IsPureDeviceColor(canvas->Brush()->Color()) ||
                    text.find('\r') != std::string_view::npos;
    if (buffered) {
        TBitmap* bitmap = CachedCellBitmap();
        TCanvas* bc = bitmap->Canvas();
        bc->Lock();
        struct TUnlock {
            TCanvas* C;
            ~TUnlock() { C->Unlock(); }
        } unlock{bc};
        if (bitmap->Width() < cellWidth || bitmap->Height() < cellHeight)
            bitmap->SetSize(std::max(bitmap->Width(), cellWidth),
                            std::max(bitmap->Height(), cellHeight));
        bc = bitmap->Canvas();
        bc->SetFont(canvas->Font());
        bc->Font()->SetColor(canvas->Font()->Color());
        bc->SetBrush(canvas->Brush());
        bc->Brush()->SetStyle(bsSolid);
        bc->FillRect(TRect(0, 0, cellWidth, cellHeight));
        bc->SetBkMode(TRANSPARENT);
        if (canvas->CanvasOrientation() == coRightToLeft)
            alignment = SwapLeftRight(alignment);
        unsigned flags = AlignmentFlags(alignment);
        if (wordWrap)
            flags |= DT_WORDBREAK;
        if (rightToLeft)
            flags |= DT_RTLREADING;
        TRect r(dx, dy, cellWidth - 1, cellHeight - 1);
        bc->DrawText(text, r, flags);
        canvas->CopyRect(cellRect, bc, TRect(0, 0, cellWidth, cellHeight));
        return;
    }
    if (canvas->CanvasOrientation() == coRightToLeft && !rightToLeft)
        alignment = SwapLeftRight(alignment);
    int x;
    switch (alignment) {
    case taRightJustify:
        x = cellRect.Right - canvas->TextWidth(text) - 3;
        break;
    case taCenter:
        x = cellRect.Left + cellWidth / 2 - canvas->TextWidth(text) / 2;
        break;
    case taLeftJustify:
    default:
        x = cellRect.Left + dx;
        break;
    }
    canvas->TextRect(cellRect, x, cellRect.Top + dy, text);
}

void DrawCellTextAligned(TCanvas* canvas, bool rightToLeft, bool wordWrap,
                         TVertAlignment verticalAlignment, TAlignment alignment,
                         const TRect& cellRect, std::string_view text) {
    int dy = 2;
    switch (verticalAlignment) {
    case vaCenter:
        dy = std::max(1, (cellRect.Height() - canvas->TextHeight("W")) / 2);
        break;
    case vaBottomJustify:
        dy = std::max(2, cellRect.Height() - canvas->TextHeight("W"));
        break;
    case vaTopJustify:
    default:
        break;
    }
    DrawCellTextBuffered(canvas, cellRect, 2, rightToLeft, wordWrap, alignment, text, dy);
}

void DrawCellTextAligned(TCustomControl* grid, bool rightToLeft, bool wordWrap,
                         TVertAlignment verticalAlignment, TAlignment alignment,
                         const TRect& cellRect, std::string_view text) {
    DrawCellTextAligned(grid->Canvas(), rightToLeft, wordWrap, verticalAlignment, alignment,
                        cellRect, text);
}

// ---------------------------------------------------------------------------
// Resources

void LoadExBitmap(TBitmap* bitmap, std::string_view resourceName) {
    const bool up = SameText(resourceName, kSpinUpGlyphResource);
    if (!up && !SameText(resourceName, kSpinDownGlyphResource))
        throw EInvalidGraphic("Bitmap image is not valid");
    // 6 by 6: an arrow head 2, 4 and 6 pixels wide and a 2-pixel stem 3 rows long,
    // black on white.
    bitmap->SetSize(6, 6);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, 6, 6));
    const int headWidths[3] = {2, 4, 6};
    for (int row = 0; row < 6; ++row) {
        int width = row < 3 ? headWidths[row] : 2;
        int y = up ? row : 5 - row;
        for (int x = (6 - width) / 2; x < (6 + width) / 2; ++x)
            canvas->SetPixels(x, y, clBlack);
    }
    bitmap->SetTransparentColor(clWhite);
}

namespace {

// The transparent colour of the hand cursors' bitmaps.
constexpr TColor kCursorBack = clFuchsia;

// A rectangle outline of w × h pixels plus its far edges, filled white.
void HandRect(TCanvas* c, int x, int y, int w, int h) {
    c->Rectangle(x, y, x + w + 1, y + h + 1);
}

// An open hand (fingers up), outlined in black and filled white, hot spot on the
// index finger's tip; closed: bent fingers as a row of knuckles above the palm, hot spot
// in the palm.
bool RegisterHandCursor(TCursor cursor, bool closed) {
    TBitmap image(32, 32);
    TCanvas* c = image.Canvas();
    c->Brush()->SetColor(kCursorBack);
    c->FillRect(TRect(0, 0, 32, 32));
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetWidth(1);
    c->Brush()->SetColor(clWhite);
    if (!closed) {
        // Index finger, then the three others shorter, the thumb on the left, the palm.
        HandRect(c, 9, 1, 3, 12);
        HandRect(c, 12, 5, 3, 8);
        HandRect(c, 15, 6, 3, 7);
        HandRect(c, 18, 7, 3, 7);
        c->Polygon({TPoint(4, 12), TPoint(6, 11), TPoint(9, 14), TPoint(9, 18), TPoint(4, 14)});
        HandRect(c, 9, 12, 12, 9);
    } else {
        HandRect(c, 8, 8, 3, 4);
        HandRect(c, 11, 7, 3, 5);
        HandRect(c, 14, 7, 3, 5);
        HandRect(c, 17, 8, 3, 4);
        HandRect(c, 7, 11, 14, 10);
    }
    image.SetTransparentColor(kCursorBack);
    return closed ? Screen->SetCursorShape(cursor, &image, 14, 12)
                  : Screen->SetCursorShape(cursor, &image, 10, 1);
}

} // namespace

void RegisterExCursors() {
    static bool registered = false;
    if (registered)
        return;
    registered = RegisterHandCursor(crHand, false) && RegisterHandCursor(crDragHand, true);
}
