#include "framework/core/RegionData.h"

namespace {

constexpr size_t kHeaderSize = 32;
constexpr uint32_t kRectangles = 1;

uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace

bool IsValidRegionData(const uint8_t* data, size_t size) {
    if (!data || size < kHeaderSize)
        return false;
    if (GetU32(data) != kHeaderSize || GetU32(data + 4) != kRectangles)
        return false;
    uint32_t count = GetU32(data + 8);
    if (count > 0x7FFFFFFFu)
        return false;
    // Compared without multiplying, so no count overflows the test.
    return count <= (size - kHeaderSize) / 16;
}

std::vector<uint8_t> ReadStoredRegionData(std::string_view stored) {
    if (stored.size() < 4)
        return {};
    const auto* p = reinterpret_cast<const uint8_t*>(stored.data());
    uint32_t n = GetU32(p);
    if (n == 0 || n > stored.size() - 4)
        return {};
    if (!IsValidRegionData(p + 4, n))
        return {};
    return std::vector<uint8_t>(p + 4, p + 4 + n);
}

std::string StoredRegionData(const std::vector<uint8_t>& data) {
    std::string out(4, '\0');
    uint32_t n = uint32_t(data.size());
    for (int i = 0; i < 4; ++i)
        out[size_t(i)] = char(uint8_t(n >> (8 * i)));
    out.append(reinterpret_cast<const char*>(data.data()), data.size());
    return out;
}
