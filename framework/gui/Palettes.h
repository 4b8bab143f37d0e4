#pragma once
// Logical palettes. The screens the programs run on are true-colour, so a palette is
// accepted, selected and realised without effect; programs that realise palettes only on
// displays of 8 or fewer bits per pixel never take that path.

#include "framework/gui/Canvas.h"

#include <cstdint>
#include <vector>

using HPALETTE = uintptr_t;

struct TPaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t Flags = 0;
};

struct TLogPalette {
    uint16_t Version = 0x300;
    std::vector<TPaletteEntry> Entries;
};

// Bits per pixel of the screen (BITSPIXEL): always true colour.
int ScreenBitsPerPixel();
// A palette handle, unique for the run (0 for an empty palette).
HPALETTE CreatePalette(const TLogPalette& palette);
bool DeletePalette(HPALETTE palette);
// Selects the palette into the canvas and answers the previously selected one.
HPALETTE SelectPalette(TCanvas* canvas, HPALETTE palette, bool forceBackground);
// Maps the selected palette into the system palette; answers the number of entries
// changed (none on a true-colour screen).
int RealizePalette(TCanvas* canvas);
