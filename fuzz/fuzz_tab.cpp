// Observed-wind-climate tables (.tab): any bytes give a table or an input/output error;
// the reader leaves "." as the decimal separator, and the normalisations never crash.
#include "FuzzFile.h"
#include "windrose/TabData.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".tab");
    DecimalSeparator = ',';
    TTabData table;
    bool complete = true;
    try {
        LoadFromFile(table, name);
    } catch (const EInOutError&) {
        complete = false;
    }
    if (complete) {
        FUZZ_CHECK(DecimalSeparator == '.');
        FUZZ_CHECK(table.SectorCount >= 1 && table.SectorCount <= 360);
        FUZZ_CHECK(int(table.SectorFreq.size()) == table.SectorCount);
        for (const TTabRow& row : table.Rows)
            FUZZ_CHECK(int(row.size()) == table.SectorCount);
        NormalizeAll(table);
    }
    return 0;
}
