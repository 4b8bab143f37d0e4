#pragma once
// The platform's common status window (class "msctls_statusbar32"): a strip of parts
// given by their right edges, each with a text and drawing flags (owner-drawn, without
// borders, popped out), a simple mode that shows one part across the whole width, and an
// optional size grip. It is driven by its SB_ messages; an owner-drawn part is painted by
// whoever handles the WM_DRAWITEM the window sends its parent (reflected back to the
// window itself as CN_DRAWITEM).

#include "framework/gui/Controls.h"

#include <cstdint>
#include <string>
#include <vector>

// The window class name of status windows.
constexpr const char* STATUSCLASSNAME = "msctls_statusbar32";

// Status window messages.
constexpr UINT SB_SETTEXT = WM_USER + 1;       // WParam part | SBT_ flags, LParam const char*
constexpr UINT SB_GETTEXT = WM_USER + 2;       // WParam part, LParam std::string* (out)
constexpr UINT SB_GETTEXTLENGTH = WM_USER + 3; // answers length | flags << 16
constexpr UINT SB_SETPARTS = WM_USER + 4;      // WParam count, LParam const int* right edges
constexpr UINT SB_GETPARTS = WM_USER + 6;      // WParam room, LParam int* (may be 0)
constexpr UINT SB_GETBORDERS = WM_USER + 7;    // LParam int[3]: horizontal, vertical, between
constexpr UINT SB_SETMINHEIGHT = WM_USER + 8;
constexpr UINT SB_SIMPLE = WM_USER + 9;   // WParam on/off
constexpr UINT SB_GETRECT = WM_USER + 10; // WParam part, LParam TRect*; false for no part
constexpr UINT SB_ISSIMPLE = WM_USER + 14;

// Drawing flags of SB_SETTEXT (with the part index in the low byte).
constexpr UINT SBT_NOBORDERS = 0x0100;
constexpr UINT SBT_POPOUT = 0x0200;
constexpr UINT SBT_RTLREADING = 0x0400;
constexpr UINT SBT_OWNERDRAW = 0x1000;
// The index of the simple mode's part.
constexpr UINT SB_SIMPLEID = 0x00FF;

// Window styles of status windows.
constexpr uint32_t CCS_TOP = 0x0001;
constexpr uint32_t CCS_BOTTOM = 0x0003;
constexpr uint32_t SBARS_SIZEGRIP = 0x0100;

// The owner-draw control type of status windows (TDrawItemStruct::CtlType).
constexpr UINT ODT_STATIC = 5;

// Common-control initialisation: the classes are always available here, so these only
// answer success; ICC_BAR_CLASSES names the tool, status and track bars.
constexpr uint32_t ICC_BAR_CLASSES = 0x0004;
bool InitCommonControlsEx(uint32_t classes);
void InitCommonControls();

// The most parts a status window holds.
constexpr int kStatusWindowMaxParts = 256;

class TStatusWindow : public TWinControl {
    ORV_CLASS(TStatusWindow, TWinControl)
public:
    explicit TStatusWindow(TComponent* owner);

    // What the window holds (read back as its messages would answer).
    int PartCount() const { return int(FParts.size()); }
    std::vector<int> PartEdges() const;
    std::string PartText(int index) const;
    UINT PartFlags(int index) const;
    bool SimpleMode() const { return FSimple; }
    const std::string& SimpleModeText() const { return FSimpleText.Text; }
    // The window's rectangle of a part (bevel included), as SB_GETRECT answers it.
    bool GetPartRect(int index, TRect& r) const;
    // True when the window was created with the size grip.
    bool HasSizeGripStyle() const { return FStyle & SBARS_SIZEGRIP; }
    // The canvas of the window's surface; drawing outside a paint shows at once.
    TCanvas* Canvas() { return WindowCanvas(); }
    // The number of times the window was created (each RecreateWnd counts).
    int WindowCreations() const { return FCreations; }

    void DefaultHandler(TMessage& message) override;

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void PaintWindowContent(TCanvas* canvas) override;

private:
    struct TPartText {
        std::string Text;
        UINT Flags = 0;
    };
    void PaintPart(TCanvas* canvas, int index, const TRect& r, const TPartText& part);
    TRect SimpleRect() const;

    std::vector<int> FParts; // right edges, -1 to the end
    std::vector<TPartText> FTexts;
    TPartText FSimpleText;
    bool FSimple = false;
    uint32_t FStyle = 0;
    int FCreations = 0;
};
