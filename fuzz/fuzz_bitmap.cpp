// Reading bitmaps (back images of charts, pictures): any bytes give a picture or "Bitmap
// image is not valid", never a crash, a hang or a read outside the bytes.
#include "framework/gui/Bitmaps.h"
#include "framework/gui/TestKit.h"

#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TestKit::StartTestApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBitmap bitmap;
    try {
        bitmap.LoadFromBytes(std::vector<uint8_t>(data, data + size));
    } catch (const Exception&) {
    }
    return 0;
}
