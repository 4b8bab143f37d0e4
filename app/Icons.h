#pragma once
// The program's own icons, drawn in code in one style (dark outline, flat fills): the
// tool-bar images in three renderings (coloured for the hot list, grey for the normal
// list, pale for the disabled list), the device icons and the view icons.

#include "framework/gui/Canvas.h"
#include "framework/gui/ImageList.h"

enum class TIconStyle { Hot, Gray, Disabled };

// The colour a drawing colour takes in a rendering.
TColor IconColor(TColor color, TIconStyle style);

// Tool-bar image index (0..15) in a 22 x 20 cell at the canvas origin.
void PaintToolIcon(TCanvas* canvas, int index, TIconStyle style);
// Device icon index (0..15) in a size x size cell at the canvas origin.
void PaintDeviceIcon(TCanvas* canvas, int index, int size);
// View icon index (0..9) in a 32 x 32 cell at the canvas origin.
void PaintViewIcon(TCanvas* canvas, int index);

// Fill an (empty) image list with the first count images of a kind; the list's size
// gives the cell.
void FillToolImages(TImageList* list, int count, TIconStyle style);
void FillDeviceImages(TImageList* list);
void FillViewImages(TImageList* list, int count);
