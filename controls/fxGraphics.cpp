#include "controls/fxGraphics.h"

void SwapRedBlue(uint32_t* colors, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = colors[i];
        colors[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
}
