#pragma once
// Suspending a window's painting while it is rebuilt: a control's top-level window shows
// none of the steps of a change made under a TRedrawLock and repaints once when the
// outermost lock ends. A count of window paints lets tests see how often that happens.

#include "framework/gui/Messages.h"

#include <functional>

class TControl;
class TWinControl;

class TRedrawLock {
public:
    // Locks the top-level window holding control (nothing happens for a control without
    // a window). Locks nest: only the outermost one suspends and resumes the painting.
    explicit TRedrawLock(TControl* control);
    ~TRedrawLock();
    TRedrawLock(const TRedrawLock&) = delete;
    TRedrawLock& operator=(const TRedrawLock&) = delete;

private:
    HWND FWindow = 0; // held by handle: a window freed meanwhile is not touched again
};

// True while the top-level window holding control has its painting suspended.
bool RedrawLocked(const TControl* control);

// How many times a window has painted its content since the program started (a window
// whose picture is current and only shown again is not counted).
long WindowPaintCount();

// Called with every window as it paints its content (an empty function: nobody); answers
// the observer it replaces. For tests and benchmarks that see which windows paint.
using TPaintObserver = std::function<void(TWinControl*)>;
TPaintObserver SetPaintObserver(TPaintObserver observer);
