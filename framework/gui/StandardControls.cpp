#include "framework/gui/StandardControls.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/ControlHelpers.h"
#include "framework/gui/WindowSystem.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QImage>
#include <QKeySequence>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QString>

#include <algorithm>

using namespace ControlHelpers;

namespace {

char32_t LowerChar(char32_t ch) {
    if (ch > 0xFFFF)
        return ch;
    return char32_t(QChar(char16_t(ch)).toLower().unicode());
}

// DrawText with DT_CALCRECT in the font.
TRect CalcTextRect(const TFont* font, const std::string& text, TRect rect, unsigned flags) {
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
    if (StoreChanged(FAlignment, value))
        Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value) {
    if (StoreChanged(FLayout, value))
        Invalidate();
}

void TCustomLabel::SetAutoSize(bool value) {
    if (StoreChanged(FAutoSize, value))
        AdjustBounds();
}

void TCustomLabel::SetWordWrap(bool value) {
    if (!StoreChanged(FWordWrap, value))
        return;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
    if (StoreChanged(FTransparent, value))
        Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
    if (!StoreChanged(FShowAccelChar, value))
        return;
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
        rect = CalcTextRect(Font(), text, rect, flags);
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
    if (StoreChanged(FAlignment, value))
        Invalidate();
}

void TCustomStaticText::SetAutoSize(bool value) {
    if (StoreChanged(FAutoSize, value))
        AdjustBounds();
}

void TCustomStaticText::SetBorderStyle(TStaticBorderStyle value) {
    if (!StoreChanged(FBorderStyle, value))
        return;
    AdjustBounds();
    Invalidate();
}

void TCustomStaticText::SetShowAccelChar(bool value) {
    if (!StoreChanged(FShowAccelChar, value))
        return;
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
            CallFromQt([this] { ButtonClicked(); });
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
    if (!StoreChanged(FState, value))
        return;
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
    if (!StoreChanged(FAlignment, value))
        return;
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
    if (!StoreChanged(FChecked, value))
        return;
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
    if (!StoreChanged(FAlignment, value))
        return;
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
    AssignStrings(*FItems, value);
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
    if (!StoreChanged(FColumns, value))
        return;
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
// TScrollBar

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
    if (!StoreChanged(FKind, value))
        return;
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
    QScrollBar* s = WidgetOf<QScrollBar>(this);
    if (!s)
        return;
    TProgramChange change(FSetting, s);
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
    QScrollBar* s = WidgetOf<QScrollBar>(this);
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
    TProgramChange change(FSetting, s);
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
        if (FSetting == 0)
            CallFromQt([this, action] { UserAction(action); });
    });
    QObject::connect(s, &QAbstractSlider::sliderReleased, s, [this] {
        if (FSetting != 0)
            return;
        CallFromQt([this] {
            DoScroll(scPosition, FPosition);
            DoScroll(scEndScroll, 0);
        });
    });
    return s;
}

void TScrollBar::AfterWindowCreated() {
    ApplyParams();
}

// ===========================================================================

namespace {
const bool kRegistered = [] {
    RegisterClasses({TLabel::StaticClass(), TStaticText::StaticClass(), TButton::StaticClass(),
                     TCheckBox::StaticClass(), TRadioButton::StaticClass(),
                     TGroupBox::StaticClass(), TRadioGroup::StaticClass(),
                     TScrollBar::StaticClass()});
    return true;
}();
} // namespace
