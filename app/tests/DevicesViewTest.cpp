// The devices view as a user drives it: the catalogue beside the device grid, adding
// catalogue devices, editing them in the grid and in the operation editor, device-list
// files, deleting, and the daily-load chart.

#include "app/DevEdit.h"
#include "app/DeviceSel.h"
#include "app/GraphBaseSt.h"
#include "app/LoadConst.h"
#include "app/tests/ViewsTestSupport.h"
#include "chart/Series.h"
#include "framework/core/IniFiles.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

using namespace TestKit;

namespace {

// Text is smoothed: its letters are dark pixels rather than pure black ones.
bool IsDark(TColor color) {
    return (color & 0xFF) < 96 && ((color >> 8) & 0xFF) < 96 && ((color >> 16) & 0xFF) < 96;
}

class DevicesViewTest : public TProgramTest {
protected:
    void SetUp() override {
        TProgramTest::SetUp();
        DevList->Clear();
        fmHolder->ShowView(2);
        ProcessMessages();
        View = dynamic_cast<TfmLoadConstr*>(fmHolder->CurrentView());
        ASSERT_NE(View, nullptr);
        Catalogue = View->DevSel();
        ASSERT_NE(Catalogue, nullptr);
    }
    void TearDown() override {
        Application->SetModalHandler(nullptr);
        TProgramTest::TearDown();
    }

    // Shows the catalogue as a report and answers the row of the named device.
    int CatalogueRow(const std::string& caption) {
        Click(Catalogue->tbnList);
        TListView* list = Catalogue->ListView1;
        for (int i = 0; i < list->ItemCount(); ++i)
            if (list->Item(i)->Caption() == caption)
                return i;
        ADD_FAILURE() << "no catalogue device " << caption;
        return -1;
    }
    TPoint ItemPoint(int i) const {
        const TRect r = Catalogue->ListView1->ItemRect(i);
        return TPoint(r.Left + 30, (r.Top + r.Bottom) / 2);
    }
    // A point on the device grid, in the catalogue's client coordinates.
    TPoint GridPointInCatalogue() const {
        return Catalogue->ListView1->ScreenToClient(
            View->gdDevices->ClientToScreen(CellPoint(View->gdDevices, 3, 1)));
    }
    void AddByDoubleClick(const std::string& caption) {
        const int row = CatalogueRow(caption);
        DoubleClickAt(Catalogue->ListView1, ItemPoint(row));
        ProcessMessages();
    }
    TPoint CellPoint(TCustomGrid* grid, int col, int row) const {
        const TRect r = grid->CellRect(col, row);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    void SetPeriods(int count) {
        while (SeasonList->Count() > count)
            delete SeasonList->GetSeason(SeasonList->Count() - 1);
        while (SeasonList->Count() < count)
            SeasonList->AddSeason()->SetDescription("Περίοδος " +
                                                    std::to_string(SeasonList->Count()));
    }
    template <class T> void OnModal(std::function<void(T*)> check) {
        Application->SetModalHandler([check](TCustomForm* form) {
            auto* typed = dynamic_cast<T*>(form);
            ASSERT_NE(typed, nullptr) << form->ClassName();
            check(typed);
        });
    }

    TfmLoadConstr* View = nullptr;
    TfmDevSel* Catalogue = nullptr;
};

TEST_F(DevicesViewTest, OpensWithTheCatalogueInLargeIconsAndAnEmptyList) {
    EXPECT_EQ(Catalogue->ListView1->ItemCount(), 16);
    EXPECT_EQ(Catalogue->ListView1->ViewStyle(), vsIcon);
    EXPECT_TRUE(Catalogue->Showing());
    EXPECT_TRUE(View->sbDevicesToogle->Down());
    EXPECT_EQ(View->gdDevices->RowCount(), 2);
    Application->Idle();
    EXPECT_FALSE(View->actDelete->Enabled());
    EXPECT_FALSE(Catalogue->sbProperties->Enabled());
    // The empty row cannot be edited.
    ClickAt(View->gdDevices, CellPoint(View->gdDevices, 3, 1));
    EXPECT_FALSE(View->gdDevices->Options().Contains(goEditing));
    RenderToPng(fmHolder, ShotFile("devices_view_empty.png"));

    // The catalogue lists name, power ("?" when unknown) and daily energy.
    const int drill = CatalogueRow("Ηλεκτρικό δράπανο");
    const int lamp = CatalogueRow("Λαμπτήρας");
    TListItem* lampItem = Catalogue->ListView1->Item(lamp);
    auto* device = dynamic_cast<TDeviceEl*>(lampItem->Data());
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(lampItem->SubItems()[0], "60");
    EXPECT_EQ(lampItem->SubItemObject(0), device);
    EXPECT_EQ(lampItem->SubItems()[1], FloatToStr(device->DailyEnergy()));
    EXPECT_EQ(Catalogue->ListView1->Item(drill)->SubItems()[0], "?");
    ClickAt(Catalogue->ListView1, ItemPoint(lamp));
    EXPECT_TRUE(Catalogue->sbProperties->Enabled());
    RenderToPng(fmHolder, ShotFile("devices_catalogue_report.png"));
}

TEST_F(DevicesViewTest, DoubleClickAddsACopyWithTheProfileInEveryPeriod) {
    SetPeriods(3);
    AddByDoubleClick("Λαμπτήρας");
    ASSERT_EQ(DevList->Count(), 1);
    TDeviceEl* added = DevList->GetDevice(0);
    EXPECT_NE(added, Catalogue->SelectedDevice());
    EXPECT_EQ(added->Name(), "Λαμπτήρας");
    ASSERT_EQ(added->HourOps().Count(), 3);
    for (int p = 1; p < 3; ++p)
        EXPECT_EQ(added->HourOps().GetHourOp(p)->Factors(),
                  added->HourOps().GetHourOp(0)->Factors());
    EXPECT_EQ(View->gdDevices->RowCount(), 2);
    AddByDoubleClick("Ραδιόφωνο");
    EXPECT_EQ(DevList->Count(), 2);
    EXPECT_EQ(View->gdDevices->RowCount(), 3);
    Application->Idle();
    EXPECT_TRUE(View->actDelete->Enabled());
    RenderToPng(fmHolder, ShotFile("devices_view_two.png"));
}

TEST_F(DevicesViewTest, UnknownPowerIsAskedForAndCancelAddsNothing) {
    Dialogs().Clear();
    Dialogs().AnswerNext(0); // Cancel
    AddByDoubleClick("Ηλεκτρικό δράπανο");
    EXPECT_EQ(DevList->Count(), 0);
    ASSERT_EQ(Dialogs().Shown().size(), 1u);
    EXPECT_EQ(Dialogs().Shown()[0].Caption, "Εισαγωγή");
    EXPECT_EQ(Dialogs().Shown()[0].Text, "Ονομαστική Ισχύς");
    Dialogs().AnswerNextInput("450");
    AddByDoubleClick("Ηλεκτρικό δράπανο");
    ASSERT_EQ(DevList->Count(), 1);
    EXPECT_EQ(DevList->GetDevice(0)->RatedPower(), 450);
}

TEST_F(DevicesViewTest, ANegativePowerTypedIntoThePromptIsRefusedAndNothingIsAdded) {
    // Dragged onto the grid and double-clicked alike.
    const int row = CatalogueRow("Ηλεκτρικό δράπανο");
    const TPoint from = ItemPoint(row);
    const TPoint target =
        View->gdDevices->ScreenToClient(Catalogue->ListView1->ClientToScreen(from));
    const TPoint onGrid = CellPoint(View->gdDevices, 3, 1);
    Dialogs().Clear();
    Dialogs().AnswerNextInput("-100");
    Drag(Catalogue->ListView1, from,
         TPoint(from.X + onGrid.X - target.X, from.Y + onGrid.Y - target.Y));
    ProcessMessages();
    EXPECT_EQ(DevList->Count(), 0);
    ASSERT_EQ(Dialogs().Shown().size(), 2u);
    EXPECT_EQ(Dialogs().Shown()[0].Text, "Ονομαστική Ισχύς");
    EXPECT_EQ(Dialogs().LastText(), "Επιτρεπτές τιμές: 0 ή από 0.000000001 έως 1000000000000.");

    Dialogs().Clear();
    Dialogs().AnswerNextInput("-0.5");
    AddByDoubleClick("Ηλεκτρικό δράπανο");
    EXPECT_EQ(DevList->Count(), 0);
    EXPECT_EQ(Dialogs().LastText(), "Επιτρεπτές τιμές: 0 ή από 0.000000001 έως 1000000000000.");
    // So is a power the year's load could not add up, one too small to divide by, and one no
    // number can hold; a text that is no number is named, with the allowed values.
    const std::string range = "Επιτρεπτές τιμές: 0 ή από 0.000000001 έως 1000000000000.";
    const struct {
        const char* Typed;
        std::string Shown;
    } refused[] = {{"1e308", range}, {"1e-12", range},
                   {"1e400", range}, {"inf", range},
                   {"nan", range},   {"abc", "Το 'abc' δεν είναι έγκυρος αριθμός. " + range}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.Typed);
        Dialogs().Clear();
        Dialogs().AnswerNextInput(r.Typed);
        AddByDoubleClick("Ηλεκτρικό δράπανο");
        EXPECT_EQ(DevList->Count(), 0);
        EXPECT_EQ(Dialogs().LastText(), r.Shown);
    }
    EXPECT_EQ(View->gdDevices->RowCount(), 2);

    // Zero is a power like any other.
    Dialogs().AnswerNextInput("0");
    AddByDoubleClick("Ηλεκτρικό δράπανο");
    ASSERT_EQ(DevList->Count(), 1);
    EXPECT_EQ(DevList->GetDevice(0)->RatedPower(), 0);
}

TEST_F(DevicesViewTest, UnknownOperationOpensTheEditorAndAddsTheDeviceHoweverItCloses) {
    int shown = 0;
    OnModal<TfmDevEdit>([&](TfmDevEdit* editor) {
        ++shown;
        editor->mOpFull->Click();
        editor->SetModalResult(mrCancel);
    });
    AddByDoubleClick("Θερμοσίφωνας");
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(DevList->Count(), 1);
    EXPECT_EQ(DevList->GetDevice(0)->HourOps().GetFactor(0, 5), 1.0);
    // The catalogue device itself kept its profile.
    EXPECT_NE(Catalogue->SelectedDevice()->HourOps().GetFactor(0, 5), 1.0);
}

TEST_F(DevicesViewTest, DraggingACatalogueDeviceOntoTheGridAddsIt) {
    const int row = CatalogueRow("Τηλεόραση");
    const TPoint from = ItemPoint(row);
    const TPoint target =
        View->gdDevices->ScreenToClient(Catalogue->ListView1->ClientToScreen(from));
    const TPoint onGrid = CellPoint(View->gdDevices, 3, 1);
    // Drag within the list view's coordinates to the grid's cell.
    const TPoint to(from.X + onGrid.X - target.X, from.Y + onGrid.Y - target.Y);
    Drag(Catalogue->ListView1, from, to);
    ProcessMessages();
    ASSERT_EQ(DevList->Count(), 1);
    EXPECT_EQ(DevList->GetDevice(0)->Name(), "Τηλεόραση");
}

TEST_F(DevicesViewTest, GridEditsCountNameAndPower) {
    AddByDoubleClick("Λαμπτήρας");
    TExDrawGrid* grid = View->gdDevices;
    struct TCase {
        int Col;
        std::string Typed;
        std::function<bool(const TDeviceEl&)> Check;
    };
    const std::vector<TCase> cases = {
        {2, "3", [](const TDeviceEl& d) { return d.DevCount() == 3; }},
        {3, "Φως", [](const TDeviceEl& d) { return d.Name() == "Φως"; }},
        {4, "75.5", [](const TDeviceEl& d) { return d.RatedPower() == 75.5; }},
    };
    for (const TCase& c : cases) {
        ClickAt(grid, CellPoint(grid, c.Col, 1));
        EXPECT_TRUE(grid->Options().Contains(goEditing));
        TypeText(c.Typed);
        PressKey(VK_RETURN);
        EXPECT_TRUE(c.Check(*DevList->GetDevice(0))) << c.Col << " " << c.Typed;
    }
    // A text that is no number leaves the count as it was.
    std::string text;
    View->gdDevicesGetEditText(grid, 2, 1, text);
    EXPECT_EQ(text, "3");
    EXPECT_THROW(View->gdDevicesSetEditText(grid, 2, 1, "x"), EConvertError);
    EXPECT_EQ(DevList->GetDevice(0)->DevCount(), 3);
    RenderToPng(fmHolder, ShotFile("devices_view_edited.png"));
}

TEST_F(DevicesViewTest, SaveOpenAndDeleteGoThroughTheDialogsAndTheAction) {
    AddByDoubleClick("Λαμπτήρας");
    AddByDoubleClick("Ραδιόφωνο");
    const std::string file = FDir + "/list.dvl";
    Dialogs().AnswerNextWith([&](const TShownDialog& shown) {
        static_cast<TSaveDialog*>(shown.Dialog)->SetFileName(file);
        return 1;
    });
    Click(View->ToolButton1);
    ASSERT_TRUE(std::filesystem::exists(file));

    // Delete the current row's device with Ctrl+Del.
    ClickAt(View->gdDevices, CellPoint(View->gdDevices, 3, 1));
    Application->Idle();
    PressShortCut("Ctrl+Del");
    ASSERT_EQ(DevList->Count(), 1);
    EXPECT_EQ(DevList->GetDevice(0)->Name(), "Ραδιόφωνο");
    View->actDelete->Execute();
    EXPECT_EQ(DevList->Count(), 0);
    EXPECT_EQ(View->gdDevices->RowCount(), 2);

    // Cancel opens nothing; OK reads the file back.
    Click(View->ToolButton5);
    EXPECT_EQ(DevList->Count(), 0);
    Dialogs().AnswerNextWith([&](const TShownDialog& shown) {
        static_cast<TOpenDialog*>(shown.Dialog)->SetFileName(file);
        return 1;
    });
    Click(View->ToolButton5);
    ASSERT_EQ(DevList->Count(), 2);
    EXPECT_EQ(DevList->GetDevice(0)->Name(), "Λαμπτήρας");
    EXPECT_EQ(View->gdDevices->RowCount(), 3);
}

TEST_F(DevicesViewTest, DailyLoadChartStacksOneSeriesPerDevice) {
    AddByDoubleClick("Λαμπτήρας");
    AddByDoubleClick("Ραδιόφωνο");
    TDeviceEl* lamp = DevList->GetDevice(0);
    lamp->SetDevCount(3);
    Click(View->ToolButton4);
    ProcessMessages();
    auto* graph = Find<TfmGraphBaseSt>(fmHolder->pnlHolder, "fmGraphBaseSt");
    if (!graph)
        for (int i = 0; i < fmHolder->pnlHolder->ComponentCount(); ++i)
            if ((graph = dynamic_cast<TfmGraphBaseSt*>(fmHolder->pnlHolder->Components(i))))
                break;
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->Caption(), "Κατανομή Φορτίου Ζήτησης");
    ASSERT_EQ(graph->Chart1->SeriesCount(), 2);
    auto* first = dynamic_cast<TBarSeries*>(graph->Chart1->GetSeries(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Title(), "Λαμπτήρας (3)");
    EXPECT_EQ(graph->Chart1->GetSeries(1)->Title(), "Ραδιόφωνο");
    EXPECT_EQ(first->MultiBar(), mbStacked);
    ASSERT_EQ(first->Count(), 24);
    for (int h = 0; h < 24; ++h)
        EXPECT_DOUBLE_EQ(first->YValueAt(h), lamp->HourOps().GetFactor(0, h) * 60 * 3) << h;
    EXPECT_TRUE(graph->Chart1->Legend()->Visible());
    RenderToPng(fmHolder, ShotFile("devices_daily_load.png"));
}

TEST_F(DevicesViewTest, TheCatalogueButtonShowsAndHidesTheCatalogue) {
    Click(View->sbDevicesToogle);
    EXPECT_FALSE(View->sbDevicesToogle->Down());
    EXPECT_FALSE(Catalogue->Visible());
    Click(View->sbDevicesToogle);
    EXPECT_TRUE(Catalogue->Visible());
    Catalogue->Close();
    EXPECT_FALSE(View->sbDevicesToogle->Down());
}

TEST_F(DevicesViewTest, EachDragCarriesThePictureOfTheDeviceDraggedEvenAfterEscape) {
    TListView* list = Catalogue->ListView1;
    const int lamp = CatalogueRow("Λαμπτήρας"), radio = CatalogueRow("Ραδιόφωνο");
    TImageList* icons = list->SmallImages();
    ASSERT_NE(icons, nullptr);
    // How many pixels of the catalogue icon of row the picture shows where it draws icons.
    const auto iconPixels = [&](TBitmap& picture, int row) {
        TBitmap icon;
        icons->GetBitmap(list->Item(row)->ImageIndex(), &icon);
        const int top = (picture.Height() - icons->Height()) / 2;
        int same = 0;
        for (int y = 0; y < icons->Height(); ++y)
            for (int x = 0; x < icons->Width(); ++x)
                same += picture.Canvas()->Pixels(x, top + y) == icon.Canvas()->Pixels(x, y);
        return same;
    };
    const int most = icons->Width() * icons->Height();
    TBitmap pictures[2];
    const int rows[2] = {lamp, radio};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(list->Item(rows[i])->Caption());
        const TPoint from = ItemPoint(rows[i]);
        MouseDown(list, from);
        MouseMove(list, TPoint(from.X, from.Y + 20));
        MouseMove(list, GridPointInCatalogue());
        TDragImageList* images = DragImagesShown();
        ASSERT_NE(images, nullptr);
        EXPECT_EQ(images->Count(), 1);
        images->GetBitmap(0, &pictures[i]);
        EXPECT_GT(iconPixels(pictures[i], rows[i]), most * 3 / 4);
        EXPECT_LT(iconPixels(pictures[i], rows[1 - i]), most * 3 / 4);
        PressKey(VK_ESCAPE);
        MouseUp(list, GridPointInCatalogue());
        EXPECT_EQ(DragImagesShown(), nullptr);
    }
    // The two pictures are of one size: only their pixels tell the devices apart.
    EXPECT_EQ(pictures[0].Width(), pictures[1].Width());
    EXPECT_EQ(pictures[0].Height(), pictures[1].Height());
    SaveBitmapToPng(pictures[1], ShotFile("devices_drag_image_second.png"));
    EXPECT_EQ(DevList->Count(), 0);
}

// Run by ctest under a virtual X display with the xcb platform and no compositing manager,
// where a see-through window would show black: what the display shows under the cursor is
// the picture on the list's colour, its caption legible.
TEST_F(DevicesViewTest, OnAnXDisplayWithoutCompositingTheDragPictureShowsOnTheListsColour) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !std::string_view(platform).starts_with("xcb"))
        GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
    TListView* list = Catalogue->ListView1;
    const TPoint from = ItemPoint(CatalogueRow("Λαμπτήρας"));
    MouseDown(list, from);
    MouseMove(list, TPoint(from.X, from.Y + 20));
    MouseMove(list, GridPointInCatalogue());
    TDragImageList* images = DragImagesShown();
    ASSERT_NE(images, nullptr);
    // The picture as it should show: its see-through pixels in the list's colour, white,
    // as the image list hands them out.
    ASSERT_EQ(ColorToRGB(list->Color()), clWhite);
    TBitmap picture;
    images->GetBitmap(0, &picture);
    const TRect where = images->DragImageRect();
    ASSERT_EQ(where.Width(), picture.Width());
    const int pixels = picture.Width() * picture.Height();
    // The display maps and paints the window in its own time.
    TBitmap shown;
    int same = 0;
    for (int attempt = 0; attempt < 100 && same < pixels * 19 / 20; ++attempt) {
        ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        GrabScreen(where, shown);
        ASSERT_EQ(shown.Width(), picture.Width());
        same = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                same += shown.Canvas()->Pixels(x, y) == picture.Canvas()->Pixels(x, y);
    }
    SaveBitmapToPng(shown, ShotFile("devices_drag_on_x_display.png"));
    EXPECT_GE(same, pixels * 19 / 20);
    int dark = 0, inked = 0;
    for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x) {
            dark += IsDark(shown.Canvas()->Pixels(x, y));
            inked += x >= list->SmallImages()->Width() + 2 && IsDark(shown.Canvas()->Pixels(x, y));
        }
    EXPECT_LT(dark, pixels / 4); // no black box
    EXPECT_GT(inked, 20);        // the caption's letters
    PressKey(VK_ESCAPE);
    MouseUp(list, GridPointInCatalogue());
}

// Run by ctest under a virtual X display: the drag's picture window goes with the drag
// however it ends (dropped on the grid, Esc, released where no drop is taken).
TEST_F(DevicesViewTest, OnAnXDisplayWithoutCompositingTheDragWindowGoesWithTheDrag) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !std::string_view(platform).starts_with("xcb"))
        GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
    TListView* list = Catalogue->ListView1;
    // The drop point in the catalogue's coordinates: on the grid, or on the catalogue itself
    // (no drop there).
    const TPoint onGrid = GridPointInCatalogue();
    const TPoint onCatalogue(list->ClientWidth() - 10, list->ClientHeight() - 10);
    struct TEnding {
        const char* Name;
        TPoint At;
        bool Escape;
        int Added;
    };
    const TEnding endings[] = {
        {"dropped on the grid", onGrid, false, 1},
        {"Esc over the grid", onGrid, true, 0},
        {"released over the catalogue", onCatalogue, false, 0},
    };
    for (const TEnding& e : endings) {
        SCOPED_TRACE(e.Name);
        const int before = DevList->Count();
        const TPoint from = ItemPoint(CatalogueRow("Λαμπτήρας"));
        MouseDown(list, from);
        MouseMove(list, TPoint(from.X, from.Y + 20));
        MouseMove(list, GridPointInCatalogue());
        TDragImageList* images = DragImagesShown(); // shown over the grid
        const TRect where = images ? images->DragImageRect() : TRect();
        MouseMove(list, e.At);
        if (e.Escape)
            PressKey(VK_ESCAPE);
        MouseUp(list, e.At);
        ProcessMessages();
        EXPECT_EQ(DragImagesShown(), nullptr);
        EXPECT_EQ(DevList->Count(), before + e.Added);
        ASSERT_FALSE(where.IsEmpty());
        // No window of the program shows where the picture was but the main window (the
        // one window far larger than the picture there).
        ProcessMessages();
        std::vector<TRect> shown = ShownTopLevelWindows();
        std::erase_if(shown, [&](const TRect& r) {
            TRect common;
            return !IntersectRect(common, r, where) ||
                   r.Width() * r.Height() > 4 * where.Width() * where.Height();
        });
        EXPECT_TRUE(shown.empty())
            << shown.size() << " window(s), the first at " << shown[0].Left << "," << shown[0].Top
            << " " << shown[0].Width() << "x" << shown[0].Height();
    }
}

TEST_F(DevicesViewTest, ADraggedDeviceShowsNoDropOverTheCatalogueAndJoinsTheListOverTheGrid) {
    const int row = CatalogueRow("Ραδιόφωνο");
    TListView* list = Catalogue->ListView1;
    const TPoint from = ItemPoint(row);
    const TPoint onGrid = GridPointInCatalogue();
    MouseDown(list, from);
    MouseMove(list, TPoint(from.X, from.Y + 20));
    ASSERT_TRUE(list->Dragging());
    EXPECT_EQ(DragCursorShown(), crNoDrop);
    MouseMove(list, onGrid);
    EXPECT_EQ(DragCursorShown(), crDrag);
    MouseUp(list, onGrid);
    ProcessMessages();
    ASSERT_EQ(DevList->Count(), 1);
    EXPECT_EQ(DevList->GetDevice(0)->Name(), "Ραδιόφωνο");
    // Dropped back on the catalogue, nothing is added.
    MouseDown(list, from);
    MouseMove(list, TPoint(from.X, from.Y + 30));
    MouseUp(list, TPoint(from.X, from.Y + 30));
    EXPECT_EQ(DevList->Count(), 1);
}

TEST_F(DevicesViewTest, ADraggedDeviceCarriesItsIconAndCaptionOverTheGridOnly) {
    const int row = CatalogueRow("Ραδιόφωνο");
    TListView* list = Catalogue->ListView1;
    TListItem* item = list->Item(row);
    const TPoint from = ItemPoint(row);
    const TPoint onGrid = GridPointInCatalogue();
    MouseDown(list, from);
    MouseMove(list, TPoint(from.X, from.Y + 20));
    ASSERT_TRUE(list->Dragging());
    EXPECT_EQ(DragImagesShown(), nullptr); // the catalogue shows no drag image
    MouseMove(list, onGrid);
    TDragImageList* images = DragImagesShown();
    ASSERT_NE(images, nullptr);
    const TRect first = images->DragImageRect();
    EXPECT_TRUE(PtInRect(first, list->ClientToScreen(onGrid)));

    // The picture: the device's icon as the report shows it, its caption on the right.
    ASSERT_EQ(list->ViewStyle(), vsReport);
    TBitmap picture;
    images->GetBitmap(0, &picture);
    TImageList* icons = list->SmallImages();
    ASSERT_NE(icons, nullptr);
    TBitmap icon;
    icons->GetBitmap(item->ImageIndex(), &icon);
    const int iconTop = (picture.Height() - icons->Height()) / 2;
    int same = 0, inked = 0;
    for (int y = 0; y < icons->Height(); ++y)
        for (int x = 0; x < icons->Width(); ++x)
            same += picture.Canvas()->Pixels(x, iconTop + y) == icon.Canvas()->Pixels(x, y);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = icons->Width() + 2; x < picture.Width(); ++x)
            inked += IsDark(picture.Canvas()->Pixels(x, y));
    EXPECT_GT(same, icons->Width() * icons->Height() * 3 / 4);
    EXPECT_GT(inked, 20); // the caption's letters
    SaveBitmapToPng(picture, ShotFile("devices_drag_image.png"));
    RenderToPng(fmHolder, ShotFile("devices_dragging.png"));

    // It follows the cursor.
    MouseMove(list, TPoint(onGrid.X + 12, onGrid.Y + 5));
    ASSERT_EQ(DragImagesShown(), images);
    TRect moved = first;
    OffsetRect(moved, 12, 5);
    EXPECT_EQ(images->DragImageRect(), moved);
    // Back over the catalogue it hides; over the grid it shows again; the drop ends it.
    MouseMove(list, TPoint(from.X, from.Y + 20));
    EXPECT_EQ(DragImagesShown(), nullptr);
    MouseMove(list, onGrid);
    EXPECT_EQ(DragImagesShown(), images);
    MouseUp(list, onGrid);
    ProcessMessages();
    EXPECT_EQ(DragImagesShown(), nullptr);
    EXPECT_FALSE(images->DragImageVisible());
    EXPECT_EQ(DevList->Count(), 1);
    // Escape ends a drag and its picture too.
    MouseDown(list, from);
    MouseMove(list, TPoint(from.X, from.Y + 20));
    MouseMove(list, onGrid);
    ASSERT_NE(DragImagesShown(), nullptr);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(DragImagesShown(), nullptr);
    MouseUp(list, onGrid);
    EXPECT_EQ(DevList->Count(), 1);
}

TEST_F(DevicesViewTest, TheCaptionStripClosesTheCatalogueAndItsButtonShowsItAgain) {
    TPanel* site = View->Panel1;
    ASSERT_EQ(Catalogue->HostDockSite(), site);
    const TRect close = site->DockCloseButtonRect(Catalogue);
    ASSERT_FALSE(close.IsEmpty());
    ClickAt(site, TPoint((close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2));
    EXPECT_FALSE(Catalogue->Visible());
    EXPECT_FALSE(View->sbDevicesToogle->Down());
    RenderToPng(fmHolder, ShotFile("devices_catalogue_closed.png"));
    Click(View->sbDevicesToogle);
    EXPECT_TRUE(View->sbDevicesToogle->Down());
    EXPECT_TRUE(Catalogue->Showing());
    EXPECT_FALSE(site->DockCaptionRect(Catalogue).IsEmpty());
    RenderToPng(fmHolder, ShotFile("devices_catalogue_docked.png"));
}

TEST_F(DevicesViewTest, RestoringTheViewCopiesOnlyAStoredFolderToTheOpenDialog) {
    // No folder stored yet: the open dialog keeps the one it remembers itself.
    fmHolder->ShowView(0);
    dm->SelDevListDlg->SetInitialDir(FDir + "/own/");
    fmHolder->ShowView(2);
    ProcessMessages();
    View = dynamic_cast<TfmLoadConstr*>(fmHolder->CurrentView());
    ASSERT_NE(View, nullptr);
    EXPECT_EQ(dm->SelDevListDlg->InitialDir(), FDir + "/own/");
    // A list saved into a folder: that folder is stored and given to the open dialog.
    std::filesystem::create_directories(FDir + "/lists");
    Dialogs().AnswerNextWith([&](const TShownDialog& shown) {
        static_cast<TSaveDialog*>(shown.Dialog)->SetFileName(FDir + "/lists/a.dvl");
        return 1;
    });
    Click(View->ToolButton1);
    fmHolder->ShowView(0);
    dm->SelDevListDlg->SetInitialDir(FDir + "/own/");
    fmHolder->ShowView(2);
    ProcessMessages();
    EXPECT_EQ(dm->SelDevListDlg->InitialDir(), FDir + "/lists/");
}

TEST_F(DevicesViewTest, TheCatalogueScrollsToItsLastDeviceInEveryStyle) {
    TListView* list = Catalogue->ListView1;
    const int last = list->ItemCount() - 1;
    for (TViewStyle style : {vsIcon, vsSmallIcon, vsList, vsReport}) {
        SCOPED_TRACE(int(style));
        list->SetViewStyle(style);
        ClickAt(list, ItemPoint(0));
        ASSERT_EQ(list->ItemIndex(), 0);
        PressKey(VK_END);
        EXPECT_EQ(list->ItemIndex(), last);
        const TRect r = list->ItemRect(last);
        EXPECT_GE(r.Top, 0);
        EXPECT_LE(r.Bottom, list->ClientHeight());
        EXPECT_LT(r.Left, list->ClientWidth());
        EXPECT_EQ(list->GetItemAt(r.Left + 20, (r.Top + r.Bottom) / 2), list->Item(last));
        if (style == vsIcon) {
            EXPECT_TRUE(list->VertScrollBarVisible());
            RenderToPng(fmHolder, ShotFile("devices_catalogue_last_icon.png"));
        }
        PressKey(VK_HOME);
        EXPECT_EQ(list->ViewOrigin(), TPoint());
    }
}

TEST_F(DevicesViewTest, TheCatalogueShowsTheElectricCookersWholeName) {
    TListView* list = Catalogue->ListView1;
    int cooker = -1;
    for (int i = 0; i < list->ItemCount(); ++i)
        if (list->Item(i)->Caption() == "Ηλεκτρική κουζίνα")
            cooker = i;
    ASSERT_GE(cooker, 0);
    ASSERT_EQ(list->ViewStyle(), vsIcon);
    EXPECT_EQ(list->CaptionLines(cooker), (std::vector<std::string>{"Ηλεκτρική", "κουζίνα"}));
    RenderToPng(fmHolder, ShotFile("devices_catalogue_icons.png"));
}

TEST_F(DevicesViewTest, AWidenedReportColumnKeepsItsWidthWhenTheViewOpensAgain) {
    Click(Catalogue->tbnList);
    TListView* list = Catalogue->ListView1;
    ASSERT_EQ(list->ViewStyle(), vsReport);
    const int edge = list->Column(0)->Width();
    Drag(list, TPoint(edge, 8), TPoint(edge + 40, 8));
    EXPECT_EQ(list->Column(0)->Width(), edge + 40);
    fmHolder->ShowView(0);
    ProcessMessages();
    fmHolder->ShowView(2);
    ProcessMessages();
    View = dynamic_cast<TfmLoadConstr*>(fmHolder->CurrentView());
    ASSERT_NE(View, nullptr);
    EXPECT_EQ(View->DevSel()->ListView1->Column(0)->Width(), edge + 40);
}

TEST_F(DevicesViewTest, ACatalogueButtonsHintShowsAfterTheDelayAndHidesOnLeaving) {
    auto moveOnto = [this](TControl* control, TPoint at) {
        MouseMove(fmHolder, fmHolder->ScreenToClient(control->ClientToScreen(at)));
    };
    TToolButton* large = Catalogue->tbnLarge;
    moveOnto(large, TPoint(large->Width() / 2, large->Height() / 2));
    EXPECT_EQ(Application->HintWindow(), nullptr);
    AdvanceClock(Application->HintPause());
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_EQ(Application->HintWindow()->Caption(), "Μεγάλα Εικονίδια");
    RenderToPng(Application->HintWindow(), ShotFile("devices_hint.png"));
    moveOnto(Catalogue->ListView1, TPoint(60, 60));
    EXPECT_EQ(Application->HintWindow(), nullptr);
}

TEST(CatalogFilesTest, CatalogueFilesAreSortedByNameWhateverTheCaseOfTheirExtension) {
    char pattern[] = "/tmp/catalog-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    for (const char* name : {"b.IDEV", "a.idev", "C.Idev", "notes.txt", "d.idevx", "a2.idev"})
        std::ofstream(dir + "/" + name) << "[Device]\n";
    std::vector<std::string> names;
    for (const std::string& file : CatalogFiles(dir))
        names.push_back(std::filesystem::path(file).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"a.idev", "a2.idev", "b.IDEV", "C.Idev"}));
    EXPECT_TRUE(CatalogFiles(dir + "/missing").empty());
    std::filesystem::remove_all(dir);
}

// ---------------------------------------------------------------------------
// The operation editor

class DevEditTest : public TProgramTest {
protected:
    void SetUp() override {
        TProgramTest::SetUp();
        while (SeasonList->Count() < 3)
            SeasonList->AddSeason()->SetDescription("Περίοδος " +
                                                    std::to_string(SeasonList->Count()));
        Device.SetName("Ψυγείο");
        Device.SetRatedPower(120);
        Device.HourOps().SetFactor(0, 7, 0.25);
        Editor.reset(TfmDevEdit::CreateForDevice(&Device));
    }
    void TearDown() override {
        Editor.reset();
        TProgramTest::TearDown();
    }
    std::string CellText(int row) {
        std::string text;
        Editor->gdFactorsGetEditText(Editor->gdFactors, 1, row, text);
        return text;
    }
    TDeviceEl Device;
    std::unique_ptr<TfmDevEdit> Editor;
};

TEST_F(DevEditTest, ShowsTheDeviceAndAPeriodPerEntry) {
    EXPECT_EQ(TextOf(Editor->edDESCRIPTION), "Ψυγείο");
    EXPECT_EQ(Editor->edRATEDPOWER->Value(), 120);
    EXPECT_EQ(Editor->cbSSn->Items()->Count(), SeasonList->Count());
    EXPECT_EQ(Editor->cbSSn->ItemIndex(), 0);
    EXPECT_EQ(Device.HourOps().Count(), SeasonList->Count());
    EXPECT_EQ(Editor->Series1->Count(), 24);
    EXPECT_EQ(Editor->Series1->YValueAt(7), 0.25);
    EXPECT_EQ(CellText(8), "0.25");
    Editor->Show();
    ProcessMessages();
    Editor->edDESCRIPTION->SetText("Ψυγείο κουζίνας");
    EXPECT_EQ(Device.Name(), "Ψυγείο κουζίνας");
    RenderToPng(Editor.get(), ShotFile("device_editor.png"));
}

TEST_F(DevEditTest, FactorsAreTypedAsNumbersOrPercentagesWithinZeroToOne) {
    struct TCase {
        std::string Typed;
        bool Accepted;
        double Stored;
    };
    const std::vector<TCase> cases = {
        {"50%", true, 0.5}, {"0.5", true, 0.5}, {"0", true, 0},     {"1", true, 1},
        {"1.01", false, 0}, {"-0.1", false, 0}, {"150%", false, 0}, {"abc", false, 0},
    };
    Editor->Show();
    TExDrawGrid* grid = Editor->gdFactors;
    Focus(grid);
    for (const TCase& c : cases) {
        Device.HourOps().SetFactor(0, 3, 0.75);
        grid->SetCol(1);
        grid->SetRow(4);
        Dialogs().Clear();
        // Enter ends the edit and keeps the dialog open: OK is the default button.
        TypeText(c.Typed);
        PressKey(VK_RETURN);
        EXPECT_TRUE(Editor->Showing()) << c.Typed;
        EXPECT_EQ(Editor->ModalResult(), mrNone) << c.Typed;
        if (c.Accepted) {
            EXPECT_TRUE(Dialogs().Shown().empty()) << c.Typed;
            EXPECT_EQ(Device.HourOps().GetFactor(0, 3), c.Stored) << c.Typed;
            EXPECT_EQ(Editor->Series1->YValueAt(3), c.Stored) << c.Typed;
        } else {
            ASSERT_EQ(Dialogs().Shown().size(), 1u) << c.Typed;
            if (c.Typed != "abc") {
                EXPECT_EQ(Dialogs().LastText(), "Value must be between 0.00 - 1.00.") << c.Typed;
            }
            EXPECT_EQ(Device.HourOps().GetFactor(0, 3), 0.75) << c.Typed;
            EXPECT_FALSE(grid->InplaceEditor()->Visible()) << c.Typed;
        }
    }
    // The cell shows the stored factor as a percentage, its editor the number.
    grid->SetRow(2);
    TypeText("50%");
    PressKey(VK_RETURN);
    EXPECT_EQ(Format("%5.2f%%", {100.0 * Device.HourOps().GetFactor(0, 1)}), "50.00%");
    EXPECT_EQ(CellText(2), "0.5");
    // With the cell editor closed Enter goes to OK.
    PressKey(VK_RETURN);
    EXPECT_EQ(Editor->ModalResult(), mrOk);
}

TEST_F(DevEditTest, WholeDayOperationsChangeOnlyTheSelectedPeriod) {
    Editor->PopupMenu1->Popup(0, 0);
    EXPECT_FALSE(Editor->mAsPrev->Enabled());
    Editor->cbSSn->SetItemIndex(2);
    Editor->cbSSnChange(Editor->cbSSn);
    Editor->PopupMenu1->Popup(0, 0);
    EXPECT_TRUE(Editor->mAsPrev->Enabled());
    Editor->mOpFull->Click();
    for (int h = 0; h < 24; ++h) {
        EXPECT_EQ(Device.HourOps().GetFactor(2, h), 1.0);
        EXPECT_EQ(Device.HourOps().GetFactor(1, h), h == 7 ? 0.25 : 0.0);
        EXPECT_EQ(Editor->Series1->YValueAt(h), 1.0);
    }
    Editor->mAsPrev->Click();
    EXPECT_EQ(Device.HourOps().GetHourOp(2)->Factors(), Device.HourOps().GetHourOp(1)->Factors());
    Editor->mOpOff->Click();
    EXPECT_EQ(Device.HourOps().GetFactor(2, 7), 0.0);
    EXPECT_EQ(Device.HourOps().GetFactor(0, 7), 0.25);
}

} // namespace
