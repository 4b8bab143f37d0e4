#include "framework/gui/PlatformCalls.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Controls.h"
#include "framework/gui/WindowSystem.h"

#include <QWidget>
#include <map>
#include <pwd.h>
#include <unistd.h>

// ---------------------------------------------------------------------------
// Window position

bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    TWinControl* control = FindControl(window);
    if (!control)
        return false;
    if (flags & SWP_NOMOVE) {
        x = control->Left();
        y = control->Top();
    }
    if (flags & SWP_NOSIZE) {
        cx = control->Width();
        cy = control->Height();
    }
    control->SetBounds(x, y, cx, cy);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_BOTTOM)
            control->SendToBack();
        else
            control->BringToFront();
    }
    if (flags & SWP_SHOWWINDOW)
        control->SetVisible(true);
    else if (flags & SWP_HIDEWINDOW)
        control->SetVisible(false);
    return true;
}

bool InvalidateRect(HWND window, const TRect* r, bool) {
    TWinControl* control = FindControl(window);
    if (!control)
        return false;
    control->InvalidateRect(r);
    return true;
}

// ---------------------------------------------------------------------------
// Window styles

namespace {

const char* StyleProperty(int index) {
    return index == GWL_STYLE ? "orvStyle" : index == GWL_EXSTYLE ? "orvExStyle" : nullptr;
}

} // namespace

uint32_t GetWindowLong(HWND window, int index) {
    TWinControl* control = FindControl(window);
    const char* name = StyleProperty(index);
    if (!control || !name)
        return 0;
    return control->Widget()->property(name).toUInt();
}

uint32_t SetWindowLong(HWND window, int index, uint32_t value) {
    TWinControl* control = FindControl(window);
    const char* name = StyleProperty(index);
    if (!control || !name)
        return 0;
    uint32_t old = control->Widget()->property(name).toUInt();
    control->Widget()->setProperty(name, uint(value));
    return old;
}

// ---------------------------------------------------------------------------
// Frame controls

namespace {

// A small filled triangle pointing in a direction, centred in the rectangle.
void DrawArrow(TCanvas* canvas, const TRect& r, UINT kind, TColor color) {
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    int size = std::max(2, std::min(r.Width(), r.Height()) / 4);
    std::vector<TPoint> p;
    switch (kind) {
    case DFCS_SCROLLUP:
        p = {{cx - size, cy + size / 2}, {cx + size, cy + size / 2}, {cx, cy - size / 2 - 1}};
        break;
    case DFCS_SCROLLLEFT:
        p = {{cx + size / 2, cy - size}, {cx + size / 2, cy + size}, {cx - size / 2 - 1, cy}};
        break;
    case DFCS_SCROLLRIGHT:
        p = {{cx - size / 2, cy - size}, {cx - size / 2, cy + size}, {cx + size / 2 + 1, cy}};
        break;
    default: // down and the combo box's button
        p = {{cx - size, cy - size / 2}, {cx + size, cy - size / 2}, {cx, cy + size / 2 + 1}};
        break;
    }
    canvas->Pen()->SetColor(color);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->Polygon(p);
}

void DrawButtonFrame(TCanvas* canvas, TRect& r, UINT state) {
    TRect edge = r;
    if (state & (DFCS_FLAT | DFCS_MONO)) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor((state & DFCS_MONO) ? clWindowFrame : clBtnShadow);
        canvas->FrameRect(edge);
        InflateRect(edge, -1, -1);
    } else if (state & (DFCS_PUSHED | DFCS_CHECKED))
        DrawEdge(canvas, edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    else
        DrawEdge(canvas, edge, EDGE_RAISED, BF_RECT | BF_ADJUST);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(edge);
    if (state & DFCS_ADJUSTRECT)
        r = edge;
}

} // namespace

bool DrawFrameControl(TCanvas* canvas, TRect& r, UINT type, UINT state) {
    TPen savedPen;
    savedPen.AssignFrom(canvas->Pen());
    TBrush savedBrush;
    savedBrush.AssignFrom(canvas->Brush());
    bool ok = true;
    switch (type) {
    case DFC_BUTTON:
        if ((state & 0x1F) == DFCS_BUTTONPUSH)
            DrawButtonFrame(canvas, r, state);
        else {
            // Check and radio boxes: a sunken white square (round for radio), a mark
            // when checked.
            bool radio = (state & 0x1F) == DFCS_BUTTONRADIO;
            TRect box = r;
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor((state & DFCS_INACTIVE) ? clBtnFace : clWindow);
            if (radio) {
                canvas->Pen()->SetColor(clBtnShadow);
                canvas->Ellipse(box);
            } else {
                DrawEdge(canvas, box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
                canvas->FillRect(box);
            }
            if (state & DFCS_CHECKED) {
                canvas->Pen()->SetColor(clWindowText);
                canvas->Brush()->SetColor(clWindowText);
                TRect mark = box;
                InflateRect(mark, -std::max(1, box.Width() / 4), -std::max(1, box.Height() / 4));
                if (radio)
                    canvas->Ellipse(mark);
                else
                    canvas->FillRect(mark);
            }
        }
        break;
    case DFC_SCROLL: {
        UINT kind = state & 0x1F;
        if (kind == DFCS_SCROLLSIZEGRIP) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clBtnFace);
            canvas->FillRect(r);
            for (int d = 3; d < std::min(r.Width(), r.Height()); d += 4) {
                canvas->Pen()->SetColor(clBtnHighlight);
                canvas->MoveTo(r.Right - d, r.Bottom - 1);
                canvas->LineTo(r.Right, r.Bottom - d - 1);
                canvas->Pen()->SetColor(clBtnShadow);
                canvas->MoveTo(r.Right - d + 1, r.Bottom - 1);
                canvas->LineTo(r.Right, r.Bottom - d);
            }
            break;
        }
        TRect face = r;
        DrawButtonFrame(canvas, face, state | DFCS_ADJUSTRECT);
        if (state & DFCS_PUSHED)
            OffsetRect(face, 1, 1);
        DrawArrow(canvas, face, kind, (state & DFCS_INACTIVE) ? clGrayText : clBtnText);
        break;
    }
    case DFC_CAPTION: {
        TRect face = r;
        DrawButtonFrame(canvas, face, state | DFCS_ADJUSTRECT);
        // The close cross.
        InflateRect(face, -3, -3);
        canvas->Pen()->SetColor(clBtnText);
        canvas->MoveTo(face.Left, face.Top);
        canvas->LineTo(face.Right, face.Bottom);
        canvas->MoveTo(face.Right - 1, face.Top);
        canvas->LineTo(face.Left - 1, face.Bottom);
        break;
    }
    case DFC_MENU: {
        // The menu's arrow pointing right.
        DrawArrow(canvas, r, DFCS_SCROLLRIGHT, clMenuText);
        break;
    }
    default:
        ok = false;
    }
    canvas->SetPen(&savedPen);
    canvas->SetBrush(&savedBrush);
    return ok;
}

// ---------------------------------------------------------------------------
// Bitmap resources

namespace {

// Rows of a 10 × 4 arrow pointing up, from the tip: the columns set in each row.
void MakeArrow(TBitmap* b, bool vertical, bool towardsStart) {
    b->SetPixelFormat(pf4bit);
    b->SetSize(vertical ? 10 : 4, vertical ? 4 : 10);
    TCanvas* c = b->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, b->Width(), b->Height()));
    for (int step = 0; step < 4; ++step) {
        // step 0 is the tip: 2 pixels wide, each further step 2 wider.
        int from = 4 - step, to = 5 + step; // inclusive, across the arrow
        int along = towardsStart ? step : 3 - step;
        for (int across = from; across <= to; ++across) {
            if (vertical)
                c->SetPixels(across, along, clBlack);
            else
                c->SetPixels(along, across, clBlack);
        }
    }
    // The tip rows leave the corners white, so the bottom-left pixel is the background.
    b->SetTransparentMode(tmAuto);
}

std::map<std::string, std::function<void(TBitmap*)>>& Resources() {
    static std::map<std::string, std::function<void(TBitmap*)>> resources = {
        {"FCDROPUP", [](TBitmap* b) { MakeArrow(b, true, true); }},
        {"FCDROPDOWN", [](TBitmap* b) { MakeArrow(b, true, false); }},
        {"FCDROPLEFT", [](TBitmap* b) { MakeArrow(b, false, true); }},
        {"FCDROPRIGHT", [](TBitmap* b) { MakeArrow(b, false, false); }},
    };
    return resources;
}

} // namespace

bool LoadBitmapResource(TBitmap* bitmap, const std::string& name) {
    auto it = Resources().find(UpperCase(name));
    if (it == Resources().end() || !bitmap)
        return false;
    it->second(bitmap);
    return true;
}

void RegisterBitmapResource(const std::string& name, std::function<void(TBitmap*)> make) {
    Resources()[UpperCase(name)] = std::move(make);
}

// ---------------------------------------------------------------------------
// User and computer

namespace {

std::optional<std::string>& UserOverride() {
    static std::optional<std::string> value;
    return value;
}
std::optional<std::string>& ComputerOverride() {
    static std::optional<std::string> value;
    return value;
}

bool Fit(std::string& name, const std::string& value, std::size_t bufferSize) {
    if (value.empty() || value.size() + 1 > bufferSize) {
        name.clear();
        return false;
    }
    name = value;
    return true;
}

} // namespace

bool GetUserName(std::string& name, std::size_t bufferSize) {
    std::string value;
    if (UserOverride())
        value = *UserOverride();
    else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name)
        value = pw->pw_name;
    else if (const char* env = std::getenv("USER"))
        value = env;
    return Fit(name, value, bufferSize);
}

bool GetComputerName(std::string& name, std::size_t bufferSize) {
    std::string value;
    if (ComputerOverride())
        value = *ComputerOverride();
    else {
        char host[256] = {};
        if (gethostname(host, sizeof host - 1) == 0)
            value = host;
    }
    return Fit(name, value, bufferSize);
}

void OverrideSystemNames(std::optional<std::string> userName,
                         std::optional<std::string> computerName) {
    UserOverride() = std::move(userName);
    ComputerOverride() = std::move(computerName);
}
