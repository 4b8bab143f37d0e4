#pragma once
// A seeded random walk through a running program, as a careless user would go: clicks,
// double and right clicks on whatever visible, enabled control the topmost window shows,
// the menu key, keys alone and with Ctrl or Alt, numbers typed into boxes and cells, drags,
// waits, window resizes and closes, the menu bar (by F10 and by clicks on it), the pop-up
// menus and drop-down lists that appear, the modal windows that open (walked in their turn,
// then closed) and every dialog of the dialog service answered at random. File dialogs are
// given names in the walk's own folder only. The walk prints its seed and every step; the
// same seed takes the same steps (the clock is the test kit's manual one), so a failing
// walk replays exactly from its seed and step count.
//
// What the steps show is sorted. An exception that reaches the application's handler is
// either a refusal the program means to show (a number out of range, a file that cannot be
// read) or a finding (an index out of bounds, a standard library error, a text no program
// writes). Also findings: an error with no text of its own, a window left on screen that
// nothing can close, a modal loop still running after its window is gone. The walk prints
// a finding with its step and ends there.

#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

namespace TestKit {

class TRandomWalk {
public:
    // A program's own step (a view switch, a drag between two of its lists): answers what
    // it did, "" when it could do nothing now.
    using TActionFn = std::function<std::string(TRandomWalk&)>;

    // The walk answers file dialogs inside folder and writes its steps to log.
    TRandomWalk(uint64_t seed, std::string folder, std::ostream& log);
    ~TRandomWalk();
    TRandomWalk(const TRandomWalk&) = delete;
    TRandomWalk& operator=(const TRandomWalk&) = delete;

    void AddAction(const std::string& name, int weight, TActionFn action);
    // Called between steps once the program has ended (its main window closed): starts it
    // again so that the walk goes on.
    void SetRestart(std::function<void()> restart) { FRestart = std::move(restart); }

    // Takes up to steps steps (steps nested in modal windows included), stopping early
    // when stop answers true between two steps at the outer level; answers the steps
    // taken. The scripted dialogs and modal handler of the walk are in force meanwhile.
    int Run(int steps, const std::function<bool()>& stop = {});

    // ---- What the steps show
    // An exception of exactly the class E whose text matches one of the patterns is a
    // refusal the program means to show. Patterns are Format patterns: each directive (%s,
    // %d, %.2f ...) stands for any text; without patterns every text of the class is a
    // refusal. The framework's own refusals are known from the start: its conversion texts
    // (EConvertError) and files that cannot be read or written (EInOutError, EFOpenError,
    // EFCreateError).
    template <class E> void AddRefusal(std::vector<std::string> patterns = {}) {
        FRefusals.push_back({&typeid(E), std::move(patterns)});
    }
    // Whether the exception is one of the refusals.
    bool IsRefusal(const std::exception& e) const;
    // True when text reads as the Format pattern gives it.
    static bool MatchesPattern(const std::string& text, const std::string& pattern);
    // The findings, each with its step ("" lines none): the walk ends at the first.
    const std::vector<std::string>& Findings() const { return FFindings; }

    // ---- What the steps were
    // How many times each kind of step ran, and each kind of outcome (a pop-up menu shown,
    // a menu item chosen), in a fixed order, the program's own actions last.
    std::vector<std::pair<std::string, int>> Counts() const;
    // The counts as a table, one kind a line.
    void PrintCounts(std::ostream& out) const;

    // ---- For the program's actions
    uint64_t Next();
    // 0 .. n-1 (0 when n <= 0).
    int Below(int n);
    bool Chance(int percent) { return Below(100) < percent; }
    // The window the walk acts on: the modal form being walked, else the active form,
    // else the last visible top-level form.
    TCustomForm* TopForm() const;
    // Visible, enabled controls of the form (its own client area included), in z order.
    std::vector<TControl*> Targets(TCustomForm* form) const;
    // "Form.Panel.Edit": the control's parents' names (class names where unnamed).
    static std::string NameOf(const TControl* control);
    int StepsTaken() const { return FStep; }
    const std::string& Folder() const { return FFolder; }
    void Log(const std::string& line);

private:
    class TWalkDialogs;
    friend class TWalkDialogs;
    struct TAction {
        std::string Name;
        int Weight;
        TActionFn Fn;
    };
    struct TRefusal {
        const std::type_info* Class;
        std::vector<std::string> Patterns;
    };

    // One step on the topmost window; false when the walk has no step left.
    bool Step();
    std::string Act();
    std::string ActOnPopup();
    std::string Click(TControl* target, int kind);
    std::string ContextMenu(const std::vector<TControl*>& targets, bool byKey);
    std::string Key();
    std::string TypeNumber(const std::vector<TControl*>& targets);
    std::string MenuBar(TCustomForm* form);
    std::string DragIn(TCustomForm* form, bool escape);
    std::string CloseWindow(TCustomForm* form);
    void WalkModal(TCustomForm* form);
    void Count(const std::string& kind) { ++FCounts[kind]; }
    // A finding: printed with the step, and the walk ends.
    void Finding(const std::string& what);
    void ExceptionShown(const std::exception& e);
    // Windows on screen that nothing can close, looked for between outer steps.
    void CheckWindows();
    std::string Prefix() const;

    uint64_t FState;
    std::string FFolder;
    std::ostream& FLog;
    std::vector<TAction> FActions;
    std::function<void()> FRestart;
    std::vector<TCustomForm*> FModal; // the modal forms being walked, innermost last
    std::vector<TRefusal> FRefusals;
    std::vector<std::string> FFindings;
    std::map<std::string, int> FCounts;
    int FStep = 0;
    int FLimit = 0;
};

} // namespace TestKit
