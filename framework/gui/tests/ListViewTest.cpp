#include "framework/gui/ListView.h"

#include "framework/core/SystemUtils.h"
#include "framework/core/TypeInfo.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Menus.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class ListViewTest : public ::testing::Test {
protected:
    // The column widths as "w0;w1;...".
    std::string Widths() const {
        std::string text;
        for (int c = 0; c < List->ColumnCount(); ++c)
            text += (c ? ";" : "") + std::to_string(List->Column(c)->Width());
        return text;
    }
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetName("fmList");
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(10, 10, 400, 300);
        Images = new TImageList(Form, 16, 16);
        for (TColor c : {clRed, clGreen, clBlue}) {
            TBitmap bmp(16, 16);
            bmp.Canvas()->Brush()->SetColor(c);
            bmp.Canvas()->FillRect(TRect(0, 0, 16, 16));
            Images->Add(&bmp, nullptr);
        }
        List = new TListView(Form);
        List->SetName("List");
        List->SetBounds(0, 0, 300, 200);
        List->SetSmallImages(Images);
        List->SetViewStyle(vsReport);
        List->SetRowSelect(true);
        List->AddColumn("Name", 120);
        List->AddColumn("Power", 60, taCenter);
        List->SetParent(Form);
        for (const char* name : {"Lamp", "Fridge", "Radio"}) {
            TListItem* item = List->AddItem();
            item->SetCaption(name);
            item->SetImageIndex(List->ItemCount() - 1);
            item->AddSubItem(std::to_string(List->ItemCount() * 10));
        }
        Form->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    TPoint ItemCenter(int i) const {
        const TRect r = List->ItemRect(i);
        return TPoint(r.Left + 40, (r.Top + r.Bottom) / 2);
    }
    std::string Shot(const std::string& name) const { return Folder.File(name); }
    TTempFolder Folder;
    TForm* Form = nullptr;
    TImageList* Images = nullptr;
    TListView* List = nullptr;
};

TEST_F(ListViewTest, ClicksAndArrowKeysSelectAndReportTheChange) {
    std::vector<std::string> changes;
    List->SetOnChange([&](TObject*, TListItem* item, TItemChange change) {
        if (change == ctState)
            changes.push_back(item->Caption() + (item->Selected() ? "+" : "-"));
    });
    TestKit::ClickAt(List, ItemCenter(1));
    EXPECT_EQ(List->ItemIndex(), 1);
    TestKit::PressKey(VK_DOWN);
    EXPECT_EQ(List->ItemIndex(), 2);
    TestKit::PressKey(VK_DOWN); // stays at the last
    EXPECT_EQ(List->ItemIndex(), 2);
    TestKit::ClickAt(List, TPoint(150, 190)); // below the items: nothing selected
    EXPECT_EQ(List->Selected(), nullptr);
    EXPECT_EQ(changes, (std::vector<std::string>{"Fridge+", "Fridge-", "Radio+", "Radio-"}));
}

TEST_F(ListViewTest, HitTestFollowsTheViewStyle) {
    struct TCase {
        TViewStyle Style;
        bool RowSelect;
        TPoint At;
        int Expected;
    };
    // Report rows start below the 20-pixel header; without row select only the first
    // column hits.
    const std::vector<TCase> cases = {
        {vsReport, true, TPoint(10, 25), 0},    {vsReport, true, TPoint(150, 25), 0},
        {vsReport, false, TPoint(150, 25), -1}, {vsReport, true, TPoint(10, 5), -1},
        {vsIcon, true, TPoint(100, 10), 1},     {vsIcon, true, TPoint(190, 10), 2},
        {vsList, true, TPoint(10, 20), 1},      {vsSmallIcon, true, TPoint(160, 5), 1},
    };
    for (const TCase& c : cases) {
        List->SetViewStyle(c.Style);
        List->SetRowSelect(c.RowSelect);
        TListItem* item = List->GetItemAt(c.At.X, c.At.Y);
        EXPECT_EQ(item ? item->Index() : -1, c.Expected)
            << int(c.Style) << " at " << c.At.X << "," << c.At.Y;
    }
}

TEST_F(ListViewTest, ReportShowsColumnsIconsAndTheSelectedRow) {
    List->SetItemIndex(1);
    TestKit::Focus(List);
    const QImage image = TestKit::Render(List)->ToImage();
    TestKit::RenderToPng(List, Shot("listview_report.png"));
    // Image of the first row (red) at the left of its row, and the marked second row.
    const TRect row0 = List->ItemRect(0);
    EXPECT_EQ(QColorToColor(image.pixelColor(2 + 8, row0.Top + row0.Height() / 2)), clRed);
    const TRect row1 = List->ItemRect(1);
    EXPECT_EQ(QColorToColor(image.pixelColor(250, row1.Top + 3)), ColorToRGB(clHighlight));
    EXPECT_EQ(QColorToColor(image.pixelColor(250, List->ItemRect(2).Top + 3)),
              ColorToRGB(clWindow));
}

TEST_F(ListViewTest, DoubleClickAndPopupMenuReachTheProgram) {
    int doubleClicks = 0;
    List->SetOnDblClick([&](TObject*) { ++doubleClicks; });
    auto* menu = new TPopupMenu(Form);
    int popups = 0;
    menu->SetOnPopup([&](TObject*) { ++popups; });
    List->SetPopupMenu(menu);
    TestKit::DoubleClickAt(List, ItemCenter(2));
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(List->ItemIndex(), 2);
    TestKit::ClickAt(List, ItemCenter(0), mbRight);
    TestKit::ProcessMessages();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(List->ItemIndex(), 0);
}

TEST_F(ListViewTest, AutomaticDragDropsOnATargetThatAccepts) {
    auto* target = new TPanel(Form);
    target->SetBounds(310, 0, 80, 200);
    target->SetParent(Form);
    std::vector<std::string> log;
    bool acceptDrop = false;
    target->SetOnDragOver([&](TObject*, TObject* source, int, int, TDragState state, bool& accept) {
        if (state == dsDragEnter)
            log.push_back(source == List ? "over" : "over?");
        accept = acceptDrop;
    });
    target->SetOnDragDrop([&](TObject*, TObject*, int x, int y) {
        log.push_back(Format("drop %d,%d", {x, y}));
    });
    List->SetDragMode(dmAutomatic);
    // A drag onto a target that refuses, then one that accepts; a short move is a click.
    TestKit::Drag(List, ItemCenter(1), TPoint(320, 50));
    acceptDrop = true;
    TestKit::Drag(List, ItemCenter(1), TPoint(320, 50));
    TestKit::Drag(List, ItemCenter(0), TPoint(ItemCenter(0).X + 3, ItemCenter(0).Y));
    EXPECT_EQ(log, (std::vector<std::string>{"over", "over", "drop 10,50"}));
    EXPECT_EQ(List->ItemIndex(), 0);
    EXPECT_FALSE(List->Dragging());
    target->SetOnDragOver(nullptr);
    TestKit::Drag(List, ItemCenter(1), TPoint(320, 50));
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(ListViewTest, EachDragShowsThePictureOfTheItemDraggedAndTheListKeepsOnePicture) {
    auto* target = new TPanel(Form);
    target->SetBounds(310, 0, 80, 200);
    target->SetParent(Form);
    target->SetControlStyle(target->ControlStyle() + TControlStyle{csDisplayDragImage});
    target->SetOnDragOver(
        [](TObject*, TObject*, int, int, TDragState, bool& accept) { accept = true; });
    List->SetDragMode(dmAutomatic);
    // Items 0 and 2 draw pictures of one size (same caption, red and blue icons): a list that
    // kept the first picture would show it again for the second drag.
    List->Item(0)->SetCaption("Radio");
    const struct {
        int item;
        TColor icon;
    } kDrags[] = {{2, clBlue}, {0, clRed}, {1, clGreen}, {2, clBlue}, {2, clBlue}};
    for (const auto& drag : kDrags) {
        SCOPED_TRACE(drag.item);
        TestKit::MouseDown(List, ItemCenter(drag.item));
        TestKit::MouseMove(List, TPoint(320, 40));
        TestKit::MouseMove(List, TPoint(330, 50));
        TDragImageList* images = DragImagesShown();
        ASSERT_NE(images, nullptr);
        EXPECT_EQ(images->Count(), 1);
        TBitmap picture;
        images->GetBitmap(0, &picture);
        EXPECT_EQ(picture.Canvas()->Pixels(8, picture.Height() / 2), drag.icon);
        // Escape ends the drag; the release drops nothing.
        TestKit::PressKey(VK_ESCAPE);
        EXPECT_EQ(DragImagesShown(), nullptr);
        TestKit::MouseUp(List, TPoint(330, 50));
        EXPECT_EQ(DragSource(), nullptr);
    }
}

TEST_F(ListViewTest, EveryStyleScrollsToTheLastItemAndBack) {
    for (int i = 0; i < 40; ++i)
        List->AddItem()->SetCaption("Item " + std::to_string(i));
    struct TCase {
        TViewStyle Style;
        bool Vertical; // the bar the items need
    };
    for (const TCase& c : {TCase{vsIcon, true}, TCase{vsSmallIcon, true}, TCase{vsList, false},
                           TCase{vsReport, true}}) {
        SCOPED_TRACE(int(c.Style));
        List->SetViewStyle(c.Style);
        EXPECT_EQ(List->VertScrollBarVisible(), c.Vertical);
        EXPECT_EQ(List->HorzScrollBarVisible(), !c.Vertical);
        TestKit::ClickAt(List, ItemCenter(0));
        TestKit::PressKey(VK_END);
        const int last = List->ItemCount() - 1;
        EXPECT_EQ(List->ItemIndex(), last);
        const TRect r = List->ItemRect(last);
        const TRect client = List->ClientRect();
        EXPECT_GE(r.Top, c.Style == vsReport ? 20 : 0);
        EXPECT_LE(r.Bottom, client.Bottom);
        EXPECT_LE(r.Left, client.Right);
        EXPECT_EQ(List->GetItemAt(r.Left + 5, (r.Top + r.Bottom) / 2), List->Item(last));
        TestKit::RenderToPng(List, Shot("listview_end_" + std::to_string(int(c.Style)) + ".png"));
        TestKit::PressKey(VK_HOME);
        EXPECT_EQ(List->ViewOrigin(), TPoint());
        // Scrolling stops at the content's ends.
        List->Scroll(-50, -50);
        EXPECT_EQ(List->ViewOrigin(), TPoint());
        List->Scroll(100000, 100000);
        EXPECT_EQ(List->ItemRect(last).Bottom <= client.Bottom, true);
    }
    // With the items removed again no bar is left.
    List->ClearItems();
    EXPECT_FALSE(List->VertScrollBarVisible());
    EXPECT_FALSE(List->HorzScrollBarVisible());
    EXPECT_EQ(List->ViewOrigin(), TPoint());
}

TEST_F(ListViewTest, DraggingAHeaderEdgeResizesItsColumn) {
    // The edge of "Name" is at x = 120; the header is 20 pixels high.
    EXPECT_EQ(List->ColumnEdgeAt(121, 10), 0);
    EXPECT_EQ(List->ColumnEdgeAt(121, 30), -1);
    EXPECT_EQ(List->ColumnEdgeAt(60, 10), -1);
    List->SetDragMode(dmAutomatic); // the header starts no drag
    TestKit::Drag(List, TPoint(120, 10), TPoint(170, 12));
    EXPECT_EQ(List->Column(0)->Width(), 170);
    EXPECT_EQ(Widths(), "170;60");
    EXPECT_EQ(DragSource(), nullptr);
    // Narrower than nothing is nothing; the edge can still be found and widened.
    TestKit::Drag(List, TPoint(170, 10), TPoint(-20, 10));
    EXPECT_EQ(List->Column(0)->Width(), 0);
    TestKit::Drag(List, TPoint(1, 10), TPoint(90, 10));
    EXPECT_EQ(Widths(), "90;60");
    // A press beside the edges selects nothing and resizes nothing.
    TestKit::Drag(List, TPoint(40, 10), TPoint(80, 10));
    EXPECT_EQ(Widths(), "90;60");
    EXPECT_EQ(List->Selected(), nullptr);
    // Wide columns scroll sideways.
    List->Column(1)->SetWidth(600);
    EXPECT_TRUE(List->HorzScrollBarVisible());
}

TEST_F(ListViewTest, LargeIconCaptionsWrapOntoTwoLinesAndTheFocusedOneShowsWhole) {
    List->SetLargeImages(Images);
    List->SetViewStyle(vsIcon);
    List->Item(0)->SetCaption("Refrigerator freezer");
    List->Item(1)->SetCaption("A very long caption that needs more than two lines");
    List->Item(2)->SetCaption("Supercalifragilisticexpialidocious");
    EXPECT_EQ(List->CaptionLines(0), (std::vector<std::string>{"Refrigerator", "freezer"}));
    const std::vector<std::string> cut = List->CaptionLines(1);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[1].substr(cut[1].size() - 3), "...");
    // A word wider than the cell breaks inside.
    const std::vector<std::string> broken = List->CaptionLines(2);
    EXPECT_GE(broken.size(), 2u);
    EXPECT_EQ(broken[0].rfind("Super", 0), 0u);
    // Focused and selected, the whole caption shows.
    TestKit::ClickAt(List, ItemCenter(1));
    ASSERT_EQ(List->ItemIndex(), 1);
    std::string whole;
    for (const std::string& line : List->CaptionLines(1))
        whole += (whole.empty() ? "" : " ") + line;
    EXPECT_EQ(whole, List->Item(1)->Caption());
    EXPECT_GT(List->CaptionLines(1).size(), 2u);
    TestKit::RenderToPng(List, Shot("listview_icons_focused.png"));
}

TEST_F(ListViewTest, ArrangeLaysIconsOutInRowsOrColumnsFromTheTopLeft) {
    List->SetViewStyle(vsSmallIcon);
    for (int i = 0; i < 9; ++i)
        List->AddItem()->SetCaption("Extra " + std::to_string(i));
    // Rows: the second item beside the first.
    EXPECT_EQ(List->ItemRect(1).Top, List->ItemRect(0).Top);
    EXPECT_GT(List->ItemRect(1).Left, List->ItemRect(0).Left);
    List->Arrange(arAlignLeft);
    EXPECT_EQ(List->ItemRect(1).Left, List->ItemRect(0).Left);
    EXPECT_GT(List->ItemRect(1).Top, List->ItemRect(0).Top);
    EXPECT_EQ(List->ItemRect(0).Left, 0);
    EXPECT_EQ(List->ItemRect(0).Top, 0);
    List->Arrange(arAlignTop);
    EXPECT_EQ(List->ItemRect(1).Top, List->ItemRect(0).Top);
}

TEST_F(ListViewTest, ColumnsArePublishedAsACollectionOfCaptionsAndWidths) {
    PPropInfo prop = GetPropInfo(List, "Columns");
    ASSERT_NE(prop, nullptr);
    auto* columns = dynamic_cast<TListColumns*>(GetObjectProp(List, prop));
    ASSERT_NE(columns, nullptr);
    ASSERT_EQ(columns->Count(), 2);
    PPropInfo width = GetPropInfo(columns->Items(1), "Width");
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(GetOrdProp(columns->Items(1), width), 60);
    SetOrdProp(columns->Items(1), width, 75);
    EXPECT_EQ(Widths(), "120;75");
    ASSERT_NE(GetPropInfo(columns->Items(0), "Caption"), nullptr);
    EXPECT_THROW(List->Column(2), EListError);
    EXPECT_THROW(List->Item(3), EListError);
    EXPECT_THROW(List->Item(0)->SetSubItemObject(1, nullptr), EListError);
}

} // namespace
