#include "framework/gui/StatusWindow.h"

#include <algorithm>

namespace {

// The window's borders: none at the sides, 2 pixels above the parts, 2 between parts.
constexpr int kBorderTop = 2;
constexpr int kBetweenParts = 2;
// A part edge beyond any screen.
constexpr int kFarEdge = 1 << 20;

// Splits a part's text at its tabs: before the first tab on the left, after one tab
// centred, after two tabs on the right.
void DrawPartText(TCanvas* canvas, const std::string& text, TRect r) {
    std::string left = text, centre, right;
    if (auto tab = text.find('\t'); tab != std::string::npos) {
        left = text.substr(0, tab);
        std::string rest = text.substr(tab + 1);
        if (auto tab2 = rest.find('\t'); tab2 != std::string::npos) {
            centre = rest.substr(0, tab2);
            right = rest.substr(tab2 + 1);
        } else
            centre = rest;
    }
    InflateRect(r, -2, 0);
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    int oldMode = canvas->BkMode();
    canvas->SetBkMode(TRANSPARENT);
    if (!left.empty()) {
        TRect t = r;
        canvas->DrawText(left, t, flags | DT_LEFT);
    }
    if (!centre.empty()) {
        TRect t = r;
        canvas->DrawText(centre, t, flags | DT_CENTER);
    }
    if (!right.empty()) {
        TRect t = r;
        canvas->DrawText(right, t, flags | DT_RIGHT);
    }
    canvas->SetBkMode(oldMode);
}

} // namespace

bool InitCommonControlsEx(uint32_t) {
    return true;
}

void InitCommonControls() {}

TStatusWindow::TStatusWindow(TComponent* owner) : TWinControl(owner) {
    FColor = clBtnFace;
    FParts.push_back(-1);
    FTexts.resize(1);
}

void TStatusWindow::PrepareWindowParams(TCreateParams& params) {
    TWinControl::PrepareWindowParams(params);
    params.WinClassName = STATUSCLASSNAME;
}

QWidget* TStatusWindow::CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) {
    // A new window starts as the platform's does: one part to the end, no texts.
    FStyle = params.Style;
    FParts.assign(1, -1);
    FTexts.assign(1, TPartText());
    FSimpleText = TPartText();
    FSimple = false;
    ++FCreations;
    return TWinControl::CreateNativeWidget(params, parentWidget);
}

std::vector<int> TStatusWindow::PartEdges() const {
    return FParts;
}

std::string TStatusWindow::PartText(int index) const {
    if (index == int(SB_SIMPLEID))
        return FSimpleText.Text;
    return index >= 0 && index < int(FTexts.size()) ? FTexts[index].Text : std::string();
}

UINT TStatusWindow::PartFlags(int index) const {
    if (index == int(SB_SIMPLEID))
        return FSimpleText.Flags;
    return index >= 0 && index < int(FTexts.size()) ? FTexts[index].Flags : 0;
}

bool TStatusWindow::GetPartRect(int index, TRect& r) const {
    if (FSimple) {
        if (index != 0 && index != int(SB_SIMPLEID))
            return false;
        r = SimpleRect();
        return true;
    }
    if (index < 0 || index >= int(FParts.size()))
        return false;
    // Edges far past the window are held at kFarEdge, so that the gaps added here and the
    // drawing of a part that reaches beyond the window stay within range.
    auto edgeOf = [this](int edge) { return edge < 0 ? ClientWidth() : std::min(edge, kFarEdge); };
    int left = 0;
    for (int i = 0; i < index; ++i)
        left = std::max(left, edgeOf(FParts[i]) + kBetweenParts);
    int right = edgeOf(FParts[index]);
    r = TRect(left, kBorderTop, std::max(left, right), ClientHeight());
    return true;
}

TRect TStatusWindow::SimpleRect() const {
    return TRect(0, kBorderTop, ClientWidth(), ClientHeight());
}

void TStatusWindow::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
    case SB_SETTEXT: {
        int index = int(message.WParam & 0xFF);
        UINT flags = UINT(message.WParam & 0xFF00);
        const char* text = reinterpret_cast<const char*>(message.LParam);
        TPartText value{text ? std::string(text) : std::string(), flags};
        if (index == int(SB_SIMPLEID)) {
            FSimpleText = value;
            if (FSimple)
                Invalidate();
        } else {
            if (index >= int(FParts.size())) {
                message.Result = 0;
                return;
            }
            FTexts[index] = value;
            TRect r;
            if (!FSimple && GetPartRect(index, r))
                InvalidateRect(&r);
        }
        message.Result = 1;
        return;
    }
    case SB_GETTEXT: {
        if (auto* out = reinterpret_cast<std::string*>(message.LParam))
            *out = PartText(int(message.WParam));
        message.Result = LRESULT(PartText(int(message.WParam)).size()) |
                         (LRESULT(PartFlags(int(message.WParam))) << 16);
        return;
    }
    case SB_GETTEXTLENGTH:
        message.Result = LRESULT(PartText(int(message.WParam)).size()) |
                         (LRESULT(PartFlags(int(message.WParam))) << 16);
        return;
    case SB_SETPARTS: {
        int count = int(message.WParam);
        const int* edges = reinterpret_cast<const int*>(message.LParam);
        if (count <= 0 || count > kStatusWindowMaxParts || !edges) {
            message.Result = 0;
            return;
        }
        FParts.assign(edges, edges + count);
        FTexts.resize(count);
        Invalidate();
        message.Result = 1;
        return;
    }
    case SB_GETPARTS: {
        int room = int(message.WParam);
        if (auto* out = reinterpret_cast<int*>(message.LParam))
            for (int i = 0; i < std::min(room, int(FParts.size())); ++i)
                out[i] = FParts[i];
        message.Result = LRESULT(FParts.size());
        return;
    }
    case SB_GETBORDERS:
        if (auto* out = reinterpret_cast<int*>(message.LParam)) {
            out[0] = 0;
            out[1] = kBorderTop;
            out[2] = kBetweenParts;
        }
        message.Result = 1;
        return;
    case SB_SETMINHEIGHT:
        message.Result = 0;
        return;
    case SB_SIMPLE:
        if (FSimple != (message.WParam != 0)) {
            FSimple = message.WParam != 0;
            Invalidate();
        }
        message.Result = 1;
        return;
    case SB_ISSIMPLE:
        message.Result = FSimple ? 1 : 0;
        return;
    case SB_GETRECT: {
        TRect r;
        bool ok = GetPartRect(int(message.WParam), r);
        if (ok)
            if (auto* out = reinterpret_cast<TRect*>(message.LParam))
                *out = r;
        message.Result = ok ? 1 : 0;
        return;
    }
    default:
        TWinControl::DefaultHandler(message);
    }
}

void TStatusWindow::PaintPart(TCanvas* canvas, int index, const TRect& r, const TPartText& part) {
    TRect inner = r;
    if (!(part.Flags & SBT_NOBORDERS)) {
        TRect edge = r;
        DrawEdge(canvas, edge, (part.Flags & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER,
                 BF_RECT);
        InflateRect(inner, -1, -1);
    }
    if (part.Flags & SBT_OWNERDRAW) {
        TDrawItemStruct dis;
        dis.CtlType = ODT_STATIC;
        dis.ItemID = UINT(index);
        dis.HwndItem = Handle();
        dis.Canvas = canvas;
        dis.RcItem = inner;
        dis.ItemData = uintptr_t(part.Text.c_str());
        int saved = canvas->SaveDC();
        // The request goes to the parent, which hands it back to this window.
        if (Parent())
            Parent()->Perform(WM_DRAWITEM, 0, LPARAM(&dis));
        else
            Perform(CN_DRAWITEM, 0, LPARAM(&dis));
        canvas->RestoreDC(saved);
        return;
    }
    canvas->Font()->AssignFrom(Font());
    DrawPartText(canvas, part.Text, inner);
}

void TStatusWindow::PaintWindowContent(TCanvas* canvas) {
    TRect client = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    if (FSimple)
        PaintPart(canvas, int(SB_SIMPLEID), SimpleRect(), FSimpleText);
    else
        for (int i = 0; i < int(FParts.size()); ++i) {
            TRect r;
            GetPartRect(i, r);
            if (r.IsEmpty())
                continue;
            TPartText part = FTexts[i]; // the drawing may change the texts
            PaintPart(canvas, i, r, part);
        }
    if (FStyle & SBARS_SIZEGRIP) {
        // The grip: three pairs of diagonal lines in the bottom-right corner.
        int right = client.Right, bottom = client.Bottom;
        for (int k = 0; k < 3; ++k) {
            int d = 4 + 4 * k;
            canvas->Pen()->SetColor(clBtnHighlight);
            canvas->MoveTo(right - d, bottom - 1);
            canvas->LineTo(right, bottom - d - 1);
            canvas->Pen()->SetColor(clBtnShadow);
            canvas->MoveTo(right - d + 1, bottom - 1);
            canvas->LineTo(right, bottom - d);
            canvas->MoveTo(right - d + 2, bottom - 1);
            canvas->LineTo(right, bottom - d + 1);
        }
    }
}
