#pragma once
// Colour helpers of the fx controls that work on raw colour values.

#include <cstddef>
#include <cstdint>

// Exchanges the lowest and third bytes of every 32-bit colour value, keeps the middle
// byte and clears the top byte (red-green-blue order to blue-green-red and back).
void SwapRedBlue(uint32_t* colors, size_t count);

// Limits a channel value to 0..255.
constexpr uint8_t ClampByte(int value) {
    return uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
}
