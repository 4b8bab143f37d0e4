#pragma once
// Keyboard journeys through a window: focus a control, Tab and Shift+Tab through the whole
// tab order and once round again, then the other keys the window answers; open a cell
// editor, a drop-down or a menu and close the window while it is open. The walker records
// what goes wrong as text (the focus leaving the window, a control Tab never reaches), so
// that a journey reports every fault of a window at once; a crash or a use of freed memory
// shows in the sanitizer build and under valgrind.
//
// Modal windows are walked while their loop runs: through the application's modal handler,
// or in the real nested loop from an idle handler. Windows a key opens over the walked one
// are closed at once, so that the walk goes on.

#include "framework/core/Classes.h"
#include "framework/gui/Clipboard.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "framework/gui/Menus.h"
#include "framework/gui/Messages.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"
#include "persist/ExGrids.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace KeyWalk {

using TestKit::TGoneFlag;

// The controls Tab stops at in the window, in tab order.
inline std::vector<TWinControl*> TabStops(TWinControl* root) {
    std::vector<TWinControl*> stops;
    std::function<void(TWinControl*)> collect = [&](TWinControl* parent) {
        for (TWinControl* c : parent->TabList()) {
            if (c->CanFocus() && c->TabStop() && c->Showing())
                stops.push_back(c);
            collect(c);
        }
    };
    collect(root);
    return stops;
}

inline std::string NameOf(const TControl* c) {
    if (!c)
        return "(none)";
    return (c->Name().empty() ? std::string("(unnamed)") : c->Name()) + ":" + c->ClassName();
}

// The window is still there and shown.
inline bool Open(TCustomForm* form, const TGoneFlag& gone) {
    return !gone.Gone() && form->Showing();
}

// The window control with the focus, when it lies inside the window.
inline TWinControl* FocusIn(TCustomForm* form) {
    TWinControl* f = FindFocusedControl();
    return f && (f == form || form->ContainsControl(f)) ? f : nullptr;
}

// What a walk found wrong, one line each.
struct TFaults {
    std::vector<std::string> Lines;
    void Add(const std::string& where, const std::string& what) {
        Lines.push_back(where + ": " + what);
    }
    std::string Text() const {
        std::string text;
        for (const std::string& l : Lines)
            text += l + "\n";
        return text;
    }
};

// The stop the control is or lies in (a grid's cell editor lies in its grid), or -1.
inline int StopIndex(const std::vector<TWinControl*>& stops, const TWinControl* c) {
    if (!c)
        return -1;
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == c)
            return int(i);
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i]->ContainsControl(c))
            return int(i);
    return -1;
}

// The control keeps Tab for itself (a grid moving between its cells with Tab).
inline bool TakesTab(TWinControl* c) {
    return c && (c->Perform(CM_WANTSPECIALKEY, WPARAM(VK_TAB)) != 0 ||
                 (c->Perform(WM_GETDLGCODE) & DLGC_WANTTAB) != 0);
}

// From the first stop, one round of Tab and one of Shift+Tab: each press leaves the focus
// inside the window on the next stop of the tab order (Shift+Tab on the one before), every
// stop is reached once in each round and the round ends where it began. A control that
// keeps Tab for its cells is one stop: the round goes on from the stop after it. The
// controls of mustReach must be among the stops reached.
inline void TabRounds(TCustomForm* form, const std::string& where, TFaults& faults,
                      const std::vector<TWinControl*>& mustReach = {}) {
    TGoneFlag gone(form);
    const std::vector<TWinControl*> stops = TabStops(form);
    for (TWinControl* c : mustReach)
        if (StopIndex(stops, c) < 0 || !c->TabStop())
            faults.Add(where, "Tab never reaches " + NameOf(c) + ": it is no tab stop");
    if (stops.empty()) {
        TestKit::PressKey(VK_TAB);
        TestKit::PressKey(VK_TAB, TShiftState{ssShift});
        return;
    }
    const int n = int(stops.size());
    for (bool forward : {true, false}) {
        const std::string key = forward ? "Tab" : "Shift+Tab";
        TestKit::Focus(stops.front());
        if (StopIndex(stops, FocusIn(form)) != 0) {
            faults.Add(where, "the first stop " + NameOf(stops.front()) + " takes no focus");
            return;
        }
        std::vector<int> hits(size_t(n), 0);
        int at = 0;
        bool inOrder = true;
        for (int i = 0; i < n && Open(form, gone); ++i) {
            const int next = forward ? (at + 1) % n : (at + n - 1) % n;
            TWinControl* before = FindFocusedControl();
            TestKit::PressKey(VK_TAB, forward ? TShiftState{} : TShiftState{ssShift});
            if (!Open(form, gone))
                return;
            TWinControl* now = FocusIn(form);
            int got = StopIndex(stops, now);
            if (now && got == at && TakesTab(now)) {
                TestKit::Focus(stops[size_t(next)]);
                now = FocusIn(form);
                got = StopIndex(stops, now);
            }
            if (!now) {
                faults.Add(where, key + " from " + NameOf(before) + " left the window for " +
                                      NameOf(FindFocusedControl()));
                TestKit::Focus(stops[size_t(next)]);
                got = StopIndex(stops, FocusIn(form));
            } else if (got < 0) {
                faults.Add(where, key + " from " + NameOf(before) + " reaches " + NameOf(now) +
                                      ", which is no tab stop");
                continue;
            } else if (got != next && inOrder) {
                inOrder = false;
                faults.Add(where, key + " from " + NameOf(stops[size_t(at)]) + " reaches " +
                                      NameOf(stops[size_t(got)]) + ", not " +
                                      NameOf(stops[size_t(next)]));
            }
            if (got < 0)
                continue;
            ++hits[size_t(got)];
            at = got;
        }
        for (int s = 0; s < n; ++s) {
            if (hits[size_t(s)] == 0)
                faults.Add(where, key + " never reaches " + NameOf(stops[size_t(s)]));
            else if (hits[size_t(s)] > 1)
                faults.Add(where, key + " reaches " + NameOf(stops[size_t(s)]) + " " +
                                      std::to_string(hits[size_t(s)]) + " times in one round");
        }
    }
}

// Presses each key in turn ("Left", "Enter", "F9", "Ctrl+Ins": shortcut texts, and the
// names below) on whatever has the focus; stops when the window goes.
inline int KeyOf(const std::string& name, TShiftState& shift) {
    shift = {};
    static const std::pair<const char*, int> named[] = {
        {"Left", VK_LEFT},    {"Right", VK_RIGHT}, {"Up", VK_UP},       {"Down", VK_DOWN},
        {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE},  {"Space", VK_SPACE}, {"Tab", VK_TAB},
        {"Home", VK_HOME},    {"End", VK_END},     {"PgDn", VK_NEXT},   {"PgUp", VK_PRIOR},
    };
    for (const auto& [n, key] : named)
        if (name == n)
            return key;
    uint16_t key = 0;
    ShortCutToKey(TextToShortCut(name), key, shift);
    return key;
}

inline void PressKeys(TCustomForm* form, const std::vector<std::string>& keys) {
    TGoneFlag gone(form);
    for (const std::string& k : keys) {
        if (!Open(form, gone))
            return;
        TShiftState shift;
        const int key = KeyOf(k, shift);
        if (key)
            TestKit::PressKey(key, shift);
    }
}

// The arrows and the common keys every window meets; Enter, Esc and Space may close it.
inline const std::vector<std::string>& CommonKeys() {
    static const std::vector<std::string> keys = {"Left", "Right", "Up", "Down",  "Home", "End",
                                                  "PgDn", "PgUp",  "F2", "Enter", "Space"};
    return keys;
}

// What a key did: the classes of the modal windows it opened and the dialogs and message
// boxes it showed.
struct TKeySeen {
    std::vector<std::string> Windows;
    std::vector<TestKit::TShownDialog> Dialogs;
    bool Opened(const std::string& className) const {
        return std::find(Windows.begin(), Windows.end(), className) != Windows.end();
    }
};

// A key the window answers and what it must do. Arm runs just before the key, takes down
// what the check compares with (a value, a row count) and answers the check, run just after
// the key on what it saw. On answers the control the key is pressed on (else the first
// stop). A key given as a bare name is pressed with nothing checked.
struct TKeyEffect {
    using TCheck = std::function<bool(const TKeySeen&)>;
    TKeyEffect(const char* key) : Key(key) {}
    TKeyEffect(std::string key) : Key(std::move(key)) {}
    TKeyEffect(std::string key, std::string does, std::function<TCheck()> arm,
               std::function<TWinControl*()> on = nullptr)
        : Key(std::move(key)), Does(std::move(does)), Arm(std::move(arm)), On(std::move(on)) {}
    std::string Key;
    std::string Does;
    std::function<TCheck()> Arm;
    std::function<TWinControl*()> On;
};
using TKeyEffects = std::vector<TKeyEffect>;

// The key opens a modal window of the class.
inline TKeyEffect OpensWindow(const std::string& key, const std::string& className,
                              std::function<TWinControl*()> on = nullptr) {
    return {key, "opens a " + className,
            [className] {
                return [className](const TKeySeen& seen) { return seen.Opened(className); };
            },
            std::move(on)};
}

// The key shows a dialog of the kind ("MessageBox", "TOpenDialog", ...); with text, one
// whose text holds it.
inline TKeyEffect ShowsDialog(const std::string& key, const std::string& kind,
                              const std::string& text = "",
                              std::function<TWinControl*()> on = nullptr) {
    return {key, "shows a " + kind + (text.empty() ? "" : " saying \"" + text + "\""),
            [kind, text] {
                return [kind, text](const TKeySeen& seen) {
                    for (const TestKit::TShownDialog& d : seen.Dialogs)
                        if (d.Kind == kind && d.Text.find(text) != std::string::npos)
                            return true;
                    return false;
                };
            },
            std::move(on)};
}

// The value read before and after the key changes as ok says.
template <class V>
TKeyEffect Changes(const std::string& key, const std::string& does, std::function<V()> read,
                   std::function<bool(const V& before, const V& after)> ok,
                   std::function<TWinControl*()> on = nullptr) {
    return {key, does,
            [read, ok] {
                return [read, ok, before = read()](const TKeySeen&) { return ok(before, read()); };
            },
            std::move(on)};
}

// The key puts something on the emptied clipboard.
inline TKeyEffect CopiesToClipboard(const std::string& key,
                                    std::function<TWinControl*()> on = nullptr) {
    return {key, "puts a copy on the clipboard",
            [] {
                Clipboard()->Clear();
                return [](const TKeySeen&) { return Clipboard()->FormatCount() > 0; };
            },
            std::move(on)};
}

// Focuses the first stop; in a window without one, the window itself, which then takes the
// keys.
inline void FocusFirst(TCustomForm* form) {
    if (std::vector<TWinControl*> stops = TabStops(form); !stops.empty())
        TestKit::Focus(stops.front());
    else if (form->CanFocus())
        TestKit::Focus(form);
}

// Presses the key on its control (else on the first stop) and checks what it did.
inline void PressEffect(TCustomForm* form, const std::string& where, const TKeyEffect& e,
                        TFaults& faults) {
    TGoneFlag gone(form);
    if (!Open(form, gone))
        return;
    if (TWinControl* on = e.On ? e.On() : nullptr) {
        if (!on->CanFocus()) {
            faults.Add(where, e.Key + " on " + NameOf(on) + ": it takes no focus");
            return;
        }
        TestKit::Focus(on);
    } else {
        FocusFirst(form);
    }
    TShiftState shift;
    const int key = KeyOf(e.Key, shift);
    if (!e.Arm) {
        if (key)
            TestKit::PressKey(key, shift);
        return;
    }
    const TKeyEffect::TCheck check = e.Arm();
    TKeySeen seen;
    const size_t dialogs = TestKit::Dialogs().Shown().size();
    const std::function<void(TCustomForm*)> outer = Application->ModalHandler();
    Application->SetModalHandler([&seen, outer](TCustomForm* f) {
        seen.Windows.push_back(f->ClassName());
        if (outer)
            outer(f);
    });
    if (key)
        TestKit::PressKey(key, shift);
    Application->SetModalHandler(outer);
    const std::vector<TestKit::TShownDialog>& shown = TestKit::Dialogs().Shown();
    for (size_t i = std::min(dialogs, shown.size()); i < shown.size(); ++i)
        seen.Dialogs.push_back(shown[i]);
    if (!check(seen))
        faults.Add(where, e.Key + " should have: " + e.Does);
}

// The first shown button with Cancel set, which Esc clicks; nullptr when the window has none.
inline TButton* CancelButton(TWinControl* root) {
    for (int i = 0; i < root->ControlCount(); ++i) {
        TControl* c = root->Controls(i);
        if (!c->Showing())
            continue;
        if (auto* b = dynamic_cast<TButton*>(c); b && b->Cancel() && b->CanFocus())
            return b;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (TButton* b = CancelButton(w))
                return b;
    }
    return nullptr;
}

// The window has left: freed, hidden, or its modal loop told to end.
inline bool Left(TCustomForm* form, const TGoneFlag& gone) {
    return gone.Gone() || !form->Showing() || form->ModalResult() != mrNone;
}

// A combo box's list left open by a key (Space opens it) is closed as Esc closes it: the
// test kit's keys go to the focused control, never into the open list.
inline void CloseDroppedList() {
    if (auto* combo = dynamic_cast<TCustomComboBox*>(FindFocusedControl());
        combo && combo->DroppedDown()) {
        combo->SetDroppedDown(false);
        TestKit::ProcessMessages();
    }
}

// Esc where the walk stands: a window with a cancel button leaves (a control keeping Esc
// for itself, an open cell editor or list, takes one press first), any other stays.
inline void CheckEsc(TCustomForm* form, const std::string& where, TFaults& faults) {
    TGoneFlag gone(form);
    if (!Open(form, gone))
        return;
    form->SetModalResult(mrNone);
    TButton* cancel = CancelButton(form);
    const std::string name = cancel ? NameOf(cancel) : "";
    if (!FocusIn(form))
        FocusFirst(form);
    CloseDroppedList();
    const std::string on = NameOf(FindFocusedControl());
    for (int i = 0; i < (cancel ? 3 : 1) && !Left(form, gone); ++i)
        TestKit::PressKey(VK_ESCAPE);
    if (cancel && !Left(form, gone))
        faults.Add(where, "Esc on " + on +
                              " leaves the window open though it has the cancel button " + name);
    if (!cancel && Left(form, gone))
        faults.Add(where, "Esc closes the window, which has no cancel button");
}

// Space on a button with a modal result ends the window's loop with that result.
inline void CheckModalButton(TCustomForm* form, TButton* button, const std::string& where,
                             TFaults& faults) {
    TGoneFlag gone(form);
    form->SetModalResult(mrNone);
    TestKit::PressKey(VK_SPACE);
    if (!gone.Gone() && form->Showing() && form->ModalResult() != button->ModalResult())
        faults.Add(where, "Space on " + NameOf(button) + " does not end the window with " +
                              std::to_string(int(button->ModalResult())));
}

// Walks the window: the tab rounds, then on every tab stop the common keys (Space on a
// button with a modal result must end the window with it), then the window's own keys, each
// checked, then Esc, checked. Answers what went wrong.
inline void WalkWindow(TCustomForm* form, const std::string& where, const TKeyEffects& ownKeys,
                       TFaults& faults, const std::vector<TWinControl*>& mustReach = {}) {
    TGoneFlag gone(form);
    TabRounds(form, where, faults, mustReach);
    if (!Open(form, gone))
        return;
    // A key may free controls (a chart docked over a view, a page built anew): each stop
    // is watched from the start.
    std::vector<std::unique_ptr<TGoneFlag>> stops;
    for (TWinControl* stop : TabStops(form))
        stops.push_back(std::make_unique<TGoneFlag>(stop));
    const std::vector<TWinControl*> order = TabStops(form);
    for (size_t i = 0; i < order.size(); ++i) {
        if (!Open(form, gone))
            return;
        if (stops[i]->Gone() || !order[i]->CanFocus())
            continue;
        TestKit::Focus(order[i]);
        if (auto* b = dynamic_cast<TButton*>(order[i]); b && b->ModalResult() != mrNone) {
            CheckModalButton(form, b, where, faults);
            if (!Open(form, gone))
                return;
            form->SetModalResult(mrNone);
            TestKit::Focus(order[i]);
        }
        PressKeys(form, CommonKeys());
    }
    for (const TKeyEffect& e : ownKeys)
        PressEffect(form, where, e, faults);
    CheckEsc(form, where, faults);
}

// What is open in the window when it is closed as a window manager does.
enum TOpenPart { opNothing, opCellEditor, opDropDown, opMenu };

inline const char* PartName(TOpenPart part) {
    switch (part) {
    case opCellEditor:
        return "a cell editor";
    case opDropDown:
        return "a drop-down";
    case opMenu:
        return "a menu";
    default:
        return "nothing";
    }
}

// The first shown control of class T inside the window.
template <class T> T* FirstShown(TWinControl* root) {
    for (int i = 0; i < root->ControlCount(); ++i) {
        TControl* c = root->Controls(i);
        if (!c->Showing())
            continue;
        if (auto* t = dynamic_cast<T*>(c))
            return t;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (T* t = FirstShown<T>(w))
                return t;
    }
    return nullptr;
}

// A pop-up menu the window owns (its own or one of its components'), or nullptr.
inline TPopupMenu* OwnedPopup(TComponent* root) {
    for (int i = 0; i < root->ComponentCount(); ++i) {
        if (auto* p = dynamic_cast<TPopupMenu*>(root->Components(i)))
            return p;
        if (TPopupMenu* p = OwnedPopup(root->Components(i)))
            return p;
    }
    return nullptr;
}

// Opens the part in the window as a user would: F2 in the first editable grid (a cell
// editor), F4 in the first combo box (its list) or Alt+Down in a cell editor with a pick
// list, the first pop-up menu of the window on the screen. Answers false when the window has no
// such part.
inline bool OpenPart(TCustomForm* form, TOpenPart part) {
    switch (part) {
    case opCellEditor:
        // F2 in the first column whose cells may be edited (grids allow editing column by
        // column).
        for (TWinControl* s : TabStops(form))
            if (auto* grid = dynamic_cast<TDrawGrid*>(s))
                for (int col = grid->FixedCols(); col < grid->ColCount(); ++col) {
                    TestKit::Focus(grid);
                    grid->SetCol(col);
                    TestKit::PressKey(VK_F2);
                    if (grid->EditorMode())
                        return true;
                }
        return false;
    case opDropDown:
        for (TWinControl* s : TabStops(form))
            if (auto* combo = dynamic_cast<TCustomComboBox*>(s)) {
                TestKit::Focus(combo);
                TestKit::PressKey(VK_F4);
                return true;
            }
        // Else the pick list of a grid's cell editor: Alt+Down in the first column that
        // has one.
        for (TWinControl* s : TabStops(form))
            if (auto* grid = dynamic_cast<TExDrawGrid*>(s))
                for (int col = grid->FixedCols(); col < grid->ColCount(); ++col) {
                    TestKit::Focus(grid);
                    grid->SetCol(col);
                    TestKit::PressKey(VK_F2);
                    TestKit::PressKey(VK_DOWN, TShiftState{ssAlt});
                    if (auto* editor = dynamic_cast<TExInplaceEdit*>(FindFocusedControl());
                        editor && editor->ListVisible())
                        return true;
                    TestKit::PressKey(VK_ESCAPE);
                }
        return false;
    case opMenu:
        if (TPopupMenu* menu = OwnedPopup(form)) {
            const TPoint at = form->ClientToScreen(TPoint(20, 20));
            menu->Popup(at.X, at.Y);
            TestKit::ProcessMessages();
            return menu->ShownMenu() != nullptr;
        }
        return false;
    default:
        return true;
    }
}

// The ways out of a window the journeys take.
enum TWayOut {
    woEsc,         // the Esc key
    woCloseBox,    // its close box (WM_CLOSE at once)
    woWindowSystem // the window manager's close request, posted, while a part is open
};

// Leaves the window one way; part is what is open when the window system closes it.
// Answers false when the window has no such part to open.
inline bool Leave(TCustomForm* form, TWayOut way, TOpenPart part) {
    TGoneFlag gone(form);
    bool opened = true;
    switch (way) {
    case woEsc:
        if (TWinControl* first = FocusIn(form); !first && form->CanFocus())
            TestKit::Focus(form);
        CloseDroppedList();
        TestKit::PressKey(VK_ESCAPE);
        break;
    case woCloseBox:
        form->Perform(WM_CLOSE);
        break;
    case woWindowSystem:
        opened = OpenPart(form, part);
        if (!gone.Gone())
            PostMessage(form->Handle(), WM_CLOSE);
        TestKit::ProcessMessages();
        break;
    }
    TestKit::ProcessMessages();
    return opened;
}

// The modal window on top: the last shown one with a modal loop running.
inline TCustomForm* TopModal() {
    TCustomForm* top = nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f->FormState().Contains(fsModal) && f->Showing())
            top = f;
    }
    return top;
}

// Runs open, which shows a modal window of class T, and walk on that window while its loop
// runs; other modal windows (opened by a key during the walk) are closed at once. Without
// realLoop the application's modal handler runs the walk; with it, an idle handler of the
// window's own nested loop does, and a window the walk left open is closed by its close
// box. Answers how many times a T was walked.
template <class T>
int WalkModal(const std::function<void()>& open, const std::function<void(T*)>& walk,
              bool realLoop) {
    int walked = 0;
    bool busy = false;
    TCustomForm* current = nullptr;
    auto run = [&](T* form) {
        busy = true;
        current = form;
        ++walked;
        walk(form);
        busy = false;
    };
    if (!realLoop) {
        Application->SetModalHandler([&](TCustomForm* form) {
            if (auto* t = dynamic_cast<T*>(form); t && !busy)
                run(t);
        });
        open();
        Application->SetModalHandler([](TCustomForm*) {});
        return walked;
    }
    Application->SetModalHandler(nullptr);
    std::set<TCustomForm*> done;
    Application->AddIdleHandler(&walked, [&] {
        TCustomForm* top = TopModal();
        if (!top)
            return;
        auto* t = dynamic_cast<T*>(top);
        if (busy && top != current) {
            top->Perform(WM_CLOSE); // opened over the walked window
        } else if (t && !busy && !done.count(top)) {
            done.insert(top);
            run(t);
            if (TopModal() == top)
                top->Perform(WM_CLOSE);
        } else if (!busy) {
            top->Perform(WM_CLOSE);
        }
    });
    open();
    Application->RemoveIdleHandler(&walked);
    Application->SetModalHandler([](TCustomForm*) {});
    return walked;
}

// Each way out, the window system's with each part open.
struct TExit {
    TWayOut Way;
    TOpenPart Part;
};
inline const TExit kExits[] = {{woEsc, opNothing},
                               {woCloseBox, opNothing},
                               {woWindowSystem, opCellEditor},
                               {woWindowSystem, opDropDown},
                               {woWindowSystem, opMenu}};

inline std::string ExitName(const TExit& e) {
    switch (e.Way) {
    case woEsc:
        return "Esc";
    case woCloseBox:
        return "close box";
    default:
        return std::string("window system with ") + PartName(e.Part) + " open";
    }
}

// How a window answers Esc: as its buttons say (it leaves when it has a cancel button), or
// it must leave (it must have a cancel button).
enum TEscape { escAsItsButtons, escLeaves };

// Opens a modal window of class T by open, once for each way out (walked before it is
// left), and once more walked in its own real nested loop. A way out must end the window's
// loop (Esc only in a window with a cancel button; in one without, the window stays); a
// part the window does not have leaves it to the window system's close alone. keys answers
// the window's own keys and what each does, for the window shown.
template <class T>
void EveryWayOut(const std::string& name, TFaults& faults, const std::function<void()>& open,
                 const std::function<TKeyEffects(T*)>& keys, TEscape escape = escAsItsButtons) {
    for (const TExit& e : kExits) {
        const std::string where = name + ", " + ExitName(e);
        bool left = false;
        bool cancel = false;
        const int walked = WalkModal<T>(
            open,
            [&](T* form) {
                if (escape == escLeaves && !CancelButton(form))
                    faults.Add(where, "no cancel button, so Esc cannot close it");
                WalkWindow(form, where, keys(form), faults);
                // The walk may have closed it (Esc, a close button): it is shown again.
                if (!form->Showing())
                    form->Show();
                form->SetModalResult(mrNone);
                cancel = CancelButton(form) != nullptr;
                TGoneFlag gone(form);
                Leave(form, e.Way, e.Part);
                left = Left(form, gone);
            },
            false);
        if (walked != 1)
            faults.Add(where, "opened " + std::to_string(walked) + " times");
        if (e.Way == woEsc && left != cancel)
            faults.Add(where, left ? "Esc closes a window without a cancel button"
                                   : "Esc leaves a window with a cancel button open");
        else if (!left && e.Way != woEsc)
            faults.Add(where, "the window stays");
    }
    const std::string where = name + ", real loop";
    if (int walked = WalkModal<T>(
            open, [&](T* form) { WalkWindow(form, where, keys(form), faults); }, true);
        walked != 1)
        faults.Add(where, "opened " + std::to_string(walked) + " times");
}

} // namespace KeyWalk
