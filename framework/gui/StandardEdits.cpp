#include "framework/gui/StandardControls.h"

#include "framework/gui/ControlHelpers.h"
#include "framework/gui/WindowSystem.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QString>
#include <QTextCursor>

#include <algorithm>

using namespace ControlHelpers;

// ===========================================================================
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
    StartInputControl(this, FColor, 121, 25);
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
std::string ApplyCharCase(const std::string& s, TEditCharCase charCase) {
    if (charCase == ecUpperCase)
        return S(Q(s).toUpper());
    if (charCase == ecLowerCase)
        return S(Q(s).toLower());
    return s;
}
} // namespace

std::string TCustomEdit::Text() const {
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
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
    if (QLineEdit* le = WidgetOf<QLineEdit>(this)) {
        TProgramChange change(FSetting, le);
        le->setText(Q(value));
    }
}

void TCustomEdit::NotifyChange() {
    NotifyParent(this, EN_CHANGE);
}

void TCustomEdit::Change() {
    if (FOnChange)
        FOnChange(this);
}

void TCustomEdit::UserEdited() {
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
        FText = S(le->text());
    FModified = true;
    NotifyChange();
}

void TCustomEdit::EditAsUser(const std::function<void()>& edit) {
    {
        TSettingGuard g(FSetting);
        edit();
    }
    UserEdited();
}

void TCustomEdit::SetMaxLength(int value) {
    FMaxLength = std::max(0, value);
}

void TCustomEdit::SetReadOnly(bool value) {
    FReadOnly = value;
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
        le->setReadOnly(value);
}

void TCustomEdit::SetAutoSize(bool value) {
    if (StoreChanged(FAutoSize, value))
        AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
    if (!FAutoSize || FBorderStyle != bsSingle || ComponentState().Contains(csLoading))
        return;
    SetHeight(TextHeightOf(Font()) + 8);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
    if (!StoreChanged(FBorderStyle, value))
        return;
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
        le->setFrame(value != bsNone);
    AdjustHeight();
    ApplyEditRect();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
    if (!StoreChanged(FCharCase, value))
        return;
    if (value != ecNormal)
        SetText(Text());
}

void TCustomEdit::SetPasswordChar(char32_t value) {
    FPasswordChar = value;
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
        le->setEchoMode(value ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetAlignment(TAlignment value) {
    if (StoreChanged(FAlignment, value))
        RecreateWnd();
}

bool TCustomEdit::Modified() const {
    return FModified;
}

void TCustomEdit::SetModified(bool value) {
    FModified = value;
}

int TCustomEdit::SelStart() const {
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
        return le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
    return FSelStart;
}

void TCustomEdit::SetSelStart(int value) {
    int len = int(Q(Text()).size());
    value = std::clamp(value, 0, len);
    FSelStart = value;
    FSelLength = 0;
    if (QLineEdit* le = WidgetOf<QLineEdit>(this)) {
        QSignalBlocker block(le);
        le->deselect();
        le->setCursorPosition(value);
    }
}

int TCustomEdit::SelLength() const {
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
        return le->selectionLength();
    return FSelLength;
}

void TCustomEdit::SetSelLength(int value) {
    int start = SelStart();
    int len = int(Q(Text()).size());
    value = std::clamp(value, -start, len - start);
    FSelStart = start;
    FSelLength = value;
    if (QLineEdit* le = WidgetOf<QLineEdit>(this)) {
        QSignalBlocker block(le);
        le->setSelection(start, value);
    }
}

std::string TCustomEdit::SelText() const {
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
        return S(le->selectedText());
    QString t = Q(FText);
    return S(t.mid(FSelStart, FSelLength));
}

void TCustomEdit::SetSelText(const std::string& value) {
    if (QLineEdit* le = WidgetOf<QLineEdit>(this)) {
        {
            TProgramChange change(FSetting, le);
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
    if (QLineEdit* le = WidgetOf<QLineEdit>(this)) {
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
    QLineEdit* le = WidgetOf<QLineEdit>(this);
    return le && le->isUndoAvailable();
}

int TCustomEdit::CaretPos() const {
    QLineEdit* le = WidgetOf<QLineEdit>(this);
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
    QLineEdit* le = WidgetOf<QLineEdit>(this);
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
            CallFromQt([this] { UserEdited(); });
    });
    return le;
}

void TCustomEdit::AfterWindowCreated() {
    QLineEdit* le = WidgetOf<QLineEdit>(this);
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
    if (QLineEdit* le = WidgetOf<QLineEdit>(this)) {
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
    QLineEdit* le = WidgetOf<QLineEdit>(this);
    if (!le || !le->hasSelectedText())
        return;
    if (!CanModify()) {
        le->copy();
        return;
    }
    le->cut();
}

void TCustomEdit::HandlePaste(TMessage&) {
    QLineEdit* le = WidgetOf<QLineEdit>(this);
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
    if (!text.isEmpty() || le->hasSelectedText())
        EditAsUser([le, &text] { le->insert(text); });
}

void TCustomEdit::HandleClear(TMessage&) {
    QLineEdit* le = WidgetOf<QLineEdit>(this);
    if (le && CanModify() && le->hasSelectedText())
        EditAsUser([le] { le->del(); });
}

void TCustomEdit::HandleCopy(TMessage&) {
    if (QLineEdit* le = WidgetOf<QLineEdit>(this))
        le->copy();
}

void TCustomEdit::HandleUndo(TMessage&) {
    QLineEdit* le = WidgetOf<QLineEdit>(this);
    if (le && CanModify() && le->isUndoAvailable())
        EditAsUser([le] { le->undo(); });
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
    StartInputControl(this, FColor, 185, 89);
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
    AssignStrings(*FLines, value);
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
    if (QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this)) {
        QSignalBlocker block(e);
        e->setPlainText(MemoTextOf(*FLines));
    }
}

void TCustomMemo::NotifyChange() {
    NotifyParent(this, EN_CHANGE);
}

void TCustomMemo::Change() {
    if (FOnChange)
        FOnChange(this);
}

void TCustomMemo::SetReadOnly(bool value) {
    FReadOnly = value;
    if (QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this))
        e->setReadOnly(value);
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
    if (StoreChanged(FScrollBars, value))
        RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
    if (StoreChanged(FWordWrap, value))
        RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment value) {
    if (StoreChanged(FAlignment, value))
        RecreateWnd();
}

int TCustomMemo::SelStart() const {
    if (QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this))
        return e->textCursor().selectionStart();
    return FSelStart;
}

void TCustomMemo::SetSelStart(int value) {
    FSelStart = std::max(0, value);
    FSelLength = 0;
    if (QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this)) {
        QTextCursor c = e->textCursor();
        c.setPosition(std::min(FSelStart, e->document()->characterCount() - 1));
        QSignalBlocker block(e);
        e->setTextCursor(c);
    }
}

int TCustomMemo::SelLength() const {
    if (QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this)) {
        QTextCursor c = e->textCursor();
        return c.selectionEnd() - c.selectionStart();
    }
    return FSelLength;
}

void TCustomMemo::SetSelLength(int value) {
    int start = SelStart();
    FSelLength = std::max(0, value);
    if (QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this)) {
        int last = e->document()->characterCount() - 1;
        QTextCursor c = e->textCursor();
        c.setPosition(std::min(start, last));
        c.setPosition(std::min(start + FSelLength, last), QTextCursor::KeepAnchor);
        QSignalBlocker block(e);
        e->setTextCursor(c);
    }
}

std::string TCustomMemo::SelText() const {
    if (QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this))
        return S(e->textCursor().selectedText().replace(QChar(0x2029), QStringLiteral("\r\n")));
    return "";
}

void TCustomMemo::SelectAll() {
    if (QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this)) {
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
        if (QPlainTextEdit* w = WidgetOf<QPlainTextEdit>(this)) {
            TSettingGuard g(FSetting);
            SplitInto(*FLines, w->toPlainText());
        }
        FModified = true;
        NotifyChange();
    });
    return e;
}

void TCustomMemo::AfterWindowCreated() {
    QPlainTextEdit* e = WidgetOf<QPlainTextEdit>(this);
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

namespace {
const bool kRegistered = [] {
    RegisterClasses({TEdit::StaticClass(), TMemo::StaticClass()});
    return true;
}();
} // namespace
