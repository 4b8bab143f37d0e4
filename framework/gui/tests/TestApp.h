#pragma once
// The drawing tests' application: the first call creates it on the offscreen platform
// (unless QT_QPA_PLATFORM names another). Every test that draws calls it before touching
// canvases, fonts or bitmaps.

#include "framework/gui/TestKit.h"

inline void EnsureTestApplication() {
    TestKit::StartBareApplication();
}
