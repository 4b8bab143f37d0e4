// The settings store's file: any bytes give a store (a file that cannot be parsed is kept
// aside and the store starts empty), and the store can be written and read back at once.
#include "FuzzFile.h"
#include "framework/core/Classes.h"
#include "framework/core/Registry.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {
// The store's folder inside the process's RAM-backed fuzz folder (removed at exit).
fs::path StoreFolder() {
    static const fs::path folder = [] {
        fs::path p = FuzzFolder() / "store";
        fs::create_directories(p);
        return p;
    }();
    return folder;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("HKCU_STORE", (StoreFolder() / "hkcu.store").c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Start each input from the fuzzer's bytes alone: nothing left by the previous one.
    for (const auto& entry : fs::directory_iterator(StoreFolder()))
        fs::remove_all(entry.path());
    const std::string store = SettingsStoreFileName();
    FILE* f = std::fopen(store.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    if (size)
        FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);

    TRegIniFile ini("Software\\Orvanti");
    TStringList sections;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count() && i < 16; ++i) {
        TStringList values;
        ini.ReadSectionValues(sections[i], values);
        (void)ini.ReadInteger(sections[i], "Left", 0);
    }
    ini.WriteString("TfmFuzz", "InitialDir", "/tmp/Φάκελος");
    ini.WriteInteger("TfmFuzz", "Left", 42);
    FUZZ_CHECK(ini.ReadString("TfmFuzz", "InitialDir", "") == "/tmp/Φάκελος");
    FUZZ_CHECK(ini.ReadInteger("TfmFuzz", "Left", 0) == 42);
    ini.EraseSection("TfmFuzz");
    FUZZ_CHECK(!ini.SectionExists("TfmFuzz"));
    return 0;
}
