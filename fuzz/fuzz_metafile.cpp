// Reading metafiles (back images of charts): any bytes give a picture or "Metafile is not
// valid", never a crash, a hang or a read outside the bytes.
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
    }
    return 0;
}
