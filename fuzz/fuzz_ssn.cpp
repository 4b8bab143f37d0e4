// Operating periods (.ssn): any bytes give a period list or an error, never a crash.
#include "FuzzFile.h"
#include "framework/core/IniFiles.h"
#include "model/Data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".ssn");
    DecimalSeparator = ',';
    TSeasonList list;
    try {
        TMemIniFile ini(name); // as the program reads them: once
        list.LoadFromIni(ini);
    } catch (const Exception&) {
    }
    FUZZ_CHECK(DecimalSeparator == ',');
    for (int i = 0; i < list.Count() && i < 64; ++i)
        (void)list.GetSeason(i)->Days();
    (void)list.LastSeason();
    list.AddSeason();
    return 0;
}
