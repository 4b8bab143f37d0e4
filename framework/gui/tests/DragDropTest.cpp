#include "framework/core/SystemUtils.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowBridge.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

namespace {

class DragDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = CreateForm<TForm>(nullptr);
        Form->SetName("fmDrag");
        Form->SetBounds(10, 10, 400, 300);
        Source = Add<TPanel>("Source", 0, 0, 100, 100);
        Taker = Add<TPanel>("Taker", 150, 0, 100, 100);
        Refuser = Add<TPanel>("Refuser", 0, 150, 100, 100);
        Shape = Add<TShape>("Shape", 300, 0, 60, 60);
        for (TControl* target : {static_cast<TControl*>(Taker), static_cast<TControl*>(Refuser),
                                 static_cast<TControl*>(Shape)})
            target->SetOnDragOver([this](TObject* sender, TObject* source, int x, int y,
                                         TDragState state, bool& accept) {
                static const char* kStates[] = {"enter", "leave", "move"};
                Log.push_back(
                    Format("%s %s %s %d,%d", {Name(sender), kStates[state], Name(source), x, y}));
                accept = sender != Refuser;
            });
        for (TControl* target : {static_cast<TControl*>(Taker), static_cast<TControl*>(Shape)})
            target->SetOnDragDrop([this](TObject* sender, TObject* source, int x, int y) {
                Log.push_back(Format("drop %s %s %d,%d", {Name(sender), Name(source), x, y}));
            });
        Source->SetOnEndDrag([this](TObject*, TObject* target, int x, int y) {
            Log.push_back(Format("end %s %d,%d", {Name(target), x, y}));
        });
        Form->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        if (DragSource())
            DragSource()->EndDrag(false);
        delete Form;
    }

    template <class T> T* Add(const std::string& name, int left, int top, int width, int height) {
        T* c = new T(Form);
        c->SetName(name);
        c->SetParent(Form);
        c->SetBounds(left, top, width, height);
        return c;
    }
    static std::string Name(TObject* object) {
        auto* component = dynamic_cast<TComponent*>(object);
        return component ? component->Name() : "none";
    }
    // A point of the control in the source's client coordinates.
    TPoint At(TControl* control, int x, int y) const {
        return Source->ScreenToClient(control->ClientToScreen(TPoint(x, y)));
    }

    TForm* Form = nullptr;
    TPanel* Source = nullptr;
    TPanel* Taker = nullptr;
    TPanel* Refuser = nullptr;
    TShape* Shape = nullptr;
    std::vector<std::string> Log;
};

TEST_F(DragDropTest, TargetsAreAskedAsTheMouseMovesAndTheCursorFollowsTheirAnswer) {
    Source->SetDragMode(dmAutomatic);
    TestKit::MouseDown(Source, TPoint(50, 50));
    EXPECT_EQ(DragSource(), Source);
    EXPECT_FALSE(Source->Dragging()); // waits for the threshold
    TestKit::MouseMove(Source, TPoint(52, 51));
    EXPECT_FALSE(Source->Dragging());
    TestKit::MouseMove(Source, TPoint(80, 50));
    ASSERT_TRUE(Source->Dragging());
    EXPECT_EQ(DragCursorShown(), crNoDrop); // over itself, which takes no drags
    TestKit::MouseMove(Source, At(Refuser, 10, 10));
    EXPECT_EQ(DragCursorShown(), crNoDrop);
    TestKit::MouseMove(Source, At(Taker, 10, 10));
    EXPECT_EQ(DragCursorShown(), crDrag);
    TestKit::MouseMove(Source, At(Taker, 20, 30));
    TestKit::MouseMove(Source, At(Shape, 5, 6));
    EXPECT_EQ(DragCursorShown(), crDrag);
    TestKit::MouseMove(Source, At(Taker, 40, 41));
    TestKit::MouseUp(Source, At(Taker, 40, 41));
    EXPECT_EQ(DragSource(), nullptr);
    EXPECT_EQ(DragCursorShown(), crDefault);
    EXPECT_EQ(Log, (std::vector<std::string>{
                       "Refuser enter Source 10,10",
                       "Refuser leave Source 160,-140", // at the new point
                       "Taker enter Source 10,10",
                       "Taker move Source 20,30",
                       "Taker leave Source 155,6",
                       "Shape enter Source 5,6",
                       "Shape leave Source -110,41",
                       "Taker enter Source 40,41",
                       "drop Taker Source 40,41",
                       "end Taker 40,41",
                   }));
}

TEST_F(DragDropTest, RefusedDropsAndEscapeEndTheDragWithoutATarget) {
    struct TCase {
        const char* Name;
        bool Escape;
        TControl* Over;
    };
    for (const TCase& c : {TCase{"refused", false, Refuser}, TCase{"escape", true, Taker}}) {
        SCOPED_TRACE(c.Name);
        Log.clear();
        int clicks = 0;
        Source->SetOnClick([&](TObject*) { ++clicks; });
        Source->SetOnMouseDown([](TObject* sender, TMouseButton, TShiftState, int, int) {
            static_cast<TControl*>(sender)->BeginDrag(false, 3);
        });
        TestKit::MouseDown(Source, TPoint(50, 50));
        TestKit::MouseMove(Source, At(c.Over, 10, 10));
        ASSERT_TRUE(Source->Dragging());
        if (c.Escape) {
            TestKit::Focus(Source);
            TestKit::PressKey(VK_ESCAPE);
            EXPECT_FALSE(Source->Dragging());
        }
        TestKit::MouseUp(Source, At(c.Over, 10, 10));
        EXPECT_EQ(clicks, 0);
        ASSERT_FALSE(Log.empty());
        EXPECT_EQ(Log.back(), "end none 0,0");
        for (const std::string& entry : Log)
            EXPECT_EQ(entry.rfind("drop", 0), std::string::npos) << entry;
        EXPECT_EQ(DragSource(), nullptr);
    }
}

// A panel whose drags carry a 20 x 10 picture held at its point (5, 4): red, its left half
// masked out.
class TPictureSource : public TPanel {
public:
    explicit TPictureSource(TComponent* owner) : TPanel(owner) {
        Images = std::make_unique<TDragImageList>(nullptr);
        Images->SetWidth(20);
        Images->SetHeight(10);
        TBitmap picture(20, 10), mask(20, 10);
        picture.Canvas()->Brush()->SetColor(clRed);
        picture.Canvas()->FillRect(TRect(0, 0, 20, 10));
        mask.Canvas()->Brush()->SetColor(clBlack);
        mask.Canvas()->FillRect(TRect(0, 0, 20, 10));
        mask.Canvas()->Brush()->SetColor(clWhite);
        mask.Canvas()->FillRect(TRect(0, 0, 10, 10));
        Images->Add(&picture, &mask);
        Images->SetDragImage(0, 5, 4);
    }
    TDragImageList* GetDragImages() override { return Images.get(); }
    std::unique_ptr<TDragImageList> Images;
};

TEST_F(DragDropTest, ADragImageFollowsTheCursorOverControlsThatDisplayIt) {
    auto* source = Add<TPictureSource>("Pictured", 0, 260, 30, 30);
    source->SetDragMode(dmAutomatic);
    Taker->SetControlStyle(Taker->ControlStyle() + TControlStyle{csDisplayDragImage});
    const auto to = [&](TControl* c, int x, int y) {
        return source->ScreenToClient(c->ClientToScreen(TPoint(x, y)));
    };
    TestKit::MouseDown(source, TPoint(10, 10));
    TestKit::MouseMove(source, TPoint(28, 28));
    ASSERT_TRUE(source->Dragging());
    EXPECT_EQ(DragImagesShown(), nullptr); // the source does not display drag images
    TestKit::MouseMove(source, to(Taker, 30, 40));
    ASSERT_EQ(DragImagesShown(), source->Images.get());
    const TPoint cursor = Taker->ClientToScreen(TPoint(30, 40));
    EXPECT_EQ(source->Images->DragImageRect(),
              TRect(cursor.X - 5, cursor.Y - 4, cursor.X + 15, cursor.Y + 6));
    // The picture under the cursor takes no part in finding the target.
    EXPECT_EQ(FindDragTarget(cursor), Taker);
    TestKit::MouseMove(source, to(Taker, 31, 40));
    EXPECT_EQ(FindDragTarget(Taker->ClientToScreen(TPoint(31, 40))), Taker);
    EXPECT_EQ(source->Images->DragImageRect().Left, cursor.X - 4);
    // Refuser does not display drag images, whether it accepts or not.
    TestKit::MouseMove(source, to(Refuser, 30, 40));
    EXPECT_EQ(DragImagesShown(), nullptr);
    TestKit::MouseMove(source, to(Taker, 30, 40));
    ASSERT_NE(DragImagesShown(), nullptr);
    // A picture freed during the drag is forgotten; the drag goes on without it.
    source->Images.reset();
    EXPECT_EQ(DragImagesShown(), nullptr);
    TestKit::MouseMove(source, to(Taker, 35, 40));
    TestKit::MouseUp(source, to(Taker, 35, 40));
    EXPECT_EQ(DragSource(), nullptr);
    EXPECT_EQ(Log.back(), "drop Taker Pictured 35,40");
}

// The window that shows a drag picture at r, or nullptr.
QWidget* DragWindowAt(const TRect& r) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->testAttribute(Qt::WA_TransparentForMouseEvents) &&
            w->geometry() == QRect(r.Left, r.Top, r.Width(), r.Height()))
            return w;
    return nullptr;
}

TEST_F(DragDropTest, TheDragPictureIsHalfSeeThroughWhereTheScreenBlendsAndOpaqueElsewhere) {
    auto* source = Add<TPictureSource>("Pictured", 0, 260, 30, 30);
    source->SetDragMode(dmAutomatic);
    Taker->SetControlStyle(Taker->ControlStyle() + TControlStyle{csDisplayDragImage});
    const TPoint onTaker = source->ScreenToClient(Taker->ClientToScreen(TPoint(30, 40)));
    struct Guard {
        ~Guard() { WindowSystemDetail::ForceScreenCanBlend(-1); }
    } guard;
    // Successive drags on one list: the screen's answer is asked at each.
    const struct {
        bool blends;
        TColor opaque;
        QRgb masked, red; // the pictures' pixels at (2, 5) and (15, 5)
    } kDrags[] = {
        {true, clWindow, qRgba(0, 0, 0, 0), qRgba(191, 0, 0, 191)},
        {false, clWindow, qRgb(255, 255, 255), qRgb(255, 0, 0)},
        {false, clYellow, qRgb(255, 255, 0), qRgb(255, 0, 0)},
        {true, clYellow, qRgba(0, 0, 0, 0), qRgba(191, 0, 0, 191)},
    };
    for (const auto& drag : kDrags) {
        SCOPED_TRACE(::testing::Message() << drag.blends << " " << drag.opaque);
        WindowSystemDetail::ForceScreenCanBlend(drag.blends ? 1 : 0);
        source->Images->SetOpaqueColor(drag.opaque);
        TestKit::MouseDown(source, TPoint(10, 10));
        TestKit::MouseMove(source, TPoint(28, 28));
        TestKit::MouseMove(source, onTaker);
        ASSERT_EQ(DragImagesShown(), source->Images.get());
        QWidget* window = DragWindowAt(source->Images->DragImageRect());
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->testAttribute(Qt::WA_TranslucentBackground), drag.blends);
        const QImage shown =
            window->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_EQ(shown.size(), QSize(20, 10));
        EXPECT_EQ(shown.pixel(2, 5), drag.masked);
        // 0.75 of full red where it blends, within a step of rounding.
        EXPECT_NEAR(qRed(shown.pixel(15, 5)), qRed(drag.red), 1);
        EXPECT_NEAR(qAlpha(shown.pixel(15, 5)), qAlpha(drag.red), 1);
        EXPECT_EQ(qGreen(shown.pixel(15, 5)) + qBlue(shown.pixel(15, 5)), 0);
        TestKit::MouseUp(source, onTaker);
        EXPECT_EQ(DragImagesShown(), nullptr);
    }
}

TEST_F(DragDropTest, AShortMoveIsAClickAndNoDrag) {
    int clicks = 0;
    Source->SetDragMode(dmAutomatic);
    Source->SetOnClick([&](TObject*) { ++clicks; });
    TestKit::Drag(Source, TPoint(50, 50), TPoint(53, 52));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(DragSource(), nullptr);
}

TEST_F(DragDropTest, AListBoxReordersItsItemsByDraggingOntoItself) {
    auto* list = Add<TListBox>("List", 260, 100, 120, 140);
    for (const char* s : {"a", "b", "c", "d"})
        list->Items()->Add(s);
    list->SetDragMode(dmAutomatic);
    std::vector<std::string> ends;
    list->SetOnDragOver([](TObject* sender, TObject* source, int, int, TDragState, bool& accept) {
        accept = source == sender;
    });
    list->SetOnDragDrop([list](TObject*, TObject*, int x, int y) {
        const int from = list->ItemIndex();
        int to = list->ItemAtPos(TPoint(x, y), true);
        if (to < 0)
            to = list->Count() - 1;
        list->Items()->Move(from, to);
        list->SetItemIndex(to);
    });
    list->SetOnEndDrag([&](TObject*, TObject* target, int, int) { ends.push_back(Name(target)); });
    TestKit::ProcessMessages();
    const TRect first = list->ItemRect(0);
    const TRect third = list->ItemRect(2);
    TestKit::Drag(list, TPoint(first.Left + 5, (first.Top + first.Bottom) / 2),
                  TPoint(third.Left + 5, (third.Top + third.Bottom) / 2));
    EXPECT_EQ(list->Items()->Text(), "b\r\nc\r\na\r\nd\r\n");
    EXPECT_EQ(list->ItemIndex(), 2);
    // Dropped outside, over a panel that takes nothing else: the list stays as it is.
    TestKit::Drag(list, TPoint(first.Left + 5, (first.Top + first.Bottom) / 2),
                  list->ScreenToClient(Refuser->ClientToScreen(TPoint(50, 50))));
    EXPECT_EQ(list->Items()->Text(), "b\r\nc\r\na\r\nd\r\n");
    EXPECT_EQ(ends, (std::vector<std::string>{"List", "none"}));
}

TEST_F(DragDropTest, FreeingTheTargetDuringADragLeavesNoDanglingTarget) {
    Source->SetDragMode(dmAutomatic);
    TestKit::MouseDown(Source, TPoint(50, 50));
    TestKit::MouseMove(Source, At(Taker, 10, 10));
    ASSERT_TRUE(Source->Dragging());
    const TPoint over = At(Taker, 10, 10);
    delete Taker;
    Taker = nullptr;
    TestKit::MouseUp(Source, over);
    EXPECT_EQ(Log.back(), "end none 0,0");
}

} // namespace

// A drag begun again on a picture list whose picture is still up (its last drag never ended)
// takes the old picture down: only the new drag's picture is ever on the screen.
TEST_F(DragDropTest, ADragBegunAgainLeavesNoPictureOfTheLastOneOnTheScreen) {
    TPictureSource source(nullptr);
    TDragImageList* images = source.GetDragImages();
    const size_t before = TestKit::ShownTopLevelWindows().size();
    images->BeginDrag(TPoint(100, 100));
    images->ShowDragImage();
    TestKit::ProcessMessages();
    ASSERT_EQ(TestKit::ShownTopLevelWindows().size(), before + 1);
    images->BeginDrag(TPoint(200, 200));
    TestKit::ProcessMessages();
    EXPECT_FALSE(images->DragImageVisible());
    EXPECT_EQ(TestKit::ShownTopLevelWindows().size(), before);
    images->ShowDragImage();
    images->EndDrag();
    TestKit::ProcessMessages();
    EXPECT_EQ(TestKit::ShownTopLevelWindows().size(), before);
}
