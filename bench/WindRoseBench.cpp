// Benchmarks of Pelmora's files: reading a .tab wind-climate table of 40, 400 and 4000 KB
// (360 sectors, the most a table may have, so that any work done once per header value
// shows). The files are made in a temporary folder of the benchmark's own.
//
// Goal: reading is linear in the file's size (the time per KB at 4000 KB no more than
// twice that at 40 KB). 4000 KB is just under the reader's size limit for a table.

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
        for (const auto& [kilobytes, file] : FFiles)
            DeleteFile(file);
        if (!FDir.empty())
            rmdir(FDir.c_str());
    }
    const std::string& File(int kilobytes) {
        auto found = FFiles.find(kilobytes);
        if (found != FFiles.end())
            return found->second;
        if (FDir.empty()) {
            char pattern[] = "/tmp/orv-bench-tab-XXXXXX";
            if (mkdtemp(pattern) != nullptr)
                FDir = pattern;
        }
        const std::string file = FDir + "/climate" + std::to_string(kilobytes) + ".tab";
        Make(file, size_t(kilobytes) << 10);
        return FFiles[kilobytes] = file;
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
    const int kilobytes = int(state.range(0));
    const std::string& file = TabFiles().File(kilobytes);
    for (auto _ : state) {
        TTabData table;
        LoadFromFile(table, file);
        if (table.SectorCount != kSectors || table.Rows.empty())
            state.SkipWithError("the table did not load");
        benchmark::DoNotOptimize(table);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (int64_t(kilobytes) << 10));
}
BENCHMARK(BM_LoadTab)->Arg(40)->Arg(400)->Arg(4000)->Unit(benchmark::kMillisecond);

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
    std::map<int, double> Milliseconds; // by size in KB
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
    for (const auto& [kilobytes, ms] : t)
        std::printf("Reading a .tab of %d KB: %.2f ms, %.4f ms per KB\n", kilobytes, ms,
                    ms / kilobytes);
    if (t.count(40) && t.count(4000))
        std::printf("Time per KB at 4000 KB / at 40 KB: %.2f (goal: linear, at most 2)\n",
                    (t.at(4000) / 4000) / (t.at(40) / 40));
    return 0;
}
