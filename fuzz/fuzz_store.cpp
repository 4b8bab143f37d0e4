// The settings store's text, read from memory (no file per input): any bytes are either
// refused as a whole or read into a store, and what the store writes for it reads back to
// the very same text.
#include "FuzzFile.h"
#include "framework/core/Registry.h"

#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string written;
    if (!ParseSettingsStoreText(text, written))
        return 0;
    std::string again;
    FUZZ_CHECK(ParseSettingsStoreText(written, again));
    FUZZ_CHECK(again == written);
    return 0;
}
