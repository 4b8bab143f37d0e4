#pragma once
// The window system's region data as bytes, without the toolkit: a 32-byte header
// (header size 32, type 1 for rectangles, rectangle count, size of the rectangle buffer,
// bounding rectangle) followed by the rectangles, four 32-bit little-endian integers each.
// Components store it in their form data as a 32-bit byte count followed by the bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// True for data that can be taken as a region: at least a header that gives its own size
// as 32 and the rectangle type, and a rectangle count whose rectangles fit the data.
bool IsValidRegionData(const uint8_t* data, size_t size);
// The region data of a stored entry (byte count, then the bytes). A count of 0, a count
// that runs past the entry, or data that is not valid all give no data (empty); nothing
// is read past the entry.
std::vector<uint8_t> ReadStoredRegionData(std::string_view stored);
// The stored entry of region data: its byte count, then the bytes (an empty buffer is
// the count 0 alone).
std::string StoredRegionData(const std::vector<uint8_t>& data);
