// The text-number reader: every run of bytes gives numbers, lines or an input/output error,
// and reading always ends; an error message never cuts a character in two.
#include "FuzzFile.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTextReader reader;
    reader.OpenText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
    // Each pass consumes at least one character or ends at end of file.
    for (size_t pass = 0; pass <= size + 1 && !reader.Eof(); ++pass) {
        try {
            (void)reader.ReadNumber();
            if (pass % 3 == 0)
                reader.SkipLine();
            else if (pass % 3 == 1)
                (void)reader.ReadLine();
        } catch (const EInOutError& e) {
            // The message quotes the run: whole characters only.
            FUZZ_CHECK(IsValidUtf8(e.Message()));
            reader.SkipLine();
        }
    }
    return 0;
}
