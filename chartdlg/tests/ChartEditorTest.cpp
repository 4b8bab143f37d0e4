// The chart editor driven as a user would: opening it on a chart, switching its pages,
// scripting edits on every page and reading the chart back; opening a page never changes
// the chart; the window's own rules (pages to open and to hide, a missing chart, the
// caption, the series buttons); the export dialog reached from it; screenshots of every
// page.

#include "chartdlg/ChartEditor.h"

#include "chart/Series.h"
#include "chartdlg/AxisIncrement.h"
#include "chartdlg/AxisMinMax.h"
#include "chartdlg/ChartEdit3D.h"
#include "chartdlg/ChartEditAxis.h"
#include "chartdlg/ChartEditGeneral.h"
#include "chartdlg/ChartEditLegend.h"
#include "chartdlg/ChartEditPaging.h"
#include "chartdlg/ChartEditPanel.h"
#include "chartdlg/ChartEditSeries.h"
#include "chartdlg/ChartEditTitle.h"
#include "chartdlg/ChartEditWall.h"
#include "chartdlg/ChartExport.h"
#include "chartdlg/ChartStore.h"
#include "chartdlg/tests/ChartDlgTestSupport.h"
#include "framework/core/Streams.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Every published property of the chart, its axes, walls, titles, legend and series as
// the native chart stream writes them.
std::string Snapshot(TCustomChart* chart) {
    TMemoryStream stream;
    WriteChartToStream(chart, &stream);
    std::string bytes(size_t(stream.Size()), '\0');
    stream.Seek(0, soBeginning);
    stream.Read(bytes.data(), int64_t(bytes.size()));
    return bytes;
}

// Clicks the tab of a page control or tab control at its centre.
void ClickTab(TCustomTabControl* tabs, int tabIndex) {
    const TRect r = tabs->TabRect(tabIndex);
    ASSERT_FALSE(r.IsEmpty()) << "no tab " << tabIndex;
    TestKit::ClickAt(tabs, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
}

// Presses a button that opens a modal dialog. The test kit's mouse stays with the pressed
// button until its release returns, so the dialog is opened by the button's click itself
// and its own controls take the test kit's clicks.
void OpenDialog(TButton* button) {
    ASSERT_TRUE(button->Enabled());
    button->Click();
}

// Clicks a chart page's tab by its page index (its tab index among the visible ones).
void ShowChartPage(TChartEditForm* editor, int pageIndex) {
    TTabSheet* tab = editor->Notebook1->Pages(pageIndex);
    ClickTab(editor->Notebook1, tab->TabIndex());
    ASSERT_EQ(editor->Notebook1->ActivePage(), tab);
}

class ChartEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FForm.reset(new TForm(nullptr));
        FForm->SetBounds(0, 0, 500, 360);
        FChart = new TChart(FForm.get());
        FChart->SetName("Chart1");
        FChart->SetParent(FForm.get());
        FChart->SetAlign(alClient);
        FChart->Title()->Text()->SetText("Energy");
        const char* names[] = {"Wind", "Sun", "Load"};
        for (int i = 0; i < 3; ++i) {
            auto* series = new TLineSeries(FForm.get());
            series->SetName(std::string("Series") + char('1' + i));
            series->SetTitle(names[i]);
            series->SetParentChart(FChart);
            for (int x = 0; x < 20; ++x)
                series->AddXY(x, (x * (i + 2)) % 17 + i, "", clAutoColor);
        }
        FForm->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        Application->SetModalHandler(nullptr);
        FForm.reset();
    }

    // Opens the editor on the chart (after configure) and runs check while it is shown;
    // nested modal dialogs go to the handlers of their class.
    void Edit(const std::function<void(TChartEditForm*)>& configure,
              const std::function<void(TChartEditForm*)>& check) {
        int shown = 0;
        Application->SetModalHandler([&](TCustomForm* form) {
            if (auto* editor = dynamic_cast<TChartEditForm*>(form)) {
                ++shown;
                TestKit::ProcessMessages();
                check(editor);
                return;
            }
            auto handler = FDialogHandlers.find(form->ClassName());
            ASSERT_NE(handler, FDialogHandlers.end()) << "unexpected " << form->ClassName();
            handler->second(form);
        });
        std::unique_ptr<TChartEditForm> editor(new TChartEditForm(Application));
        editor->EditedChart = FChart;
        if (configure)
            configure(editor.get());
        editor->ShowModal();
        Application->SetModalHandler(nullptr);
        EXPECT_EQ(shown, 1);
    }

    std::unique_ptr<TForm> FForm;
    TChart* FChart = nullptr;
    std::map<std::string, std::function<void(TCustomForm*)>> FDialogHandlers;
};

TEST_F(ChartEditorTest, OpeningEveryPageAndEveryTabOfItLeavesTheChartUnchanged) {
    // Values a control cannot show as they are, and boxes whose echo would write.
    TChartAxis* left = FChart->LeftAxis();
    left->SetAutomatic(false);
    left->SetAutomaticMinimum(false);
    left->SetMinimum(-5);
    left->SetMaximum(1000);
    left->SetAxisValuesFormat(""); // the labels tab shows the default format in its place
    FChart->BottomAxis()->SetAutomaticMaximum(false);
    FChart->BottomAxis()->SetMaximum(50);
    FChart->View3DOptions()->SetRotation(400);    // above the rotation bar's 360
    FChart->View3DOptions()->SetPerspective(150); // above the perspective bar's 100
    FChart->View3DOptions()->SetZoom(700);        // above the zoom bar's 500
    FChart->SetAnimatedZoomSteps(300);            // above its up-down's 100
    FChart->SetMaxPointsPerPage(40000);           // above its up-down's 32000
    FChart->LeftWall()->Brush()->SetStyle(bsClear);
    FChart->BottomWall()->SetColor(clAutoColor);
    FChart->BackWall()->Brush()->SetStyle(bsSolid);
    FChart->BackWall()->SetColor(clAutoColor);
    FChart->Legend()->SetAlignment(laTop);
    FChart->Legend()->SetHorizMargin(7);
    FChart->Foot()->Text()->SetText("Foot");
    const std::string before = Snapshot(FChart);

    Edit(nullptr, [&](TChartEditForm* editor) {
        for (int page = cepGeneral; page <= cep3D; ++page) {
            ShowChartPage(editor, page);
            EXPECT_NE(editor->PageOf(editor->Notebook1->Pages(page)), nullptr) << page;
            EXPECT_TRUE(Snapshot(FChart) == before) << "page " << page;
        }
        ClickTab(editor->MainPage, 1);
        ASSERT_NE(editor->SeriesPage, nullptr);
        EXPECT_TRUE(Snapshot(FChart) == before) << "series page";
        ClickTab(editor->MainPage, 0);
        auto* axisPage = dynamic_cast<TFormChartAxis*>(editor->PageOf(editor->TabAxis));
        ASSERT_NE(axisPage, nullptr);
        ShowChartPage(editor, cepAxis);
        for (int tab = 0; tab < axisPage->PageAxis->PageCount(); ++tab) {
            ClickTab(axisPage->PageAxis, tab);
            for (int which = 0; which < 5; ++which) {
                TestKit::Click(axisPage->RGWhich->Buttons(which));
                EXPECT_TRUE(Snapshot(FChart) == before) << "axis " << which << " tab " << tab;
            }
        }
        auto* wallPage = dynamic_cast<TFormChartWall*>(editor->PageOf(editor->TabWalls));
        ASSERT_NE(wallPage, nullptr);
        ShowChartPage(editor, cepWalls);
        for (int tab : {1, 2, 0, 2}) {
            ClickTab(wallPage->TabSubWalls, tab);
            EXPECT_TRUE(Snapshot(FChart) == before) << "wall " << tab;
        }
        auto* titlePage = dynamic_cast<TFormChartTitle*>(editor->PageOf(editor->TabTitle));
        ASSERT_NE(titlePage, nullptr);
        titlePage->CBTitles->SetItemIndex(1);
        titlePage->CBTitlesChange(titlePage->CBTitles);
        EXPECT_EQ(TestKit::TextOf(titlePage->MText), "Foot");
        EXPECT_TRUE(Snapshot(FChart) == before);

        // A bar shows a value outside its range clamped, and the chart keeps the value.
        auto* page3D = dynamic_cast<TFormChart3D*>(editor->PageOf(editor->Tab3D));
        ASSERT_NE(page3D, nullptr);
        EXPECT_EQ(page3D->SBRotation->Position(), 360);
        EXPECT_EQ(page3D->SBPerspec->Position(), 100);
        EXPECT_EQ(FChart->View3DOptions()->Rotation(), 400);
    });
    EXPECT_TRUE(Snapshot(FChart) == before);
}

TEST_F(ChartEditorTest, GeneralPagingAndPanelPagesWriteIntoTheChart) {
    const TTestFolder folder;
    const std::string imageFile = (folder.Path() / "back.bmp").string();
    {
        TBitmap image;
        image.SetSize(8, 8);
        image.Canvas()->Brush()->SetColor(clYellow);
        image.Canvas()->FillRect(TRect(0, 0, 8, 8));
        image.SaveToFile(imageFile);
    }
    FChart->SetMarginLeft(60);
    Edit(nullptr, [&](TChartEditForm* editor) {
        ShowChartPage(editor, cepGeneral);
        auto* general = dynamic_cast<TFormChartGeneral*>(editor->PageOf(editor->TabGeneral));
        ASSERT_NE(general, nullptr);
        const bool clip = FChart->ClipPoints();
        TestKit::Click(general->CBClipPoints);
        EXPECT_EQ(FChart->ClipPoints(), !clip);
        TestKit::Click(general->RGPanning->Buttons(1));
        EXPECT_EQ(FChart->AllowPanning(), pmHorizontal);
        // With the left margin at 60 the right one cannot reach 40.
        general->SERightMa->SetText("40");
        EXPECT_EQ(FChart->MarginRight(), 3);
        EXPECT_EQ(TestKit::TextOf(general->SERightMa), "3");
        general->SERightMa->SetText("35");
        EXPECT_EQ(FChart->MarginRight(), 35);

        ShowChartPage(editor, cepPaging);
        auto* paging = dynamic_cast<TFormChartPage*>(editor->PageOf(editor->TabPaging));
        ASSERT_NE(paging, nullptr);
        EXPECT_EQ(TestKit::TextOf(paging->LabelPages), "1/1");
        for (TControl* button : std::initializer_list<TControl*>{
                 paging->BFirstPage, paging->ButtonPrevious, paging->ButtonNext, paging->BLastPage})
            EXPECT_FALSE(button->Enabled()) << button->Name();
        paging->SEPointsPerPage->SetText("6");
        EXPECT_EQ(FChart->MaxPointsPerPage(), 6);
        EXPECT_EQ(TestKit::TextOf(paging->LabelPages), "1/4");
        TestKit::Click(paging->BLastPage);
        EXPECT_EQ(FChart->Page(), 4);
        EXPECT_EQ(TestKit::TextOf(paging->LabelPages), "4/4");
        EXPECT_FALSE(paging->ButtonNext->Enabled());
        EXPECT_TRUE(paging->ButtonPrevious->Enabled());
        TestKit::Click(paging->ButtonPrevious);
        EXPECT_EQ(FChart->Page(), 3);
        paging->SEPointsPerPage->SetText("");
        EXPECT_EQ(FChart->MaxPointsPerPage(), 0);

        ShowChartPage(editor, cepPanel);
        auto* panel = dynamic_cast<TFormChartPanel*>(editor->PageOf(editor->TabPanel));
        ASSERT_NE(panel, nullptr);
        EXPECT_FALSE(panel->ComboBox1->Enabled());
        TestKit::Click(panel->CBGradVisible);
        EXPECT_TRUE(FChart->Gradient()->Visible());
        EXPECT_TRUE(panel->ComboBox1->Enabled());
        TestKit::Click(panel->RGBevelIn->Buttons(1));
        EXPECT_EQ(FChart->BevelInner(), bvLowered);
        TestKit::Click(panel->CBPanelBorder);
        EXPECT_EQ(FChart->BorderStyle(), bsSingle);

        EXPECT_EQ(TestKit::TextOf(panel->BBrowseImage), "B&rowse...");
        EXPECT_FALSE(panel->RGBitmap->Enabled());
        TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
            auto* dialog = dynamic_cast<TOpenDialog*>(shown.Dialog);
            if (!dialog)
                return 0;
            EXPECT_NE(dialog->Filter().find("*.bmp"), std::string::npos);
            EXPECT_NE(dialog->Filter().find("*.png"), std::string::npos);
            dialog->SetFileName(imageFile);
            return 1;
        });
        TestKit::Click(panel->BBrowseImage);
        ASSERT_NE(FChart->BackImage()->Graphic(), nullptr);
        EXPECT_EQ(FChart->BackImage()->Width(), 8);
        EXPECT_EQ(TestKit::TextOf(panel->BBrowseImage), "Clea&r");
        EXPECT_TRUE(panel->RGBitmap->Enabled());
        EXPECT_TRUE(panel->CBImageInside->Enabled());
        TestKit::Click(panel->RGBitmap->Buttons(1));
        EXPECT_EQ(FChart->BackImageMode(), pbmTile);
        TestKit::Click(panel->BBrowseImage);
        EXPECT_EQ(FChart->BackImage()->Graphic(), nullptr);
        EXPECT_FALSE(panel->RGBitmap->Enabled());
        EXPECT_FALSE(panel->CBImageInside->Enabled());
    });
}

TEST_F(ChartEditorTest, ABackImageThatFailsToLoadLeavesTheChartAsItWas) {
    const TTestFolder folder;
    const std::string junk = (folder.Path() / "junk.bmp").string();
    std::ofstream(junk, std::ios::binary) << "not a picture";
    const std::string dir = (folder.Path() / "folder.png").string();
    std::filesystem::create_directory(dir);
    const std::string fifo = (folder.Path() / "pipe.bmp").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string before = Snapshot(FChart);
    Edit(nullptr, [&](TChartEditForm* editor) {
        ShowChartPage(editor, cepPanel);
        auto* panel = dynamic_cast<TFormChartPanel*>(editor->PageOf(editor->TabPanel));
        ASSERT_NE(panel, nullptr);
        for (const std::string& file : {junk, dir, fifo}) {
            SCOPED_TRACE(file);
            TestKit::Dialogs().Clear();
            TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
                auto* dialog = dynamic_cast<TOpenDialog*>(shown.Dialog);
                if (!dialog)
                    return 0;
                dialog->SetFileName(file);
                return 1;
            });
            TestKit::Click(panel->BBrowseImage);
            ASSERT_EQ(TestKit::Dialogs().Shown().size(), 2u); // the file dialog, the message
            EXPECT_EQ(TestKit::Dialogs().Shown()[1].Kind, "MessageBox");
            EXPECT_EQ(FChart->BackImage()->Graphic(), nullptr);
            EXPECT_EQ(Snapshot(FChart), before);
            EXPECT_EQ(TestKit::TextOf(panel->BBrowseImage), "B&rowse...");
            EXPECT_FALSE(panel->RGBitmap->Enabled());
        }
    });
}

TEST_F(ChartEditorTest, AxisPageEditsTheChosenAxis) {
    Edit([](TChartEditForm* editor) { editor->OpenPageIndex = cepAxis; },
         [&](TChartEditForm* editor) {
             auto* page = dynamic_cast<TFormChartAxis*>(editor->PageOf(editor->TabAxis));
             ASSERT_NE(page, nullptr);
             EXPECT_EQ(editor->Notebook1->ActivePage(), editor->TabAxis);
             EXPECT_EQ(page->Axis(), FChart->LeftAxis());
             EXPECT_EQ(page->RGWhich->ItemIndex(), 0);

             TestKit::Click(page->CBInverted);
             EXPECT_TRUE(FChart->LeftAxis()->Inverted());
             // Switching the axis automatic off clears both automatic ends.
             TestKit::Click(page->CBAutomatic);
             EXPECT_FALSE(FChart->LeftAxis()->Automatic());
             EXPECT_FALSE(FChart->LeftAxis()->AutomaticMaximum());
             EXPECT_FALSE(FChart->LeftAxis()->AutomaticMinimum());
             EXPECT_TRUE(page->BAxisMax->Enabled());

             // A new maximum typed into the limit dialog.
             FDialogHandlers["TAxisMaxMin"] = [](TCustomForm* form) {
                 auto* dialog = static_cast<TAxisMaxMin*>(form);
                 EXPECT_EQ(dialog->Caption(), "Maximum Left Axis");
                 EXPECT_FALSE(dialog->EMinimum->Visible());
                 dialog->EMaximum->SetText("250");
                 TestKit::Click(dialog->BitBtn1);
             };
             OpenDialog(page->BAxisMax);
             EXPECT_DOUBLE_EQ(FChart->LeftAxis()->Maximum(), 250);
             EXPECT_EQ(TestKit::TextOf(page->LAxisMax), FormatFloat("#,##0.###", 250));

             // The bottom axis on the positions tab: a start at or beyond the end goes back.
             TestKit::Click(page->RGWhich->Buttons(3));
             EXPECT_EQ(page->Axis(), FChart->BottomAxis());
             ClickTab(page->PageAxis, 4);
             page->EEnd->SetText("80");
             EXPECT_DOUBLE_EQ(FChart->BottomAxis()->EndPosition(), 80);
             page->EStart->SetText("80");
             EXPECT_DOUBLE_EQ(FChart->BottomAxis()->StartPosition(), 0);
             EXPECT_EQ(TestKit::TextOf(page->EStart), "0");
             page->EStart->SetText("20");
             EXPECT_DOUBLE_EQ(FChart->BottomAxis()->StartPosition(), 20);

             // The depth axis: no positions, no logarithmic scale.
             TestKit::Click(page->RGWhich->Buttons(4));
             EXPECT_FALSE(page->EPos->Enabled());
             EXPECT_FALSE(page->EStart->Enabled());
             ClickTab(page->PageAxis, 0);
             EXPECT_FALSE(page->CBLogarithmic->Enabled());

             // Title and labels of the left axis.
             TestKit::Click(page->RGWhich->Buttons(0));
             ClickTab(page->PageAxis, 1);
             page->ETitle->SetText("kWh");
             EXPECT_EQ(FChart->LeftAxis()->Title()->Caption(), "kWh");
             page->SETitleAngle->SetText("90");
             EXPECT_EQ(FChart->LeftAxis()->Title()->Angle(), 90);
             ClickTab(page->PageAxis, 2);
             TestKit::Click(page->RGLabelStyle->Buttons(2));
             EXPECT_EQ(FChart->LeftAxis()->LabelStyle(), talValue);
             EXPECT_EQ(TestKit::TextOf(page->LabelAxisFormat), "Values For&mat:");
         });
}

TEST_F(ChartEditorTest, ARefusedLogarithmicScaleLeavesTheBoxClearedAndShowsWhy) {
    for (TChartSeries* series : FChart->SeriesList())
        series->YValues()->SetDateTime(true);
    FChart->LeftAxis()->SetIsDateTime(true);
    Edit([](TChartEditForm* editor) { editor->OpenPageIndex = cepAxis; },
         [&](TChartEditForm* editor) {
             auto* page = dynamic_cast<TFormChartAxis*>(editor->PageOf(editor->TabAxis));
             ASSERT_NE(page, nullptr);
             TestKit::Dialogs().Clear();
             TestKit::Click(page->CBLogarithmic);
             EXPECT_FALSE(FChart->LeftAxis()->Logarithmic());
             EXPECT_FALSE(page->CBLogarithmic->Checked());
             ASSERT_FALSE(TestKit::Dialogs().Shown().empty());
             EXPECT_FALSE(TestKit::Dialogs().LastText().empty());
             // The page goes on working.
             TestKit::Click(page->CBInverted);
             EXPECT_TRUE(FChart->LeftAxis()->Inverted());
         });
}

TEST_F(ChartEditorTest, TitleLegendWallAnd3DPagesWriteIntoTheChart) {
    auto* pie = new TPieSeries(FForm.get());
    pie->SetName("Pie1");
    pie->SetParentChart(FChart);
    pie->SetActive(false);
    FChart->ExchangeSeries(0, 3); // the pie first, inactive
    Edit(nullptr, [&](TChartEditForm* editor) {
        ShowChartPage(editor, cepTitles);
        auto* titles = dynamic_cast<TFormChartTitle*>(editor->PageOf(editor->TabTitle));
        ASSERT_NE(titles, nullptr);
        titles->MText->Lines()->SetText("Energy\nper month");
        ASSERT_EQ(FChart->Title()->Text()->Count(), 2);
        EXPECT_EQ(FChart->Title()->Text()->Get(1), "per month");
        TestKit::Click(titles->RGAlign->Buttons(0));
        EXPECT_EQ(FChart->Title()->Alignment(), taLeftJustify);
        // The automatic colour behind a white font shows grey.
        FChart->Title()->Font()->SetColor(clWhite);
        titles->CBTitles->SetItemIndex(0);
        titles->CBTitlesChange(titles->CBTitles);
        EXPECT_EQ(titles->MText->Color(), TColor(0x808080));

        ShowChartPage(editor, cepLegend);
        auto* legend = dynamic_cast<TFormChartLegend*>(editor->PageOf(editor->TabLegend));
        ASSERT_NE(legend, nullptr);
        FChart->Legend()->SetVertMargin(9);
        TestKit::Click(legend->RBTop);
        EXPECT_EQ(FChart->Legend()->Alignment(), laTop);
        EXPECT_EQ(TestKit::TextOf(legend->SEMargin), "9");
        legend->SEMargin->SetText("12");
        EXPECT_EQ(FChart->Legend()->VertMargin(), 12);
        legend->CBLegStyle->SetItemIndex(3);
        legend->CBLegStyleChange(legend->CBLegStyle);
        EXPECT_EQ(FChart->Legend()->TextStyle(), ltsLeftPercent);

        ShowChartPage(editor, cepWalls);
        auto* walls = dynamic_cast<TFormChartWall*>(editor->PageOf(editor->TabWalls));
        ASSERT_NE(walls, nullptr);
        EXPECT_EQ(walls->Wall(), FChart->LeftWall());
        FChart->BottomWall()->SetColor(clAutoColor);
        FChart->BottomWall()->Brush()->SetStyle(bsClear);
        ClickTab(walls->TabSubWalls, 1);
        EXPECT_EQ(walls->Wall(), FChart->BottomWall());
        EXPECT_TRUE(walls->CBWallTransp->Checked());
        TestKit::Click(walls->CBWallTransp);
        EXPECT_EQ(FChart->BottomWall()->Brush()->Style(), bsSolid);
        EXPECT_EQ(FChart->BottomWall()->Color(), clSilver);
        walls->SEWallSize->SetText("0");
        EXPECT_FALSE(walls->CBDark3D->Enabled());
        walls->SEWallSize->SetText("5");
        EXPECT_EQ(FChart->BottomWall()->Size(), 5);
        EXPECT_TRUE(walls->CBDark3D->Enabled());

        ShowChartPage(editor, cep3D);
        auto* view = dynamic_cast<TFormChart3D*>(editor->PageOf(editor->Tab3D));
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->SBRotation->Enabled()); // the inactive pie does not count
        view->SBRotation->SetPosition(300);
        EXPECT_EQ(FChart->View3DOptions()->Rotation(), 300);
        EXPECT_EQ(TestKit::TextOf(view->LRotation), "300");
        view->SBZoom->SetPosition(120);
        EXPECT_EQ(TestKit::TextOf(view->LZoom), "120%");

        // With the pie active the chart may not rotate, once the tab is shown again.
        pie->SetActive(true);
        ShowChartPage(editor, cepWalls);
        ShowChartPage(editor, cep3D);
        EXPECT_FALSE(view->CBOrthogonal->Enabled());
        EXPECT_FALSE(view->SBRotation->Enabled());
        pie->SetActive(false);
        ShowChartPage(editor, cepWalls);
        ShowChartPage(editor, cep3D);
        EXPECT_TRUE(view->SBRotation->Enabled());

        TestKit::Click(view->CBView3d);
        EXPECT_FALSE(FChart->View3D());
        for (TControl* control : std::initializer_list<TControl*>{
                 view->SE3d, view->CBOrthogonal, view->SBZoom, view->SBRotation, view->SBElevation,
                 view->SBHOffset, view->SBVOffset, view->SBPerspec, view->CBZoomText})
            EXPECT_FALSE(control->Enabled()) << control->Name();
        EXPECT_TRUE(view->CBView3d->Enabled());
    });
}

TEST_F(ChartEditorTest, WindowOpensTheRightPageAndIgnoresBadRequests) {
    struct TCase {
        const char* Name;
        int OpenPageIndex;
        std::vector<int> Hidden;
        int ExpectedPage;
    };
    const TCase cases[] = {
        {"default", -1, {}, cepSeriesList},
        {"legend", cepLegend, {}, cepLegend},
        {"beyond the last page", 12, {}, cepSeriesList},
        {"below -1", -4, {}, cepSeriesList},
        {"hidden page", cepPanel, {cepPanel}, cepSeriesList},
        // The series list hidden: the tab now first is active and its page is made.
        {"series list hidden", -1, {cepSeriesList}, cepGeneral},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Edit(
            [&](TChartEditForm* editor) {
                editor->OpenPageIndex = c.OpenPageIndex;
                for (int bit : c.Hidden)
                    editor->HiddenPages.set(size_t(bit));
            },
            [&](TChartEditForm* editor) {
                EXPECT_EQ(editor->Notebook1->ActivePageIndex(), c.ExpectedPage);
                if (c.ExpectedPage != cepSeriesList) {
                    EXPECT_NE(editor->PageOf(editor->Notebook1->ActivePage()), nullptr);
                }
                for (int bit : c.Hidden)
                    EXPECT_FALSE(editor->Notebook1->Pages(bit)->TabVisible());
            });
    }
}

TEST_F(ChartEditorTest, WithoutAChartTheEditorRaisesBeforeShowing) {
    int shown = 0;
    Application->SetModalHandler([&](TCustomForm*) { ++shown; });
    std::unique_ptr<TChartEditForm> editor(new TChartEditForm(Application));
    EXPECT_THROW(editor->ShowModal(), EInvalidOperation);
    EXPECT_EQ(shown, 0);
    EXPECT_FALSE(editor->Visible());
}

TEST_F(ChartEditorTest, SeriesTabsHiddenOpensOnTheLeftAxis) {
    Edit(
        [](TChartEditForm* editor) {
            editor->TabSeriesList->SetTabVisible(false);
            editor->TabSeries->SetTabVisible(false);
            editor->OpenPageIndex = cepAxis;
        },
        [&](TChartEditForm* editor) {
            EXPECT_EQ(editor->Notebook1->ActivePage(), editor->TabAxis);
            auto* page = dynamic_cast<TFormChartAxis*>(editor->PageOf(editor->TabAxis));
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(page->Axis(), FChart->LeftAxis());
            EXPECT_FALSE(editor->TabSeries->TabVisible());
            EXPECT_EQ(editor->MainPage->ActivePage(), editor->TabChart);
        });
}

TEST_F(ChartEditorTest, CaptionIsTheCallersOrNamesTheChartAndTheHelpTopicIsTheEditors) {
    Edit(nullptr, [](TChartEditForm* editor) {
        EXPECT_EQ(editor->Caption(), "Editing Chart1");
        EXPECT_EQ(editor->HelpContext(), 726);
    });
    Edit([](TChartEditForm* editor) { editor->SetCaption("Ιδιότητες Γραφήματος"); },
         [](TChartEditForm* editor) { EXPECT_EQ(editor->Caption(), "Ιδιότητες Γραφήματος"); });
}

TEST_F(ChartEditorTest, SeriesButtonsFollowTheSelectionAndTheLocks) {
    Edit(nullptr, [&](TChartEditForm* editor) {
        TChartListBox* list = editor->LBSeries;
        ASSERT_EQ(list->Items()->Count(), 3);
        EXPECT_EQ(list->ItemIndex(), 0);
        EXPECT_FALSE(editor->BMoveUP->Enabled());
        EXPECT_TRUE(editor->BMoveDown->Enabled());
        TestKit::Click(editor->BMoveDown);
        EXPECT_EQ(FChart->GetSeries(1)->Name(), "Series1");
        EXPECT_TRUE(editor->BMoveUP->Enabled());

        // Two selected: no renaming, cloning or moving; deleting and retyping stay.
        list->SetSelected(0, true);
        list->SetSelected(1, true);
        editor->LBSeriesRefreshButtons(list);
        EXPECT_FALSE(editor->BRenameSeries->Enabled());
        EXPECT_FALSE(editor->BCloneSeries->Enabled());
        EXPECT_FALSE(editor->BMoveUP->Enabled());
        EXPECT_FALSE(editor->BMoveDown->Enabled());
        EXPECT_TRUE(editor->BDeleteSeries->Enabled());
        EXPECT_TRUE(editor->BChangeTypeSeries->Enabled());

        // A series' locks.
        list->ClearSelection();
        list->SetItemIndex(0);
        list->SetSelected(0, true);
        list->CurrentSeries()->SetStyle({tssDenyDelete, tssDenyClone});
        editor->LBSeriesRefreshButtons(list);
        EXPECT_FALSE(editor->BDeleteSeries->Enabled());
        EXPECT_FALSE(editor->BCloneSeries->Enabled());
        EXPECT_TRUE(editor->BChangeTypeSeries->Enabled());
    });

    FChart->FreeAllSeries();
    Edit([](TChartEditForm* editor) { editor->SeriesActions.Exclude(AllowClone); },
         [](TChartEditForm* editor) {
             EXPECT_TRUE(editor->BAddSeries->Enabled());
             for (TControl* button : std::initializer_list<TControl*>{
                      editor->BDeleteSeries, editor->BRenameSeries, editor->BCloneSeries,
                      editor->BChangeTypeSeries, editor->BMoveUP, editor->BMoveDown})
                 EXPECT_FALSE(button->Enabled()) << button->Name();
         });
}

TEST_F(ChartEditorTest, SeriesTabOpensOnTheSeriesChosenInTheList) {
    TChartSeries* second = FChart->GetSeries(1);
    // A series to open: the window starts on the series tab with it.
    Edit([&](TChartEditForm* editor) { editor->SeriesToOpen = second; },
         [&](TChartEditForm* editor) {
             EXPECT_EQ(editor->MainPage->ActivePage(), editor->TabSeries);
             ASSERT_NE(editor->SeriesPage, nullptr);
             EXPECT_EQ(editor->SeriesPage->TheSeries(), second);
             EXPECT_EQ(editor->SeriesPage->CBSeries->Items()->ToVector(),
                       (std::vector<std::string>{"Wind", "Sun", "Load"}));
             EXPECT_EQ(editor->SeriesPage->CBSeries->ItemIndex(), 1);
             TestKit::RenderToPng(editor, TTestFolder().File("editor_series_page.png"));
         });

    // A double click on a title opens the series tab; the list's changes reach its combo.
    Edit([](TChartEditForm* editor) { editor->HiddenPages.set(10); },
         [&](TChartEditForm* editor) {
             TChartListBox* list = editor->LBSeries;
             const TRect r = list->ItemRect(2);
             const TPoint title(list->SectionLeft(lbcTitle) + 20, (r.Top + r.Bottom) / 2);
             TestKit::ClickAt(list, title);
             TestKit::DoubleClickAt(list, title);
             EXPECT_EQ(editor->MainPage->ActivePage(), editor->TabSeries);
             ASSERT_NE(editor->SeriesPage, nullptr);
             EXPECT_EQ(editor->SeriesPage->TheSeries(), FChart->GetSeries(2));
             EXPECT_FALSE(editor->SeriesPage->ShowTabMarks());
             EXPECT_TRUE(editor->SeriesPage->ShowTabGeneral());
             ClickTab(editor->MainPage, 0);
             list->ClearSelection();
             list->SetItemIndex(0);
             list->SetSelected(0, true);
             TestKit::Dialogs().AnswerNextInput("Αέρας");
             TestKit::Click(editor->BRenameSeries);
             EXPECT_EQ(FChart->GetSeries(0)->Title(), "Αέρας");
             EXPECT_EQ(editor->SeriesPage->CBSeries->Items()->Get(0), "Αέρας");
         });
}

TEST_F(ChartEditorTest, ExportDialogFromTheGeneralPageSavesEveryFormat) {
    const TTestFolder folder;
    struct TFormat {
        int Index;
        const char* File;
    };
    const TFormat formats[] = {
        {0, "chart.bmp"}, {1, "chart.wmf"}, {2, "chart.emf"}, {3, "chart.tee"}};
    Edit([](TChartEditForm* editor) { editor->OpenPageIndex = cepGeneral; },
         [&](TChartEditForm* editor) {
             auto* general = dynamic_cast<TFormChartGeneral*>(editor->PageOf(editor->TabGeneral));
             ASSERT_NE(general, nullptr);
             for (const TFormat& format : formats) {
                 const std::string fileName = (folder.Path() / format.File).string();
                 FDialogHandlers["TChartExportForm"] = [&](TCustomForm* form) {
                     auto* dialog = static_cast<TChartExportForm*>(form);
                     EXPECT_EQ(dialog->ExportPanel, FChart);
                     TestKit::Click(dialog->RGFormat->Buttons(format.Index));
                     TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
                         auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog);
                         if (!save)
                             return 0;
                         save->SetFileName(fileName);
                         return 1;
                     });
                     TestKit::Click(dialog->Button2);
                     TestKit::Click(dialog->Button3);
                 };
                 OpenDialog(general->BExport);
                 ASSERT_TRUE(std::filesystem::exists(fileName)) << format.File;
                 EXPECT_GT(std::filesystem::file_size(fileName), 100u) << format.File;
             }
         });
    // The native chart file starts with its two header words and the component stream.
    std::ifstream in(folder.Path() / "chart.tee", std::ios::binary);
    std::string head(8, '\0');
    in.read(head.data(), 8);
    EXPECT_NE(head.find("TPF0"), std::string::npos);
}

TEST_F(ChartEditorTest, ScreenshotsOfEveryPage) {
    const TTestFolder folder;
    FChart->View3DOptions()->SetRotation(345);
    Edit(nullptr, [&](TChartEditForm* editor) {
        const char* names[] = {"series", "general", "axis",  "titles", "legend",
                               "panel",  "paging",  "walls", "3d"};
        for (int page = cepSeriesList; page <= cep3D; ++page) {
            ShowChartPage(editor, page);
            TestKit::ProcessMessages();
            const std::string file = folder.File(std::string("editor_") + names[page] + ".png");
            EXPECT_TRUE(TestKit::RenderToPng(editor, file)) << file;
        }
    });
}

} // namespace
