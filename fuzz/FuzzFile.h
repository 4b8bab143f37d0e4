#pragma once
// Shared pieces of the fuzz targets: each target writes its input to a temporary file of
// its own and hands the file name to the reader under test.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "framework/core/SysUtils.h"

// A file that holds the current input; one per process, rewritten for every input.
inline const std::string& FuzzFileName(const char* ext) {
    static const std::string name = "/tmp/orv-fuzz-" + std::to_string(getpid()) + std::string(ext);
    return name;
}

inline const std::string& WriteFuzzInput(const uint8_t* data, size_t size, const char* ext) {
    const std::string& name = FuzzFileName(ext);
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f)
        std::abort();
    if (size && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return name;
}

// A promise broken: stop the fuzzer with a report it can minimise.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
