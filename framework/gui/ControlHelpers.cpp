#include "framework/gui/ControlHelpers.h"

#include "framework/core/Classes.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/WindowBridge.h"

#include <QPalette>
#include <QString>
#include <QWidget>

namespace ControlHelpers {

TProgramChange::TProgramChange(int& setting, QObject* widget)
    : FGuard(setting), FWidget(widget), FWasBlocked(widget->blockSignals(true)) {}

TProgramChange::~TProgramChange() {
    FWidget->blockSignals(FWasBlocked);
}

void ReportEventException() {
    WindowSystemDetail::HandleEventException();
}

void AssignStrings(TStrings& target, const TStrings* value) {
    if (value)
        target.Assign(*value);
    else
        target.Clear();
}

QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string S(const QString& s) {
    return s.toUtf8().toStdString();
}

TSize TextSizeIn(const TFont* font, const std::string& text) {
    TCanvas canvas;
    canvas.Font()->AssignFrom(font);
    return canvas.TextExtent(text);
}

int TextHeightOf(const TFont* font) {
    return TextSizeIn(font, "0").cy;
}

void UseDisabledGray(QWidget* w) {
    QPalette pal = w->palette();
    QColor gray = ColorToQColor(clGrayText);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, gray);
    w->setPalette(pal);
}

const TTypeInfo* AlignmentType() {
    static const TTypeInfo t =
        MakeEnumType("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
    return &t;
}

void StartInputControl(TWinControl* control, TColor& color, int width, int height) {
    color = clWindow;
    control->SetParentColor(false);
    control->SetTabStop(true);
    control->SetBounds(0, 0, width, height);
}

void NotifyParent(TWinControl* control, UINT code) {
    if (!control->HandleAllocated())
        return;
    WPARAM w = MAKEWPARAM(0, int(code));
    LPARAM l = LPARAM(control->Handle());
    if (control->Parent() && control->Parent()->HandleAllocated())
        control->Parent()->Perform(WM_COMMAND, w, l);
    else
        control->Perform(CN_COMMAND, w, l);
}

TSize MeasureText(const TFont* font, std::string_view text) {
    static TBitmap scratch(1, 1);
    TCanvas* canvas = scratch.Canvas();
    canvas->SetFont(font);
    return canvas->TextExtent(text.empty() ? std::string_view("W") : text);
}

int TextWidthIn(const TFont* font, std::string_view text) {
    return text.empty() ? 0 : MeasureText(font, text).cx;
}

void FillFace(TCanvas* canvas, const TRect& r, TColor color) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
}

} // namespace ControlHelpers
