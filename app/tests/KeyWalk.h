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
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "framework/gui/Menus.h"
#include "framework/gui/Messages.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"
#include "persist/ExGrids.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace KeyWalk {

// Hears when the component it watches is freed.
class TGoneFlag : public TComponent {
public:
    explicit TGoneFlag(TComponent* watched) : TComponent(nullptr), FWatched(watched) {
        if (watched)
            watched->FreeNotification(this);
    }
    ~TGoneFlag() override {
        if (FWatched)
            FWatched->RemoveFreeNotification(this);
    }
    void ComponentNotification(TComponent* c, TOperation op) override {
        TComponent::ComponentNotification(c, op);
        if (op == opRemove && c == FWatched)
            FWatched = nullptr;
    }
    bool Gone() const { return FWatched == nullptr; }

private:
    TComponent* FWatched;
};

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

// Tab from the first stop through the whole tab order and once round again, then
// Shift+Tab as far back: each press leaves the focus inside the window, and forward Tab
// reaches every stop. Controls that take Tab themselves (a grid moving between its cells)
// end the round where they stand.
inline void TabRounds(TCustomForm* form, const std::string& where, TFaults& faults) {
    TGoneFlag gone(form);
    const std::vector<TWinControl*> stops = TabStops(form);
    if (stops.empty()) {
        TestKit::PressKey(VK_TAB);
        TestKit::PressKey(VK_TAB, TShiftState{ssShift});
        return;
    }
    TestKit::Focus(stops.front());
    if (!FocusIn(form))
        faults.Add(where, "the first stop " + NameOf(stops.front()) + " takes no focus");
    const int presses = 2 * int(stops.size()) + 1;
    for (bool forward : {true, false}) {
        std::set<TWinControl*> seen;
        for (int i = 0; i < presses && Open(form, gone); ++i) {
            TWinControl* before = FindFocusedControl();
            TestKit::PressKey(VK_TAB, forward ? TShiftState{} : TShiftState{ssShift});
            if (!Open(form, gone))
                return;
            TWinControl* now = FocusIn(form);
            if (!now) {
                faults.Add(where, std::string(forward ? "Tab" : "Shift+Tab") + " from " +
                                      NameOf(before) + " left the window for " +
                                      NameOf(FindFocusedControl()));
                TestKit::Focus(stops.front());
                continue;
            }
            seen.insert(now);
            // A control keeping Tab for itself (grids with cell tabbing) holds the focus.
            if (now == before && stops.size() > 1)
                break;
        }
        // A stop counts as reached when the focus was on it or inside it (a grid's cell
        // editor).
        auto reached = [&](TWinControl* s) {
            for (TWinControl* c : seen)
                if (c == s || s->ContainsControl(c))
                    return true;
            return false;
        };
        if (forward && seen.size() >= stops.size() - 1)
            for (TWinControl* s : TabStops(form))
                if (!reached(s))
                    faults.Add(where, "Tab never reaches " + NameOf(s));
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

// Walks the window: the tab rounds, then on every tab stop the common keys and the
// window's own, then Esc. Answers what went wrong.
inline void WalkWindow(TCustomForm* form, const std::string& where,
                       const std::vector<std::string>& ownKeys, TFaults& faults) {
    TGoneFlag gone(form);
    TabRounds(form, where, faults);
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
        PressKeys(form, CommonKeys());
    }
    if (Open(form, gone) && !ownKeys.empty()) {
        if (std::vector<TWinControl*> now = TabStops(form); !now.empty())
            TestKit::Focus(now.front());
        PressKeys(form, ownKeys);
    }
    PressKeys(form, {"Esc"});
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

// Opens a modal window of class T by open, once for each way out (walked before it is
// left), and once more walked in its own real nested loop. A way out must end the window's
// loop; a part the window does not have leaves it to the window system's close alone.
template <class T>
void EveryWayOut(const std::string& name, TFaults& faults, const std::function<void()>& open,
                 const std::vector<std::string>& keys) {
    for (const TExit& e : kExits) {
        const std::string where = name + ", " + ExitName(e);
        bool left = false;
        const int walked = WalkModal<T>(
            open,
            [&](T* form) {
                WalkWindow(form, where, keys, faults);
                // The walk may have closed it (Esc, a close button): it is shown again.
                if (!form->Showing())
                    form->Show();
                TGoneFlag gone(form);
                Leave(form, e.Way, e.Part);
                left = gone.Gone() || !form->Showing() || form->ModalResult() != mrNone;
            },
            false);
        if (walked != 1)
            faults.Add(where, "opened " + std::to_string(walked) + " times");
        // Esc closes only a window with a cancel button; the close box always does.
        if (!left && e.Way != woEsc)
            faults.Add(where, "the window stays");
    }
    const std::string where = name + ", real loop";
    if (int walked = WalkModal<T>(
            open, [&](T* form) { WalkWindow(form, where, keys, faults); }, true);
        walked != 1)
        faults.Add(where, "opened " + std::to_string(walked) + " times");
}

} // namespace KeyWalk
