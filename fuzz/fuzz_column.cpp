// Measurement series (.dat/.exp): any bytes give a series or an input/output error.
#include "FuzzFile.h"
#include "model/Data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".dat");
    SavedDecimalSeparator = ',';
    DecimalSeparator = ',';
    TFloatArray a;
    try {
        LoadColumn(name, a);
    } catch (const EInOutError&) {
    }
    FUZZ_CHECK(DecimalSeparator == ',');
    // The series can feed a balance at once: shorter load arrays must not be overrun.
    TFloatArray pv(a.size() / 2), load(a.size() / 3);
    TWindPwrCurve curve;
    curve.AddPoint({0, 0});
    curve.AddPoint({3, 0});
    curve.AddPoint({12, 3000});
    TSimResult r{};
    Simulate(a, pv, load, &curve, 6000, nullptr, r);
    return 0;
}
