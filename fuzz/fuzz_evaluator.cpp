// The shape button's point expressions: any text gives a value or one of the two
// documented errors, never undefined arithmetic, and a non-negative value reads back.
#include "FuzzFile.h"
#include "controls/fxEvaluator.h"
#include "framework/core/SystemUtils.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256)
        return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        int value = TFxEvaluator::EvaluateExpression(text);
        if (value >= 0)
            FUZZ_CHECK(TFxEvaluator::EvaluateExpression(std::to_string(value)) == value);
    } catch (const EInvalidOperation&) {
    } catch (const EConvertError&) {
    }
    return 0;
}
