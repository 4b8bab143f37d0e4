#include "framework/gui/StandardControls.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/WindowBridge.h"
#include "framework/gui/WindowSystem.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTextCursor>

#include <algorithm>
#include <climits>

namespace {

// Qt's own length limit is left out of the way: the edits keep their limit themselves, so
// that a longer text set by the program is not cut.
constexpr int kNoQtLimit = 1 << 28;
constexpr UINT kCbnEditChange = 5;

// Counts a program change of a widget for its whole scope.
struct TSettingGuard {
    int& Count;
    explicit TSettingGuard(int& count) : Count(count) { ++Count; }
    ~TSettingGuard() { --Count; }
    TSettingGuard(const TSettingGuard&) = delete;
    TSettingGuard& operator=(const TSettingGuard&) = delete;
};

QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string S(const QString& s) {
    return s.toUtf8().toStdString();
}

char32_t LowerChar(char32_t ch) {
    if (ch > 0xFFFF)
        return ch;
    return char32_t(QChar(char16_t(ch)).toLower().unicode());
}

// Text size in the font (measured without a window).
TSize TextSizeIn(const TFont* font, const std::string& text) {
    TCanvas canvas;
    canvas.Font()->AssignFrom(font);
    return canvas.TextExtent(text);
}

int TextHeightOf(const TFont* font) {
    return TextSizeIn(font, "0").cy;
}

// DrawText with DT_CALCRECT in the font.
TRect MeasureText(const TFont* font, const std::string& text, TRect rect, unsigned flags) {
    QImage img(1, 1, QImage::Format_RGB32);
    TCanvas canvas(&img);
    canvas.Font()->AssignFrom(font);
    canvas.DrawText(text, rect, flags | DT_CALCRECT);
    return rect;
}

// The accelerator keys: Alt with a letter or digit goes to the focused control's form as
// CM_DIALOGCHAR, where a control whose caption marks that character takes it (as the
// platform's dialog manager does). Installed with the first control that has a caption.
HHOOK gAccelHook = 0;

LRESULT AccelHook(int code, WPARAM wParam, LPARAM lParam) {
    bool up = (uint32_t(lParam) & 0x80000000u) != 0;
    int vk = int(wParam);
    if (code == HC_ACTION && !up && GetKeyState(VK_MENU) < 0 && GetKeyState(VK_CONTROL) >= 0 &&
        ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) {
        TWinControl* focused = FindFocusedControl();
        TCustomForm* form = focused ? GetParentForm(focused) : nullptr;
        if (!form && Screen)
            form = Screen->ActiveForm();
        char32_t ch = (vk >= 'A' && vk <= 'Z') ? char32_t(vk + 32) : char32_t(vk);
        if (form && form->Perform(CM_DIALOGCHAR, WPARAM(ch), lParam) != 0)
            return 1;
    }
    return CallNextHookEx(gAccelHook, code, wParam, lParam);
}

void EnsureAccelHook() {
    if (!gAccelHook)
        gAccelHook = SetKeyboardHook(AccelHook);
}

// The platform's message of a Qt mouse event, at a point of the control's client area.
bool MouseMessageOf(QMouseEvent* e, const QPoint& at, TMessage& m) {
    const WPARAM flags = WindowSystemDetail::MouseKeyFlags(e->buttons(), e->modifiers());
    UINT base = 0;
    if (e->button() == Qt::RightButton)
        base = WM_RBUTTONDOWN - WM_LBUTTONDOWN;
    else if (e->button() == Qt::MiddleButton)
        base = WM_MBUTTONDOWN - WM_LBUTTONDOWN;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        m.Msg = WM_LBUTTONDOWN + base;
        break;
    case QEvent::MouseButtonDblClick:
        m.Msg = WM_LBUTTONDBLCLK + base;
        break;
    case QEvent::MouseButtonRelease:
        m.Msg = WM_LBUTTONUP + base;
        break;
    case QEvent::MouseMove:
        m.Msg = WM_MOUSEMOVE;
        break;
    default:
        return false;
    }
    m.WParam = flags;
    m.LParam = MAKELPARAM(at.x(), at.y());
    m.Result = 0;
    return true;
}

// Hands the mouse events of a scroll area's viewport to the control's window procedure
// (the window system's bridge watches the control's own widget only).
class TViewportFilter : public QObject {
public:
    TViewportFilter(TWinControl* control, QWidget* viewport, void** pending)
        : QObject(viewport), FControl(control), FViewport(viewport), FPending(pending) {
        viewport->installEventFilter(this);
    }
    void Detach() { FControl = nullptr; }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != FViewport || !FControl)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            break;
        default:
            return false;
        }
        auto* me = static_cast<QMouseEvent*>(event);
        QWidget* w = FControl->WidgetIfAllocated();
        if (!w)
            return false;
        const QPoint global = me->globalPosition().toPoint();
        WindowSystemDetail::SetLastCursorPos(global.x(), global.y());
        if (WindowSystemDetail::DragMouseEvent(event)) // a drag sees the mouse first
            return true;
        QPoint at = FViewport->mapTo(w, me->position().toPoint());
        TMessage m{};
        if (!MouseMessageOf(me, at, m))
            return false;
        m.Origin = event;
        void* saved = *FPending;
        *FPending = event;
        try {
            FControl->SendToWindowProc(m);
        } catch (...) {
            *FPending = saved;
            WindowSystemDetail::HandleEventException();
            return true;
        }
        *FPending = saved;
        event->accept();
        return true;
    }

private:
    TWinControl* FControl;
    QWidget* FViewport;
    void** FPending;
};

// Disabled text in the platform's grey (Qt's default can vanish into the button face).
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

} // namespace

// ---------------------------------------------------------------------------
// Accelerators

namespace {
// The text as shown, without accelerator marks.
std::string WithoutMarks(const std::string& text) {
    std::string r;
    r.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                r += '&';
                ++i;
            }
            continue;
        }
        r += text[i];
    }
    return r;
}
} // namespace

char32_t GetHotkey(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        QString rest = Q(text.substr(i + 1));
        if (rest.isEmpty())
            return 0;
        return LowerChar(rest.toUcs4().front());
    }
    return 0;
}

bool IsAccel(char32_t ch, const std::string& text) {
    char32_t hot = GetHotkey(text);
    return ch != 0 && hot != 0 && LowerChar(ch) == hot;
}

bool EffectivelyEnabled(const TControl* control) {
    for (const TControl* c = control; c; c = c->Parent())
        if (!c->Enabled())
            return false;
    return true;
}

// ===========================================================================
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 65, 17);
    EnsureAccelHook();
}

void TCustomLabel::Publish(TPublisher<TCustomLabel>& p) {
    static const TTypeInfo layoutType =
        MakeEnumType("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
    p.Enum("Alignment", AlignmentType(), &TCustomLabel::Alignment, &TCustomLabel::SetAlignment)
        .Default(taLeftJustify);
    p.Bool("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(true);
    p.String("Caption", &TCustomLabel::Caption, &TCustomLabel::SetCaption);
    p.Class("FocusControl", TWinControl::StaticClass(), &TCustomLabel::FocusControl,
            &TCustomLabel::SetFocusControl);
    p.Enum("Layout", &layoutType, &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
    p.Bool("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar)
        .Default(true);
    p.Bool("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
    p.Bool("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
}

void TCustomLabel::SetAlignment(TAlignment value) {
    if (value == FAlignment)
        return;
    FAlignment = value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value) {
    if (value == FLayout)
        return;
    FLayout = value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool value) {
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    AdjustBounds();
}

void TCustomLabel::SetWordWrap(bool value) {
    if (value == FWordWrap)
        return;
    FWordWrap = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
    if (value == FTransparent)
        return;
    FTransparent = value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
    if (value == FShowAccelChar)
        return;
    FShowAccelChar = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
    SetComponentReference(this, FFocusControl, value);
}

void TCustomLabel::ComponentNotification(TComponent* component, TOperation operation) {
    TGraphicControl::ComponentNotification(component, operation);
    if (operation == opRemove && component == FFocusControl)
        FFocusControl = nullptr;
}

unsigned TCustomLabel::DrawTextFlags() const {
    unsigned flags = DT_EXPANDTABS;
    if (FWordWrap)
        flags |= DT_WORDBREAK;
    if (FAlignment == taRightJustify)
        flags |= DT_RIGHT;
    else if (FAlignment == taCenter)
        flags |= DT_CENTER;
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    return flags;
}

void TCustomLabel::DoDrawText(TRect& rect, unsigned flags) {
    std::string text = Caption();
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    if ((flags & DT_CALCRECT) != 0) {
        // An empty caption (or a lone accelerator mark) still measures one line.
        if (text.empty() || (FShowAccelChar && text == "&"))
            text += ' ';
        rect = MeasureText(Font(), text, rect, flags);
        return;
    }
    TCanvas* c = Canvas();
    c->Font()->AssignFrom(Font());
    if (!EffectivelyEnabled(this)) {
        TRect r = rect;
        OffsetRect(r, 1, 1);
        c->Font()->SetColor(clBtnHighlight);
        c->DrawText(text, r, flags);
        c->Font()->SetColor(clBtnShadow);
        c->DrawText(text, rect, flags);
        return;
    }
    c->DrawText(text, rect, flags);
}

void TCustomLabel::PaintControl() {
    TCanvas* c = Canvas();
    TRect client = ClientRect();
    if (!FTransparent) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        c->FillRect(client);
    }
    c->Brush()->SetStyle(bsClear);
    TRect r = client;
    unsigned flags = DrawTextFlags();
    if (FLayout != tlTop) {
        TRect calc = client;
        DoDrawText(calc, flags | DT_CALCRECT);
        int dy = FLayout == tlBottom ? Height() - calc.Bottom : (Height() - calc.Bottom) / 2;
        OffsetRect(r, 0, dy);
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || ComponentState().Contains(csLoading) || ComponentState().Contains(csReading))
        return;
    TRect r = ClientRect();
    if (!FWordWrap)
        r.Right = r.Left + 10000;
    DoDrawText(r, (DT_EXPANDTABS | DT_CALCRECT) | (FWordWrap ? DT_WORDBREAK : 0));
    int x = Left();
    if (FAlignment == taRightJustify)
        x += Width() - r.Right;
    SetBounds(x, Top(), r.Right, r.Bottom);
}

// Labels and static texts answer the same notifications: a new text resizes them, and
// their accelerator character moves the focus to their focus control. Answers whether the
// message was handled.
template <class TText> bool HandleCaptionNotification(TText& text, TMessage& message) {
    switch (message.Msg) {
    case CM_TEXTCHANGED:
        text.Invalidate();
        text.AdjustBounds();
        return true;
    case CM_DIALOGCHAR: {
        TWinControl* target = text.FocusControl();
        if (target && text.ShowAccelChar() && EffectivelyEnabled(&text) &&
            IsAccel(char32_t(message.WParam), text.Caption()) && target->CanFocus()) {
            target->SetFocus();
            message.Result = 1;
        }
        return true;
    }
    default:
        return false;
    }
}

void TCustomLabel::HandleMessage(TMessage& message) {
    if (HandleCaptionNotification(*this, message))
        return;
    TGraphicControl::HandleMessage(message);
    if (message.Msg == CM_FONTCHANGED)
        AdjustBounds();
}

// ===========================================================================
// TCustomStaticText

TCustomStaticText::TCustomStaticText(TComponent* owner) : TCustomControl(owner) {
    FControlStyle =
        TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csReplicatable, csDoubleClicks};
    SetBounds(0, 0, 65, 17);
    EnsureAccelHook();
}

void TCustomStaticText::Publish(TPublisher<TCustomStaticText>& p) {
    static const TTypeInfo borderType =
        MakeEnumType("TStaticBorderStyle", {"sbsNone", "sbsSingle", "sbsSunken"});
    p.Enum("Alignment", AlignmentType(), &TCustomStaticText::Alignment,
           &TCustomStaticText::SetAlignment)
        .Default(taLeftJustify);
    p.Bool("AutoSize", &TCustomStaticText::AutoSize, &TCustomStaticText::SetAutoSize).Default(true);
    p.Enum("BorderStyle", &borderType, &TCustomStaticText::BorderStyle,
           &TCustomStaticText::SetBorderStyle)
        .Default(sbsNone);
    p.String("Caption", &TCustomStaticText::Caption, &TCustomStaticText::SetCaption);
    p.Class("FocusControl", TWinControl::StaticClass(), &TCustomStaticText::FocusControl,
            &TCustomStaticText::SetFocusControl);
    p.Bool("ShowAccelChar", &TCustomStaticText::ShowAccelChar, &TCustomStaticText::SetShowAccelChar)
        .Default(true);
}

void TCustomStaticText::SetAlignment(TAlignment value) {
    if (value == FAlignment)
        return;
    FAlignment = value;
    Invalidate();
}

void TCustomStaticText::SetAutoSize(bool value) {
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    AdjustBounds();
}

void TCustomStaticText::SetBorderStyle(TStaticBorderStyle value) {
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    AdjustBounds();
    Invalidate();
}

void TCustomStaticText::SetShowAccelChar(bool value) {
    if (value == FShowAccelChar)
        return;
    FShowAccelChar = value;
    AdjustBounds();
    Invalidate();
}

void TCustomStaticText::SetFocusControl(TWinControl* value) {
    SetComponentReference(this, FFocusControl, value);
}

void TCustomStaticText::ComponentNotification(TComponent* component, TOperation operation) {
    TCustomControl::ComponentNotification(component, operation);
    if (operation == opRemove && component == FFocusControl)
        FFocusControl = nullptr;
}

void TCustomStaticText::AdjustBounds() {
    if (!FAutoSize || ComponentState().Contains(csLoading) || ComponentState().Contains(csReading))
        return;
    std::string text = FShowAccelChar ? WithoutMarks(Caption()) : Caption();
    TSize size = TextSizeIn(Font(), text.empty() ? " " : text);
    int border = FBorderStyle == sbsNone ? 0 : (FBorderStyle == sbsSingle ? 2 : 4);
    int x = Left();
    int w = size.cx + border;
    if (FAlignment == taRightJustify)
        x += Width() - w;
    SetBounds(x, Top(), w, size.cy + border);
}

void TCustomStaticText::PaintControl() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    if (FBorderStyle == sbsSingle) {
        c->Brush()->SetColor(clWindowFrame);
        c->FrameRect(r);
        InflateRect(r, -1, -1);
    } else if (FBorderStyle == sbsSunken) {
        DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->AssignFrom(Font());
    unsigned flags = DT_SINGLELINE | DT_VCENTER;
    if (FAlignment == taRightJustify) {
        flags |= DT_RIGHT;
        // A glyph reaching past its advance (a final Greek nu) keeps its last column.
        r.Right -= 1;
    } else if (FAlignment == taCenter)
        flags |= DT_CENTER;
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    if (!EffectivelyEnabled(this))
        c->Font()->SetColor(clGrayText);
    c->DrawText(Caption(), r, flags);
}

void TCustomStaticText::HandleMessage(TMessage& message) {
    if (HandleCaptionNotification(*this, message))
        return;
    TCustomControl::HandleMessage(message);
    if (message.Msg == CM_FONTCHANGED)
        AdjustBounds();
}

// ===========================================================================
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
    FColor = clWindow;
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(0, 0, 121, 25);
    AdjustHeight();
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::Publish(TPublisher<TCustomEdit>& p) {
    static const TTypeInfo caseType =
        MakeEnumType("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
    p.Enum("Alignment", AlignmentType(), &TCustomEdit::Alignment, &TCustomEdit::SetAlignment)
        .Default(taLeftJustify);
    p.Bool("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
    p.Bool("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize).Default(true);
    p.Enum("CharCase", &caseType, &TCustomEdit::CharCase, &TCustomEdit::SetCharCase)
        .Default(ecNormal);
    p.Bool("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection)
        .Default(true);
    p.Integer("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
    p.Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
    p.String("Text", &TCustomEdit::Text, &TCustomEdit::SetText);
    p.Event("OnChange", &TCustomEdit::OnChange, &TCustomEdit::SetOnChange);
}

QLineEdit* TCustomEdit::LineEdit() {
    return qobject_cast<QLineEdit*>(Widget());
}

namespace {
QLineEdit* LineEditOf(const TWinControl* c) {
    return qobject_cast<QLineEdit*>(c->WidgetIfAllocated());
}

std::string ApplyCharCase(const std::string& s, TEditCharCase charCase) {
    if (charCase == ecUpperCase)
        return S(Q(s).toUpper());
    if (charCase == ecLowerCase)
        return S(Q(s).toLower());
    return s;
}
} // namespace

std::string TCustomEdit::Text() const {
    if (QLineEdit* le = LineEditOf(this))
        return S(le->text());
    return FText;
}

void TCustomEdit::SetText(const std::string& value) {
    std::string v = ApplyCharCase(value, FCharCase);
    if (v == Text())
        return;
    SetTextSilently(v);
    FModified = false;
    NotifyChange();
    TextChanged();
}

void TCustomEdit::SetTextSilently(const std::string& value) {
    FText = value;
    FSelStart = FSelLength = 0;
    if (QLineEdit* le = LineEditOf(this)) {
        TSettingGuard g(FSetting);
        QSignalBlocker block(le);
        le->setText(Q(value));
    }
}

void TCustomEdit::NotifyChange() {
    if (!HandleAllocated())
        return;
    WPARAM w = MAKEWPARAM(0, int(EN_CHANGE));
    LPARAM l = LPARAM(Handle());
    if (Parent() && Parent()->HandleAllocated())
        Parent()->Perform(WM_COMMAND, w, l);
    else
        Perform(CN_COMMAND, w, l);
}

void TCustomEdit::Change() {
    if (FOnChange)
        FOnChange(this);
}

void TCustomEdit::UserEdited() {
    if (QLineEdit* le = LineEditOf(this))
        FText = S(le->text());
    FModified = true;
    NotifyChange();
}

void TCustomEdit::SetMaxLength(int value) {
    FMaxLength = std::max(0, value);
}

void TCustomEdit::SetReadOnly(bool value) {
    FReadOnly = value;
    if (QLineEdit* le = LineEditOf(this))
        le->setReadOnly(value);
}

void TCustomEdit::SetAutoSize(bool value) {
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
    if (!FAutoSize || FBorderStyle != bsSingle || ComponentState().Contains(csLoading))
        return;
    SetHeight(TextHeightOf(Font()) + 8);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    if (QLineEdit* le = LineEditOf(this))
        le->setFrame(value != bsNone);
    AdjustHeight();
    ApplyEditRect();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
    if (value == FCharCase)
        return;
    FCharCase = value;
    if (value != ecNormal)
        SetText(Text());
}

void TCustomEdit::SetPasswordChar(char32_t value) {
    FPasswordChar = value;
    if (QLineEdit* le = LineEditOf(this))
        le->setEchoMode(value ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetAlignment(TAlignment value) {
    if (value == FAlignment)
        return;
    FAlignment = value;
    RecreateWnd();
}

bool TCustomEdit::Modified() const {
    return FModified;
}

void TCustomEdit::SetModified(bool value) {
    FModified = value;
}

int TCustomEdit::SelStart() const {
    if (QLineEdit* le = LineEditOf(this))
        return le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
    return FSelStart;
}

void TCustomEdit::SetSelStart(int value) {
    int len = int(Q(Text()).size());
    value = std::clamp(value, 0, len);
    FSelStart = value;
    FSelLength = 0;
    if (QLineEdit* le = LineEditOf(this)) {
        QSignalBlocker block(le);
        le->deselect();
        le->setCursorPosition(value);
    }
}

int TCustomEdit::SelLength() const {
    if (QLineEdit* le = LineEditOf(this))
        return le->selectionLength();
    return FSelLength;
}

void TCustomEdit::SetSelLength(int value) {
    int start = SelStart();
    int len = int(Q(Text()).size());
    value = std::clamp(value, -start, len - start);
    FSelStart = start;
    FSelLength = value;
    if (QLineEdit* le = LineEditOf(this)) {
        QSignalBlocker block(le);
        le->setSelection(start, value);
    }
}

std::string TCustomEdit::SelText() const {
    if (QLineEdit* le = LineEditOf(this))
        return S(le->selectedText());
    QString t = Q(FText);
    return S(t.mid(FSelStart, FSelLength));
}

void TCustomEdit::SetSelText(const std::string& value) {
    if (QLineEdit* le = LineEditOf(this)) {
        {
            TSettingGuard g(FSetting);
            QSignalBlocker block(le);
            le->insert(Q(value));
        }
        FText = S(le->text());
    } else {
        QString t = Q(FText);
        t.replace(FSelStart, FSelLength, Q(value));
        FText = S(t);
        FSelStart += int(Q(value).size());
        FSelLength = 0;
    }
    NotifyChange();
    TextChanged();
}

void TCustomEdit::SelectAll() {
    if (QLineEdit* le = LineEditOf(this)) {
        QSignalBlocker block(le);
        le->selectAll();
        return;
    }
    FSelStart = 0;
    FSelLength = int(Q(FText).size());
}

void TCustomEdit::Undo() {
    Perform(WM_UNDO);
}

bool TCustomEdit::CanUndo() const {
    QLineEdit* le = LineEditOf(this);
    return le && le->isUndoAvailable();
}

int TCustomEdit::CaretPos() const {
    QLineEdit* le = LineEditOf(this);
    return le ? le->cursorPosition() : FSelStart + FSelLength;
}

TRect TCustomEdit::EditRect() const {
    if (FHasEditRect)
        return FEditRect;
    int f = FBorderStyle == bsSingle ? 2 : 0;
    return TRect(f, f, Width() - f, Height() - f);
}

void TCustomEdit::SetEditRect(const TRect& rect) {
    FHasEditRect = true;
    FEditRect = rect;
    ApplyEditRect();
}

void TCustomEdit::ResetEditRect() {
    FHasEditRect = false;
    ApplyEditRect();
}

void TCustomEdit::ApplyEditRect() {
    QLineEdit* le = LineEditOf(this);
    if (!le)
        return;
    if (!FHasEditRect) {
        le->setTextMargins(0, 0, 0, 0);
        return;
    }
    int f = FBorderStyle == bsSingle ? 2 : 0;
    le->setTextMargins(std::max(0, FEditRect.Left - f), std::max(0, FEditRect.Top - f),
                       std::max(0, Width() - f - FEditRect.Right),
                       std::max(0, Height() - f - FEditRect.Bottom));
}

QWidget* TCustomEdit::CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) {
    auto* le = new QLineEdit(parentWidget);
    le->setContextMenuPolicy(Qt::NoContextMenu);
    UseDisabledGray(le);
    le->setMaxLength(kNoQtLimit);
    le->setFocusPolicy(Qt::StrongFocus);
    le->setText(Q(FText));
    // A change handler that raises is reported here: no exception unwinds through Qt.
    QObject::connect(le, &QLineEdit::textEdited, le, [this] {
        if (FSetting == 0)
            try {
                UserEdited();
            } catch (...) {
                WindowSystemDetail::HandleEventException();
            }
    });
    return le;
}

void TCustomEdit::AfterWindowCreated() {
    QLineEdit* le = LineEditOf(this);
    if (!le)
        return;
    QSignalBlocker block(le);
    le->setFrame(FBorderStyle != bsNone);
    le->setReadOnly(FReadOnly);
    le->setEchoMode(FPasswordChar ? QLineEdit::Password : QLineEdit::Normal);
    Qt::Alignment a = Qt::AlignVCenter;
    a |= FAlignment == taRightJustify ? Qt::AlignRight
         : FAlignment == taCenter     ? Qt::AlignHCenter
                                      : Qt::AlignLeft;
    le->setAlignment(a);
    if (FSelLength != 0)
        le->setSelection(FSelStart, FSelLength);
    else
        le->setCursorPosition(FSelStart);
    ApplyEditRect();
}

void TCustomEdit::BeforeWindowDestroyed() {
    if (QLineEdit* le = LineEditOf(this)) {
        FText = S(le->text());
        FSelStart = SelStart();
        FSelLength = SelLength();
    }
}

void TCustomEdit::HandleResize() {
    ApplyEditRect();
    TWinControl::HandleResize();
}

void TCustomEdit::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TWinControl::HandleKeyDown(key, shift);
    if (key == 0)
        return;
    bool ctrl = shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
    bool shiftOnly = shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
    UINT msg = 0;
    if ((ctrl && key == 'X') || (shiftOnly && key == VK_DELETE))
        msg = WM_CUT;
    else if ((ctrl && key == 'C') || (ctrl && key == VK_INSERT))
        msg = WM_COPY;
    else if ((ctrl && key == 'V') || (shiftOnly && key == VK_INSERT))
        msg = WM_PASTE;
    else if (ctrl && key == 'Z')
        msg = WM_UNDO;
    if (msg != 0) {
        Perform(msg);
        key = 0;
    }
}

void TCustomEdit::HandleKeyPress(char32_t& key) {
    TWinControl::HandleKeyPress(key);
    if (key == 0)
        return;
    if (key < 0x20 && key != 8)
        return;
    if (!CanModify()) {
        key = 0;
        return;
    }
    if (key == 8)
        return;
    if (FCharCase != ecNormal) {
        QString c = QString::fromUcs4(&key, 1);
        c = FCharCase == ecUpperCase ? c.toUpper() : c.toLower();
        key = c.toUcs4().value(0, key);
    }
    if (FMaxLength > 0 && int(Q(Text()).size()) - SelLength() >= FMaxLength) {
        MessageBeep(0);
        key = 0;
    }
}

void TCustomEdit::HandleEnter() {
    if (FAutoSelect && !FMouseEntering)
        SelectAll();
    TWinControl::HandleEnter();
}

void TCustomEdit::HandleExit() {
    TWinControl::HandleExit();
}

void TCustomEdit::HandleCut(TMessage&) {
    QLineEdit* le = LineEditOf(this);
    if (!le || !le->hasSelectedText())
        return;
    if (!CanModify()) {
        le->copy();
        return;
    }
    le->cut();
}

void TCustomEdit::HandlePaste(TMessage&) {
    QLineEdit* le = LineEditOf(this);
    if (!le || !CanModify())
        return;
    QString text = QGuiApplication::clipboard()->text();
    // A single-line edit takes the first line only.
    qsizetype eol = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (eol >= 0)
        text.truncate(eol);
    if (FMaxLength > 0) {
        int room = FMaxLength - (int(le->text().size()) - le->selectionLength());
        text.truncate(std::max(0, room));
    }
    if (FCharCase != ecNormal)
        text = FCharCase == ecUpperCase ? text.toUpper() : text.toLower();
    if (text.isEmpty() && !le->hasSelectedText())
        return;
    {
        TSettingGuard g(FSetting);
        le->insert(text);
    }
    UserEdited();
}

void TCustomEdit::HandleClear(TMessage&) {
    QLineEdit* le = LineEditOf(this);
    if (!le || !CanModify() || !le->hasSelectedText())
        return;
    {
        TSettingGuard g(FSetting);
        le->del();
    }
    UserEdited();
}

void TCustomEdit::HandleCopy(TMessage&) {
    if (QLineEdit* le = LineEditOf(this))
        le->copy();
}

void TCustomEdit::HandleUndo(TMessage&) {
    QLineEdit* le = LineEditOf(this);
    if (!le || !CanModify() || !le->isUndoAvailable())
        return;
    {
        TSettingGuard g(FSetting);
        le->undo();
    }
    UserEdited();
}

void TCustomEdit::PaintOverlay(TMessage&) {
    QWidget* w = WidgetIfAllocated();
    if (!w || !w->testAttribute(Qt::WA_WState_InPaintEvent))
        return;
    QPainter painter(w);
    TCanvas canvas;
    canvas.AttachPainter(&painter);
    canvas.Font()->AssignFrom(Font());
    try {
        PaintWindowContent(&canvas);
    } catch (...) {
        canvas.AttachPainter(nullptr);
        throw;
    }
    canvas.AttachPainter(nullptr);
}

void TCustomEdit::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == EN_CHANGE) {
            Change();
            return;
        }
        break;
    case WM_CUT:
        HandleCut(message);
        return;
    case WM_COPY:
        HandleCopy(message);
        return;
    case WM_PASTE:
        HandlePaste(message);
        return;
    case WM_CLEAR:
        HandleClear(message);
        return;
    case WM_UNDO:
        HandleUndo(message);
        return;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (message.LParam)
            SetEditRect(*reinterpret_cast<const TRect*>(message.LParam));
        else
            ResetEditRect();
        return;
    case EM_GETRECT:
        if (message.LParam)
            *reinterpret_cast<TRect*>(message.LParam) = EditRect();
        return;
    case EM_GETMODIFY:
        message.Result = FModified ? 1 : 0;
        return;
    case EM_SETMODIFY:
        FModified = message.WParam != 0;
        return;
    case EM_LIMITTEXT:
        SetMaxLength(int(message.WParam));
        return;
    case EM_SETREADONLY:
        SetReadOnly(message.WParam != 0);
        message.Result = 1;
        return;
    case EM_CANUNDO:
        message.Result = CanUndo() ? 1 : 0;
        return;
    case EM_SETSEL: {
        int start = int(intptr_t(message.WParam));
        int end = int(message.LParam);
        int len = int(Q(Text()).size());
        if (start < 0) {
            SetSelStart(SelStart());
            return;
        }
        if (end < 0 || end > len)
            end = len;
        SetSelStart(start);
        SetSelLength(end - std::min(start, len));
        return;
    }
    case EM_GETSEL: {
        int s = SelStart();
        message.Result = MAKELPARAM(s, s + SelLength());
        return;
    }
    case EM_SCROLLCARET:
        return;
    case WM_SETFOCUS: {
        auto* fe = static_cast<QFocusEvent*>(message.Origin);
        bool saved = FMouseEntering;
        FMouseEntering = fe && fe->reason() == Qt::MouseFocusReason;
        try {
            TWinControl::HandleMessage(message);
        } catch (...) {
            FMouseEntering = saved;
            throw;
        }
        FMouseEntering = saved;
        return;
    }
    case WM_PAINT: {
        bool fromQt = message.Origin != nullptr;
        TWinControl::HandleMessage(message);
        if (fromQt)
            PaintOverlay(message);
        return;
    }
    case CM_FONTCHANGED:
        TWinControl::HandleMessage(message);
        AdjustHeight();
        return;
    default:
        break;
    }
    TWinControl::HandleMessage(message);
}

void TCustomEdit::DefaultHandler(TMessage& message) {
    bool plain = GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
    if (message.Msg == WM_KEYDOWN && message.WParam == WPARAM(VK_BACK) && message.Origin && plain) {
        // Backspace edits with its character, so that a character handler may refuse it.
        message.Origin = nullptr;
        return;
    }
    if (message.Msg == WM_CHAR && message.WParam == 8 && !message.Origin) {
        if (QWidget* w = WidgetIfAllocated()) {
            QKeyEvent e(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
            static_cast<QObject*>(w)->event(&e);
        }
        return;
    }
    TWinControl::DefaultHandler(message);
}

// ===========================================================================
// TCustomMemo

namespace {
QPlainTextEdit* MemoOf(const TWinControl* c) {
    return qobject_cast<QPlainTextEdit*>(c->WidgetIfAllocated());
}

// The memo's text with line breaks as LF.
QString MemoTextOf(const TStrings& lines) {
    QStringList l;
    for (int i = 0; i < lines.Count(); ++i)
        l << Q(lines.Get(i));
    return l.join(QChar('\n'));
}

void SplitInto(TStrings& lines, const QString& text) {
    QStringList l = text.split(QChar('\n'));
    // A last empty line is no line (the text ends with a line break).
    if (!l.isEmpty() && l.back().isEmpty())
        l.removeLast();
    lines.BeginUpdate();
    try {
        lines.Clear();
        for (const QString& s : l)
            lines.Add(S(s));
    } catch (...) {
        lines.EndUpdate();
        throw;
    }
    lines.EndUpdate();
}
} // namespace

TCustomMemo::TCustomMemo(TComponent* owner)
    : TWinControl(owner), FLines(std::make_unique<TStringList>()) {
    FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks};
    FColor = clWindow;
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(0, 0, 185, 89);
    FLines->SetOnChange(TNotifyEvent([this](TObject*) { LinesChanged(); }));
}

TCustomMemo::~TCustomMemo() {
    FLines->SetOnChange(TNotifyEvent());
}

void TCustomMemo::Publish(TPublisher<TCustomMemo>& p) {
    static const TTypeInfo scrollType =
        MakeEnumType("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
    p.Enum("Alignment", AlignmentType(), &TCustomMemo::Alignment, &TCustomMemo::SetAlignment)
        .Default(taLeftJustify);
    p.Class("Lines", TStrings::StaticClass(), &TCustomMemo::Lines, &TCustomMemo::SetLines);
    p.Integer("MaxLength", &TCustomMemo::MaxLength, &TCustomMemo::SetMaxLength).Default(0);
    p.Bool("ReadOnly", &TCustomMemo::ReadOnly, &TCustomMemo::SetReadOnly).Default(false);
    p.Enum("ScrollBars", &scrollType, &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars)
        .Default(ssNone);
    p.Bool("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(true);
    p.Bool("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(false);
    p.Bool("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(true);
    p.Event("OnChange", &TCustomMemo::OnChange, &TCustomMemo::SetOnChange);
}

std::string TCustomMemo::Text() const {
    std::string r;
    for (int i = 0; i < FLines->Count(); ++i) {
        if (i > 0)
            r += "\r\n";
        r += FLines->Get(i);
    }
    return r;
}

void TCustomMemo::SetText(const std::string& value) {
    if (value == Text())
        return;
    {
        TSettingGuard g(FSetting);
        FLines->SetText(value);
        ApplyText();
    }
    FModified = false;
    NotifyChange();
    TextChanged();
}

void TCustomMemo::SetLines(const TStrings* value) {
    if (value)
        FLines->Assign(*value);
    else
        FLines->Clear();
}

void TCustomMemo::LinesChanged() {
    if (FSetting != 0)
        return;
    {
        TSettingGuard g(FSetting);
        ApplyText();
    }
    FModified = false;
    NotifyChange();
}

void TCustomMemo::ApplyText() {
    if (QPlainTextEdit* e = MemoOf(this)) {
        QSignalBlocker block(e);
        e->setPlainText(MemoTextOf(*FLines));
    }
}

void TCustomMemo::NotifyChange() {
    if (!HandleAllocated())
        return;
    WPARAM w = MAKEWPARAM(0, int(EN_CHANGE));
    LPARAM l = LPARAM(Handle());
    if (Parent() && Parent()->HandleAllocated())
        Parent()->Perform(WM_COMMAND, w, l);
    else
        Perform(CN_COMMAND, w, l);
}

void TCustomMemo::Change() {
    if (FOnChange)
        FOnChange(this);
}

void TCustomMemo::SetReadOnly(bool value) {
    FReadOnly = value;
    if (QPlainTextEdit* e = MemoOf(this))
        e->setReadOnly(value);
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
    if (value == FScrollBars)
        return;
    FScrollBars = value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
    if (value == FWordWrap)
        return;
    FWordWrap = value;
    RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment value) {
    if (value == FAlignment)
        return;
    FAlignment = value;
    RecreateWnd();
}

int TCustomMemo::SelStart() const {
    if (QPlainTextEdit* e = MemoOf(this))
        return e->textCursor().selectionStart();
    return FSelStart;
}

void TCustomMemo::SetSelStart(int value) {
    FSelStart = std::max(0, value);
    FSelLength = 0;
    if (QPlainTextEdit* e = MemoOf(this)) {
        QTextCursor c = e->textCursor();
        c.setPosition(std::min(FSelStart, e->document()->characterCount() - 1));
        QSignalBlocker block(e);
        e->setTextCursor(c);
    }
}

int TCustomMemo::SelLength() const {
    if (QPlainTextEdit* e = MemoOf(this)) {
        QTextCursor c = e->textCursor();
        return c.selectionEnd() - c.selectionStart();
    }
    return FSelLength;
}

void TCustomMemo::SetSelLength(int value) {
    int start = SelStart();
    FSelLength = std::max(0, value);
    if (QPlainTextEdit* e = MemoOf(this)) {
        int last = e->document()->characterCount() - 1;
        QTextCursor c = e->textCursor();
        c.setPosition(std::min(start, last));
        c.setPosition(std::min(start + FSelLength, last), QTextCursor::KeepAnchor);
        QSignalBlocker block(e);
        e->setTextCursor(c);
    }
}

std::string TCustomMemo::SelText() const {
    if (QPlainTextEdit* e = MemoOf(this))
        return S(e->textCursor().selectedText().replace(QChar(0x2029), QStringLiteral("\r\n")));
    return "";
}

void TCustomMemo::SelectAll() {
    if (QPlainTextEdit* e = MemoOf(this)) {
        QSignalBlocker block(e);
        e->selectAll();
    }
}

QWidget* TCustomMemo::CreateNativeWidget(const TCreateParams&, QWidget* parentWidget) {
    auto* e = new QPlainTextEdit(parentWidget);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    UseDisabledGray(e);
    e->setFocusPolicy(Qt::StrongFocus);
    e->setPlainText(MemoTextOf(*FLines));
    QObject::connect(e, &QPlainTextEdit::textChanged, e, [this] {
        if (FSetting != 0)
            return;
        if (QPlainTextEdit* w = MemoOf(this)) {
            TSettingGuard g(FSetting);
            SplitInto(*FLines, w->toPlainText());
        }
        FModified = true;
        NotifyChange();
    });
    return e;
}

void TCustomMemo::AfterWindowCreated() {
    QPlainTextEdit* e = MemoOf(this);
    if (!e)
        return;
    QSignalBlocker block(e);
    e->setReadOnly(FReadOnly);
    e->setTabChangesFocus(!FWantTabs);
    e->setLineWrapMode(FWordWrap && FScrollBars != ssHorizontal && FScrollBars != ssBoth
                           ? QPlainTextEdit::WidgetWidth
                           : QPlainTextEdit::NoWrap);
    bool h = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    bool v = FScrollBars == ssVertical || FScrollBars == ssBoth;
    e->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    e->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    QTextOption opt = e->document()->defaultTextOption();
    opt.setAlignment(FAlignment == taRightJustify ? Qt::AlignRight
                     : FAlignment == taCenter     ? Qt::AlignHCenter
                                                  : Qt::AlignLeft);
    e->document()->setDefaultTextOption(opt);
}

void TCustomMemo::BeforeWindowDestroyed() {
    FSelStart = SelStart();
    FSelLength = SelLength();
}

void TCustomMemo::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == EN_CHANGE) {
            Change();
            return;
        }
        break;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (FWantReturns)
            message.Result |= DLGC_WANTALLKEYS;
        if (FWantTabs)
            message.Result |= DLGC_WANTTAB;
        return;
    case WM_KEYDOWN:
        // Without WantReturns, Enter never reaches the text.
        if (message.WParam == WPARAM(VK_RETURN) && !FWantReturns)
            message.Origin = nullptr;
        break;
    default:
        break;
    }
    TWinControl::HandleMessage(message);
}

// ===========================================================================
// TButtonControl

namespace {
// Check boxes and radio buttons react to a click anywhere in their window, as on the
// platform (Qt's own only on the box and the caption).
template <class TBase> class TWholeButton : public TBase {
public:
    using TBase::TBase;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// The caption shows its accelerator underlined, but the key itself is ours (CM_DIALOGCHAR):
// Qt's own mnemonic shortcut is released.
void SetButtonText(QAbstractButton* button, const std::string& text) {
    button->setText(Q(text));
    button->setShortcut(QKeySequence());
}
} // namespace

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    // Clicks come from the Qt button (mouse, space, accelerator), not from the mouse
    // messages.
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    SetTabStop(true);
    EnsureAccelHook();
}

void TButtonControl::ActionChange(TBasicAction* sender) {
    TWinControl::ActionChange(sender);
    if (auto* action = dynamic_cast<TCustomAction*>(sender)) {
        TSettingGuard quiet(FClicksDisabled);
        SetChecked(action->Checked());
    }
}

void TButtonControl::Publish(TPublisher<TButtonControl>& p) {
    p.String("Caption", &TButtonControl::Caption, &TButtonControl::SetCaption);
}

void TButtonControl::ConnectButton(QAbstractButton* button) {
    button->setShortcut(QKeySequence());
    UseDisabledGray(button);
    // A click handler that raises is reported here: no exception unwinds through Qt.
    QObject::connect(button, &QAbstractButton::clicked, button, [this] {
        if (FClicksDisabled == 0)
            try {
                ButtonClicked();
            } catch (...) {
                WindowSystemDetail::HandleEventException();
            }
    });
}

void TButtonControl::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_TEXTCHANGED:
        if (auto* b = dynamic_cast<QAbstractButton*>(WidgetIfAllocated()))
            SetButtonText(b, Text());
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(char32_t(message.WParam), Caption()) && CanFocus()) {
            if (!dynamic_cast<TButton*>(this))
                SetFocus();
            ButtonClicked();
            message.Result = 1;
        }
        return;
    default:
        TWinControl::HandleMessage(message);
    }
}

// ===========================================================================
// TButton

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 75, 25);
}

void TButton::Publish(TPublisher<TButton>& p) {
    p.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
    p.Bool("Default", &TButton::Default, &TButton::SetDefault).Default(false);
    p.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone);
}

void TButton::SetDefault(bool value) {
    FDefault = value;
    if (auto* b = qobject_cast<QPushButton*>(WidgetIfAllocated()))
        b->setDefault(value);
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this))
        form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

bool TButton::IsActiveDefault() const {
    if (auto* focused = dynamic_cast<TButton*>(FindFocusedControl()))
        return focused == this;
    return FDefault;
}

QWidget* TButton::CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) {
    auto* b = new QPushButton(Q(params.Caption), parentWidget);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::StrongFocus);
    ConnectButton(b);
    return b;
}

void TButton::AfterWindowCreated() {
    if (auto* b = qobject_cast<QPushButton*>(WidgetIfAllocated()))
        b->setDefault(FDefault);
}

void TButton::HandleMessage(TMessage& message) {
    if (message.Msg == CM_DIALOGKEY) {
        int key = int(message.WParam);
        if (((key == VK_RETURN && IsActiveDefault()) || (key == VK_ESCAPE && FCancel)) &&
            KeyboardShiftState().Empty() && CanFocus()) {
            Click();
            message.Result = 1;
        }
        return;
    }
    TButtonControl::HandleMessage(message);
}

// ===========================================================================
// TCustomCheckBox

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::Publish(TPublisher<TCustomCheckBox>& p) {
    static const TTypeInfo stateType =
        MakeEnumType("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
    p.Enum("Alignment", AlignmentType(), &TCustomCheckBox::Alignment,
           &TCustomCheckBox::SetAlignment)
        .Default(taRightJustify);
    p.Bool("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed)
        .Default(false);
    p.Bool("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Default(false);
    p.Enum("State", &stateType, &TCustomCheckBox::State, &TCustomCheckBox::SetState)
        .Default(cbUnchecked);
}

void TCustomCheckBox::SetState(TCheckBoxState value) {
    if (value == FState)
        return;
    FState = value;
    UpdateWidget();
    if (FClicksDisabled == 0)
        Click();
}

void TCustomCheckBox::SetAllowGrayed(bool value) {
    FAllowGrayed = value;
    if (auto* b = qobject_cast<QCheckBox*>(WidgetIfAllocated()))
        b->setTristate(value);
}

void TCustomCheckBox::SetAlignment(TAlignment value) {
    if (value == FAlignment)
        return;
    FAlignment = value;
    if (QWidget* w = WidgetIfAllocated())
        w->setLayoutDirection(value == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::ButtonClicked() {
    Toggle();
    UpdateWidget();
}

void TCustomCheckBox::UpdateWidget() {
    auto* b = qobject_cast<QCheckBox*>(WidgetIfAllocated());
    if (!b)
        return;
    QSignalBlocker block(b);
    b->setCheckState(FState == cbChecked  ? Qt::Checked
                     : FState == cbGrayed ? Qt::PartiallyChecked
                                          : Qt::Unchecked);
}

QWidget* TCustomCheckBox::CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) {
    auto* b = new TWholeButton<QCheckBox>(Q(params.Caption), parentWidget);
    b->setFocusPolicy(Qt::StrongFocus);
    ConnectButton(b);
    return b;
}

void TCustomCheckBox::AfterWindowCreated() {
    auto* b = qobject_cast<QCheckBox*>(WidgetIfAllocated());
    if (!b)
        return;
    b->setTristate(FAllowGrayed);
    b->setLayoutDirection(FAlignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
    UpdateWidget();
}

// ===========================================================================
// TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::Publish(TPublisher<TRadioButton>& p) {
    p.Enum("Alignment", AlignmentType(), &TRadioButton::Alignment, &TRadioButton::SetAlignment)
        .Default(taRightJustify);
    p.Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false);
}

void TRadioButton::SetChecked(bool value) {
    if (value == FChecked)
        return;
    FChecked = value;
    SetTabStop(value);
    UpdateWidget();
    if (!value)
        return;
    // The other radio buttons of the parent go off.
    if (TWinControl* p = Parent())
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(p->Controls(i)); r && r != this)
                r->SetChecked(false);
    if (FClicksDisabled == 0)
        Click();
}

void TRadioButton::SetAlignment(TAlignment value) {
    if (value == FAlignment)
        return;
    FAlignment = value;
    if (QWidget* w = WidgetIfAllocated())
        w->setLayoutDirection(value == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TRadioButton::ButtonClicked() {
    SetChecked(true);
    UpdateWidget();
}

void TRadioButton::UpdateWidget() {
    auto* b = qobject_cast<QRadioButton*>(WidgetIfAllocated());
    if (!b)
        return;
    QSignalBlocker block(b);
    b->setChecked(FChecked);
}

QWidget* TRadioButton::CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) {
    auto* b = new TWholeButton<QRadioButton>(Q(params.Caption), parentWidget);
    b->setAutoExclusive(false);
    b->setFocusPolicy(Qt::StrongFocus);
    ConnectButton(b);
    return b;
}

void TRadioButton::AfterWindowCreated() {
    if (!WidgetIfAllocated())
        return;
    WidgetIfAllocated()->setLayoutDirection(FAlignment == taLeftJustify ? Qt::RightToLeft
                                                                        : Qt::LeftToRight);
    UpdateWidget();
}

// ===========================================================================
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents,
                                  csSetCaption,      csDoubleClicks, csReplicatable};
    SetBounds(0, 0, 185, 105);
    EnsureAccelHook();
}

void TCustomGroupBox::Publish(TPublisher<TCustomGroupBox>& p) {
    p.String("Caption", &TCustomGroupBox::Caption, &TCustomGroupBox::SetCaption);
}

void TCustomGroupBox::PaintControl() {
    TCanvas* c = Canvas();
    c->Font()->AssignFrom(Font());
    int h = c->TextHeight("0");
    TRect r(0, h / 2 - 1, Width(), Height());
    DrawEdge(c, r, EDGE_ETCHED, BF_RECT);
    std::string text = Caption();
    if (text.empty())
        return;
    TRect t(8, 0, 0, h);
    c->DrawText(text, t, DT_SINGLELINE | DT_CALCRECT);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(t);
    c->Brush()->SetStyle(bsClear);
    if (!EffectivelyEnabled(this))
        c->Font()->SetColor(clGrayText);
    c->DrawText(text, t, DT_SINGLELINE);
}

void TCustomGroupBox::ArrangeChildren(TControl* control, TRect& rect) {
    rect.Top += TextHeightOf(Font());
    InflateRect(rect, -2, -2);
    TCustomControl::ArrangeChildren(control, rect);
}

void TCustomGroupBox::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_TEXTCHANGED:
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(char32_t(message.WParam), Caption()) && CanFocus()) {
            SelectNext(nullptr, true, true);
            message.Result = 1;
            return;
        }
        TCustomControl::HandleMessage(message);
        return;
    default:
        TCustomControl::HandleMessage(message);
    }
}

// ===========================================================================
// TCustomRadioGroup

namespace {
// A radio button of a radio group: its clicks count only while the group may change.
class TGroupButton : public TRadioButton {
public:
    TGroupButton(TCustomRadioGroup* group, std::function<bool()> canModify)
        : TRadioButton(group), FCanModify(std::move(canModify)) {}

protected:
    void ButtonClicked() override {
        if (FCanModify())
            TRadioButton::ButtonClicked();
        else
            UpdateWidgetState();
    }

private:
    void UpdateWidgetState() {
        if (auto* b = qobject_cast<QRadioButton*>(WidgetIfAllocated())) {
            QSignalBlocker block(b);
            b->setChecked(Checked());
        }
    }
    std::function<bool()> FCanModify;
};
} // namespace

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner)
    : TCustomGroupBox(owner), FItems(std::make_unique<TStringList>()) {
    FControlStyle.Exclude(csAcceptsControls);
    FItems->SetOnChange(TNotifyEvent([this](TObject* s) { ItemsChanged(s); }));
}

TCustomRadioGroup::~TCustomRadioGroup() {
    FItems->SetOnChange(TNotifyEvent());
}

void TCustomRadioGroup::Publish(TPublisher<TCustomRadioGroup>& p) {
    p.Integer("Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns).Default(1);
    p.Class("Items", TStrings::StaticClass(), &TCustomRadioGroup::Items,
            &TCustomRadioGroup::SetItems);
    p.Integer("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex)
        .Default(-1);
}

void TCustomRadioGroup::SetItems(const TStrings* value) {
    if (value)
        FItems->Assign(*value);
    else
        FItems->Clear();
}

void TCustomRadioGroup::SetItemIndex(int value) {
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
        FItemIndex = value;
        return;
    }
    value = std::clamp(value, -1, int(FButtons.size()) - 1);
    if (value == FItemIndex)
        return;
    if (FItemIndex >= 0 && FItemIndex < int(FButtons.size()))
        FButtons[FItemIndex]->SetChecked(false);
    FItemIndex = value;
    // Checking the button clicks it, and its click is the group's.
    if (FItemIndex >= 0)
        FButtons[FItemIndex]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(int value) {
    value = std::clamp(value, 1, 16);
    if (value == FColumns)
        return;
    FColumns = value;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ItemsChanged(TObject*) {
    if (ComponentState().Contains(csLoading))
        return;
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    UpdateButtons();
}

void TCustomRadioGroup::AfterLoad() {
    TCustomGroupBox::AfterLoad();
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    int n = FItems->Count();
    while (int(FButtons.size()) > n) {
        TRadioButton* b = FButtons.back();
        FButtons.pop_back();
        delete b;
    }
    while (int(FButtons.size()) < n) {
        auto* b = new TGroupButton(this, [this] { return CanModify(); });
        b->SetOnClick(
            TNotifyEvent([this](TObject* s) { ButtonClick(static_cast<TRadioButton*>(s)); }));
        b->SetParent(this);
        FButtons.push_back(b);
    }
    bool saved = FUpdating;
    FUpdating = true;
    try {
        for (int i = 0; i < n; ++i) {
            FButtons[i]->SetCaption(FItems->Get(i));
            FButtons[i]->SetChecked(i == FItemIndex);
            FButtons[i]->SetEnabled(true);
        }
    } catch (...) {
        FUpdating = saved;
        throw;
    }
    FUpdating = saved;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
    int n = int(FButtons.size());
    if (n == 0)
        return;
    int h = TextHeightOf(Font());
    int perColumn = (n + FColumns - 1) / FColumns;
    int width = (ClientWidth() - 10) / FColumns;
    int rest = ClientHeight() - h - 5;
    int height = rest / perColumn;
    int top = h + 1 + (rest % perColumn) / 2;
    for (int i = 0; i < n; ++i)
        FButtons[i]->SetBounds((i / perColumn) * width + 8, (i % perColumn) * height + top, width,
                               height);
}

void TCustomRadioGroup::ButtonClick(TRadioButton* button) {
    if (FUpdating)
        return;
    auto it = std::find(FButtons.begin(), FButtons.end(), button);
    if (it == FButtons.end())
        return;
    FItemIndex = int(it - FButtons.begin());
    Click();
}

void TCustomRadioGroup::HandleResize() {
    ArrangeButtons();
    TCustomGroupBox::HandleResize();
}

void TCustomRadioGroup::HandleMessage(TMessage& message) {
    if (message.Msg == CM_FONTCHANGED) {
        TCustomGroupBox::HandleMessage(message);
        ArrangeButtons();
        return;
    }
    TCustomGroupBox::HandleMessage(message);
}

// ===========================================================================
// TCustomListBox

namespace {
class TQtListWidget : public QListWidget {
public:
    using QListWidget::QListWidget;
    bool DeliverViewportEvent(QEvent* e) { return viewportEvent(e); }
};
} // namespace

// Draws the items through the list box and gives every row the list's item height.
class TListBoxDelegate : public QStyledItemDelegate {
public:
    TListBoxDelegate(TCustomListBox* list, QObject* parent)
        : QStyledItemDelegate(parent), FList(list) {}
    void Detach() { FList = nullptr; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        if (FList)
            s.setHeight(FList->ItemHeight());
        return s;
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!FList)
            return;
        TOwnerDrawState state;
        if (option.state & QStyle::State_Selected)
            state.Include(odSelected);
        if ((option.state & QStyle::State_HasFocus) && FList->Focused())
            state.Include(odFocused);
        if (!EffectivelyEnabled(FList))
            state.Include(odDisabled);
        QRect r = option.rect;
        try {
            FList->PaintItem(painter, index.row(),
                             TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()),
                             state);
        } catch (...) {
            WindowSystemDetail::HandleEventException();
        }
    }

private:
    TCustomListBox* FList;
};

namespace {
TQtListWidget* ListOf(const TWinControl* c) {
    return dynamic_cast<TQtListWidget*>(c->WidgetIfAllocated());
}
} // namespace

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TStringList>()),
      FCanvas(std::make_unique<TCanvas>()) {
    // The list selects on its own: no click from the mouse messages, no capture.
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    FColor = clWindow;
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(0, 0, 121, 97);
    FItems->SetOnChange(TNotifyEvent([this](TObject*) { ItemsChanged(); }));
}

TCustomListBox::~TCustomListBox() {
    FItems->SetOnChange(TNotifyEvent());
}

void TCustomListBox::Publish(TPublisher<TCustomListBox>& p) {
    static const TTypeInfo styleType =
        MakeEnumType("TListBoxStyle", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"});
    p.Integer("Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns).Default(0);
    p.Bool("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect)
        .Default(true);
    p.Bool("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight)
        .Default(false);
    p.Integer("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight);
    p.Class("Items", TStrings::StaticClass(), &TCustomListBox::Items, &TCustomListBox::SetItems);
    p.Bool("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect)
        .Default(false);
    p.Bool("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
    p.Enum("Style", &styleType, &TCustomListBox::Style, &TCustomListBox::SetStyle)
        .Default(lbStandard);
    p.Event("OnDrawItem", &TCustomListBox::OnDrawItem, &TCustomListBox::SetOnDrawItem);
}

QListWidget* TCustomListBox::ListWidget() {
    return qobject_cast<QListWidget*>(Widget());
}

void TCustomListBox::SetItems(const TStrings* value) {
    if (value)
        FItems->Assign(*value);
    else
        FItems->Clear();
}

void TCustomListBox::Clear() {
    FItems->Clear();
}

void TCustomListBox::SetSorted(bool value) {
    if (value == FSorted)
        return;
    FSorted = value;
    FItems->SetSorted(value);
}

void TCustomListBox::ItemsChanged() {
    int n = FItems->Count();
    FSelected.resize(size_t(n), false);
    if (FItemIndex >= n)
        FItemIndex = -1;
    if (n == 0)
        FItemIndex = -1;
    ApplyItems();
}

void TCustomListBox::ApplyItems() {
    TQtListWidget* w = ListOf(this);
    if (!w)
        return;
    TSettingGuard g(FSetting);
    QSignalBlocker block(w);
    QSignalBlocker blockModel(w->selectionModel());
    int top = TopIndex();
    w->clear();
    QStringList l;
    for (int i = 0; i < FItems->Count(); ++i)
        l << Q(FItems->Get(i));
    w->addItems(l);
    ApplySelection();
    if (top > 0 && top < FItems->Count())
        w->scrollToItem(w->item(top), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::ApplySelection() {
    TQtListWidget* w = ListOf(this);
    if (!w)
        return;
    TSettingGuard g(FSetting);
    QSignalBlocker block(w);
    QSignalBlocker blockModel(w->selectionModel());
    if (FMultiSelect) {
        for (int i = 0; i < w->count(); ++i)
            w->item(i)->setSelected(i < int(FSelected.size()) && FSelected[size_t(i)]);
        if (FItemIndex >= 0)
            w->setCurrentRow(FItemIndex, QItemSelectionModel::NoUpdate);
    } else {
        w->setCurrentRow(FItemIndex);
        if (FItemIndex < 0)
            w->clearSelection();
    }
    w->viewport()->update();
}

void TCustomListBox::ReadSelection() {
    TQtListWidget* w = ListOf(this);
    if (!w)
        return;
    FItemIndex = w->currentRow();
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    FSelected.assign(size_t(FItems->Count()), false);
    for (QListWidgetItem* item : w->selectedItems()) {
        int row = w->row(item);
        if (row >= 0 && row < int(FSelected.size()))
            FSelected[size_t(row)] = true;
    }
    if (!FMultiSelect && FItemIndex >= 0 && !FSelected[size_t(FItemIndex)])
        FItemIndex = -1;
}

int TCustomListBox::ItemIndex() const {
    return FItemIndex;
}

void TCustomListBox::SetItemIndex(int value) {
    value = std::clamp(value, -1, FItems->Count() - 1);
    FItemIndex = value;
    if (!FMultiSelect)
        std::fill(FSelected.begin(), FSelected.end(), false);
    ApplySelection();
    if (value >= 0)
        MakeVisible(value);
}

void TCustomListBox::SetMultiSelect(bool value) {
    if (value == FMultiSelect)
        return;
    FMultiSelect = value;
    RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool value) {
    if (value == FExtendedSelect)
        return;
    FExtendedSelect = value;
    RecreateWnd();
}

bool TCustomListBox::Selected(int index) const {
    if (index < 0 || index >= FItems->Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    if (!FMultiSelect)
        return index == FItemIndex;
    return FSelected[size_t(index)];
}

void TCustomListBox::SetSelected(int index, bool value) {
    if (index < 0 || index >= FItems->Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    if (!FMultiSelect) {
        if (value)
            SetItemIndex(index);
        else if (index == FItemIndex)
            SetItemIndex(-1);
        return;
    }
    FSelected[size_t(index)] = value;
    ApplySelection();
}

int TCustomListBox::SelCount() const {
    if (!FMultiSelect)
        return -1;
    return int(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::ClearSelection() {
    if (!FMultiSelect) {
        SetItemIndex(-1);
        return;
    }
    std::fill(FSelected.begin(), FSelected.end(), false);
    ApplySelection();
}

void TCustomListBox::SelectAll() {
    if (!FMultiSelect)
        return;
    std::fill(FSelected.begin(), FSelected.end(), true);
    ApplySelection();
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
    if (value == FStyle)
        return;
    FStyle = value;
    if (TQtListWidget* w = ListOf(this))
        w->doItemsLayout();
}

int TCustomListBox::ItemHeight() const {
    if (FStyle == lbStandard && HandleAllocated())
        return TextHeightOf(Font());
    return FItemHeight;
}

void TCustomListBox::SetItemHeight(int value) {
    if (value <= 0 || value == FItemHeight)
        return;
    FItemHeight = value;
    if (TQtListWidget* w = ListOf(this))
        w->doItemsLayout();
}

void TCustomListBox::SetIntegralHeight(bool value) {
    FIntegralHeight = value;
}

void TCustomListBox::SetBorderStyle(TBorderStyle value) {
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    if (TQtListWidget* w = ListOf(this))
        w->setFrameShape(value == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

int TCustomListBox::TopIndex() const {
    TQtListWidget* w = ListOf(this);
    if (!w)
        return FTopIndex;
    QModelIndex i = w->indexAt(QPoint(1, 1));
    return i.isValid() ? i.row() : 0;
}

void TCustomListBox::SetTopIndex(int value) {
    FTopIndex = std::max(0, value);
    TQtListWidget* w = ListOf(this);
    if (w && value >= 0 && value < w->count())
        w->scrollToItem(w->item(value), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::MakeVisible(int index) {
    TQtListWidget* w = ListOf(this);
    if (w && index >= 0 && index < w->count())
        w->scrollToItem(w->item(index), QAbstractItemView::EnsureVisible);
}

int TCustomListBox::ItemAtPos(const TPoint& pos, bool existing) const {
    TQtListWidget* w = ListOf(this);
    int index = -1;
    if (w) {
        QPoint vp = w->viewport()->mapFrom(w, QPoint(pos.X, pos.Y));
        if (w->viewport()->rect().contains(vp)) {
            QModelIndex i = w->indexAt(vp);
            if (i.isValid())
                index = i.row();
        }
    } else {
        int border = FBorderStyle == bsNone ? 0 : 2;
        int h = ItemHeight();
        if (h > 0 && pos.Y >= border && pos.X >= border && pos.X < Width() - border) {
            int i = (pos.Y - border) / h + FTopIndex;
            if (i < Count())
                index = i;
        }
    }
    if (index >= 0)
        return index;
    return existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int index) const {
    TQtListWidget* w = ListOf(this);
    if (index < 0 || index >= Count())
        return TRect();
    if (!w) {
        int border = FBorderStyle == bsNone ? 0 : 2;
        int h = ItemHeight();
        int top = border + (index - FTopIndex) * h;
        return TRect(border, top, Width() - border, top + h);
    }
    QRect r = w->visualItemRect(w->item(index));
    QPoint o = w->viewport()->mapTo(w, r.topLeft());
    return TRect(o.x(), o.y(), o.x() + r.width(), o.y() + r.height());
}

int TCustomListBox::FindItemStarting(const std::string& text, int start) const {
    int n = Count();
    if (n == 0)
        return -1;
    QString prefix = Q(text);
    for (int k = 1; k <= n; ++k) {
        int i = ((start < 0 ? -1 : start) + k) % n;
        if (Q(FItems->Get(i)).startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

void TCustomListBox::PaintItem(QPainter* painter, int index, const TRect& rect,
                               TOwnerDrawState state) {
    if (index < 0 || index >= Count())
        return;
    TCanvas* c = FCanvas.get();
    c->AttachPainter(painter);
    try {
        c->Font()->AssignFrom(Font());
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        if (state.Contains(odSelected)) {
            c->Brush()->SetColor(clHighlight);
            c->Font()->SetColor(clHighlightText);
        }
        DrawItem(index, rect, state);
        if (state.Contains(odFocused))
            c->DrawFocusRect(rect);
    } catch (...) {
        c->AttachPainter(nullptr);
        throw;
    }
    c->AttachPainter(nullptr);
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
    if (FOnDrawItem) {
        FOnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas* c = FCanvas.get();
    c->FillRect(rect);
    if (state.Contains(odDisabled))
        c->Font()->SetColor(clGrayText);
    c->TextOut(rect.Left + 2, rect.Top, FItems->Get(index));
}

void TCustomListBox::SelectionChangedByUser() {
    Click();
}

QWidget* TCustomListBox::CreateNativeWidget(const TCreateParams&, QWidget* parentWidget) {
    auto* w = new TQtListWidget(parentWidget);
    w->setContextMenuPolicy(Qt::NoContextMenu);
    w->setFocusPolicy(Qt::StrongFocus);
    w->setUniformItemSizes(true);
    w->setItemDelegate(new TListBoxDelegate(this, w));
    w->setSelectionMode(!FMultiSelect     ? QAbstractItemView::SingleSelection
                        : FExtendedSelect ? QAbstractItemView::ExtendedSelection
                                          : QAbstractItemView::MultiSelection);
    w->setFrameShape(FBorderStyle == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
    w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new TViewportFilter(this, w->viewport(), &FViewportEvent);
    QObject::connect(w, &QListWidget::itemSelectionChanged, w, [this] {
        if (FSetting != 0)
            return;
        ReadSelection();
        if (!HandleAllocated())
            return;
        WPARAM wp = MAKEWPARAM(0, int(LBN_SELCHANGE));
        LPARAM lp = LPARAM(Handle());
        if (Parent() && Parent()->HandleAllocated())
            Parent()->Perform(WM_COMMAND, wp, lp);
        else
            Perform(CN_COMMAND, wp, lp);
    });
    return w;
}

void TCustomListBox::AfterWindowCreated() {
    ApplyItems();
    if (FTopIndex > 0)
        SetTopIndex(FTopIndex);
}

void TCustomListBox::BeforeWindowDestroyed() {
    FTopIndex = TopIndex();
    TQtListWidget* w = ListOf(this);
    if (!w)
        return;
    for (QObject* child : w->viewport()->children())
        if (auto* f = dynamic_cast<TViewportFilter*>(child))
            f->Detach();
    if (auto* d = dynamic_cast<TListBoxDelegate*>(w->itemDelegate()))
        d->Detach();
}

void TCustomListBox::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == LBN_SELCHANGE) {
            SelectionChangedByUser();
            return;
        }
        if (HIWORD(message.WParam) == LBN_DBLCLK) {
            DblClick();
            return;
        }
        break;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_LBUTTONDBLCLK: {
        TWinControl::HandleMessage(message);
        TPoint p(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        if (ItemAtPos(p, true) >= 0 && HandleAllocated()) {
            WPARAM wp = MAKEWPARAM(0, int(LBN_DBLCLK));
            if (Parent() && Parent()->HandleAllocated())
                Parent()->Perform(WM_COMMAND, wp, LPARAM(Handle()));
            else
                Perform(CN_COMMAND, wp, LPARAM(Handle()));
        }
        return;
    }
    case LB_GETCURSEL:
        message.Result = FItemIndex;
        return;
    case LB_SETCURSEL:
        SetItemIndex(int(intptr_t(message.WParam)));
        message.Result = FItemIndex;
        return;
    case LB_FINDSTRING:
    case LB_SELECTSTRING: {
        const char* text = reinterpret_cast<const char*>(message.LParam);
        int start = int(intptr_t(message.WParam));
        if (start >= Count() || start == 65535)
            start = -1;
        int i = text ? FindItemStarting(text, start) : -1;
        if (i >= 0 && message.Msg == LB_SELECTSTRING)
            SetItemIndex(i);
        message.Result = i >= 0 ? i : LB_ERR;
        return;
    }
    case LB_ITEMFROMPOINT: {
        TPoint p(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        int i = ItemAtPos(p, true);
        message.Result = i >= 0 ? i : MAKELPARAM(std::max(0, Count() - 1), 1);
        return;
    }
    case CM_FONTCHANGED:
        TWinControl::HandleMessage(message);
        if (TQtListWidget* w = ListOf(this))
            w->doItemsLayout();
        return;
    default:
        break;
    }
    TWinControl::HandleMessage(message);
}

void TCustomListBox::DefaultHandler(TMessage& message) {
    if (message.Origin && message.Origin == FViewportEvent) {
        auto* e = static_cast<QEvent*>(message.Origin);
        message.Origin = nullptr;
        if (TQtListWidget* w = ListOf(this))
            w->DeliverViewportEvent(e);
        return;
    }
    TWinControl::DefaultHandler(message);
}

// ===========================================================================
// TCustomComboBox

// The combo box's widget: tells the control when its list opens and closes.
class TComboPopupWatcher : public QComboBox {
public:
    TComboPopupWatcher(TCustomComboBox* owner, QWidget* parent)
        : QComboBox(parent), FOwner(owner) {}
    void Detach() { FOwner = nullptr; }
    void showPopup() override {
        if (FOwner) {
            try {
                FOwner->DropDown();
            } catch (...) {
                WindowSystemDetail::HandleEventException();
            }
        }
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (FOwner) {
            try {
                FOwner->CloseUp();
            } catch (...) {
                WindowSystemDetail::HandleEventException();
            }
        }
    }

private:
    TCustomComboBox* FOwner;
};

namespace {
TComboPopupWatcher* ComboOf(const TWinControl* c) {
    return dynamic_cast<TComboPopupWatcher*>(c->WidgetIfAllocated());
}
} // namespace

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TStringList>()) {
    FControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight};
    FColor = clWindow;
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(0, 0, 145, 21);
    FItems->SetOnChange(TNotifyEvent([this](TObject*) { ItemsChanged(); }));
}

TCustomComboBox::~TCustomComboBox() {
    FItems->SetOnChange(TNotifyEvent());
}

void TCustomComboBox::Publish(TPublisher<TCustomComboBox>& p) {
    static const TTypeInfo styleType =
        MakeEnumType("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList",
                                        "csOwnerDrawFixed", "csOwnerDrawVariable"});
    p.Enum("Style", &styleType, &TCustomComboBox::Style, &TCustomComboBox::SetStyle)
        .Default(csDropDown);
    p.Integer("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount)
        .Default(8);
    p.Integer("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight);
    p.Integer("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Default(0);
    p.Bool("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false);
    p.Class("Items", TStrings::StaticClass(), &TCustomComboBox::Items, &TCustomComboBox::SetItems);
    p.String("Text", &TCustomComboBox::Text, &TCustomComboBox::SetText);
    p.Integer("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
    p.Event("OnChange", &TCustomComboBox::OnChange, &TCustomComboBox::SetOnChange);
    p.Event("OnCloseUp", &TCustomComboBox::OnCloseUp, &TCustomComboBox::SetOnCloseUp);
    p.Event("OnDropDown", &TCustomComboBox::OnDropDown, &TCustomComboBox::SetOnDropDown);
    p.Event("OnSelect", &TCustomComboBox::OnSelect, &TCustomComboBox::SetOnSelect);
}

QComboBox* TCustomComboBox::ComboWidget() {
    return qobject_cast<QComboBox*>(Widget());
}

void TCustomComboBox::SetItems(const TStrings* value) {
    if (value)
        FItems->Assign(*value);
    else
        FItems->Clear();
}

void TCustomComboBox::Clear() {
    FItems->Clear();
    SetText("");
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
    if (value == FStyle)
        return;
    FStyle = value;
    RecreateWnd();
}

void TCustomComboBox::ItemsChanged() {
    if (ComponentState().Contains(csLoading))
        return;
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    ApplyItems();
}

void TCustomComboBox::ApplyItems() {
    TComboPopupWatcher* w = ComboOf(this);
    if (!w)
        return;
    TSettingGuard g(FSetting);
    QSignalBlocker block(w);
    QString text = w->isEditable() ? w->currentText() : QString();
    w->clear();
    QStringList l;
    for (int i = 0; i < FItems->Count(); ++i)
        l << Q(FItems->Get(i));
    w->addItems(l);
    w->setCurrentIndex(FItemIndex);
    if (w->isEditable() && FItemIndex < 0)
        w->setEditText(text);
}

void TCustomComboBox::SetItemIndex(int value) {
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
        FItemIndex = value;
        return;
    }
    value = std::clamp(value, -1, FItems->Count() - 1);
    FItemIndex = value;
    FText = value >= 0 ? FItems->Get(value) : std::string();
    if (TComboPopupWatcher* w = ComboOf(this)) {
        TSettingGuard g(FSetting);
        QSignalBlocker block(w);
        w->setCurrentIndex(value);
        if (w->isEditable())
            w->setEditText(Q(FText));
    }
}

std::string TCustomComboBox::Text() const {
    if (FStyle == csDropDownList || FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)
        return FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItems->Get(FItemIndex) : "";
    if (TComboPopupWatcher* w = ComboOf(this))
        return S(w->currentText());
    return FText;
}

void TCustomComboBox::SetText(const std::string& value) {
    if (FStyle == csDropDownList || FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) {
        int i = FItems->IndexOf(value);
        if (i >= 0)
            SetItemIndex(i);
        return;
    }
    if (value == Text())
        return;
    FText = value;
    if (TComboPopupWatcher* w = ComboOf(this)) {
        TSettingGuard g(FSetting);
        QSignalBlocker block(w);
        w->setEditText(Q(value));
    }
    TextChanged();
}

void TCustomComboBox::SetDropDownCount(int value) {
    FDropDownCount = std::max(1, value);
    if (TComboPopupWatcher* w = ComboOf(this))
        w->setMaxVisibleItems(FDropDownCount);
}

void TCustomComboBox::SetSorted(bool value) {
    if (value == FSorted)
        return;
    FSorted = value;
    FItems->SetSorted(value);
}

void TCustomComboBox::SetMaxLength(int value) {
    FMaxLength = std::max(0, value);
    if (TComboPopupWatcher* w = ComboOf(this); w && w->lineEdit())
        w->lineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : kNoQtLimit);
}

bool TCustomComboBox::DroppedDown() const {
    TComboPopupWatcher* w = ComboOf(this);
    return w && w->view() && w->view()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool value) {
    QComboBox* w = ComboWidget();
    if (value && !DroppedDown())
        w->showPopup();
    else if (!value && DroppedDown())
        w->hidePopup();
}

void TCustomComboBox::SelectAll() {
    if (TComboPopupWatcher* w = ComboOf(this); w && w->lineEdit())
        w->lineEdit()->selectAll();
}

void TCustomComboBox::Change() {
    if (FOnChange)
        FOnChange(this);
}

void TCustomComboBox::Select() {
    if (FOnSelect)
        FOnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown() {
    if (FOnDropDown)
        FOnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (FOnCloseUp)
        FOnCloseUp(this);
}

void TCustomComboBox::UserActivated(int index) {
    if (index < 0 || index >= FItems->Count())
        return;
    FItemIndex = index;
    FText = FItems->Get(index);
    if (!HandleAllocated())
        return;
    WPARAM wp = MAKEWPARAM(0, int(CBN_SELCHANGE));
    if (Parent() && Parent()->HandleAllocated())
        Parent()->Perform(WM_COMMAND, wp, LPARAM(Handle()));
    else
        Perform(CN_COMMAND, wp, LPARAM(Handle()));
}

void TCustomComboBox::UserEdited() {
    if (TComboPopupWatcher* w = ComboOf(this))
        FText = S(w->currentText());
    if (!HandleAllocated())
        return;
    WPARAM wp = MAKEWPARAM(0, int(kCbnEditChange));
    if (Parent() && Parent()->HandleAllocated())
        Parent()->Perform(WM_COMMAND, wp, LPARAM(Handle()));
    else
        Perform(CN_COMMAND, wp, LPARAM(Handle()));
}

QWidget* TCustomComboBox::CreateNativeWidget(const TCreateParams&, QWidget* parentWidget) {
    auto* w = new TComboPopupWatcher(this, parentWidget);
    w->setContextMenuPolicy(Qt::NoContextMenu);
    UseDisabledGray(w);
    w->setFocusPolicy(Qt::StrongFocus);
    bool editable = FStyle == csDropDown || FStyle == csSimple;
    w->setEditable(editable);
    w->setInsertPolicy(QComboBox::NoInsert);
    w->setMaxVisibleItems(FDropDownCount);
    if (editable) {
        w->setCompleter(nullptr);
        w->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
        w->lineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : kNoQtLimit);
        QObject::connect(w->lineEdit(), &QLineEdit::textEdited, w, [this] {
            if (FSetting == 0)
                try {
                    UserEdited();
                } catch (...) {
                    WindowSystemDetail::HandleEventException();
                }
        });
    }
    QObject::connect(w, qOverload<int>(&QComboBox::activated), w, [this](int index) {
        if (FSetting == 0)
            UserActivated(index);
    });
    return w;
}

void TCustomComboBox::AfterWindowCreated() {
    ApplyItems();
    TComboPopupWatcher* w = ComboOf(this);
    if (w && w->isEditable() && FItemIndex < 0) {
        TSettingGuard g(FSetting);
        QSignalBlocker block(w);
        w->setEditText(Q(FText));
    }
}

void TCustomComboBox::BeforeWindowDestroyed() {
    if (TComboPopupWatcher* w = ComboOf(this)) {
        if (w->isEditable())
            FText = S(w->currentText());
        w->Detach();
    }
}

void TCustomComboBox::AfterLoad() {
    TWinControl::AfterLoad();
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    int index = FItemIndex;
    FItemIndex = -2;
    SetItemIndex(index);
}

void TCustomComboBox::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        switch (HIWORD(message.WParam)) {
        case CBN_SELCHANGE:
            Click();
            Select();
            return;
        case kCbnEditChange:
            Change();
            return;
        default:
            break;
        }
        break;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    default:
        break;
    }
    TWinControl::HandleMessage(message);
}

// ===========================================================================
// TScrollBar

namespace {
QScrollBar* ScrollOf(const TWinControl* c) {
    return qobject_cast<QScrollBar*>(c->WidgetIfAllocated());
}
} // namespace

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
    FControlStyle = TControlStyle{csFramed, csDoubleClicks, csOpaque};
    SetTabStop(true);
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
}

void TScrollBar::Publish(TPublisher<TScrollBar>& p) {
    static const TTypeInfo kindType =
        MakeEnumType("TScrollBarKind", {"sbHorizontal", "sbVertical"});
    p.Enum("Kind", &kindType, &TScrollBar::Kind, &TScrollBar::SetKind).Default(sbHorizontal);
    p.Integer("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange).Default(1);
    p.Integer("Max", &TScrollBar::Max, &TScrollBar::SetMax).Default(100);
    p.Integer("Min", &TScrollBar::Min, &TScrollBar::SetMin).Default(0);
    p.Integer("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize).Default(0);
    p.Integer("Position", &TScrollBar::Position, &TScrollBar::SetPosition).Default(0);
    p.Integer("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange).Default(1);
    p.Event("OnChange", &TScrollBar::OnChange, &TScrollBar::SetOnChange);
    p.Event("OnScroll", &TScrollBar::OnScroll, &TScrollBar::SetOnScroll);
}

QScrollBar* TScrollBar::ScrollWidget() {
    return qobject_cast<QScrollBar*>(Widget());
}

void TScrollBar::SetKind(TScrollBarKind value) {
    if (value == FKind)
        return;
    FKind = value;
    if (!ComponentState().Contains(csLoading))
        SetBounds(Left(), Top(), Height(), Width());
    RecreateWnd();
}

void TScrollBar::SetParams(int position, int min, int max) {
    if (max < min)
        throw EInvalidOperation("Scrollbar property out of range");
    position = std::clamp(position, min, max);
    bool rangeChanged = min != FMin || max != FMax;
    FMin = min;
    FMax = max;
    if (rangeChanged)
        ApplyParams();
    if (position != FPosition) {
        FPosition = position;
        ApplyParams();
        Change();
    }
}

void TScrollBar::SetPageSize(int value) {
    FPageSize = std::max(0, value);
    ApplyParams();
}

void TScrollBar::ApplyParams() {
    QScrollBar* s = ScrollOf(this);
    if (!s)
        return;
    TSettingGuard g(FSetting);
    QSignalBlocker block(s);
    s->setRange(FMin, std::max(FMin, FMax - std::max(0, FPageSize - 1)));
    s->setSingleStep(FSmallChange);
    s->setPageStep(std::max(1, FPageSize > 0 ? FPageSize : FLargeChange));
    s->setValue(FPosition);
    s->setSliderPosition(FPosition);
}

void TScrollBar::Change() {
    if (FOnChange)
        FOnChange(this);
}

void TScrollBar::Scroll(TScrollCode code, int& position) {
    if (FOnScroll)
        FOnScroll(this, code, position);
}

void TScrollBar::DoScroll(TScrollCode code, int trackPosition) {
    int pos = FPosition;
    switch (code) {
    case scLineUp:
        pos -= FSmallChange;
        break;
    case scLineDown:
        pos += FSmallChange;
        break;
    case scPageUp:
        pos -= FLargeChange;
        break;
    case scPageDown:
        pos += FLargeChange;
        break;
    case scPosition:
    case scTrack:
        pos = trackPosition;
        break;
    case scTop:
        pos = FMin;
        break;
    case scBottom:
        pos = FMax;
        break;
    case scEndScroll:
        break;
    }
    pos = std::clamp(pos, FMin, FMax);
    Scroll(code, pos);
    SetPosition(pos);
}

void TScrollBar::UserAction(int action) {
    QScrollBar* s = ScrollOf(this);
    if (!s)
        return;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        DoScroll(scLineDown, 0);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        DoScroll(scLineUp, 0);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        DoScroll(scPageDown, 0);
        break;
    case QAbstractSlider::SliderPageStepSub:
        DoScroll(scPageUp, 0);
        break;
    case QAbstractSlider::SliderToMinimum:
        DoScroll(scTop, 0);
        break;
    case QAbstractSlider::SliderToMaximum:
        DoScroll(scBottom, 0);
        break;
    case QAbstractSlider::SliderMove:
        DoScroll(scTrack, s->sliderPosition());
        break;
    default:
        return;
    }
    // Qt sets its value from the slider position once this returns.
    TSettingGuard g(FSetting);
    QSignalBlocker block(s);
    s->setSliderPosition(FPosition);
}

void TScrollBar::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TWinControl::HandleKeyDown(key, shift);
    TScrollCode code;
    switch (key) {
    case VK_LEFT:
    case VK_UP:
        code = scLineUp;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        code = scLineDown;
        break;
    case VK_PRIOR:
        code = scPageUp;
        break;
    case VK_NEXT:
        code = scPageDown;
        break;
    case VK_HOME:
        code = scTop;
        break;
    case VK_END:
        code = scBottom;
        break;
    default:
        return;
    }
    key = 0;
    DoScroll(code, 0);
}

QWidget* TScrollBar::CreateNativeWidget(const TCreateParams&, QWidget* parentWidget) {
    auto* s = new QScrollBar(FKind == sbHorizontal ? Qt::Horizontal : Qt::Vertical, parentWidget);
    s->setFocusPolicy(Qt::StrongFocus);
    s->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(s, &QAbstractSlider::actionTriggered, s, [this](int action) {
        if (FSetting != 0)
            return;
        try {
            UserAction(action);
        } catch (...) {
            WindowSystemDetail::HandleEventException();
        }
    });
    QObject::connect(s, &QAbstractSlider::sliderReleased, s, [this] {
        if (FSetting != 0)
            return;
        try {
            DoScroll(scPosition, FPosition);
            DoScroll(scEndScroll, 0);
        } catch (...) {
            WindowSystemDetail::HandleEventException();
        }
    });
    return s;
}

void TScrollBar::AfterWindowCreated() {
    ApplyParams();
}

// ===========================================================================

namespace {
const bool kRegistered = [] {
    RegisterClasses({TLabel::StaticClass(), TStaticText::StaticClass(), TEdit::StaticClass(),
                     TMemo::StaticClass(), TButton::StaticClass(), TCheckBox::StaticClass(),
                     TRadioButton::StaticClass(), TGroupBox::StaticClass(),
                     TRadioGroup::StaticClass(), TListBox::StaticClass(), TComboBox::StaticClass(),
                     TScrollBar::StaticClass()});
    return true;
}();
} // namespace
