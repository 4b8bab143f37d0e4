#pragma once
// Internal to the controls that lay scroll bars of their own over their window (the grids
// and the list view): which bars show, where they stand, their range, and their life with
// the window.

#include <functional>

class QScrollBar;
class QWidget;

namespace ScrollBarLayout {

// The bars a control shows.
struct TBarsShown {
    bool Vert = false;
    bool Horz = false;
    bool operator==(const TBarsShown&) const = default;
};

// The bars to show, from what the content needs while the given bars are shown. Showing
// one bar narrows the other direction, so bars are only ever added.
TBarsShown ChooseBars(const std::function<TBarsShown(TBarsShown shown)>& needs);

// Makes the shown bars that do not exist yet (connect hooks the control to a new bar),
// shows or hides each, and lays the shown ones along the right and bottom edges of the
// width x height window inside its border: the vertical bar stops above the horizontal.
void PlaceBars(QWidget* window, QScrollBar*& vert, QScrollBar*& horz, TBarsShown shown,
               const std::function<void(QScrollBar* bar, bool vertical)>& connect, int width,
               int height, int border, int barSize);

// Sets a bar's range to 0..max, its page and line steps (at least 1) and its value.
void SetBarParams(QScrollBar* bar, int max, int page, int line, int value);

// The window is going: both bars go with it.
void ReleaseBars(QScrollBar*& vert, QScrollBar*& horz);

} // namespace ScrollBarLayout
