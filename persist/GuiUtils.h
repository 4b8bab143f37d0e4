#pragma once
// Small window-system helpers: a default beep, removal of one queued message, aligned
// cell-text drawing (through one cached off-screen bitmap where the text needs it), and
// the resources of the units: two registered cursors and the spin-button glyphs, all
// drawn here.

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"

#include <string>
#include <string_view>

enum TVertAlignment { vaTopJustify, vaCenter, vaBottomJustify };

// The platform's default beep (message beep type 0).
void Beep();

// Removes one queued message numbered msg for the window, if any. A removed WM_QUIT is
// posted again with its exit code, so that a request to end the program is never lost.
void DiscardPendingMessage(HWND window, UINT msg);

// Draws text in cellRect at horizontal offset dx and vertical offset dy. Word-wrapped
// text and text with a carriage return go through the cached bitmap; plain text is
// drawn directly, clipped to the cell.
void DrawCellTextBuffered(TCanvas* canvas, const TRect& cellRect, int dx, bool rightToLeft,
                          bool wordWrap, TAlignment alignment, std::string_view text, int dy);
// The same on a grid's canvas, with dx = 2 and dy from the vertical alignment.
void DrawCellTextAligned(TCustomControl* grid, bool rightToLeft, bool wordWrap,
                         TVertAlignment verticalAlignment, TAlignment alignment,
                         const TRect& cellRect, std::string_view text);
void DrawCellTextAligned(TCanvas* canvas, bool rightToLeft, bool wordWrap,
                         TVertAlignment verticalAlignment, TAlignment alignment,
                         const TRect& cellRect, std::string_view text);

// The bitmap behind buffered cell drawing: created on first use, grown as needed and
// never shrunk, freed at program exit.
TBitmap* CachedCellBitmap();

// Fills the bitmap with the named bitmap resource ("EXSPINUP", "EXSPINDOWN");
// EInvalidGraphic for an unknown name.
void LoadExBitmap(TBitmap* bitmap, std::string_view resourceName);

// Enters the hand and drag cursors ("EX_HANDCUR", "EX_DRAGCUR") in the screen's cursor
// table as crHand and crDragHand; done once, by the units' components when the first of
// them is created (the cursors need the running application).
void RegisterExCursors();
