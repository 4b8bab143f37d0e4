// Benchmarks of Pelmora's files: reading a .tab wind-climate table of 1, 10 and 100 MB
// (360 sectors, the most a table may have, so that any work done once per header value
// shows). The files are made in a temporary folder of the benchmark's own.
//
// Goal: reading is linear in the file's size (the time per MB at 100 MB no more than
// twice that at 1 MB).

#include "framework/core/SystemUtils.h"
#include "windrose/TabData.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

constexpr int kSectors = 360;

// The table files, made on first use and removed at exit.
class TTabFiles {
public:
    ~TTabFiles() {
        for (const auto& [megabytes, file] : FFiles)
            DeleteFile(file);
        if (!FDir.empty())
            rmdir(FDir.c_str());
    }
    const std::string& File(int megabytes) {
        auto found = FFiles.find(megabytes);
        if (found != FFiles.end())
            return found->second;
        if (FDir.empty()) {
            char pattern[] = "/tmp/orv-bench-tab-XXXXXX";
            if (mkdtemp(pattern) != nullptr)
                FDir = pattern;
        }
        const std::string file = FDir + "/climate" + std::to_string(megabytes) + ".tab";
        Make(file, size_t(megabytes) << 20);
        return FFiles[megabytes] = file;
    }

private:
    // A table of about `bytes` bytes: title, header, sector count, frequencies, and speed
    // classes of per-mille values, none of them all zero.
    static void Make(const std::string& file, size_t bytes) {
        std::string text = "Bench climate\r\n1 2 3\r\n" + std::to_string(kSectors) + "\r\n";
        for (int s = 0; s < kSectors; ++s)
            text += std::to_string(100.0 / kSectors).substr(0, 6) + " ";
        text += "\r\n";
        for (int row = 0; text.size() < bytes; ++row) {
            text += std::to_string(row % 40) + ".5";
            for (int s = 0; s < kSectors; ++s)
                text += " " + std::to_string((row * 7 + s * 13) % 997 + 1) + ".25";
            text += "\r\n";
        }
        std::ofstream(file, std::ios::binary) << text;
    }
    std::string FDir;
    std::map<int, std::string> FFiles;
};

TTabFiles& TabFiles() {
    static TTabFiles files;
    return files;
}

void BM_LoadTab(benchmark::State& state) {
    const int megabytes = int(state.range(0));
    const std::string& file = TabFiles().File(megabytes);
    for (auto _ : state) {
        TTabData table;
        LoadFromFile(table, file);
        if (table.SectorCount != kSectors || table.Rows.empty())
            state.SkipWithError("the table did not load");
        benchmark::DoNotOptimize(table);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (int64_t(megabytes) << 20));
}
BENCHMARK(BM_LoadTab)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// Keeps the real time per iteration (ms) of every size for the summary: of the run itself,
// or the mean of its repetitions when there are some (the only figure reported with
// --benchmark_report_aggregates_only).
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred ||
                (run.run_type != Run::RT_Iteration && run.aggregate_name != "mean"))
                continue;
            if (!run.run_name.args.empty())
                Milliseconds[std::stoi(run.run_name.args)] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<int, double> Milliseconds; // by size in MB
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& t = reporter.Milliseconds;
    for (const auto& [megabytes, ms] : t)
        std::printf("Reading a .tab of %d MB: %.1f ms, %.2f ms per MB\n", megabytes, ms,
                    ms / megabytes);
    if (t.count(1) && t.count(100))
        std::printf("Time per MB at 100 MB / at 1 MB: %.2f (goal: linear, at most 2; a table "
                    "of 100 MB also pays for its memory fresh from the system, which smaller "
                    "ones reuse from the run before)\n",
                    (t.at(100) / 100) / t.at(1));
    return 0;
}
