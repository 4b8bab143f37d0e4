#pragma once
// Internal to the controls: the small pieces the sources of the standard and common
// controls share (text conversion, measuring, the program-change guard, notifications).

#include "framework/core/TypeInfo.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"

#include <string>
#include <string_view>

class QObject;
class QString;
class QWidget;
class TCanvas;
class TFont;
class TStrings;

namespace ControlHelpers {

// Qt's own length limit is left out of the way: the edits keep their limit themselves, so
// that a longer text set by the program is not cut.
constexpr int kNoQtLimit = 1 << 28;

// Counts a program change of a widget for its whole scope.
struct TSettingGuard {
    int& Count;
    explicit TSettingGuard(int& count) : Count(count) { ++Count; }
    ~TSettingGuard() { --Count; }
    TSettingGuard(const TSettingGuard&) = delete;
    TSettingGuard& operator=(const TSettingGuard&) = delete;
};

// A change of a widget by the program: counted in the control's setting count, with the
// widget's signals blocked, for the whole scope (the signals that mean a user action stay
// quiet).
class TProgramChange {
public:
    TProgramChange(int& setting, QObject* widget);
    ~TProgramChange();
    TProgramChange(const TProgramChange&) = delete;
    TProgramChange& operator=(const TProgramChange&) = delete;

private:
    TSettingGuard FGuard;
    QObject* FWidget;
    bool FWasBlocked;
};

// Hands the exception being handled to the application (at an event boundary).
void ReportEventException();

// Runs a handler called from Qt: an exception is reported, it never unwinds through Qt.
template <class F> void CallFromQt(F&& handler) {
    try {
        handler();
    } catch (...) {
        ReportEventException();
    }
}

// A property's new value: stored in its field when it differs. Answers whether it did (the
// setter then shows the change).
template <class TField, class TValue> bool StoreChanged(TField& field, const TValue& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

// Copies value into target (nullptr clears it).
void AssignStrings(TStrings& target, const TStrings* value);

QString Q(const std::string& s);
std::string S(const QString& s);

// Text size in the font (measured without a window).
TSize TextSizeIn(const TFont* font, const std::string& text);
int TextHeightOf(const TFont* font);

// Disabled text in the platform's grey (Qt's default can vanish into the button face).
void UseDisabledGray(QWidget* w);

// The published type of TAlignment.
const TTypeInfo* AlignmentType();

// The control's widget as the Qt class it was made as (nullptr without a window).
template <class TWidget> TWidget* WidgetOf(const TWinControl* control) {
    return dynamic_cast<TWidget*>(control->WidgetIfAllocated());
}

// Starts an input control (an edit, a memo, a list): the window colour of its own, a tab
// stop and its default size. Called from the control's constructor with its colour field.
void StartInputControl(TWinControl* control, TColor& color, int width, int height);

// Sends a control's notification code to its parent as WM_COMMAND (the parent reflects it
// back as CN_COMMAND), or straight to the control as CN_COMMAND when it has no parent
// window. Nothing while the control has no window.
void NotifyParent(TWinControl* control, UINT code);

// The width and height of a text in a font, measured off screen (an empty text measures
// as "W").
TSize MeasureText(const TFont* font, std::string_view text);
// The width of a text in a font (0 for an empty text).
int TextWidthIn(const TFont* font, std::string_view text);

// Fills the rectangle with a solid colour.
void FillFace(TCanvas* canvas, const TRect& r, TColor color);

} // namespace ControlHelpers
