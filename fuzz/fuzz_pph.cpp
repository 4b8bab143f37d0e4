// Sunshine factors (.pph): any bytes give factors or an input/output error.
#include "FuzzFile.h"
#include "model/Data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".pph");
    SavedDecimalSeparator = ',';
    DecimalSeparator = ',';
    TPhFactors factors;
    try {
        factors.LoadFromFile(name);
    } catch (const EInOutError&) {
    }
    FUZZ_CHECK(DecimalSeparator == ',');
    for (int m = 1; m <= 12; ++m)
        (void)factors.GetFactor(m, 12);
    return 0;
}
