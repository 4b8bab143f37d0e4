#pragma once

#include "framework/core/SystemUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Runs load, which must raise EInOutError with a message holding each of shown.
inline void ExpectRefused(const std::function<void()>& load,
                          const std::vector<std::string>& shown) {
    try {
        load();
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        for (const std::string& text : shown)
            EXPECT_NE(e.Message().find(text), std::string::npos) << e.Message();
    }
}
