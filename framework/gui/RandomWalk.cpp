#include "framework/gui/RandomWalk.h"

#include "framework/core/Classes.h"
#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Grids.h"
#include "framework/gui/Printers.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowBridge.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <filesystem>
#include <ostream>

namespace TestKit {

namespace {

// The keys a walk presses, with the weight of each group: moving between controls comes
// most often, as with a person.
struct TWalkKey {
    int Key;
    bool Shift;
    const char* Name;
};
const TWalkKey kMoveKeys[] = {
    {VK_TAB, false, "Tab"},       {VK_TAB, true, "Shift+Tab"}, {VK_RETURN, false, "Enter"},
    {VK_ESCAPE, false, "Esc"},    {VK_SPACE, false, "Space"},  {VK_LEFT, false, "Left"},
    {VK_RIGHT, false, "Right"},   {VK_UP, false, "Up"},        {VK_DOWN, false, "Down"},
    {VK_DELETE, false, "Delete"},
};

std::string KeyName(int key) {
    if (key >= VK_F1 && key <= VK_F12)
        return "F" + std::to_string(key - VK_F1 + 1);
    return std::string(1, char(key));
}

std::string PointText(TPoint p) {
    return std::to_string(p.X) + "," + std::to_string(p.Y);
}

// A file name's extension without the dot, lower case.
std::string ExtensionOf(const std::filesystem::path& p) {
    std::string e = p.extension().string();
    if (!e.empty())
        e.erase(0, 1);
    return LowerCase(e);
}

// The extensions a file dialog's filter names ("*.pow;*.txt" gives pow and txt).
std::vector<std::string> FilterExtensions(const TOpenDialog* dialog) {
    std::vector<std::string> found;
    for (const auto& [text, patterns] : dialog->FilterList()) {
        size_t start = 0;
        while (start <= patterns.size()) {
            size_t end = patterns.find(';', start);
            std::string p =
                Trim(patterns.substr(start, end == std::string::npos ? end : end - start));
            if (p.size() > 2 && p.compare(0, 2, "*.") == 0 && p.find('*', 2) == std::string::npos)
                found.push_back(LowerCase(p.substr(2)));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    return found;
}

void SendKeyTo(QWidget* w, int qtKey, const QString& text = {}) {
    QPointer<QWidget> target = w;
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    if (target) {
        QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &release);
    }
    ProcessMessages();
}

void ClickWidgetAt(QWidget* w, QPoint at) {
    QPointer<QWidget> target = w;
    const QPoint global = w->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(global), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    if (target) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(global),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
    }
    ProcessMessages();
}

} // namespace

// ---------------------------------------------------------------------------
// The dialogs of a walk: every answer drawn from the walk's numbers and written to its log.

class TRandomWalk::TWalkDialogs : public TDialogService {
public:
    explicit TWalkDialogs(TRandomWalk& walk) : FWalk(walk) {}

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        // An error with no text of its own: what was thrown is no exception of the programs.
        if (text == FrameworkTexts::UnknownError ||
            text == std::string(FrameworkTexts::UnknownError) + ".")
            FWalk.Finding("an error with no text of its own reached the application");
        std::vector<std::pair<int, const char*>> buttons;
        switch (flags & 0xF) {
        case MB_OKCANCEL:
            buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
            break;
        case MB_ABORTRETRYIGNORE:
            buttons = {{IDABORT, "Abort"}, {IDIGNORE, "Ignore"}};
            break;
        case MB_YESNOCANCEL:
            buttons = {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
            break;
        case MB_YESNO:
            buttons = {{IDYES, "Yes"}, {IDNO, "No"}};
            break;
        case MB_RETRYCANCEL:
            // Retry only now and then: a retry that fails again asks again.
            buttons = {{IDCANCEL, "Cancel"}, {IDCANCEL, "Cancel"}, {IDRETRY, "Retry"}};
            break;
        default:
            buttons = {{IDOK, "OK"}};
        }
        const auto& b = buttons[size_t(FWalk.Below(int(buttons.size())))];
        FWalk.Log("    message \"" + OneLine(text) + "\" answered " + b.second);
        return b.first;
    }

    int MessageDlg(const std::string& text, TMsgDlgType, TMsgDlgButtons buttons) override {
        static const std::pair<TMsgDlgBtn, std::pair<int, const char*>> kAnswers[] = {
            {mbYes, {mrYes, "Yes"}},
            {mbNo, {mrNo, "No"}},
            {mbOK, {mrOk, "OK"}},
            {mbCancel, {mrCancel, "Cancel"}},
            {mbAbort, {mrAbort, "Abort"}},
            {mbRetry, {mrRetry, "Retry"}},
            {mbIgnore, {mrIgnore, "Ignore"}},
            {mbAll, {mrAll, "All"}},
            {mbNoToAll, {mrNoToAll, "NoToAll"}},
            {mbYesToAll, {mrYesToAll, "YesToAll"}},
        };
        std::vector<std::pair<int, const char*>> offered;
        for (const auto& [button, answer] : kAnswers)
            if (buttons.Contains(button))
                offered.push_back(answer);
        if (offered.empty())
            offered.push_back({mrOk, "OK"});
        const auto& a = offered[size_t(FWalk.Below(int(offered.size())))];
        FWalk.Log("    message \"" + OneLine(text) + "\" answered " + a.second);
        return a.first;
    }

    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override {
        static const char* const kTexts[] = {"1", "0",      "-1",    "450",   "2.5", "1e308", "abc",
                                             "",  "999999", "0.001", "1e-12", "7,5", "12"};
        if (FWalk.Chance(25)) {
            FWalk.Log("    input \"" + OneLine(prompt) + "\" cancelled");
            return false;
        }
        value = kTexts[FWalk.Below(int(std::size(kTexts)))];
        FWalk.Log("    input \"" + OneLine(prompt) + "\" answered \"" + value + "\"");
        return true;
    }

    bool ExecuteDialog(TCommonDialog* dialog) override {
        // A dialog shown again at once refused the answer: it is cancelled the third time,
        // as a person gives up.
        if (dialog == FLastDialog && FWalk.StepsTaken() == FLastStep && ++FRepeats >= 2) {
            FWalk.Log("    " + dialog->ClassName() + " cancelled after refused answers");
            return false;
        }
        if (dialog != FLastDialog || FWalk.StepsTaken() != FLastStep)
            FRepeats = 0;
        FLastDialog = dialog;
        FLastStep = FWalk.StepsTaken();
        if (FWalk.Chance(20)) {
            FWalk.Log("    " + dialog->ClassName() + " cancelled");
            return false;
        }
        if (auto* file = dynamic_cast<TOpenDialog*>(dialog))
            return AnswerFile(file);
        if (auto* colour = dynamic_cast<TColorDialog*>(dialog)) {
            colour->SetColor(TColor(FWalk.Next() & 0xFFFFFF));
            FWalk.Log("    colour dialog answered " + IntToHex(int(colour->Color()), 6));
            return true;
        }
        if (auto* setup = dynamic_cast<TPrinterSetupDialog*>(dialog)) {
            // Only the file printer: a walk prints nothing on paper.
            setup->SetPrinterIndex(Printer()->Printers()->IndexOf(kPdfPrinterName));
            setup->SetOrientation(FWalk.Below(2));
            FWalk.Log("    printer set-up answered PDF");
            return true;
        }
        FWalk.Log("    " + dialog->ClassName() + " answered OK");
        return true;
    }

private:
    static std::string OneLine(std::string text) {
        std::replace(text.begin(), text.end(), '\n', ' ');
        std::replace(text.begin(), text.end(), '\r', ' ');
        return text;
    }

    bool AnswerFile(TOpenDialog* dialog) {
        namespace fs = std::filesystem;
        const std::vector<std::string> wanted = FilterExtensions(dialog);
        std::vector<fs::path> files, fitting;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(FWalk.Folder(), ec))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& p : files)
            if (std::find(wanted.begin(), wanted.end(), ExtensionOf(p)) != wanted.end())
                fitting.push_back(p);
        std::string ext = dialog->DefaultExt();
        if (ext.empty() && !wanted.empty())
            ext = wanted.front();
        const bool save = dynamic_cast<TSaveDialog*>(dialog) != nullptr;
        fs::path chosen;
        const int r = FWalk.Below(10);
        if (!fitting.empty() && (save ? r < 3 : r < 8))
            chosen = fitting[size_t(FWalk.Below(int(fitting.size())))];
        else if (!files.empty() && r < 9)
            chosen = files[size_t(FWalk.Below(int(files.size())))];
        else
            chosen = fs::path(FWalk.Folder()) /
                     ("walk" + std::to_string(FWalk.StepsTaken()) + (ext.empty() ? "" : ".") + ext);
        dialog->SetFileName(chosen.string());
        dialog->Files()->Clear();
        dialog->Files()->Add(chosen.string());
        FWalk.Log("    " + dialog->ClassName() + " answered " + chosen.filename().string());
        return true;
    }

    TRandomWalk& FWalk;
    const TCommonDialog* FLastDialog = nullptr;
    int FLastStep = -1;
    int FRepeats = 0;
};

// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------

namespace {

// The kinds of step and of outcome a walk counts, in the order of its table.
const char* const kKinds[] = {
    "click",
    "double click",
    "right click",
    "menu key",
    "move key",
    "edit key",
    "Ctrl key",
    "Alt key",
    "F1",
    "F key",
    "character",
    "typed number",
    "drag",
    "drag ended by Esc",
    "wait",
    "resize",
    "close",
    "other window",
    "menu bar",
    "pop-up menu shown",
    "pop-up item chosen",
    "bar menu shown",
    "bar item chosen",
    "key on a menu",
    "click on a menu",
    "menu closed",
};

// A menu of the menu bar (its pull-down), as opposed to a pop-up menu.
bool IsBarMenu(const QMenu* menu) {
    return menu && qobject_cast<QMenuBar*>(menu->parentWidget()) != nullptr;
}

std::string ClassNameOf(const std::exception& e) {
    const char* name = typeid(e).name();
    int status = 0;
    char* readable = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string result = status == 0 && readable ? readable : name;
    std::free(readable);
    return result;
}

// The menu bar of a top-level form, when it shows one with a command on it.
QMenuBar* MenuBarOf(TCustomForm* form) {
    QWidget* w = form && !form->Parent() ? form->WidgetIfAllocated() : nullptr;
    auto* bar = w ? w->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!bar || !bar->isVisible())
        return nullptr;
    for (QAction* a : bar->actions())
        if (a->isVisible() && !bar->actionGeometry(a).isEmpty())
            return bar;
    return nullptr;
}

} // namespace

TRandomWalk::TRandomWalk(uint64_t seed, std::string folder, std::ostream& log)
    : FState(seed), FFolder(std::move(folder)), FLog(log) {
    // The framework's own refusals: a typed text that is no number, date or time, and
    // files that cannot be read or written.
    AddRefusal<EConvertError>({FrameworkTexts::InvalidFloat, FrameworkTexts::InvalidInteger,
                               FrameworkTexts::InvalidDate, FrameworkTexts::InvalidTime,
                               FrameworkTexts::InvalidDateTime});
    AddRefusal<EInOutError>();
    AddRefusal<EFOpenError>();
    AddRefusal<EFCreateError>();
}

TRandomWalk::~TRandomWalk() = default;

void TRandomWalk::AddAction(const std::string& name, int weight, TActionFn action) {
    FActions.push_back({name, weight, std::move(action)});
}

uint64_t TRandomWalk::Next() {
    // splitmix64: the same numbers on every machine and library.
    uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int TRandomWalk::Below(int n) {
    return n <= 0 ? 0 : int(Next() % uint64_t(n));
}

void TRandomWalk::Log(const std::string& line) {
    // The folder's name differs from run to run: the log of a replay reads the same.
    std::string text = line;
    for (size_t at; !FFolder.empty() && (at = text.find(FFolder)) != std::string::npos;)
        text.replace(at, FFolder.size(), "<folder>");
    FLog << text << std::endl;
}

std::string TRandomWalk::Prefix() const {
    return std::to_string(FStep) + std::string(1 + 2 * FModal.size(), ' ');
}

bool TRandomWalk::MatchesPattern(const std::string& text, const std::string& pattern) {
    // The pattern's literal pieces, a directive between each two.
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            pieces.back() += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            pieces.back() += '%';
            ++i;
            continue;
        }
        // Flags, width, precision, then the conversion letter.
        ++i;
        while (i < pattern.size() && std::strchr("-+ #0123456789.*:", pattern[i]))
            ++i;
        pieces.emplace_back();
    }
    if (pieces.size() == 1)
        return text == pieces[0];
    const std::string& first = pieces.front();
    const std::string& last = pieces.back();
    if (text.size() < first.size() + last.size() || text.compare(0, first.size(), first) != 0 ||
        text.compare(text.size() - last.size(), last.size(), last) != 0)
        return false;
    // The middle pieces in order, each at its first place after the one before: the
    // directives take any text, so the earliest place leaves the most room for the rest.
    size_t at = first.size();
    const size_t end = text.size() - last.size();
    for (size_t i = 1; i + 1 < pieces.size(); ++i) {
        const size_t found = text.find(pieces[i], at);
        if (found == std::string::npos || found + pieces[i].size() > end)
            return false;
        at = found + pieces[i].size();
    }
    return true;
}

bool TRandomWalk::IsRefusal(const std::exception& e) const {
    for (const TRefusal& r : FRefusals) {
        if (typeid(e) != *r.Class)
            continue;
        if (r.Patterns.empty())
            return true;
        for (const std::string& p : r.Patterns)
            if (MatchesPattern(e.what(), p))
                return true;
    }
    return false;
}

void TRandomWalk::Finding(const std::string& what) {
    const std::string line = "FINDING at step " + std::to_string(FStep) + ": " + what;
    FFindings.push_back(line);
    Log(line);
}

void TRandomWalk::ExceptionShown(const std::exception& e) {
    if (IsRefusal(e)) {
        Log("    error shown: " + std::string(e.what()));
        return;
    }
    Finding("an exception no program means to show reached the application: " + ClassNameOf(e) +
            " \"" + e.what() + "\"");
}

std::vector<std::pair<std::string, int>> TRandomWalk::Counts() const {
    std::vector<std::pair<std::string, int>> counts;
    auto count = [this](const std::string& kind) {
        auto it = FCounts.find(kind);
        return it == FCounts.end() ? 0 : it->second;
    };
    for (const char* kind : kKinds)
        counts.emplace_back(kind, count(kind));
    for (const TAction& a : FActions)
        counts.emplace_back(a.Name, count(a.Name));
    return counts;
}

void TRandomWalk::PrintCounts(std::ostream& out) const {
    out << "steps and outcomes by kind:\n";
    for (const auto& [kind, n] : Counts()) {
        std::string name = kind + ":";
        name.resize(std::max<size_t>(name.size(), 22), ' ');
        out << "  " << name << n << "\n";
    }
    out.flush();
}

std::string TRandomWalk::NameOf(const TControl* control) {
    std::string path;
    for (const TControl* c = control; c; c = c->Parent()) {
        std::string part = c->Name().empty() ? "<" + c->ClassName() + ">" : c->Name();
        path = path.empty() ? part : part + "." + path;
    }
    return path;
}

TCustomForm* TRandomWalk::TopForm() const {
    if (!FModal.empty())
        return FModal.back();
    if (QWidget* active = QApplication::activeWindow())
        if (auto* form = dynamic_cast<TCustomForm*>(TWindowBridge::ControlOfWidget(active)))
            if (form->Visible() && !form->Parent())
                return form;
    for (int i = Screen->FormCount() - 1; i >= 0; --i) {
        TCustomForm* form = Screen->Forms(i);
        if (form->Visible() && !form->Parent())
            return form;
    }
    return nullptr;
}

std::vector<TControl*> TRandomWalk::Targets(TCustomForm* form) const {
    std::vector<TControl*> found;
    std::function<void(TWinControl*)> collect = [&](TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            if (!c->Visible() || !c->Enabled())
                continue;
            if (c->Width() > 0 && c->Height() > 0)
                found.push_back(c);
            if (auto* w = dynamic_cast<TWinControl*>(c))
                collect(w);
        }
    };
    if (form && form->Visible() && form->Enabled()) {
        found.push_back(form);
        collect(form);
    }
    return found;
}

int TRandomWalk::Run(int steps, const std::function<bool()>& stop) {
    FLimit = FStep + steps;
    auto dialogs = SetDialogService(std::make_unique<TWalkDialogs>(*this));
    auto modal = Application->ModalHandler();
    Application->SetModalHandler([this](TCustomForm* form) { WalkModal(form); });
    const TExceptionEvent onException = Application->OnException();
    Application->SetOnException([this](TObject*, const std::exception& e) {
        ExceptionShown(e);
        Application->ShowException(e);
    });
    const int first = FStep;
    while (!(stop && stop()) && Step()) {
        if (Application->Terminated() && FRestart) {
            Log("    the program ended: started again");
            FRestart();
        }
    }
    Application->SetOnException(onException);
    Application->SetModalHandler(modal);
    SetDialogService(std::move(dialogs));
    return FStep - first;
}

bool TRandomWalk::Step() {
    if (FStep >= FLimit || !FFindings.empty())
        return false;
    ++FStep;
    const QPointer<QWidget> popupBefore = QApplication::activePopupWidget();
    Act();
    ProcessMessages();
    Application->Idle();
    // A menu that came up in this step, by whatever way.
    QWidget* popup = QApplication::activePopupWidget();
    if (auto* menu = qobject_cast<QMenu*>(popup); menu && popup != popupBefore.data())
        Count(IsBarMenu(menu) ? "bar menu shown" : "pop-up menu shown");
    if (FModal.empty() && FFindings.empty())
        CheckWindows();
    return true;
}

void TRandomWalk::CheckWindows() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        // Menus and drop-down lists are the walk's next step; hints and drag pictures go
        // by themselves.
        const Qt::WindowType type = w->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip)
            continue;
        const std::string title = w->windowTitle().toStdString();
        TWinControl* control = TWindowBridge::ControlOfWidget(w);
        if (!control) {
            Finding("a window no control of the program owns is on screen, so nothing can "
                    "close it: " +
                    std::string(w->metaObject()->className()) + " \"" + title + "\"");
            return;
        }
        if (!control->Visible()) {
            Finding("the window of " + NameOf(control) +
                    " is on screen while the program holds it hidden, so nothing closes it");
            return;
        }
        if (w->windowModality() != Qt::NonModal && Application->ModalLevel() == 0) {
            Finding("the window of " + NameOf(control) +
                    " blocks every other window with no modal loop running to close it");
            return;
        }
    }
}

void TRandomWalk::WalkModal(TCustomForm* form) {
    Log("    modal " + NameOf(form) + " (" + form->ClassName() + ") opened");
    const std::string name = NameOf(form);
    ReleaseMouse();
    FModal.push_back(form);
    struct TPop {
        std::vector<TCustomForm*>& Stack;
        ~TPop() { Stack.pop_back(); }
    } pop{FModal};
    TGoneFlag watch(form);
    // After each step: the form still there, and its window with it while its loop runs.
    auto gone = [&] {
        if (watch.Gone()) {
            Finding("the modal loop of " + name + " still runs after its window was freed");
            return true;
        }
        QWidget* w = form->WidgetIfAllocated();
        if (form->Visible() && form->ModalResult() == mrNone && (!w || !w->window()->isVisible())) {
            Finding("the modal loop of " + name + " still runs after its window left the screen");
            return true;
        }
        return false;
    };
    // Deep nests are closed at once: a person rarely goes further.
    const int steps = FModal.size() > 3 ? 0 : Below(30);
    for (int i = 0; i < steps && form->Visible() && form->ModalResult() == mrNone; ++i) {
        if (!Step() || gone())
            return;
    }
    if (!form->Visible() || form->ModalResult() != mrNone)
        return;
    switch (Below(3)) {
    case 0:
        Log("    modal closed by Esc");
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        PressKey(VK_ESCAPE);
        break;
    case 1:
        Log("    modal closed by its close box");
        CloseWindow(form);
        break;
    default:
        Log("    modal left open (closed with Cancel)");
        break;
    }
    gone();
}

std::string TRandomWalk::Act() {
    const std::string prefix = Prefix();
    auto say = [&](const std::string& what) {
        Log(prefix + what);
        return what;
    };
    if (QApplication::activePopupWidget())
        return ActOnPopup();
    TCustomForm* form = TopForm();
    if (!form)
        return say("no window: wait");
    struct TChoice {
        int Weight;
        int Kind;
    };
    // Kinds: 0 click, 1 double click, 2 right click, 3 key, 4 drag, 5 drag ended by Esc,
    // 6 wait, 7 resize, 8 close, 9 another window, 10 the menu key, 11 a number typed,
    // 12 the menu bar, 100+ the program's actions.
    std::vector<TChoice> choices = {{30, 0}, {4, 1}, {3, 2}, {36, 3}, {4, 4},  {1, 5}, {4, 6},
                                    {1, 7},  {1, 8}, {2, 9}, {2, 10}, {4, 11}, {2, 12}};
    for (size_t i = 0; i < FActions.size(); ++i)
        choices.push_back({FActions[i].Weight, 100 + int(i)});
    int total = 0;
    for (const TChoice& c : choices)
        total += c.Weight;
    int r = Below(total);
    int kind = 0;
    for (const TChoice& c : choices) {
        if (r < c.Weight) {
            kind = c.Kind;
            break;
        }
        r -= c.Weight;
    }
    const std::vector<TControl*> targets = Targets(form);
    switch (kind) {
    case 0:
    case 1: {
        if (targets.empty())
            return say("nothing to click");
        TControl* t = targets[size_t(Below(int(targets.size())))];
        return Click(t, kind);
    }
    case 2:
    case 10:
        return ContextMenu(targets, kind == 10);
    case 3:
        return Key();
    case 4:
    case 5:
        Count(kind == 5 ? "drag ended by Esc" : "drag");
        return DragIn(form, kind == 5);
    case 6: {
        const int ms = 50 + Below(3000);
        say("wait " + std::to_string(ms) + " ms");
        Count("wait");
        AdvanceClock(uint32_t(ms));
        return "wait";
    }
    case 7: {
        if (form->Parent() || !FModal.empty())
            return Key();
        const int w = 200 + Below(700), h = 150 + Below(650);
        say("resize " + NameOf(form) + " to " + std::to_string(w) + "x" + std::to_string(h));
        Count("resize");
        ResizeWindow(form, w, h);
        return "resize";
    }
    case 8:
        if (!FModal.empty() || form == Application->MainForm()) {
            // The main window ends the program: now and then only.
            if (!FModal.empty() || Below(10) != 0)
                return Key();
        }
        say("close " + NameOf(form) + " by its close box");
        Count("close");
        return CloseWindow(form);
    case 9: {
        if (!FModal.empty())
            return Key();
        std::vector<TCustomForm*> shown;
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* f = Screen->Forms(i);
            if (f->Visible() && !f->Parent() && f != form)
                shown.push_back(f);
        }
        if (shown.empty())
            return Key();
        TCustomForm* other = shown[size_t(Below(int(shown.size())))];
        say("activate " + NameOf(other));
        Count("other window");
        QApplication::setActiveWindow(other->Widget()->window());
        other->Widget()->window()->raise();
        ProcessMessages();
        return "activate";
    }
    case 11:
        return TypeNumber(targets);
    case 12:
        return MenuBar(form);
    default: {
        TAction& a = FActions[size_t(kind - 100)];
        Log(prefix + a.Name + ":");
        std::string done = a.Fn(*this);
        if (done.empty())
            Log(prefix + "  (nothing to do)");
        else
            Count(a.Name);
        return done;
    }
    }
}

std::string TRandomWalk::Click(TControl* target, int kind) {
    const TRect r = target->ClientRect();
    TPoint at = Center(target);
    if (Chance(60) && r.Width() > 0 && r.Height() > 0)
        at = TPoint(r.Left + Below(r.Width()), r.Top + Below(r.Height()));
    static const char* const kClicks[] = {"click", "double click", "right click"};
    Log(Prefix() + kClicks[kind] + " " + NameOf(target) + " at " + PointText(at));
    Count(kClicks[kind]);
    switch (kind) {
    case 1:
        DoubleClickAt(target, at);
        break;
    case 2:
        ClickAt(target, at, mbRight);
        break;
    default:
        ClickAt(target, at);
    }
    return kClicks[kind];
}

std::string TRandomWalk::ContextMenu(const std::vector<TControl*>& targets, bool byKey) {
    if (targets.empty()) {
        Log(Prefix() + "nothing to click");
        return "";
    }
    // Mostly where a menu is, as a person right-clicks where one is expected.
    std::vector<TControl*> withMenu;
    for (TControl* c : targets)
        if (c->PopupMenu() && (!byKey || dynamic_cast<TWinControl*>(c)))
            withMenu.push_back(c);
    const std::vector<TControl*>& from = !withMenu.empty() && Chance(70) ? withMenu : targets;
    TControl* target = from[size_t(Below(int(from.size())))];
    if (!byKey)
        return Click(target, 2);
    // The menu key asks the control with the focus: the target gets it first.
    TWinControl* focus = dynamic_cast<TWinControl*>(target);
    if (!focus)
        focus = target->Parent();
    while (focus && !focus->CanFocus())
        focus = focus->Parent();
    const bool shiftF10 = Chance(30);
    Log(Prefix() + (shiftF10 ? "key Shift+F10 on " : "menu key on ") +
        (focus ? NameOf(focus) : "the window"));
    Count("menu key");
    if (focus)
        Focus(focus);
    if (shiftF10)
        PressKey(VK_F10, TShiftState{ssShift});
    else
        PressKey(VK_APPS);
    return "menu key";
}

namespace {

struct TShiftKey {
    int Key;
    TShiftState Shift;
    const char* Name;
};

const TShiftKey kEditKeys[] = {
    {VK_HOME, {}, "Home"}, {VK_END, {}, "End"},        {VK_PRIOR, {}, "PgUp"},
    {VK_NEXT, {}, "PgDn"}, {VK_BACK, {}, "Backspace"}, {VK_INSERT, {}, "Ins"},
};
const TShiftKey kCtrlKeys[] = {
    {VK_INSERT, {ssCtrl}, "Ctrl+Ins"},   {VK_DELETE, {ssCtrl}, "Ctrl+Del"},
    {'C', {ssCtrl}, "Ctrl+C"},           {'V', {ssCtrl}, "Ctrl+V"},
    {'X', {ssCtrl}, "Ctrl+X"},           {'Z', {ssCtrl}, "Ctrl+Z"},
    {'A', {ssCtrl}, "Ctrl+A"},           {VK_INSERT, {ssShift}, "Shift+Ins"},
    {VK_DELETE, {ssShift}, "Shift+Del"},
};

// Gives the keys a place to go: with no control focused, the active window itself.
void FocusForKeys(TCustomForm* form) {
    if (QApplication::focusWidget() || !form)
        return;
    QWidget* window = form->Widget()->window();
    QApplication::setActiveWindow(window);
    window->setFocus(Qt::ActiveWindowFocusReason);
    ProcessMessages();
}

} // namespace

std::string TRandomWalk::Key() {
    const std::string prefix = Prefix();
    const int group = Below(100);
    int key;
    TShiftState shift;
    std::string name, kind;
    if (group < 45) {
        const auto& k = kMoveKeys[size_t(Below(int(std::size(kMoveKeys))))];
        key = k.Key;
        if (k.Shift)
            shift = TShiftState{ssShift};
        name = k.Name;
        kind = "move key";
    } else if (group < 54) {
        const TShiftKey& k = kEditKeys[size_t(Below(int(std::size(kEditKeys))))];
        key = k.Key;
        name = k.Name;
        kind = "edit key";
    } else if (group < 63) {
        const TShiftKey& k = kCtrlKeys[size_t(Below(int(std::size(kCtrlKeys))))];
        key = k.Key;
        shift = k.Shift;
        name = k.Name;
        kind = "Ctrl key";
    } else if (group < 70) {
        // Alt with a letter (a button's or a label's access key), or Alt+Down (a list opens).
        key = Chance(15) ? VK_DOWN : 'A' + Below(26);
        shift = TShiftState{ssAlt};
        name = "Alt+" + (key == VK_DOWN ? std::string("Down") : KeyName(key));
        kind = "Alt key";
    } else if (group < 78) {
        key = '0' + Below(10);
        name = KeyName(key);
        kind = "character";
    } else if (group < 90) {
        key = 'A' + Below(26);
        name = KeyName(key);
        kind = "character";
    } else {
        key = VK_F1 + Below(12);
        name = KeyName(key);
        kind = key == VK_F1 ? "F1" : "F key";
    }
    FocusForKeys(TopForm());
    QWidget* focus = QApplication::focusWidget();
    const TWinControl* owner = focus ? TWindowBridge::ControlOfWidget(focus) : nullptr;
    Log(prefix + "key " + name + " (focus " + (owner ? NameOf(owner) : "none") + ")");
    Count(kind);
    PressKey(key, shift);
    return "key";
}

std::string TRandomWalk::TypeNumber(const std::vector<TControl*>& targets) {
    // Into a box, a list's box or a grid's cell, mostly; now and then any control that
    // takes the focus.
    std::vector<TControl*> boxes, focusable;
    for (TControl* c : targets) {
        auto* w = dynamic_cast<TWinControl*>(c);
        if (!w || !w->CanFocus())
            continue;
        focusable.push_back(c);
        if (dynamic_cast<TCustomEdit*>(c) || dynamic_cast<TCustomMemo*>(c) ||
            dynamic_cast<TCustomComboBox*>(c) || dynamic_cast<TCustomGrid*>(c))
            boxes.push_back(c);
    }
    const std::vector<TControl*>& from = !boxes.empty() && Chance(85) ? boxes : focusable;
    if (from.empty())
        return Key();
    TControl* target = from[size_t(Below(int(from.size())))];
    // A number as people type them, right or not: a sign, digits, a decimal point or
    // comma, an exponent; now and then a lone sign, point or "e".
    std::string text;
    if (Chance(8)) {
        static const char* const kLone[] = {"-", ".", ",", "e", "-.", "1e", "--1", "1.2.3"};
        text = kLone[Below(int(std::size(kLone)))];
    } else {
        if (Chance(30))
            text += '-';
        for (int i = Below(5); i > 0; --i)
            text += char('0' + Below(10));
        if (Chance(50)) {
            text += Chance(60) ? '.' : ',';
            for (int i = Below(4); i > 0; --i)
                text += char('0' + Below(10));
        }
        if (text.empty() || text == "-")
            text += char('0' + Below(10));
        if (Chance(20)) {
            text += 'e';
            if (Chance(40))
                text += '-';
            for (int i = 1 + Below(3); i > 0; --i)
                text += char('0' + Below(10));
        }
    }
    const TRect r = target->ClientRect();
    const TPoint at(r.Left + Below(std::max(1, r.Width())), r.Top + Below(std::max(1, r.Height())));
    static const char* const kEnds[] = {"", " and Enter", " and Tab"};
    const int end = Below(3);
    Log(Prefix() + "type \"" + text + "\" into " + NameOf(target) + " at " + PointText(at) +
        kEnds[end]);
    Count("typed number");
    const QPointer<QWidget> window = dynamic_cast<TWinControl*>(target)->Widget()->window();
    ClickAt(target, at);
    // The click may have opened a window, or taken the control away.
    if (QApplication::activePopupWidget() || !window || !window->isVisible() ||
        (QApplication::activeModalWidget() && QApplication::activeModalWidget() != window))
        return "type";
    TypeText(text);
    if (end == 1)
        PressKey(VK_RETURN);
    else if (end == 2)
        PressKey(VK_TAB);
    return "type";
}

std::string TRandomWalk::MenuBar(TCustomForm* form) {
    QMenuBar* bar = MenuBarOf(form);
    if (!bar)
        return Key();
    std::vector<QAction*> actions;
    for (QAction* a : bar->actions())
        if (a->isVisible() && !bar->actionGeometry(a).isEmpty())
            actions.push_back(a);
    Count("menu bar");
    if (Chance(50)) {
        FocusForKeys(form);
        Log(Prefix() + "key F10 (the menu bar)");
        PressKey(VK_F10);
        return "menu bar";
    }
    QAction* a = actions[size_t(Below(int(actions.size())))];
    Log(Prefix() + "click menu bar \"" + a->text().toStdString() + "\"");
    ClickWidgetAt(bar, bar->actionGeometry(a).center());
    return "menu bar";
}

std::string TRandomWalk::DragIn(TCustomForm* form, bool escape) {
    const std::string prefix = Prefix();
    const std::vector<TControl*> targets = Targets(form);
    if (targets.empty()) {
        Log(prefix + "nothing to drag");
        return "";
    }
    TControl* from = targets[size_t(Below(int(targets.size())))];
    TControl* to = targets[size_t(Below(int(targets.size())))];
    auto pointIn = [this](TControl* c) {
        const TRect r = c->ClientRect();
        return TPoint(r.Left + Below(std::max(1, r.Width())),
                      r.Top + Below(std::max(1, r.Height())));
    };
    const TPoint start = pointIn(from);
    const TPoint end = from->ScreenToClient(to->ClientToScreen(pointIn(to)));
    Log(prefix + (escape ? "drag, Esc midway, " : "drag ") + NameOf(from) + " at " +
        PointText(start) + " to " + NameOf(to) + " (" + PointText(end) + ")");
    if (!escape) {
        Drag(from, start, end, mbLeft, 1 + Below(6));
        return "drag";
    }
    // Positions taken from the screen before anything moves.
    const TPoint startScreen = from->ClientToScreen(start);
    const TPoint endScreen = from->ClientToScreen(end);
    MouseDown(from, start);
    for (int i = 1; i <= 3; ++i) {
        const TPoint p(startScreen.X + (endScreen.X - startScreen.X) * i / 3,
                       startScreen.Y + (endScreen.Y - startScreen.Y) * i / 3);
        MouseMove(form, form->ScreenToClient(p));
    }
    PressKey(VK_ESCAPE);
    MouseUp(form, form->ScreenToClient(endScreen));
    return "drag";
}

std::string TRandomWalk::CloseWindow(TCustomForm* form) {
    // As a window manager asks a window to close.
    if (QWidget* w = form->WidgetIfAllocated())
        w->window()->close();
    ProcessMessages();
    return "close";
}

std::string TRandomWalk::ActOnPopup() {
    const std::string prefix = Prefix();
    QWidget* popup = QApplication::activePopupWidget();
    auto* menu = qobject_cast<QMenu*>(popup);
    const int r = Below(10);
    if (menu && r < 6) {
        std::vector<QAction*> actions;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->isVisible() && !menu->actionGeometry(a).isEmpty())
                actions.push_back(a);
        if (!actions.empty()) {
            QAction* a = actions[size_t(Below(int(actions.size())))];
            Log(prefix + "menu item \"" + a->text().toStdString() + "\"");
            // A disabled item or one that opens a sub-menu chooses nothing.
            if (a->isEnabled() && !a->menu())
                Count(IsBarMenu(menu) ? "bar item chosen" : "pop-up item chosen");
            else
                Count("click on a menu");
            ClickWidgetAt(menu, menu->actionGeometry(a).center());
            return "menu";
        }
    }
    if (r < 8) {
        static const std::pair<int, const char*> kKeys[] = {
            {Qt::Key_Up, "Up"},       {Qt::Key_Down, "Down"}, {Qt::Key_Return, "Enter"},
            {Qt::Key_Escape, "Esc"},  {Qt::Key_Left, "Left"}, {Qt::Key_Right, "Right"},
            {Qt::Key_Space, "Space"}, {Qt::Key_Tab, "Tab"},
        };
        const auto& k = kKeys[size_t(Below(int(std::size(kKeys))))];
        Log(prefix + "key " + k.second + " on " + popup->metaObject()->className());
        if (menu)
            Count("key on a menu");
        QWidget* target = popup->focusWidget() ? popup->focusWidget() : popup;
        SendKeyTo(target, k.first,
                  k.first == Qt::Key_Return  ? QStringLiteral("\r")
                  : k.first == Qt::Key_Space ? QStringLiteral(" ")
                                             : QString());
        return "key";
    }
    if (r < 9) {
        const QPoint at(Below(std::max(1, popup->width())), Below(std::max(1, popup->height())));
        Log(prefix + "click " + popup->metaObject()->className() + " at " + std::to_string(at.x()) +
            "," + std::to_string(at.y()));
        if (menu)
            Count("click on a menu");
        QWidget* child = popup->childAt(at);
        ClickWidgetAt(child ? child : popup, child ? child->mapFrom(popup, at) : at);
        return "click";
    }
    if (menu)
        Count("menu closed");
    TCustomForm* form = TopForm();
    if (form && Chance(50) && (form != Application->MainForm() || Chance(10))) {
        // The window goes while its menu or list is open, as a window manager closes it.
        Log(prefix + "close " + NameOf(form) + " by its close box, " +
            popup->metaObject()->className() + " open");
        return CloseWindow(form);
    }
    Log(prefix + "click outside " + popup->metaObject()->className());
    popup->close();
    ProcessMessages();
    return "close";
}

} // namespace TestKit
