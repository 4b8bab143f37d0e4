#pragma once
// Constants shared by the persistence and data-entry units: the numbers of the two
// registered cursors and the names of the resources the units draw for themselves.

#include "framework/gui/Controls.h"

// Cursor numbers entered in the screen's cursor table at start-up.
constexpr TCursor crHand = 14000;
constexpr TCursor crDragHand = 14001;

// Resource names.
inline constexpr const char* kHandCursorResource = "EX_HANDCUR";
inline constexpr const char* kDragCursorResource = "EX_DRAGCUR";
inline constexpr const char* kSpinUpGlyphResource = "EXSPINUP";
inline constexpr const char* kSpinDownGlyphResource = "EXSPINDOWN";
