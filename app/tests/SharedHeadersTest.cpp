// The windows' units include headers of every layer together: the names those headers declare
// at file scope must not collide (this unit compiling is most of the test).

#include "controls/fxCommon.h"
#include "framework/core/Streams.h"
#include "framework/core/SystemUtils.h"
#include "persist/ExSpin.h"
#include "persist/StrUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(SharedHeadersTest, OneReplaceAllAndBothValueTypesServeAUnitThatSeesAll) {
    EXPECT_EQ(ReplaceAll("1,5", ",", "."), "1.5");
    EXPECT_EQ(ReplaceAll("WIDTH x HEIGHT", "WIDTH", "40"), "40 x HEIGHT");
    EXPECT_EQ(StripAccelerators("&Save && Exit"), "Save & Exit");
    const TValueType tag = vaIdent;
    const TExSpinEdit::TValueType kind = TExSpinEdit::vtFloat;
    EXPECT_NE(int(tag), int(vaNull));
    EXPECT_NE(kind, TExSpinEdit::vtInteger);
}

} // namespace
