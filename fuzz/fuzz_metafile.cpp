// Reading metafiles (back images of charts): any bytes give a picture or "Metafile is not
// valid", never a crash, a hang or a read outside the bytes; a picture read is drawn too.
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Metafile.h"
#include "framework/gui/TestKit.h"

#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TestKit::StartTestApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMetafile metafile;
    try {
        metafile.LoadFromBytes(std::vector<uint8_t>(data, data + size));
    } catch (const Exception&) {
        return 0;
    }
    TBitmap bitmap(32, 32);
    bitmap.Canvas()->StretchDraw(TRect(0, 0, 32, 32), &metafile);
    return 0;
}
