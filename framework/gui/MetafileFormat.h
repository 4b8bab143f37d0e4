#pragma once
// What the metafile's writers, its reader and the picture class share: the record numbers
// of both file formats, the codes they store the drawing state as, and the entry points of
// the writers and the reader. Used only by the metafile's own sources.

#include "framework/gui/Metafile.h"

#include <cstdint>
#include <vector>

namespace MetafileFormat {

// Enhanced metafile record types.
constexpr uint32_t EMR_HEADER = 1, EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87, EMR_EOF = 14,
                   EMR_SETPIXELV = 15, EMR_SETWINDOWORGEX = 10, EMR_SETBKMODE = 18,
                   EMR_SETROP2 = 20, EMR_SETPOLYFILLMODE = 19, EMR_SETTEXTALIGN = 22,
                   EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27,
                   EMR_INTERSECTCLIPRECT = 30, EMR_SAVEDC = 33, EMR_RESTOREDC = 34,
                   EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
                   EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
                   EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_LINETO = 54,
                   EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTW = 84;

// Windows metafile record functions.
constexpr uint16_t META_EOF = 0x0000, META_SAVEDC = 0x001E, META_SETBKMODE = 0x0102,
                   META_SETMAPMODE = 0x0103, META_SETROP2 = 0x0104, META_SETPOLYFILLMODE = 0x0106,
                   META_RESTOREDC = 0x0127, META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E,
                   META_DELETEOBJECT = 0x01F0, META_SETBKCOLOR = 0x0201, META_SETTEXTCOLOR = 0x0209,
                   META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C, META_LINETO = 0x0213,
                   META_MOVETO = 0x0214, META_CREATEPENINDIRECT = 0x02FA,
                   META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC,
                   META_POLYGON = 0x0324, META_POLYLINE = 0x0325, META_INTERSECTCLIPRECT = 0x0416,
                   META_ELLIPSE = 0x0418, META_RECTANGLE = 0x041B, META_SETPIXEL = 0x041F,
                   META_ROUNDRECT = 0x061C, META_ARC = 0x0817, META_PIE = 0x081A,
                   META_CHORD = 0x0830, META_EXTTEXTOUT = 0x0A32, META_STRETCHDIB = 0x0F43;

// The first bytes of the headers.
constexpr uint32_t kEnhancedSignature = 0x464D4520; // " EMF"
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

// The binary raster operation a pen mode is stored as, and back (pmCopy for an unknown
// code).
uint32_t Rop2Code(TPenMode mode);
TPenMode PenModeFromRop2(uint32_t code);

// The smallest rectangle holding the points (their right and bottom included).
TRect BoundsOf(const std::vector<TPoint>& points);

std::vector<uint8_t> WriteEnhanced(const TMetafile& metafile);
std::vector<uint8_t> WriteWindows(const TMetafile& metafile);

// A metafile read back: its drawing calls, its size in pixels and, for a Windows metafile,
// the units per inch of its placeable header.
struct TReadMetafile {
    std::vector<TMetafileRecord> Records;
    int Width = 0;
    int Height = 0;
    bool Enhanced = true;
    int Inch = 96;
};

// Reads either format; raises EInvalidGraphic MetafileNotValid for bytes that are
// neither or that point outside themselves.
TReadMetafile Read(const std::vector<uint8_t>& bytes);

// The picture of an image record (a null image for a record without one).
const QImage& ImageOf(const TMetafileRecord& record);

} // namespace MetafileFormat
