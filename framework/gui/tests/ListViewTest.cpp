#include "framework/gui/ListView.h"

#include "framework/core/SysUtils.h"
#include "framework/core/TypInfo.h"
#include "framework/gui/ExtCtrls.h"
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
    std::string Shot(const std::string& name) const {
        const char* dir = std::getenv("ORV_SHOT_DIR");
        return (dir ? std::string(dir) : std::filesystem::temp_directory_path().string()) + "/" +
               name;
    }
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
    const QImage image = TestKit::Render(List);
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

TEST_F(ListViewTest, ColumnWidthsTravelAsThePublishedColumnsText) {
    PPropInfo prop = GetPropInfo(List, "Columns");
    ASSERT_NE(prop, nullptr);
    EXPECT_EQ(GetStrProp(List, prop), "120;60");
    SetStrProp(List, prop, "90;x;70");
    EXPECT_EQ(List->Column(0)->Width(), 90);
    EXPECT_EQ(List->Column(1)->Width(), 60); // malformed part ignored
    EXPECT_THROW(List->Item(3), EListError);
    EXPECT_THROW(List->Item(0)->SetSubItemObject(1, nullptr), EListError);
}

} // namespace
