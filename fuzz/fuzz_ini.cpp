// Profile files: any bytes can be read, and a write keeps the file readable with the
// value just written.
#include "FuzzFile.h"
#include "framework/core/Classes.h"
#include "framework/core/IniFiles.h"
#include "framework/core/SystemUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".ini");
    TIniFile ini(name);
    TStringList sections;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count() && i < 32; ++i) {
        TStringList keys;
        ini.ReadSection(sections[i], keys);
        for (int k = 0; k < keys.Count() && k < 32; ++k) {
            (void)ini.ReadString(sections[i], keys[k], "");
            (void)ini.ReadInteger(sections[i], keys[k], 0);
            (void)ini.ReadFloat(sections[i], keys[k], 0);
        }
    }
    try {
        ini.WriteString("fuzz", "key", "a\r\nb");
    } catch (const EInOutError&) {
        // A file that could not be read (UTF-16, too large) is never replaced.
        FUZZ_CHECK(FileHolds(name, data, size));
        return 0;
    }
    FUZZ_CHECK(ini.ReadString("FUZZ", "KEY", "") == "a  b" ||
               ini.ReadString("FUZZ", "KEY", "") == "a b");
    ini.EraseSection("fuzz");
    FUZZ_CHECK(ini.ReadString("fuzz", "key", "gone") == "gone");
    return 0;
}
