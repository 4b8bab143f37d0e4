#include "framework/gui/Snapshot.h"

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override { TestKit::StartTestApplication(); }
};

// A control on a form is cut out of its parent's picture; a control no window shows has no
// picture and writes no file; a file that cannot be created is reported, not raised.
TEST_F(SnapshotTest, PicturesAControlAsItStandsOnItsParent) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 120);
    auto* shape = new TShape(&form);
    shape->SetParent(&form);
    shape->SetBounds(20, 10, 40, 30);
    shape->Brush()->SetColor(clRed);
    form.Show();

    TBitmap bitmap;
    SnapshotControl(shape, bitmap);
    ASSERT_EQ(bitmap.Width(), 40);
    ASSERT_EQ(bitmap.Height(), 30);
    EXPECT_EQ(bitmap.Canvas()->Pixels(20, 15), clRed);

    const std::string file = ::testing::TempDir() + "orv_snapshot_shape.png";
    ASSERT_TRUE(SaveSnapshotToPng(shape, file));
    TPicture back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.Width(), 40);
    EXPECT_EQ(back.Height(), 30);
    std::remove(file.c_str());

    EXPECT_FALSE(SaveSnapshotToPng(shape, ::testing::TempDir() + "no-such-folder/x.png"));

    TShape loose(nullptr);
    loose.SetBounds(0, 0, 10, 10);
    SnapshotControl(&loose, bitmap);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_FALSE(SaveSnapshotToPng(&loose, file));
}

} // namespace
