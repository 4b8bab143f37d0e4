#include "framework/gui/ControlPlacing.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(ControlPlacingTest, PlacedControlsAreNamedBoundedParentedAndCaptioned) {
    TestKit::StartTestApplication();
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    auto* box = PlaceControl<TGroupBox>(form.get(), form.get(), "Box", 10, 20, 200, 150, "Group");
    auto* button = PlaceControl<TButton>(form.get(), box, "Go", 8, 18, 75, 25, "&Go");
    auto* panel = PlaceControl<TPanel>(form.get(), box, "", 8, 50, 120, 24);
    struct TCase {
        TControl* Control;
        const char* Name;
        TWinControl* Parent;
        TRect Bounds;
        const char* Caption;
    };
    const TCase cases[] = {
        {box, "Box", form.get(), Bounds(10, 20, 200, 150), "Group"},
        {button, "Go", box, Bounds(8, 18, 75, 25), "&Go"},
        {panel, "", box, Bounds(8, 50, 120, 24), ""},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(c.Control->Name(), c.Name);
        EXPECT_EQ(c.Control->Owner(), form.get()) << c.Name;
        EXPECT_EQ(c.Control->Parent(), c.Parent) << c.Name;
        EXPECT_EQ(c.Control->BoundsRect(), c.Bounds) << c.Name;
        EXPECT_EQ(c.Control->Caption(), c.Caption) << c.Name;
    }
    EXPECT_EQ(form->FindComponent("Go"), button);
    // The caption comes last: an auto-sized label fits its text, not the bounds given.
    auto* label = PlaceControl<TLabel>(form.get(), form.get(), "Hint", 8, 200, 300, 40, "Hi");
    EXPECT_EQ(label->Left(), 8);
    EXPECT_LT(label->Width(), 300);
    EXPECT_GT(label->Width(), 0);
}

} // namespace
