// Power curves (.pow): any bytes give a curve or an input/output error, never a crash.
#include "FuzzFile.h"
#include "model/Data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".pow");
    SavedDecimalSeparator = ',';
    DecimalSeparator = ',';
    TWindPwrCurve curve;
    try {
        curve.LoadFromFile(name);
    } catch (const EInOutError&) {
    }
    FUZZ_CHECK(DecimalSeparator == ',');
    // The curve stays usable after an error: its lookup and point operations work.
    for (double v : {-1.0, 0.0, 3.5, 12.0, 1e300})
        (void)curve.PowerAt(v);
    if (curve.PointCount() > 0) {
        (void)curve.GetPoint(curve.PointCount() - 1);
        curve.DeletePoint(0);
    }
    curve.DeletePoint(curve.PointCount());
    return 0;
}
