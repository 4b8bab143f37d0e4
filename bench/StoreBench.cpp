// The settings store: reading a store that changed on disk at 1 x, 10 x, 100 x and 1000 x a
// store of 100 keys of 8 values each (a program's placements), and changing one value at
// 1 x, 10 x and 100 x. The store lives on disk in a temporary folder. Each read shows its
// time per key in the column "per_key".
//
// Goal: both linear in the store's size (the BigO line fits oN; the time per key stays
// flat from 1 x to 1000 x).

#include "framework/core/Registry.h"
#include "framework/core/SystemUtils.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kKeysPerUnit = 100;
constexpr int kValuesPerKey = 8;

fs::path BenchFolder() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("orv-store-bench-" + std::to_string(getpid()));
        fs::create_directories(p);
        std::atexit([] {
            fs::remove_all(fs::temp_directory_path() /
                           ("orv-store-bench-" + std::to_string(getpid())));
        });
        return p;
    }();
    return folder;
}

// A store of `keys` keys with names and values like a form's placement.
std::string StoreText(int keys) {
    std::string text = "HKCU-STORE 1\n";
    for (int k = 0; k < keys; ++k) {
        text += "\n[Software\\Bench\\TfmForm" + std::to_string(k) + "]\n";
        for (int v = 0; v < kValuesPerKey; ++v)
            text += "\"NormPos" + std::to_string(v) + "\"=\"" + std::to_string(k * 7 + v) +
                    ",107,888,587\"\n";
    }
    return text;
}

fs::path MakeStore(const std::string& name, int keys) {
    const fs::path file = BenchFolder() / name;
    std::ofstream(file, std::ios::binary) << StoreText(keys);
    return file;
}

// Reading a store that changed since the last read: two files of the same content are read
// in turn, so that every read parses the whole store. The turn is kept across repetitions
// and sizes: a repetition that began with the file the last one ended with would find its
// keys kept from that read and parse nothing.
bool gReadSecond = false;

void BM_StoreRead(benchmark::State& state) {
    const int keys = int(state.range(0)) * kKeysPerUnit;
    const fs::path a = MakeStore("read-a-" + std::to_string(keys), keys);
    const fs::path b = MakeStore("read-b-" + std::to_string(keys), keys);
    for (auto _ : state) {
        gReadSecond = !gReadSecond;
        setenv("HKCU_STORE", (gReadSecond ? b : a).c_str(), 1);
        TRegistry reg;
        if (!reg.OpenKeyReadOnly("\\Software\\Bench\\TfmForm" + std::to_string(keys / 2)))
            state.SkipWithError("key missing");
        benchmark::DoNotOptimize(reg.ReadString("NormPos3"));
    }
    state.SetComplexityN(keys);
    state.counters["per_key"] = benchmark::Counter(
        keys, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetLabel("goal: linear in the store's size");
}
BENCHMARK(BM_StoreRead)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Complexity(benchmark::oN);

// Changing one value of a store on disk: lock, read, change, write, sync, rename.
void BM_StoreChangeOneValue(benchmark::State& state) {
    const int keys = int(state.range(0)) * kKeysPerUnit;
    const fs::path file = MakeStore("change-" + std::to_string(keys), keys);
    setenv("HKCU_STORE", file.c_str(), 1);
    TRegIniFile ini("Software\\Bench");
    int n = 0;
    for (auto _ : state)
        ini.WriteInteger("TfmForm" + std::to_string(keys / 2), "Left", ++n);
    state.SetComplexityN(keys);
    state.SetLabel("goal: linear in the store's size");
}
BENCHMARK(BM_StoreChangeOneValue)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
