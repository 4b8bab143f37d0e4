// Catalogue devices (.idev): any bytes give a device, never a crash.
#include "FuzzFile.h"
#include "framework/core/IniFiles.h"
#include "model/Data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".idev");
    SavedDecimalSeparator = ',';
    DecimalSeparator = ',';
    try {
        TMemIniFile ini(name); // as the program reads them: once
        auto device = TDeviceEl::CreateFromCatalog(ini);
        FUZZ_CHECK(device && device->HourOps().Count() >= 1);
        (void)device->DailyEnergy();
        device->EnsureSeasons(2);
        FUZZ_CHECK(device->HourOps().Count() >= 3);
        auto copy = TDeviceEl::CreateCopy(*device);
        FUZZ_CHECK(copy->HourOps().Count() == device->HourOps().Count());
    } catch (const Exception&) {
    }
    FUZZ_CHECK(DecimalSeparator == ',');
    return 0;
}
