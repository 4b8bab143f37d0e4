// The binary component stream's reader (used by the tests that check what the programs
// write): any bytes give a component tree or a read error, never a crash or a hang.
#include "FuzzFile.h"
#include "framework/core/Streams.h"
#include "framework/core/tests/ComponentReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream stream;
    if (size)
        stream.Write(data, size);
    stream.SetPosition(0);
    try {
        (void)ReadComponentStream(stream);
    } catch (const Exception&) {
    }
    return 0;
}
