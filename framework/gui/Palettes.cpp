#include "framework/gui/Palettes.h"

#include <atomic>

int ScreenBitsPerPixel() {
    return 32;
}

HPALETTE CreatePalette(const TLogPalette& palette) {
    static std::atomic<HPALETTE> next{1};
    return palette.Entries.empty() ? 0 : next++;
}

bool DeletePalette(HPALETTE palette) {
    return palette != 0;
}

HPALETTE SelectPalette(TCanvas* /*canvas*/, HPALETTE /*palette*/, bool /*forceBackground*/) {
    return 0;
}

int RealizePalette(TCanvas* /*canvas*/) {
    return 0;
}
