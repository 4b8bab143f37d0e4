#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <string>
#include <vector>

namespace {

class ExtraControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetName("fmExt");
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(10, 10, 400, 300);
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    TPanel* AddPanel(const std::string& name, TWinControl* parent) {
        auto* p = new TPanel(Form);
        p->SetName(name);
        p->SetParent(parent);
        return p;
    }
    static TColor Pixel(const QImage& image, int x, int y) {
        return QColorToColor(image.pixelColor(x, y));
    }
    TForm* Form = nullptr;
};

TEST_F(ExtraControlsTest, PanelPlacesAlignedChildrenInsideBevelsAndBorder) {
    TPanel* panel = AddPanel("pnl", Form);
    panel->SetBounds(0, 0, 200, 100);
    TPanel* child = AddPanel("child", panel);
    child->SetAlign(alClient);
    struct TCase {
        TBevelCut Outer, Inner;
        int BevelWidth, BorderWidth, Inset;
    };
    const TCase cases[] = {
        {bvRaised, bvNone, 1, 0, 1}, {bvNone, bvNone, 1, 0, 0},    {bvRaised, bvLowered, 2, 3, 7},
        {bvNone, bvSpace, 4, 0, 4},  {bvLowered, bvNone, 1, 5, 6},
    };
    for (const TCase& c : cases) {
        panel->SetBevelOuter(c.Outer);
        panel->SetBevelInner(c.Inner);
        panel->SetBevelWidth(c.BevelWidth);
        panel->SetBorderWidth(c.BorderWidth);
        EXPECT_EQ(child->BoundsRect(), TRect(c.Inset, c.Inset, 200 - c.Inset, 100 - c.Inset))
            << c.Inset;
    }
    // A panel aligned to the top keeps its height and spans its parent's inner width.
    TPanel* top = AddPanel("top", child);
    top->SetHeight(20);
    top->SetAlign(alTop);
    TRect inner = child->InnerRect();
    EXPECT_EQ(top->BoundsRect(), TRect(inner.Left, inner.Top, inner.Right, inner.Top + 20));
}

TEST_F(ExtraControlsTest, PanelDrawsBevelsFromOutsideInAndItsCaption) {
    TPanel* panel = AddPanel("pnl", Form);
    panel->SetBounds(0, 0, 120, 40);
    panel->SetBevelOuter(bvRaised);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(1);
    panel->SetColor(clBtnFace);
    panel->SetCaption("Πάνελ");
    Form->Show();
    QImage img = TestKit::Render(panel)->ToImage();
    ASSERT_EQ(img.width(), 120);
    const TColor face = ColorToRGB(clBtnFace);
    const TColor light = ColorToRGB(clBtnHighlight);
    const TColor dark = ColorToRGB(clBtnShadow);
    // Outer raised bevel: 2 pixels light at top-left, dark at bottom-right.
    EXPECT_EQ(Pixel(img, 0, 10), light);
    EXPECT_EQ(Pixel(img, 1, 10), light);
    EXPECT_EQ(Pixel(img, 119, 10), dark);
    EXPECT_EQ(Pixel(img, 118, 10), dark);
    // Border in the panel's colour, then the inner lowered bevel.
    EXPECT_EQ(Pixel(img, 2, 10), face);
    EXPECT_EQ(Pixel(img, 3, 10), dark);
    EXPECT_EQ(Pixel(img, 116, 10), light);
    // The caption is centred: text pixels in the middle, none near the sides.
    int textPixels = 0, sidePixels = 0;
    for (int y = 8; y < 32; ++y)
        for (int x = 8; x < 112; ++x) {
            bool ink = Pixel(img, x, y) != face;
            if (ink && x >= 35 && x < 85)
                ++textPixels;
            else if (ink)
                ++sidePixels;
        }
    EXPECT_GT(textPixels, 20);
    EXPECT_EQ(sidePixels, 0);

    // Left alignment moves the text to the left edge.
    panel->SetAlignment(taLeftJustify);
    img = TestKit::Render(panel)->ToImage();
    int leftInk = 0;
    for (int y = 8; y < 32; ++y)
        for (int x = 8; x < 30; ++x)
            leftInk += Pixel(img, x, y) != face;
    EXPECT_GT(leftInk, 5);
}

TEST_F(ExtraControlsTest, PanelWithSingleBorderKeepsChildrenInsideTheEdge) {
    TPanel* panel = AddPanel("pnl", Form);
    panel->SetBounds(10, 10, 100, 60);
    TPanel* child = AddPanel("child", panel);
    child->SetBounds(0, 0, 30, 20);
    child->SetColor(clRed);
    child->SetBevelOuter(bvNone);
    Form->Show();
    panel->SetBorderStyle(bsSingle);
    EXPECT_EQ(panel->ClientRect(), TRect(0, 0, 96, 56));
    QImage img = TestKit::Render(panel)->ToImage();
    EXPECT_EQ(Pixel(img, 2, 2), ColorToRGB(clRed));
    EXPECT_NE(Pixel(img, 1, 1), ColorToRGB(clRed));
    EXPECT_EQ(child->ClientOrigin().X, panel->ClientOrigin().X);
}

TEST_F(ExtraControlsTest, PanelClickedByUserFiresOnClick) {
    TPanel* panel = AddPanel("pnl", Form);
    int clicks = 0;
    panel->SetOnClick(TNotifyEvent([&](TObject* sender) {
        EXPECT_EQ(sender, panel);
        ++clicks;
    }));
    Form->Show();
    TestKit::Click(panel);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ExtraControlsTest, PanelPublishesItsLook) {
    TPanel* panel = AddPanel("pnl", Form);
    SetEnumProp(panel, GetPropInfo(panel, "BevelOuter"), "bvNone");
    SetEnumProp(panel, GetPropInfo(panel, "Alignment"), "taRightJustify");
    SetOrdProp(panel, GetPropInfo(panel, "BorderWidth"), 4);
    SetStrProp(panel, GetPropInfo(panel, "Caption"), "abc");
    EXPECT_EQ(panel->BevelOuter(), bvNone);
    EXPECT_EQ(panel->Alignment(), taRightJustify);
    EXPECT_EQ(panel->BorderWidth(), 4);
    EXPECT_EQ(TestKit::TextOf(panel), "abc");
    EXPECT_EQ(GetEnumProp(panel, GetPropInfo(panel, "BevelInner")), "bvNone");
}

TEST_F(ExtraControlsTest, TimerFiresOnTheClockOnlyWhileEnabledAndAssigned) {
    auto* timer = new TTimer(Form);
    timer->SetInterval(100);
    EXPECT_FALSE(timer->Running()); // nothing to call yet
    int fired = 0;
    timer->SetOnTimer(TNotifyEvent([&](TObject*) { ++fired; }));
    EXPECT_TRUE(timer->Running());
    TestKit::AdvanceClock(250);
    EXPECT_EQ(fired, 2);
    timer->SetEnabled(false);
    TestKit::AdvanceClock(500);
    EXPECT_EQ(fired, 2);
    // Re-enabling starts a full interval again.
    timer->SetEnabled(true);
    TestKit::AdvanceClock(99);
    EXPECT_EQ(fired, 2);
    TestKit::AdvanceClock(1);
    EXPECT_EQ(fired, 3);
    timer->SetInterval(0);
    EXPECT_FALSE(timer->Running());
    // A freed timer never fires.
    timer->SetInterval(10);
    delete timer;
    TestKit::AdvanceClock(100);
    EXPECT_EQ(fired, 3);
}

TEST_F(ExtraControlsTest, SplitterDraggedByUserResizesTheControlItTouches) {
    TPanel* left = AddPanel("left", Form);
    left->SetBounds(0, 0, 100, 300);
    left->SetAlign(alLeft);
    auto* splitter = new TSplitter(Form);
    splitter->SetName("spl");
    splitter->SetLeft(100);
    splitter->SetParent(Form);
    TPanel* rest = AddPanel("rest", Form);
    rest->SetAlign(alClient);
    int moved = 0;
    splitter->SetOnMoved(TNotifyEvent([&](TObject*) { ++moved; }));
    Form->Show();
    ASSERT_EQ(splitter->Left(), 100);
    ASSERT_EQ(splitter->FindControl(), left);
    struct TCase {
        int Dx;
        int Width;
    };
    // Start width 100; the form is 400 wide, the splitter 3, MinSize 30 and AutoSnap.
    const TCase cases[] = {{50, 150}, {-140, 0}, {20, 30}, {500, 400 - 3 - 30}, {-60, 307}};
    int expectedMoves = 0;
    for (const TCase& c : cases) {
        TPoint from = TestKit::Center(splitter);
        TestKit::Drag(splitter, from, TPoint(from.X + c.Dx, from.Y));
        EXPECT_EQ(left->Width(), c.Width) << c.Dx;
        EXPECT_EQ(splitter->Left(), c.Width);
        EXPECT_EQ(rest->Left(), c.Width + 3);
        EXPECT_EQ(moved, ++expectedMoves);
    }
}

TEST_F(ExtraControlsTest, SplitterWithUpdateStyleResizesWhileDragging) {
    TPanel* top = AddPanel("top", Form);
    top->SetBounds(0, 0, 400, 100);
    top->SetAlign(alTop);
    auto* splitter = new TSplitter(Form);
    splitter->SetAlign(alTop);
    splitter->SetTop(100);
    splitter->SetParent(Form);
    splitter->SetResizeStyle(rsUpdate);
    splitter->SetOnCanResize(TCanResizeEvent([](TObject*, int& size, bool&) {
        size -= size % 10; // snaps to tens
    }));
    Form->Show();
    TestKit::MouseDown(splitter, TPoint(50, 1));
    TestKit::MouseMove(splitter, TPoint(50, 26));
    EXPECT_EQ(top->Height(), 120);
    TestKit::MouseUp(splitter, TPoint(50, 6));
    EXPECT_EQ(top->Height(), 120);
}

TEST_F(ExtraControlsTest, ShapesAndBevelsDrawWithTheirToolsAndColours) {
    TPanel* back = AddPanel("back", Form);
    back->SetBounds(0, 0, 300, 100);
    back->SetBevelOuter(bvNone);
    back->SetColor(clWhite);
    auto* circle = new TShape(Form);
    circle->SetShape(stCircle);
    circle->SetBounds(0, 0, 80, 40);
    circle->Brush()->SetColor(clRed);
    circle->SetParent(back);
    auto* rect = new TShape(Form);
    rect->SetBounds(100, 0, 40, 40);
    rect->Pen()->SetColor(clBlue);
    rect->Brush()->SetColor(clLime);
    rect->SetParent(back);
    auto* line = new TBevel(Form);
    line->SetShape(bsTopLine);
    line->SetBounds(150, 10, 100, 2);
    line->SetParent(back);
    auto* box = new TBevel(Form);
    box->SetStyle(bsRaised);
    box->SetBounds(150, 20, 40, 40);
    box->SetParent(back);
    Form->Show();
    QImage img = TestKit::Render(back)->ToImage();
    // The circle is centred in its bounds: a 40-pixel circle from x = 20.
    EXPECT_EQ(Pixel(img, 40, 20), ColorToRGB(clRed));
    EXPECT_EQ(Pixel(img, 10, 20), ColorToRGB(clWhite));
    EXPECT_EQ(Pixel(img, 21, 1), ColorToRGB(clWhite)); // outside the round edge
    EXPECT_EQ(Pixel(img, 100, 0), ColorToRGB(clBlue));
    EXPECT_EQ(Pixel(img, 139, 39), ColorToRGB(clBlue));
    EXPECT_EQ(Pixel(img, 120, 20), ColorToRGB(clLime));
    EXPECT_EQ(Pixel(img, 200, 10), ColorToRGB(clBtnShadow));
    EXPECT_EQ(Pixel(img, 200, 11), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(Pixel(img, 150, 30), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(Pixel(img, 189, 30), ColorToRGB(clBtnShadow));
    // A change of the brush repaints.
    circle->Brush()->SetColor(clYellow);
    img = TestKit::Render(back)->ToImage();
    EXPECT_EQ(Pixel(img, 40, 20), ColorToRGB(clYellow));
}

TEST_F(ExtraControlsTest, ImagePlacesItsPictureByCentreStretchAndProportion) {
    auto* image = new TImage(Form);
    image->SetBounds(0, 0, 100, 100);
    image->SetParent(Form);
    struct TCase {
        int W, H;
        bool Center, Stretch, Proportional;
        TRect Dest;
    };
    const TCase cases[] = {
        {20, 10, false, false, false, TRect(0, 0, 20, 10)},
        {20, 10, true, false, false, TRect(40, 45, 60, 55)},
        {20, 10, false, true, false, TRect(0, 0, 100, 100)},
        {20, 10, false, true, true, TRect(0, 0, 100, 50)},
        {20, 10, false, false, true, TRect(0, 0, 20, 10)},
        {200, 100, true, false, true, TRect(0, 25, 100, 75)},
        {50, 200, true, false, true, TRect(37, 0, 62, 100)},
    };
    for (const TCase& c : cases) {
        TBitmap bitmap(c.W, c.H);
        image->Picture()->SetGraphic(&bitmap);
        image->SetCenter(c.Center);
        image->SetStretch(c.Stretch);
        image->SetProportional(c.Proportional);
        EXPECT_EQ(image->DestRect(), c.Dest) << c.W << "x" << c.H;
    }
}

TEST_F(ExtraControlsTest, ImageCanvasDrawsOnABitmapOfTheControlsSize) {
    auto* image = new TImage(Form);
    image->SetBounds(10, 10, 60, 30);
    image->SetParent(Form);
    Form->Show();
    TCanvas* canvas = image->Canvas();
    ASSERT_NE(image->Picture()->Bitmap(), nullptr);
    EXPECT_EQ(image->Picture()->Width(), 60);
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(TRect(0, 0, 30, 30));
    QImage img = TestKit::Render(image)->ToImage();
    EXPECT_EQ(Pixel(img, 5, 5), ColorToRGB(clRed));
    EXPECT_EQ(Pixel(img, 45, 5), ColorToRGB(clWhite));
    // AutoSize takes the picture's size.
    image->SetAutoSize(true);
    TBitmap small(16, 8);
    image->Picture()->SetGraphic(&small);
    EXPECT_EQ(image->Width(), 16);
    EXPECT_EQ(image->Height(), 8);
    // Only a bitmap can be drawn on.
    TIcon icon;
    icon.SetImage(QImage(4, 4, QImage::Format_ARGB32_Premultiplied));
    image->Picture()->SetGraphic(&icon);
    EXPECT_THROW(image->Canvas(), EInvalidOperation);
}

TEST_F(ExtraControlsTest, ScrollBoxScrollsItsChildrenByProgramAndByUser) {
    auto* box = new TScrollBox(Form);
    box->SetName("sb");
    box->SetBounds(0, 0, 100, 100);
    box->SetParent(Form);
    TPanel* far = AddPanel("far", box);
    far->SetBounds(0, 150, 50, 50);
    Form->Show();
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(box->VertScrollBar()->Range(), 200);
    EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box->ClientRect(), TRect(0, 0, 96 - bar, 96));
    box->VertScrollBar()->SetPosition(60);
    EXPECT_EQ(far->Top(), 90);
    // Never beyond the content.
    box->VertScrollBar()->SetPosition(1000);
    EXPECT_EQ(box->VertScrollBar()->Position(), 200 - 96);
    EXPECT_EQ(far->Top(), 150 - 104);
    box->VertScrollBar()->SetPosition(0);
    // The user clicks the bar's down arrow: one increment.
    QScrollBar* qbar = nullptr;
    for (QScrollBar* b : box->Widget()->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Vertical)
            qbar = b;
    ASSERT_NE(qbar, nullptr);
    EXPECT_TRUE(qbar->isVisible());
    qbar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(box->VertScrollBar()->Position(), 8);
    EXPECT_EQ(far->Top(), 142);
    // ScrollInView brings a control into view; a control within needs nothing.
    box->ScrollInView(far);
    EXPECT_EQ(far->Top() + far->Height(), box->ClientHeight());
    // When the content shrinks the bar goes and the content returns to its place.
    box->VertScrollBar()->SetPosition(0);
    far->SetBounds(0, 0, 50, 10);
    box->Realign();
    EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box->ClientRect(), TRect(0, 0, 96, 96));
}

// Turns the wheel one notch towards the user over the control's client point, delivered
// as the toolkit delivers a real turn: to the window under the mouse, then to its parents
// while none has taken it.
void WheelDown(TControl* control, TPoint at) {
    TWinControl* win = dynamic_cast<TWinControl*>(control);
    TPoint inWin = at;
    if (!win) {
        win = control->Parent();
        inWin = TPoint(at.X + control->Left(), at.Y + control->Top());
    }
    QWidget* w = win->Widget();
    const QPoint global = w->mapToGlobal(QPoint(inWin.X, inWin.Y));
    for (; w; w = w->parentWidget()) {
        QWheelEvent e(QPointF(w->mapFromGlobal(global)), QPointF(global), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        const bool taken = QCoreApplication::sendEvent(w, &e);
        if (taken && e.isAccepted())
            break;
        if (w->isWindow())
            break;
    }
    TestKit::ProcessMessages();
}

TEST_F(ExtraControlsTest, WheelScrollsAScrollBoxUnderAnyOfItsChildren) {
    // A column of buttons taller than its box, as the workbench's button column.
    auto* box = new TScrollBox(Form);
    box->SetBounds(0, 0, 120, 100);
    box->SetParent(Form);
    std::vector<TButton*> buttons;
    for (int i = 0; i < 8; ++i) {
        auto* b = new TButton(Form);
        b->SetBounds(4, 4 + 30 * i, 80, 25);
        b->SetParent(box);
        buttons.push_back(b);
    }
    auto* caption = new TLabel(Form);
    caption->SetBounds(88, 4, 20, 13);
    caption->SetCaption("W");
    caption->SetParent(box);
    auto* inner = AddPanel("inner", box);
    inner->SetBounds(88, 40, 20, 200);
    Form->Show();
    TControlScrollBar* bar = box->VertScrollBar();
    ASSERT_TRUE(bar->IsScrollBarVisible());
    struct TCase {
        const char* Where;
        TControl* Control;
    };
    for (const TCase& c : {TCase{"button", buttons[0]}, TCase{"label", caption},
                           TCase{"panel", inner}, TCase{"box", box}}) {
        SCOPED_TRACE(c.Where);
        bar->SetPosition(0);
        const int top = buttons[0]->Top();
        WheelDown(c.Control, TPoint(2, 2));
        EXPECT_EQ(bar->Position(), bar->Increment()) << "one notch, one increment";
        EXPECT_EQ(buttons[0]->Top(), top - bar->Increment());
    }
    // A window that uses the wheel itself keeps it: nothing scrolls twice.
    bar->SetPosition(0);
    WheelDown(buttons[1], TPoint(2, 2));
    WheelDown(buttons[1], TPoint(2, 2));
    EXPECT_EQ(bar->Position(), 2 * bar->Increment());
}

} // namespace
