#pragma once
// Shared pieces of the fuzz targets. A target whose reader takes a file name writes each
// input to a file of its own in a folder of this process on a RAM-backed file system
// (/dev/shm where there is one), so a million inputs cost no disk writes. The folder is
// removed when the fuzzer ends, however it ends: the fuzzer leaves by _Exit, which runs no
// exit handlers, so a small watcher process waits for the fuzzer's end and removes it.

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "framework/core/SystemUtils.h"

// Forks a process that waits until this one has ended (the pipe's write end closes with
// it), then removes the folder.
inline void RemoveWhenProcessEnds(const std::filesystem::path& folder) {
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const pid_t watcher = fork();
    if (watcher == 0) {
        close(fds[1]);
        signal(SIGINT, SIG_IGN);
        char byte;
        while (read(fds[0], &byte, 1) != 0 && errno == EINTR) {
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        _exit(0);
    }
    close(fds[0]);
    if (watcher < 0)
        close(fds[1]);
}

// The folder of this process's temporary files, made on first use.
inline const std::filesystem::path& FuzzFolder() {
    static const std::filesystem::path folder = [] {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        const fs::path p = base / ("orv-fuzz-" + std::to_string(getpid()));
        fs::create_directories(p);
        RemoveWhenProcessEnds(p);
        return p;
    }();
    return folder;
}

// A file that holds the current input; one per process, rewritten for every input.
inline const std::string& FuzzFileName(const char* ext) {
    static const std::string name = (FuzzFolder() / ("input" + std::string(ext))).string();
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

// Whether the file still holds exactly the input's bytes.
inline bool FileHolds(const std::string& name, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f)
        return false;
    std::string bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, n);
    std::fclose(f);
    return bytes.size() == size && (size == 0 || std::memcmp(bytes.data(), data, size) == 0);
}

// A promise broken: stop the fuzzer with a report it can minimise.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
