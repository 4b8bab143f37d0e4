#include "chart/ChartProcs.h"
#include "chart/tests/ChartTestSupport.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Clipboard.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

// A panel whose frames only fill the background and remember what they were given.
class TFramePanel : public TCustomChartPanelExtended {
public:
    explicit TFramePanel(TComponent* owner = nullptr) : TCustomChartPanelExtended(owner) {}
    int Frames = 0;
    TRect Bounds;
    TRect Chart;
    bool PrintingSeen = false;
    bool MetafilingSeen = false;
    void DrawContents(const TRect& bounds) override {
        ++Frames;
        Bounds = bounds;
        Chart = ChartRect();
        PrintingSeen = Printing();
        MetafilingSeen = Canvas3D()->Metafiling();
        DrawPanelBackground(bounds);
    }
};

struct ChartPanelTest : ::testing::Test {
    void SetUp() override { EnsureTestApplication(); }
};

} // namespace

TEST_F(ChartPanelTest, ChartRectangleLeavesBorderAndMargins) {
    struct {
        int Width, Height, Border;
        int Margins[4];
        TRect Expected;
    } cases[] = {
        {400, 250, 0, {3, 4, 3, 4}, TRect(12, 10, 388, 240)}, // MulDiv of the percents
        {400, 250, 2, {0, 0, 0, 0}, TRect(2, 2, 398, 248)},
        {401, 250, 0, {3, 0, 0, 0}, TRect(12, 0, 401, 250)},  // 12.03 rounds to 12
        {100, 100, 0, {60, 0, 60, 0}, TRect(60, 0, 61, 100)}, // crossed sides: one pixel
        {0, 0, 0, {3, 4, 3, 4}, TRect(0, 0, 0, 0)},           // nothing to draw, no failure
    };
    for (const auto& c : cases) {
        TFramePanel panel;
        panel.SetBounds(0, 0, c.Width, c.Height);
        panel.SetBorderWidth(c.Border);
        for (int i = 0; i < 4; ++i)
            panel.SetMargin(i, c.Margins[i]);
        panel.SetBuffered(false);
        TRecordingCanvas canvas;
        panel.DrawToRect(&canvas, panel.GetDrawRect());
        EXPECT_EQ(panel.Chart, c.Expected) << c.Width << " " << c.Margins[0];
        EXPECT_EQ(panel.ChartWidth(), c.Expected.Width());
        EXPECT_EQ(panel.ChartXCenter(), (c.Expected.Left + c.Expected.Right) / 2);
    }
}

TEST_F(ChartPanelTest, PicturesAreAtLeastOnePixelAndRestoreTheDrawingState) {
    TFramePanel panel;
    panel.SetBounds(0, 0, 0, 100);
    auto empty = panel.MakeMetafile(true, panel.GetDrawRect());
    EXPECT_EQ(empty->Width(), 1);
    EXPECT_EQ(empty->Height(), 99);
    EXPECT_TRUE(panel.MetafilingSeen);
    EXPECT_FALSE(panel.Canvas3D()->Metafiling());
    EXPECT_TRUE(panel.Buffered());

    panel.SetBounds(0, 0, 400, 250);
    panel.CopyAsMetafile(false);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_METAFILEPICT));
    EXPECT_FALSE(Clipboard()->GetAsBytes(CF_METAFILEPICT).empty());

    TTempFolder folder;
    const std::string bmp = folder.File("panel_save.bmp");
    const std::string emf = folder.File("panel_save.emf");
    panel.SaveAsBitmap(bmp);
    panel.SaveAsEnhancedMetafile(emf);
    TBitmap loaded;
    loaded.LoadFromFile(bmp);
    EXPECT_EQ(loaded.Width(), 400);
    EXPECT_EQ(loaded.Height(), 250);
    EXPECT_EQ(loaded.Canvas()->Pixels(200, 125), ColorToRGB(clBtnFace)); // the panel's colour
    EXPECT_GT(std::filesystem::file_size(emf), 0u);
    std::filesystem::remove(bmp);
    std::filesystem::remove(emf);
}

TEST_F(ChartPanelTest, ProportionalPrintMarginsKeepTheChartsShape) {
    const TPrintPage page{4800, 6600, 600, 600};
    TFramePanel panel; // 400 x 250
    const TRect printed = panel.CalcPrintRect(page);
    EXPECT_EQ(printed, TRect(720, 2244, 4080, 4356));
    EXPECT_EQ(panel.PrintPageMargins(), TRect(15, 34, 15, 34));
    // Paper and screen differ in their width to height by less than the margins' rounding.
    EXPECT_NEAR(double(printed.Width()) / printed.Height(), 400.0 / 250, 0.02);

    panel.SetPrintProportional(false);
    panel.SetPrintPageMargins(TRect(10, 20, 10, 20));
    EXPECT_EQ(panel.CalcPrintRect(page), TRect(480, 1320, 4320, 5280));

    TFramePanel empty;
    empty.SetBounds(0, 0, 0, 0);
    EXPECT_EQ(empty.CalcPrintRect(page), TRect(720, 990, 4080, 5610)); // 15 % everywhere
}

TEST_F(ChartPanelTest, PrintingScalesTheDrawingByTheDetailPercent) {
    struct {
        int Detail;
        TRect Rect, Bounds;
    } cases[] = {
        {0, TRect(100, 100, 900, 600), TRect(50, 50, 450, 300)},
        {50, TRect(100, 100, 900, 600), TRect(25, 25, 225, 150)},
        {0, TRect(900, 600, 100, 100), TRect(50, 50, 450, 300)}, // normalised first
    };
    for (const auto& c : cases) {
        TFramePanel panel; // 400 x 250
        panel.SetPrintDetailPercent(c.Detail);
        TRecordingCanvas printer;
        panel.PrintToCanvasRect(&printer, c.Rect);
        EXPECT_EQ(panel.Bounds, c.Bounds) << c.Detail;
        EXPECT_TRUE(panel.PrintingSeen);
        EXPECT_FALSE(panel.Printing());
        EXPECT_EQ(printer.MapMode(), MM_TEXT); // the printer's mapping is given back
    }
    TFramePanel panel;
    TRecordingCanvas printer;
    panel.PrintToCanvasRect(&printer, TRect(100, 100, 100, 600));
    EXPECT_EQ(panel.Frames, 0); // a rectangle without width prints nothing
    TFramePanel empty;
    empty.SetBounds(0, 0, 0, 250);
    empty.PrintToCanvasRect(&printer, TRect(100, 100, 900, 600));
    EXPECT_EQ(empty.Frames, 0); // nor does a chart without width
}

TEST_F(ChartPanelTest, ChartDepthPercentIsChecked) {
    TFramePanel panel;
    for (int bad : {0, 101}) {
        try {
            panel.SetChart3DPercent(bad);
            ADD_FAILURE() << bad;
        } catch (const ChartException& e) {
            EXPECT_EQ(e.Message(), "3D effect percent must be between 1 and 100");
        }
    }
    EXPECT_EQ(panel.Chart3DPercent(), 15);
    panel.SetChart3DPercent(100);
    EXPECT_EQ(panel.Chart3DPercent(), 100);
}

TEST_F(ChartPanelTest, WindowPaintsFromTheBufferUntilInvalidated) {
    TestKit::StartTestApplication();
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 420, 270);
    auto* panel = new TFramePanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 400, 250);
    panel->Gradient()->SetVisible(true);
    panel->Gradient()->SetStartColor(clWhite);
    panel->Gradient()->SetEndColor(clBlue);
    form->Show();
    TestKit::ProcessMessages();
    std::unique_ptr<TBitmap> first = TestKit::Render(panel);
    const int frames = panel->Frames;
    EXPECT_GE(frames, 1);
    // The start colour is on top, the end colour at the bottom.
    EXPECT_GT(GetRValue(first->Canvas()->Pixels(200, 3)), 240);
    EXPECT_LT(GetRValue(first->Canvas()->Pixels(200, 245)), 20);
    EXPECT_GT(GetBValue(first->Canvas()->Pixels(200, 245)), 230);

    panel->TWinControl::RequestRepaint(); // the window needs painting, the chart is unchanged
    TestKit::ProcessMessages();
    TestKit::Render(panel);
    EXPECT_EQ(panel->Frames, frames);

    panel->Gradient()->SetVisible(false); // a change draws a new frame
    TestKit::ProcessMessages();
    std::unique_ptr<TBitmap> plain = TestKit::Render(panel);
    EXPECT_GT(panel->Frames, frames);
    EXPECT_EQ(plain->Canvas()->Pixels(200, 125), plain->Canvas()->Pixels(100, 60));
    delete form;
    TestKit::ProcessMessages();
}

TEST_F(ChartPanelTest, AResizedWindowIsDrawnAgainAtItsNewSize) {
    TestKit::StartTestApplication();
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 250);
    auto* panel = new TFramePanel(form);
    panel->SetParent(form);
    panel->SetAlign(alClient);
    panel->Gradient()->SetVisible(true);
    panel->Gradient()->SetStartColor(clWhite);
    panel->Gradient()->SetEndColor(clBlue);
    form->Show();
    TestKit::ProcessMessages();
    TestKit::Render(panel);
    // From the program and from outside (a user dragging the frame): each new size is a
    // new frame filling the whole window, never the last frame's picture.
    struct Step {
        bool outside;
        int width, height;
    };
    for (Step step : {Step{false, 500, 300}, Step{true, 640, 420}, Step{true, 300, 200}}) {
        SCOPED_TRACE(step.width);
        const int frames = panel->Frames;
        if (step.outside)
            TestKit::ResizeWindow(form, step.width, step.height);
        else
            form->SetBounds(0, 0, step.width, step.height);
        TestKit::ProcessMessages();
        std::unique_ptr<TBitmap> shown = TestKit::Render(panel);
        ASSERT_EQ(panel->Width(), step.width);
        EXPECT_GT(panel->Frames, frames);
        EXPECT_EQ(panel->Bounds.Right, step.width);
        // The bottom right corner holds the gradient's end colour.
        const TColor corner = shown->Canvas()->Pixels(step.width - 3, step.height - 3);
        EXPECT_LT(GetRValue(corner), 20);
        EXPECT_GT(GetBValue(corner), 230);
    }
    delete form;
    TestKit::ProcessMessages();
}
