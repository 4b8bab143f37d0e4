// Benchmarks of the year model: the hourly energy balance over 8760 hours with the
// workbench's per-hour callback, its floors (the same arithmetic written as plain loops:
// totals in locals, the hour's results stored in the hourly arrays without a call, the power
// curve's segment found by a table of speed ranges, a scan from the start or a search by
// halving, one floor each; each checked to give the same results to the bit), Simulate's
// ratio to the fastest floor, and a battery sizing by bisection over whole-year balances.
//
// Inputs: the default files beside the program (a synthetic year for any that is missing),
// the workbench's placeholder load (800 W x a uniform random number per hour, fixed seed)
// and PV production (PVPower x PVDayProfile).

#include "framework/core/SystemUtils.h"
#include "model/Data.h"
#include "model/RootsEqu.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Stores the hour's results as the workbench does.
void StoreHourResult(int hour, double windPower, double, double, double genset, double dump,
                     double charge) {
    WGProduction[hour] = windPower;
    GensetProduction[hour] = genset;
    Surplus[hour] = dump;
    BatteryCharge[hour] = charge;
}

const TSimHourEvent kStoreHourResult = StoreHourResult;

std::string InputDescription;

// The model with the default files, completed by a synthetic year where one is missing.
void PrepareYear() {
    InitModel();
    const std::string dir = AppDir();
    std::string wind = "default.dat";
    std::string curve = "default.pow";
    RandSeed = 12345;
    if (!FileExists(dir + "/default.dat") || WindSpeed.empty()) {
        // Weibull wind, k 1.697 and c 6.484.
        WindSpeed.assign(HoursPerYear, 0);
        for (double& v : WindSpeed)
            v = 6.484 * std::pow(-std::log(1 - Random()), 1 / 1.697);
        wind = "synthetic wind";
    }
    if (PwrCurve->PointCount() < 3) {
        // A 1 kW machine: cut-in 3 m/s, rated at 12 m/s, cut-out 25 m/s.
        PwrCurve = std::make_unique<TWindPwrCurve>();
        for (int v = 0; v <= 25; ++v) {
            const double p = v < 3 ? 0 : v >= 12 ? 1000 : 1000 * std::pow((v - 2) / 10.0, 3);
            PwrCurve->AddPoint({double(v), p});
        }
        curve = "synthetic curve";
    }
    RandSeed = 0;
    for (double& load : DemandLoad)
        load = 800 * Random();
    for (size_t i = 0; i < PVProduction.size(); ++i)
        PVProduction[i] = PVPower * PVDayProfile[i % 24];
    InputDescription = wind + ", " + curve + " (" + std::to_string(PwrCurve->PointCount()) +
                       " points), " + std::to_string(WindSpeed.size()) + " hours";
    for (const std::string& error : DefaultLoadErrors)
        std::fprintf(stderr, "%s\n", error.c_str());
}

// The balance and its floors run on the power curve as loaded (argument dense_curve:0) and
// on the same curve sampled at 501 evenly spaced speeds (dense_curve:1): how the segment of
// an hour's speed is best found depends on the number of points.
const char* const kCurveArguments[] = {"dense_curve:0", "dense_curve:1"};

// Puts the dense curve in place of the loaded one for a benchmark's run, when its argument
// asks for it, and the loaded one back after it.
class TCurveInUse {
public:
    explicit TCurveInUse(const benchmark::State& state) {
        if (state.range(0) == 0)
            return;
        FLoaded = std::move(PwrCurve);
        PwrCurve = std::make_unique<TWindPwrCurve>();
        const auto& points = FLoaded->Points();
        if (points.empty())
            return;
        const double first = points.front().Speed, last = points.back().Speed;
        const int segments = 500;
        for (int k = 0; k <= segments; ++k) {
            const double v = k == segments ? last : first + (last - first) * k / segments;
            PwrCurve->AddPoint({v, FLoaded->PowerAt(v)});
        }
    }
    ~TCurveInUse() {
        if (FLoaded)
            PwrCurve = std::move(FLoaded);
    }
    TCurveInUse(const TCurveInUse&) = delete;
    TCurveInUse& operator=(const TCurveInUse&) = delete;

private:
    std::unique_ptr<TWindPwrCurve> FLoaded;
};

// Runs a benchmark on each curve, timed in microseconds.
void OnEachCurve(benchmark::internal::Benchmark* bench) {
    bench->ArgName("dense_curve")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
}

std::string CurveLabel() {
    return std::to_string(PwrCurve->PointCount()) + " points";
}

void BM_Simulate(benchmark::State& state) {
    const TCurveInUse curve(state);
    TSimResult r;
    for (auto _ : state) {
        Simulate(WindSpeed, PVProduction, DemandLoad, PwrCurve.get(), BatCapacity, kStoreHourResult,
                 r);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    state.counters["hours"] = double(WindSpeed.size());
    state.SetLabel(CurveLabel() + ", goal <= 2 x the fastest BM_SimulateFloor");
}
BENCHMARK(BM_Simulate)->Apply(OnEachCurve);

// The floor of Simulate: the same balance, hour by hour, with nothing avoidable in it. The
// power curve is plain arrays (speeds ascending, powers scaled by the curve's power factor);
// the totals are kept in locals, and the hour's results go straight into the hourly arrays
// where the workbench's callback puts them, with no call per hour. The segment of an hour's
// speed is found in one of three ways, each timed as a floor of its own: a short scan from
// where a table of 8n + 8 equal speed ranges says the speed's range starts, a scan from the
// start, and a search by halving. All three find the same point, so each floor computes
// Simulate's results to the bit. Which is fastest depends on the machine and on the number
// of points; Simulate is measured against the fastest on each curve.
enum class TSegmentSearch { RangeTable, ScanFromStart, Halving };

struct TFloorCurve {
    std::vector<double> Speed;
    std::vector<double> Power;
    std::vector<size_t> RangeStart; // the first point at or above each speed range's start
    double Origin = 0;
    double Scale = 0; // ranges per m/s

    explicit TFloorCurve(const TWindPwrCurve& curve) {
        for (const TPwrCurvePoint& p : curve.Points()) {
            Speed.push_back(p.Speed);
            Power.push_back(p.Power * curve.PowerFactor());
        }
        const size_t n = Speed.size();
        if (n < 3)
            return;
        const size_t ranges = 8 * n + 8;
        Origin = Speed.front();
        const double span = Speed.back() - Origin;
        Scale = span > 0 && std::isfinite(span) ? double(ranges) / span : 0;
        RangeStart.assign(ranges, n - 1);
        size_t i = 0;
        for (size_t range = 0; range < ranges; ++range) {
            while (i < n && RangeOf(Speed[i]) < range)
                ++i;
            RangeStart[range] = std::min(i, n - 1);
        }
    }
    size_t RangeOf(double v) const {
        const double t = (v - Origin) * Scale;
        const size_t last = RangeStart.size() - 1;
        return !(t > 0) ? 0 : t >= double(last + 1) ? last : size_t(t);
    }
    // The first point whose speed is at or above v, for v above the second point's speed and
    // at most the last point's: the third point or one after it.
    template <TSegmentSearch search> size_t FirstPointAtOrAbove(double v) const {
        if constexpr (search == TSegmentSearch::RangeTable) {
            size_t i = RangeStart[RangeOf(v)];
            while (Speed[i] < v)
                ++i;
            return i;
        } else if constexpr (search == TSegmentSearch::ScanFromStart) {
            size_t i = 2;
            while (Speed[i] < v)
                ++i;
            return i;
        } else {
            return size_t(std::lower_bound(Speed.begin() + 2, Speed.end(), v) - Speed.begin());
        }
    }
    // 0 outside the curve and up to the second point's speed, linear above it.
    template <TSegmentSearch search> double PowerAt(double v) const {
        if (RangeStart.empty() || !(v >= Speed.front() && v <= Speed.back()) || v <= Speed[1])
            return 0;
        const size_t i = FirstPointAtOrAbove<search>(v);
        return (v - Speed[i - 1]) * (Power[i] - Power[i - 1]) / (Speed[i] - Speed[i - 1]) +
               Power[i - 1];
    }
};

template <TSegmentSearch search>
void SimulateFloorLoop(const TFloatArray& wind, const TFloatArray& pv, const TFloatArray& load,
                       const TFloorCurve& curve, double capacity, TSimResult& r) {
    const double minCharge = BatSafeCoef * capacity;
    double charge = SimParams.BatStartFull ? capacity : minCharge;
    r.InitialCharge = charge;
    const double velFactor = WindVelFactor;
    const double generators = SimParams.WGCount;
    const size_t hours = std::min({wind.size(), pv.size(), load.size(), WGProduction.size(),
                                   GensetProduction.size(), Surplus.size(), BatteryCharge.size()});
    double* windOut = WGProduction.data();
    double* gensetOut = GensetProduction.data();
    double* dumpOut = Surplus.data();
    double* chargeOut = BatteryCharge.data();
    // Summed in the same order as Simulate sums, so the totals are the same to the bit.
    double totLoad = 0, totWind = 0, totGenset = 0, totDump = 0, totPV = 0;
    for (size_t i = 0; i < hours; ++i) {
        const double wp = curve.PowerAt<search>(wind[i] * velFactor) * generators;
        const double avail = charge + wp + pv[i];
        const double x = avail - load[i];
        double genset = 0;
        double dump = 0;
        double newCharge;
        if (x <= minCharge) {
            genset = load[i] - (avail - minCharge);
            newCharge = minCharge;
        } else if (x >= capacity) {
            newCharge = capacity;
            dump = avail - capacity - load[i];
        } else {
            newCharge = charge + pv[i] + wp - load[i];
        }
        totLoad += load[i];
        totWind += wp;
        totGenset += genset;
        totDump += dump;
        totPV += pv[i];
        windOut[i] = wp;
        gensetOut[i] = genset;
        dumpOut[i] = dump;
        chargeOut[i] = newCharge;
        charge = newCharge;
    }
    r.TotLoad = totLoad;
    r.TotWind = totWind;
    r.TotGenset = totGenset;
    r.TotDump = totDump;
    r.TotPV = totPV;
    r.FinalCharge = charge;
}

bool CurveAscending(const TWindPwrCurve& curve) {
    const auto& points = curve.Points();
    for (size_t i = 1; i < points.size(); ++i)
        if (points[i].Speed < points[i - 1].Speed)
            return false;
    return true;
}

// Whether the floor computes what Simulate with the workbench's callback computes: the same
// totals and the same four hourly arrays, to the bit.
template <TSegmentSearch search> bool FloorMatchesSimulate(const TFloorCurve& curve) {
    TSimResult floor;
    SimulateFloorLoop<search>(WindSpeed, PVProduction, DemandLoad, curve, BatCapacity, floor);
    const TFloatArray wind = WGProduction, genset = GensetProduction, dump = Surplus,
                      charge = BatteryCharge;
    TSimResult r;
    Simulate(WindSpeed, PVProduction, DemandLoad, PwrCurve.get(), BatCapacity, kStoreHourResult, r);
    return r.TotLoad == floor.TotLoad && r.TotWind == floor.TotWind &&
           r.TotGenset == floor.TotGenset && r.TotDump == floor.TotDump && r.TotPV == floor.TotPV &&
           r.InitialCharge == floor.InitialCharge && r.FinalCharge == floor.FinalCharge &&
           WGProduction == wind && GensetProduction == genset && Surplus == dump &&
           BatteryCharge == charge;
}

template <TSegmentSearch search> void TimeSimulateFloor(benchmark::State& state) {
    const TCurveInUse inUse(state);
    if (!CurveAscending(*PwrCurve)) {
        state.SkipWithError("the floor needs a power curve with ascending speeds");
        return;
    }
    const TFloorCurve curve(*PwrCurve);
    if (!FloorMatchesSimulate<search>(curve)) {
        state.SkipWithError("the floor loop does not compute the same balance as Simulate");
        return;
    }
    TSimResult floor;
    for (auto _ : state) {
        SimulateFloorLoop<search>(WindSpeed, PVProduction, DemandLoad, curve, BatCapacity, floor);
        benchmark::DoNotOptimize(floor);
        benchmark::ClobberMemory();
    }
    state.SetLabel(CurveLabel() + ", goal: Simulate <= 2 x the fastest floor");
}

// The floors by their search, in the summary's order.
const char* const kFloorBenches[] = {"BM_SimulateFloorRangeTable", "BM_SimulateFloorScanFromStart",
                                     "BM_SimulateFloorHalving"};

void BM_SimulateFloorRangeTable(benchmark::State& state) {
    TimeSimulateFloor<TSegmentSearch::RangeTable>(state);
}
BENCHMARK(BM_SimulateFloorRangeTable)->Apply(OnEachCurve);

void BM_SimulateFloorScanFromStart(benchmark::State& state) {
    TimeSimulateFloor<TSegmentSearch::ScanFromStart>(state);
}
BENCHMARK(BM_SimulateFloorScanFromStart)->Apply(OnEachCurve);

void BM_SimulateFloorHalving(benchmark::State& state) {
    TimeSimulateFloor<TSegmentSearch::Halving>(state);
}
BENCHMARK(BM_SimulateFloorHalving)->Apply(OnEachCurve);

// Battery sizing as the workbench's F9 action does it.
double TargetGensetEnergy = 0;
TSimResult LastSizingResult;

double GeneratorShareResidual(double x) {
    TSimResult r;
    Simulate(WindSpeed, PVProduction, DemandLoad, PwrCurve.get(), x, kStoreHourResult, r);
    LastSizingResult = r;
    return r.TotGenset - TargetGensetEnergy;
}

struct TSizing {
    double Root = 0;
    double FRoot = 0;
    int Iter = 0;
    uint8_t Err = 0;
};

TSizing SizeBattery() {
    double load = 0;
    for (double l : DemandLoad)
        load += l;
    TargetGensetEnergy = SimParams.EquGensetShare * load;
    TSizing s;
    Bisect(0, 100 * load, 0.00001, 100, GeneratorShareResidual, s.Root, s.FRoot, s.Iter, s.Err);
    return s;
}

TSizing LastSizing;

void BM_BatterySizing(benchmark::State& state) {
    for (auto _ : state) {
        LastSizing = SizeBattery();
        benchmark::DoNotOptimize(LastSizing);
    }
    state.counters["err"] = LastSizing.Err;
    state.counters["iters"] = LastSizing.Iter;
    state.counters["capacity_Wh"] = LastSizing.Root;
    if (LastSizing.Err != 0)
        state.SkipWithError(("bisection error " + std::to_string(LastSizing.Err)).c_str());
}
BENCHMARK(BM_BatterySizing)->Unit(benchmark::kMillisecond);

// A device list of 1000 devices with 12 profiles each (every factor set), in a file of
// the benchmark's own folder.
class TDeviceListFile {
public:
    TDeviceListFile() {
        char pattern[] = "/tmp/orv-bench-dvl-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            FDir = pattern;
        FFile = FDir + "/devices.dvl";
        for (int d = 0; d < 1000; ++d) {
            auto device = std::make_unique<TDeviceEl>();
            device->SetName("Συσκευή " + std::to_string(d));
            device->SetRatedPower(10 + d);
            device->EnsureSeasons(11);
            for (int p = 0; p < 12; ++p)
                for (int h = 0; h < 24; ++h)
                    device->HourOps().SetFactor(p, h, ((d + p * 24 + h) % 97 + 1) / 97.0);
            FList.Add(std::move(device));
        }
        FList.SaveToFile(FFile);
    }
    ~TDeviceListFile() {
        DeleteFile(FFile);
        rmdir(FDir.c_str());
    }
    const std::string& File() const { return FFile; }
    TDevList& List() { return FList; }

private:
    std::string FDir, FFile;
    TDevList FList;
};

TDeviceListFile& DeviceListFile() {
    static TDeviceListFile file;
    return file;
}

void BM_LoadDeviceList(benchmark::State& state) {
    const std::string& file = DeviceListFile().File();
    for (auto _ : state) {
        TDevList list;
        list.LoadFromFile(file);
        if (list.Count() != 1000 || list.GetDevice(999)->HourOps().Count() != 12)
            state.SkipWithError("the list did not load whole");
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(BM_LoadDeviceList)->Unit(benchmark::kMillisecond);

void BM_SaveDeviceList(benchmark::State& state) {
    TDeviceListFile& file = DeviceListFile();
    for (auto _ : state)
        file.List().SaveToFile(file.File());
}
BENCHMARK(BM_SaveDeviceList)->Unit(benchmark::kMillisecond);

// Keeps the time per iteration (ns) of every run for the summary, by name and argument
// ("BM_Simulate/dense_curve:0"): of the run itself, or the mean of its repetitions when there
// are some (the only figure reported with --benchmark_report_aggregates_only). The real time
// is what a user waits for; the CPU time, which other processes on the machine disturb less,
// compares one loop with another.
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred &&
                (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")) {
                const std::string name = run.run_name.function_name +
                                         (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
                Times[name] = run.GetAdjustedRealTime() * Nanoseconds(run.time_unit);
                CpuTimes[name] = run.GetAdjustedCPUTime() * Nanoseconds(run.time_unit);
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
    std::map<std::string, double> CpuTimes;

private:
    static double Nanoseconds(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kSecond:
            return 1e9;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kMicrosecond:
            return 1e3;
        default:
            return 1;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    PrepareYear();
    std::printf("Inputs: %s\n", InputDescription.c_str());
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    int status = 0;
    const auto& t = reporter.Times;
    // On each curve, each floor against the fastest, and Simulate against that one, by CPU
    // time.
    for (const char* curve : kCurveArguments) {
        const auto time = [&reporter, curve](const std::string& name) {
            const auto found = reporter.CpuTimes.find(name + "/" + curve);
            return found == reporter.CpuTimes.end() ? -1.0 : found->second;
        };
        const char* fastest = nullptr;
        for (const char* name : kFloorBenches)
            if (time(name) >= 0 && (!fastest || time(name) < time(fastest)))
                fastest = name;
        if (!fastest)
            continue;
        for (const char* name : kFloorBenches)
            if (time(name) >= 0)
                std::printf("%s/%s: %.1f us CPU, %.2f x the fastest floor\n", name, curve,
                            time(name) / 1e3, time(name) / time(fastest));
        if (time("BM_Simulate") >= 0) {
            const double ratio = time("BM_Simulate") / time(fastest);
            // The ratio only: it lies close to the goal of 2, where a verdict would turn
            // with the noise of the machine.
            std::printf("Simulate / fastest floor (%s) on %s: %.3f (goal: Simulate <= 2 x its "
                        "floor)\n",
                        fastest, curve, ratio);
        }
    }
    if (t.count("BM_BatterySizing")) {
        std::printf("Battery sizing: %.3f ms, error code %d, %d passes, capacity %.0f Wh, "
                    "generator-set share %.4f (target under 5 ms, error code 0)\n",
                    t.at("BM_BatterySizing") / 1e6, LastSizing.Err, LastSizing.Iter,
                    LastSizing.Root, LastSizingResult.GensetShare);
        if (LastSizing.Err != 0)
            status = 1;
    }
    for (const char* name : {"BM_LoadDeviceList", "BM_SaveDeviceList"})
        if (t.count(name))
            std::printf("%s of 1000 devices with 12 profiles: %.1f ms (target under 100 ms)\n",
                        std::string(name).find("Load") != std::string::npos ? "Loading a list"
                                                                            : "Saving a list",
                        t.at(name) / 1e6);
    FinalizeModel();
    return status;
}
