// Device lists (.dvl): any bytes give a list, never a crash; the separator is restored.
#include "FuzzFile.h"
#include "framework/core/IniFiles.h"
#include "model/Data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".dvl");
    SavedDecimalSeparator = ',';
    DecimalSeparator = ',';
    TDevList list;
    try {
        list.LoadFromFile(name);
    } catch (const Exception&) {
    }
    FUZZ_CHECK(DecimalSeparator == ',');
    // Cap the load synthesis so a huge count does not dominate the run time.
    TFloatArray load(48);
    list.FillLoad(load);
    for (int i = 0; i < list.Count() && i < 64; ++i)
        (void)list.GetDevice(i)->DailyEnergy();
    return 0;
}
