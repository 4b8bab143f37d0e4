#pragma once
// A seeded random walk through a running program, as a careless user would go: clicks,
// double and right clicks on whatever visible, enabled control the topmost window shows,
// keys, drags, waits, window resizes and closes, the pop-up menus and drop-down lists that
// appear, the modal windows that open (walked in their turn, then closed) and every
// dialog of the dialog service answered at random. File dialogs are given names in the
// walk's own folder only. The walk prints its seed and every step; the same seed takes
// the same steps (the clock is the test kit's manual one), so a failing walk replays
// exactly from its seed and step count.

#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
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

    // One step on the topmost window; false when the walk has no step left.
    bool Step();
    std::string Act();
    std::string ActOnPopup();
    std::string Click(TControl* target, int kind);
    std::string Key();
    std::string DragIn(TCustomForm* form, bool escape);
    std::string CloseWindow(TCustomForm* form);
    void WalkModal(TCustomForm* form);

    uint64_t FState;
    std::string FFolder;
    std::ostream& FLog;
    std::vector<TAction> FActions;
    std::function<void()> FRestart;
    std::vector<TCustomForm*> FModal; // the modal forms being walked, innermost last
    int FStep = 0;
    int FLimit = 0;
};

} // namespace TestKit
