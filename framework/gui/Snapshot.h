#pragma once
// A picture of a control as the screen shows it: the window's own painting (a top-level
// form with its frame and caption, a child window as it stands on its parent). Used by the
// programs to write their main window to a PNG file, and by the tests.

#include <string>

class TBitmap;
class TControl;

// Handles pending messages, then puts the control's picture into the bitmap (emptied when
// the control has no window that shows it).
void SnapshotControl(TControl* control, TBitmap& bitmap);
// Writes SnapshotControl's picture to a PNG file; false when there is no picture or the file
// cannot be written.
bool SaveSnapshotToPng(TControl* control, const std::string& fileName);
