#include "windrose/WindRose.h"
#include "framework/core/Registry.h"

#include "PelmoraTestSupport.h"
#include "chart/tests/PrintedPage.h"
#include "chartdlg/ChartEditAxis.h"
#include "chartdlg/ChartEditGeneral.h"
#include "chartdlg/ChartEditor.h"
#include "chartdlg/ChartPreview.h"
#include "chartdlg/ChartStore.h"
#include "framework/gui/Clipboard.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Printers.h"

#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>

namespace {

using TK = TMetafileRecord;

std::unique_ptr<TTabData> MakeTable(std::vector<double> freqs,
                                    std::vector<std::vector<double>> rows) {
    auto table = std::make_unique<TTabData>();
    table->SectorCount = int(freqs.size());
    table->SectorFreq = std::move(freqs);
    table->Rows = std::move(rows);
    return table;
}

// The extreme coordinates of a recorded polygon.
struct TExtent {
    int MinX, MaxX, MinY, MaxY;
};
TExtent ExtentOf(const TMetafileRecord& polygon) {
    TExtent e{INT_MAX, INT_MIN, INT_MAX, INT_MIN};
    for (const TPoint& p : polygon.Points) {
        e.MinX = std::min(e.MinX, p.X);
        e.MaxX = std::max(e.MaxX, p.X);
        e.MinY = std::min(e.MinY, p.Y);
        e.MaxY = std::max(e.MaxY, p.Y);
    }
    return e;
}

int Px(double v) {
    return int(std::nearbyint(v));
}

// ---------------------------------------------------------------------------
// Geometry

TEST(WindRoseGeometry, SectorPolygonStacksTheFourSpeedGroups) {
    // Sector 1 of two: one row in each speed-class group (rows 0, 4, 12 and 25).
    std::vector<std::vector<double>> rows(26, std::vector<double>{0, 0});
    rows[0][1] = 100;  // group 1
    rows[3][1] = 100;  // group 1 still
    rows[4][1] = 200;  // group 2
    rows[11][1] = 100; // group 2 still
    rows[12][1] = 300; // group 3
    rows[25][1] = 200; // group 4
    rows[0][0] = 1000;
    const std::unique_ptr<TTabData> owned = MakeTable({50, 20}, rows);
    const TTabData& table = *owned;

    // Sector 0 points north untouched: a line up to 50 with zero-height bars at its end.
    const TSectorPolygon north = BuildSectorPolygon(table, 0);
    EXPECT_EQ(north[1].Y, 50);
    EXPECT_EQ(north[7].Y, 50);
    EXPECT_EQ(north[7].X, -3 * BarHalfWidth);

    // Sector 1 of 2 points south: lengths 4, 10, 16 and 20 turned by 180°.
    const TSectorPolygon south = BuildSectorPolygon(table, 1);
    const std::vector<std::pair<int, TRosePoint>> expected = {
        {0, {0, 0}},     {1, {0, -4}},     {2, {0.2, -4}},   {3, {0.2, -10}}, {5, {0.4, -16}},
        {7, {0.6, -20}}, {8, {-0.6, -20}}, {13, {-0.2, -4}}, {15, {0, 0}},
    };
    for (const auto& [index, point] : expected) {
        SCOPED_TRACE(index);
        EXPECT_NEAR(south[size_t(index)].X, point.X, 1e-12);
        EXPECT_NEAR(south[size_t(index)].Y, point.Y, 1e-12);
    }
}

TEST(WindRoseGeometry, RotatePointTurnsCounterClockwiseInAYUpPlane) {
    const TRosePoint p = RotatePoint({1, 0}, std::numbers::pi / 2);
    EXPECT_NEAR(p.X, 0, 1e-15);
    EXPECT_NEAR(p.Y, 1, 1e-15);
    // A negative angle is a clockwise turn: north becomes east.
    const TRosePoint east = RotatePoint({0, 1}, -std::numbers::pi / 2);
    EXPECT_NEAR(east.X, 1, 1e-15);
    EXPECT_NEAR(east.Y, 0, 1e-15);
}

TEST(WindRoseGeometry, TablesThatCannotBeDrawnAreRecognised) {
    std::vector<std::pair<const char*, std::unique_ptr<TTabData>>> bad;
    bad.emplace_back("no sectors", MakeTable({}, {}));
    bad.emplace_back("all frequencies zero", MakeTable({0, 0}, {{1, 1}}));
    bad.emplace_back("negative frequencies", MakeTable({-1, -2}, {{1, 1}}));
    bad.emplace_back("short row", MakeTable({1, 2}, {{1}}));
    bad.emplace_back("count and frequencies differ", MakeTable({1, 2}, {}));
    bad.back().second->SectorCount = 3;
    for (const auto& [name, table] : bad) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(IsDrawableTable(*table));
    }
    EXPECT_TRUE(IsDrawableTable(*MakeTable({0, 5}, {})));
}

// ---------------------------------------------------------------------------
// The program

TEST_F(TPelmoraTest, StartsWithTheTitleAndNothingToEdit) {
    EXPECT_EQ(TestKit::TextOf(Form1), "Form1");
    ASSERT_EQ(Form1->Chart1->Title()->Text()->Count(), 1);
    EXPECT_EQ(Form1->Chart1->Title()->Text()->Get(0), "Ροζέτα Ανέμου");
    EXPECT_FALSE(Form1->actEditData->Enabled());
    EXPECT_FALSE(Form1->ToolButton4->Enabled());
    EXPECT_TRUE(Form1->actEditChart->Enabled());
    EXPECT_TRUE(Form1->actOpen->Enabled());
    EXPECT_EQ(Rose(), nullptr);
    EXPECT_EQ(FootLines(), std::vector<std::string>{""});
    EXPECT_EQ(TestKit::TextOf(Form1->ToolButton4), "Επεξεργ.");
    // Resizing without a table draws nothing.
    Form1->SetBounds(Form1->Left(), Form1->Top(), 600, 400);
    TestKit::ProcessMessages();
    EXPECT_EQ(Rose(), nullptr);
}

TEST_F(TPelmoraTest, OpeningAFourSectorTableDrawsItsBarsAndTwelveLabels) {
    const std::string file = CopyFixture("rose4.tab", "climates");
    OpenTable(file);
    ASSERT_NE(Form1->TabData(), nullptr);
    EXPECT_TRUE(Form1->actEditData->Enabled());
    EXPECT_EQ(FootLines(), std::vector<std::string>{"Δοκιμαστικός σταθμός, 4 τομείς"});
    EXPECT_EQ(Form1->OpenDialog->InitialDir(), FDir + "/climates");
    // From now on the program writes numbers with ".".
    EXPECT_EQ(FloatToStr(2.5), "2.5");

    const TMetafile* rose = Rose();
    ASSERT_NE(rose, nullptr);
    const int w = Form1->Chart1->Width();
    const int h = Form1->Chart1->Height();
    EXPECT_EQ(rose->Width(), w);
    EXPECT_EQ(rose->Height(), h);
    const int cx = w / 2;
    const int cy = h / 2;
    const double scale = std::min(w, h) / 40.0 / 3; // the largest frequency is 40 %

    const std::vector<TMetafileRecord> bars = RecordsOf(rose, TK::mrPolygon);
    ASSERT_EQ(bars.size(), 4u);
    for (const TMetafileRecord& bar : bars) {
        EXPECT_EQ(bar.Points.size(), 16u);
        EXPECT_EQ(bar.BrushColor, clGreen);
        EXPECT_EQ(bar.BrushStyle, bsSolid);
    }
    // North: all of the sector in the lowest classes, a line of 40 % straight up.
    const TExtent north = ExtentOf(bars[0]);
    EXPECT_EQ(north.MinY, cy - Px(40 * scale));
    EXPECT_EQ(north.MaxY, cy);
    EXPECT_EQ(bars[0].Points[1], TPoint(cx, cy - Px(40 * scale)));
    EXPECT_LE(north.MaxX - north.MinX, Px(1.2 * scale) + 1);
    // East: 30 % with a column of 999 per mille, the widest bar at its end.
    const TExtent east = ExtentOf(bars[1]);
    EXPECT_EQ(east.MaxX, cx + Px(29.97 * scale));
    EXPECT_EQ(east.MinX, cx);
    EXPECT_NEAR(east.MaxY - east.MinY, 1.2 * scale, 1.01);
    // South: 20 % with a column that sums to 1001 per mille.
    EXPECT_EQ(ExtentOf(bars[2]).MaxY, cy + Px(20.02 * scale));
    // West: 10.5 %, all of it in the highest classes.
    EXPECT_EQ(ExtentOf(bars[3]).MinX, cx - Px(10.5 * scale));

    // Twelve labels in order, clockwise from north, outside the longest bar.
    const std::vector<TMetafileRecord> labels = RecordsOf(rose, TK::mrText);
    ASSERT_EQ(labels.size(), 12u);
    const double reach = 40 * scale;
    for (size_t i = 0; i < labels.size(); ++i) {
        SCOPED_TRACE(labels[i].Text);
        EXPECT_EQ(labels[i].Text, std::string(DirLabels[i]));
        const TPoint at = labels[i].Points[0];
        // The text's top-left corner lies about on the circle beyond the bars, at the
        // label's angle (clockwise from north, y downward).
        const double dx = at.X - cx;
        const double dy = at.Y - cy;
        EXPECT_GT(std::hypot(dx, dy), reach);
        const double angle = std::atan2(dx, -dy); // 0 north, π/2 east
        double expected = double(i) * std::numbers::pi / 6;
        double diff = std::remainder(angle - expected, 2 * std::numbers::pi);
        EXPECT_LT(std::fabs(diff), 0.35);
    }
    EXPECT_LT(labels[0].Points[0].Y, cy - Px(reach)); // "N" above
    EXPECT_GT(labels[3].Points[0].X, cx + Px(reach)); // "E" to the right
    EXPECT_GT(labels[6].Points[0].Y, cy + Px(reach)); // "S" below
    EXPECT_LT(labels[9].Points[0].X, cx - Px(reach)); // "W" to the left
}

TEST_F(TPelmoraTest, TheRoseFollowsTheWindowSize) {
    OpenTable(DataFile("rose4.tab"));
    ASSERT_NE(Rose(), nullptr);
    // Taller than wide: the longest bar reaches a third of the width from the centre.
    Form1->SetBounds(Form1->Left(), Form1->Top(), 420, 700);
    TestKit::ProcessMessages();
    const int w = Form1->Chart1->Width();
    const int h = Form1->Chart1->Height();
    ASSERT_LT(w, h);
    const TMetafile* rose = Rose();
    ASSERT_NE(rose, nullptr);
    EXPECT_EQ(rose->Width(), w);
    EXPECT_EQ(rose->Height(), h);
    const std::vector<TMetafileRecord> bars = RecordsOf(rose, TK::mrPolygon);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(ExtentOf(bars[0]).MinY, h / 2 - Px(w / 3.0));

    // Wider than tall: the height sets the scale.
    Form1->SetBounds(Form1->Left(), Form1->Top(), 900, 400);
    TestKit::ProcessMessages();
    const int h2 = Form1->Chart1->Height();
    EXPECT_EQ(Rose()->Width(), Form1->Chart1->Width());
    EXPECT_EQ(ExtentOf(RecordsOf(Rose(), TK::mrPolygon)[0]).MinY, h2 / 2 - Px(h2 / 3.0));
}

TEST_F(TPelmoraTest, ExtremeTablesAndAChartOfNoSizeDrawSafely) {
    // Columns whose sums overflow, and groups of opposite infinite lengths.
    OpenTable(WriteFile("huge.tab", "Huge\r\n0 0 0\r\n2\r\n1e-300 50\r\n"
                                    "1 1e308 1\r\n2 1e308 1\r\n3 0 1\r\n4 0 1\r\n"
                                    "5 -1e308 1\r\n6 -1e308 1\r\n"));
    ASSERT_NE(Form1->TabData(), nullptr);
    const TMetafile* rose = Rose();
    ASSERT_NE(rose, nullptr);
    const std::vector<TMetafileRecord> bars = RecordsOf(rose, TK::mrPolygon);
    ASSERT_EQ(bars.size(), 2u);
    for (const TMetafileRecord& bar : bars)
        for (const TPoint& p : bar.Points) {
            EXPECT_LE(std::abs(p.X), 2'000'000);
            EXPECT_LE(std::abs(p.Y), 2'000'000);
        }

    // A window too low to leave the chart any height keeps the last picture.
    OpenTable(DataFile("rose4.tab"));
    const std::vector<uint8_t> picture = Rose()->SaveEnhanced();
    Form1->SetBounds(Form1->Left(), Form1->Top(), 300, 40);
    TestKit::ProcessMessages();
    ASSERT_LE(Form1->Chart1->Height(), 0);
    EXPECT_EQ(Rose()->SaveEnhanced(), picture);
}

TEST_F(TPelmoraTest, CopyPutsTheChartOnTheClipboardAsAnEnhancedMetafile) {
    OpenTable(DataFile("rose4.tab"));
    Clipboard()->Clear();
    ASSERT_FALSE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    TestKit::Click(Form1->ToolButton2);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_METAFILEPICT));
    TMetafile pasted;
    pasted.LoadFromBytes(Clipboard()->GetAsBytes(CF_ENHMETAFILE));
    EXPECT_NEAR(pasted.Width(), Form1->Chart1->Width(), 1);

    // Each key copies exactly once: Ctrl+Ins through the action, Insert (alone or with
    // Shift) through the window's key handler, wherever the focus is.
    const int before = Clipboard()->CommitCount();
    TestKit::Focus(Form1->Chart1);
    TestKit::PressShortCut("Ctrl+Ins");
    EXPECT_EQ(Clipboard()->CommitCount() - before, 1);
    TestKit::PressKey(VK_INSERT);
    EXPECT_EQ(Clipboard()->CommitCount() - before, 2);
    TestKit::PressKey(VK_INSERT, {ssShift});
    EXPECT_EQ(Clipboard()->CommitCount() - before, 3);
}

// The chart file carries the rose: the back picture is the chart's "BackImage.Data" entry,
// the metafile's class name and its bytes, and reads back to the same bars.
TEST_F(TPelmoraTest, TheChartFileCarriesTheRose) {
    OpenTable(DataFile("rose4.tab"));
    ASSERT_NE(Rose(), nullptr);
    const std::string fileName = FDir + "/rose.tee";
    SaveChartFile(Form1->Chart1, fileName);
    std::ifstream in(fileName, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::string entry = std::string("\x0E"
                                          "BackImage.Data") +
                              char(vaBinary);
    const size_t at = bytes.find(entry);
    ASSERT_NE(at, std::string::npos);
    TMemoryStream stream;
    stream.SetData(bytes);
    stream.SetPosition(int64_t(at + entry.size()));
    const std::string data = stream.ReadBytes(stream.ReadInt32());
    EXPECT_EQ(data.substr(0, 10), "\x09TMetafile");
    TPicture picture;
    picture.ReadStreamedData(data);
    const auto* rose = dynamic_cast<const TMetafile*>(picture.Graphic());
    ASSERT_NE(rose, nullptr);
    EXPECT_EQ(rose->Width(), Rose()->Width());
    EXPECT_EQ(RecordsOf(rose, TK::mrPolygon).size(), 4u);
}

TEST_F(TPelmoraTest, AFailedOrCancelledOpeningChangesNothing) {
    // Before any table: the failure leaves the program as it started.
    OpenTable(DataFile("malformed.tab"));
    EXPECT_NE(TestKit::Dialogs().LastText().find("malformed.tab"), std::string::npos);
    EXPECT_EQ(Form1->TabData(), nullptr);
    EXPECT_EQ(Rose(), nullptr);
    EXPECT_FALSE(Form1->actEditData->Enabled());

    const std::string good = CopyFixture("rose4.tab", "good");
    OpenTable(good);
    const TTabData* table = Form1->TabData();
    ASSERT_NE(table, nullptr);
    const std::vector<uint8_t> picture = Rose()->SaveEnhanced();
    const std::vector<std::string> foot = FootLines();
    const std::string folder = Form1->OpenDialog->InitialDir();

    const auto unchanged = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Form1->TabData(), table);
        EXPECT_EQ(Form1->TabData()->SectorCount, 4);
        ASSERT_NE(Rose(), nullptr);
        EXPECT_EQ(Rose()->SaveEnhanced(), picture);
        EXPECT_EQ(FootLines(), foot);
        EXPECT_EQ(Form1->OpenDialog->InitialDir(), folder);
        EXPECT_TRUE(Form1->actEditData->Enabled());
    };
    CancelOpen();
    unchanged("cancelled");

    TestKit::Dialogs().Clear();
    OpenTable(CopyFixture("malformed.tab", "bad"));
    ASSERT_EQ(TestKit::Dialogs().Shown().size(), 2u); // the open dialog, then the message
    EXPECT_NE(TestKit::Dialogs().LastText().find("malformed.tab"), std::string::npos);
    unchanged("malformed number");

    OpenTable(CopyFixture("nofreq.tab", "bad"));
    EXPECT_NE(TestKit::Dialogs().LastText().find("nofreq.tab"), std::string::npos);
    unchanged("no frequencies");

    OpenTable(FDir + "/missing/none.tab");
    unchanged("missing file");

    // A folder and a FIFO named as tables are refused at once, with one message each.
    const std::string dir = FDir + "/folder.tab";
    std::filesystem::create_directory(dir);
    const std::string fifo = FDir + "/pipe.tab";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& file : {dir, fifo}) {
        TestKit::Dialogs().Clear();
        OpenTable(file);
        ASSERT_EQ(TestKit::Dialogs().Shown().size(), 2u);
        EXPECT_NE(TestKit::Dialogs().LastText().find(file), std::string::npos);
        unchanged(file.c_str());
    }
}

TEST_F(TPelmoraTest, TheSettingsStoreKeepsTheFolderAndThePlacement) {
    OpenTable(CopyFixture("rose12.tab", "stations/north"));
    Form1->SetBounds(40, 50, 640, 520);
    TestKit::ProcessMessages();
    const TRect placed = Form1->BoundsRect();
    StopProgram();

    StartProgram();
    EXPECT_EQ(Form1->OpenDialog->InitialDir(), FDir + "/stations/north");
    EXPECT_EQ(Form1->BoundsRect(), placed);
    EXPECT_EQ(Form1->TabData(), nullptr);
    // The dialog opens in the remembered folder.
    std::string shownIn;
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        shownIn = static_cast<TOpenDialog*>(shown.Dialog)->InitialDir();
        return 0;
    });
    TestKit::Click(Form1->ToolButton1);
    EXPECT_EQ(shownIn, FDir + "/stations/north");
}

// Closing the program writes the settings store once: the window's placement and the
// data module's folders together.
TEST_F(TPelmoraTest, ClosingTheProgramWritesTheStoreOnce) {
    OpenTable(CopyFixture("rose12.tab", "stations/south"));
    Form1->SetBounds(30, 40, 600, 500);
    TestKit::ProcessMessages();
    int writes = 0;
    SetSettingsStoreCommitHook([&] { ++writes; });
    Application->SetMainForm(Form1);
    Form1->Close();
    EXPECT_TRUE(Application->Terminated());
    Application->SetMainForm(nullptr);
    Application->ClearTerminated();
    StopProgram();
    SetSettingsStoreCommitHook(nullptr);
    EXPECT_EQ(writes, 1);
    StartProgram();
    EXPECT_EQ(Form1->OpenDialog->InitialDir(), FDir + "/stations/south");
    EXPECT_EQ(Form1->BoundsRect(), Bounds(30, 40, 600, 500));
}

TEST_F(TPelmoraTest, ScreenshotOfATwelveSectorRose) {
    OpenTable(DataFile("rose12.tab"));
    ASSERT_NE(Rose(), nullptr);
    EXPECT_EQ(RecordsOf(Rose(), TK::mrPolygon).size(), 12u);
    EXPECT_TRUE(TestKit::RenderToPng(Form1, ShotFile("pelmora-rose12.png")));
}

// The example table shipped beside the programs opens without a message, draws twelve
// sectors and is already normalised (frequencies sum to 100 %, every sector to 1000 per mille).
TEST_F(TPelmoraTest, TheShippedExampleTableOpensAndIsNormalised) {
    TestKit::Dialogs().Clear();
    OpenTable(std::string(APP_DATA_DIR) + "/example.tab");
    EXPECT_EQ(TestKit::Dialogs().Shown().size(), 1u) << TestKit::Dialogs().LastText();
    const TTabData* table = Form1->TabData();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->SectorCount, 12);
    EXPECT_EQ(table->Rows.size(), 20u);
    EXPECT_EQ(FootLines(), std::vector<std::string>{table->Title});
    ASSERT_NE(Rose(), nullptr);
    EXPECT_EQ(RecordsOf(Rose(), TK::mrPolygon).size(), 12u);
    EXPECT_TRUE(TestKit::RenderToPng(Form1, ShotFile("pelmora-example.png")));

    TTabData normalised;
    LoadFromFile(normalised, std::string(APP_DATA_DIR) + "/example.tab");
    NormalizeAll(normalised);
    for (int s = 0; s < 12; ++s) {
        SCOPED_TRACE(DirLabels[size_t(s)]);
        EXPECT_NEAR(normalised.SectorFreq[size_t(s)], table->SectorFreq[size_t(s)], 1e-9);
        for (size_t r = 0; r < table->Rows.size(); ++r)
            EXPECT_EQ(normalised.Rows[r][size_t(s)], table->Rows[r][size_t(s)]) << r;
    }
}

TEST_F(TPelmoraTest, PropertiesOpenTheChartEditorOnTheAxisPageWithoutSeriesTabs) {
    OpenTable(DataFile("rose12.tab"));
    int editors = 0;
    Application->SetModalHandler([&](TCustomForm* form) {
        auto* editor = dynamic_cast<TChartEditForm*>(form);
        ASSERT_NE(editor, nullptr);
        ++editors;
        EXPECT_EQ(editor->EditedChart, Form1->Chart1);
        EXPECT_FALSE(editor->TabSeriesList->TabVisible());
        EXPECT_FALSE(editor->TabSeries->TabVisible());
        EXPECT_EQ(editor->Notebook1->ActivePage(), editor->TabAxis);
        auto* axis = dynamic_cast<TFormChartAxis*>(editor->PageOf(editor->TabAxis));
        ASSERT_NE(axis, nullptr);
        EXPECT_EQ(axis->Axis(), Form1->Chart1->LeftAxis());
        TestKit::RenderToPng(editor, ShotFile("pelmora-chart-editor.png"));
    });
    TestKit::Click(Form1->ToolButton3);
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(editors, 1);
}

// Printing the rose through the chart editor's print preview: on paper the rose keeps every
// direction label (N and S too), the foot keeps the whole table title, and the title is as
// large relative to the chart as on screen.
TEST_F(TPelmoraTest, ThePrintedRoseKeepsItsLabelsFootAndProportions) {
    if (!PdfToolsInstalled())
        GTEST_SKIP() << "poppler's pdftotext is not installed";
    OpenTable(DataFile("rose12.tab"));
    TPrinter* printer = Printer();
    printer->SetPrinterIndex(printer->Printers()->IndexOf(kPdfPrinterName));
    const std::string pdf = ShotFile("rose-print.pdf");
    std::string proposed;
    int previews = 0;
    Application->SetModalHandler([&](TCustomForm* form) {
        if (auto* preview = dynamic_cast<TChartPreview*>(form)) {
            ++previews;
            TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
                auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog);
                if (!save)
                    return 0;
                proposed = save->FileName();
                save->SetFileName(pdf);
                return 1;
            });
            TestKit::Click(preview->BPrint);
            TestKit::Click(preview->BClose);
            return;
        }
        auto* editor = dynamic_cast<TChartEditForm*>(form);
        ASSERT_NE(editor, nullptr);
        TPageControl* pages = editor->TabGeneral->PageControl();
        const TRect tab = pages->TabRect(editor->TabGeneral->TabIndex());
        TestKit::ClickAt(pages, TPoint((tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2));
        TestKit::ProcessMessages();
        auto* general = dynamic_cast<TFormChartGeneral*>(editor->PageOf(editor->TabGeneral));
        ASSERT_NE(general, nullptr);
        TestKit::Click(general->BPrint);
    });
    TestKit::Click(Form1->ToolButton3);
    Application->SetModalHandler(nullptr);
    ASSERT_EQ(previews, 1);
    EXPECT_EQ(proposed, Form1->Caption() + ".pdf");

    const TPrintedPage page = ReadPrintedPage(pdf);
    ASSERT_GT(page.Width, 0);
    constexpr int kDpi = 96;
    TBitmap picture;
    RenderPrintedPage(pdf, kDpi, picture, ShotFile("rose-paper.png"));
    ASSERT_FALSE(picture.Empty());
    // Each label once, and on the page: not clipped away with the rose's edge.
    for (std::string_view label : DirLabels) {
        SCOPED_TRACE(std::string(label));
        EXPECT_EQ(page.Count(std::string(label)), 1) << page.Text();
        TPrintedWord box;
        if (page.Find(std::string(label), box)) {
            EXPECT_GT(InkIn(picture, box, kDpi), 3);
        }
    }
    const std::string foot = FootLines().at(0);
    TPrintedWord box;
    EXPECT_TRUE(page.Find(foot, box)) << page.Text();

    TChart* chart = Form1->Chart1;
    const std::string title = chart->Title()->Text()->Get(0);
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->AssignFrom(chart->Title()->Font());
    const double screen = double(probe.Canvas()->TextWidth(title)) / chart->GetDrawRect().Width();
    ASSERT_TRUE(page.Find(title, box)) << page.Text();
    const TRect m = chart->PrintPageMargins();
    const double paper = (box.Right - box.Left) / (page.Width * (100 - m.Left - m.Right) / 100);
    EXPECT_NEAR(paper / screen, 1.0, 0.15)
        << "title over chart width: paper " << paper << ", screen " << screen;
}

} // namespace
