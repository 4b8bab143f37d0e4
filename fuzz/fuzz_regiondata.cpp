// Stored region data of buttons: any bytes are either refused or give region data whose
// rectangles all lie inside the buffer, and what is kept writes back to the same entry.
#include "FuzzFile.h"
#include "framework/core/RegionData.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view stored(reinterpret_cast<const char*>(data), size);
    std::vector<uint8_t> region = ReadStoredRegionData(stored);
    if (region.empty())
        return 0;
    FUZZ_CHECK(IsValidRegionData(region.data(), region.size()));
    FUZZ_CHECK(region.size() + 4 <= size);
    uint32_t count = uint32_t(region[8]) | (uint32_t(region[9]) << 8) |
                     (uint32_t(region[10]) << 16) | (uint32_t(region[11]) << 24);
    FUZZ_CHECK(32 + size_t(count) * 16 <= region.size());
    // Every rectangle can be read without leaving the buffer.
    int64_t sum = 0;
    for (uint32_t i = 0; i < count; ++i)
        for (int k = 0; k < 16; ++k)
            sum += region[32 + size_t(i) * 16 + size_t(k)];
    (void)sum;
    std::string again = StoredRegionData(region);
    FUZZ_CHECK(ReadStoredRegionData(again) == region);
    return 0;
}
