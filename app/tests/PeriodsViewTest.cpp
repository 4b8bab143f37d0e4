// The periods view as a user meets it: the periods in the grid, dates and the way of
// operation edited in place, periods inserted and deleted with the devices' profiles
// following, .ssn files opened and saved through the file dialogs, and the Gantt chart of
// the periods docked over the view.

#include "ViewsTestSupport.h"

#include "app/SsnGr.h"
#include "app/Ssned.h"
#include "chart/GanttSeries.h"
#include "framework/core/IniFiles.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"

#include <fstream>

namespace {

using TestKit::Find;

class PeriodsViewTest : public TProgramTest {
protected:
    void SetUp() override {
        TProgramTest::SetUp();
        fmHolder->SetWidth(800);
        fmHolder->ShowView(1);
        TestKit::ProcessMessages();
        Ed = Find<TfmSsnEd>(fmHolder->pnlHolder, "fmSsnEd");
        ASSERT_NE(Ed, nullptr);
    }

    // Types text into a cell and presses Enter, as a user would.
    void TypeIntoCell(int col, int row, const std::string& text) {
        TestKit::Focus(Ed->gdSnl);
        Ed->gdSnl->SetCol(col);
        Ed->gdSnl->SetRow(row);
        TestKit::TypeText(text);
        TestKit::PressKey(VK_RETURN);
        TestKit::ProcessMessages();
    }
    void Select(int col, int row) {
        TestKit::Focus(Ed->gdSnl);
        Ed->gdSnl->SetCol(col);
        Ed->gdSnl->SetRow(row);
        TestKit::ProcessMessages();
    }
    // A device with one profile whose hour 5 is marked.
    void AddDevice(double hour5) {
        auto device = std::make_unique<TDeviceEl>();
        device->HourOps().SetFactor(0, 5, hour5);
        DevList->Add(std::move(device));
    }
    // Answers the next file dialog with the file (Cancel for "").
    static void ChooseFile(const std::string& file) {
        TestKit::Dialogs().AnswerNextWith([file](const TestKit::TShownDialog& shown) {
            auto* dlg = dynamic_cast<TOpenDialog*>(shown.Dialog);
            if (!dlg || file.empty())
                return 0;
            EXPECT_EQ(dlg->Filter(), "Αρχείο Περιόδων|*.ssn");
            dlg->SetFileName(file);
            return 1;
        });
    }
    std::vector<std::string> Row(int row) const {
        std::vector<std::string> cells;
        for (int c = 0; c < 6; ++c)
            cells.push_back(Ed->CellText(c, row));
        return cells;
    }

    TfmSsnEd* Ed = nullptr;
};

using TRow = std::vector<std::string>;

TEST_F(PeriodsViewTest, ShowsThePeriodsAndEditsDatesAndTheWayOfOperation) {
    EXPECT_EQ(Ed->Caption(), "Περίοδοι Λετουργίας");
    EXPECT_EQ(Row(0), (TRow{"α/α", "Περιγραφή", "Εναρξη", "Λήξη", "Ημέρες", "Λειτουργία"}));
    EXPECT_EQ(Row(1), (TRow{"1", "Ολο το έτος", "01/01", "31/12", "365", "Συνεχής"}));
    EXPECT_EQ(Ed->gdSnl->RowCount(), 2);
    EXPECT_FALSE(Ed->actDelete->Enabled());

    // A winter period across New Year.
    TypeIntoCell(1, 1, "Χειμώνας");
    TypeIntoCell(2, 1, "01/12");
    TypeIntoCell(3, 1, "28/02");
    const TSeason* s = SeasonList->GetSeason(0);
    EXPECT_EQ(s->Description(), "Χειμώνας");
    EXPECT_EQ(s->DayStart(), 335);
    EXPECT_EQ(s->DayStop(), 59);
    EXPECT_EQ(Row(1), (TRow{"1", "Χειμώνας", "01/12", "28/02", "90", "Συνεχής"}));

    // The number of days takes no editing; the way of operation only comes from the list.
    Select(4, 1);
    EXPECT_FALSE(Ed->gdSnl->Options().Contains(goEditing));
    Select(5, 1);
    EXPECT_TRUE(Ed->gdSnl->Options().Contains(goEditing));
    TestKit::TypeText("xyz");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    EXPECT_EQ(s->WayOp(), 0);

    Select(5, 1);
    TestKit::PressKey(VK_F2);
    TExInplaceEdit* editor = Ed->gdSnl->ExInplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->EditStyle(), iePickList);
    TestKit::PressKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(editor->ListVisible());
    ASSERT_EQ(editor->PickList()->Items()->Count(), 3);
    EXPECT_EQ(editor->PickList()->Items()->Get(1), "Σαββατοκύριακα");
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("periods-picklist.png")));
    TestKit::PressKey(VK_DOWN);
    TestKit::PressKey(VK_DOWN);
    TestKit::PressKey(VK_RETURN); // takes the item
    TestKit::PressKey(VK_RETURN); // stores the cell
    TestKit::ProcessMessages();
    EXPECT_EQ(s->WayOp(), 2);
    EXPECT_EQ(Ed->CellText(5, 1), "Καθημερινές");

    // Names are compared exactly; an unknown one leaves the way.
    Ed->gdSnlSetEditText(Ed->gdSnl, 5, 1, "καθημερινές");
    EXPECT_EQ(s->WayOp(), 2);
    Ed->gdSnlSetEditText(Ed->gdSnl, 5, 1, "Σαββατοκύριακα");
    EXPECT_EQ(s->WayOp(), 1);
}

TEST_F(PeriodsViewTest, ADateThatNamesNoDayIsReportedAndTheDayStays) {
    for (const char* text : {"31/02", "00/05", "12/13", "ab/cd"}) {
        SCOPED_TRACE(text);
        TestKit::Dialogs().Clear();
        TypeIntoCell(2, 1, text);
        EXPECT_EQ(SeasonList->GetSeason(0)->DayStart(), 1);
        ASSERT_EQ(TestKit::Dialogs().Shown().size(), 1u);
        EXPECT_NE(TestKit::Dialogs().LastText().find("Ακατάλληλη μετατροπή ημερομηνίας"),
                  std::string::npos)
            << TestKit::Dialogs().LastText();
    }
    EXPECT_EQ(Ed->CellText(2, 1), "01/01");
}

TEST_F(PeriodsViewTest, InsertAndDeleteKeepTheDevicesProfilesInStep) {
    AddDevice(0.25);
    AddDevice(0.75);

    // After a period that ends on day 365 the new one spans the year.
    ClickStrip("Εισαγωγή");
    ASSERT_EQ(SeasonList->Count(), 2);
    EXPECT_EQ(Row(2), (TRow{"2", "", "01/01", "31/12", "365", "Συνεχής"}));
    EXPECT_EQ(Ed->gdSnl->RowCount(), 3);
    EXPECT_EQ(Ed->gdSnl->Row(), 2);
    EXPECT_TRUE(Ed->actDelete->Enabled());
    for (int d = 0; d < 2; ++d) {
        ASSERT_EQ(DevList->GetDevice(d)->HourOps().Count(), 2);
        EXPECT_DOUBLE_EQ(DevList->GetDevice(d)->HourOps().GetFactor(1, 5), 0.25 + 0.5 * d);
    }

    // After one that ends on day 200 the new one runs from 201 to the end of the year.
    TypeIntoCell(3, 2, "19/07"); // day 200
    DevList->GetDevice(0)->HourOps().SetFactor(1, 5, 0.5);
    ClickStrip("Εισαγωγή");
    ASSERT_EQ(SeasonList->Count(), 3);
    EXPECT_EQ(SeasonList->GetSeason(2)->DayStart(), 201);
    EXPECT_EQ(SeasonList->GetSeason(2)->DayStop(), 365);
    EXPECT_EQ(Row(3), (TRow{"3", "", "20/07", "31/12", "165", "Συνεχής"}));
    EXPECT_DOUBLE_EQ(DevList->GetDevice(0)->HourOps().GetFactor(2, 5), 0.5);
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("periods.png")));

    // The first row can never be deleted.
    Select(1, 1);
    EXPECT_FALSE(Ed->actDelete->Enabled());
    Ed->actDeleteExecute(nullptr);
    EXPECT_EQ(SeasonList->Count(), 3);

    // Deleting period 2 (row 2) takes the devices' profile 1 with it.
    Select(1, 2);
    EXPECT_TRUE(Ed->actDelete->Enabled());
    ClickStrip("Διαγραφή");
    ASSERT_EQ(SeasonList->Count(), 2);
    EXPECT_EQ(SeasonList->GetSeason(1)->DayStart(), 201);
    EXPECT_EQ(Ed->gdSnl->RowCount(), 3);
    for (int d = 0; d < 2; ++d)
        EXPECT_EQ(DevList->GetDevice(d)->HourOps().Count(), 2);
    EXPECT_DOUBLE_EQ(DevList->GetDevice(0)->HourOps().GetFactor(1, 5), 0.5);

    // Down to one period; a further delete does nothing.
    Select(1, 2);
    ClickStrip("Διαγραφή");
    ASSERT_EQ(SeasonList->Count(), 1);
    EXPECT_EQ(Ed->gdSnl->RowCount(), 2);
    EXPECT_EQ(Ed->gdSnl->Row(), 1);
    EXPECT_FALSE(Ed->actDelete->Enabled());
    Ed->actDeleteExecute(nullptr);
    EXPECT_EQ(SeasonList->Count(), 1);
    EXPECT_EQ(DevList->GetDevice(1)->HourOps().Count(), 1);
}

TEST_F(PeriodsViewTest, SsnFilesAreSavedAndOpenedThroughTheDialogs) {
    AddDevice(0.4);
    const std::string saved = FDir + "/periods.ssn";
    TypeIntoCell(1, 1, "Χειμώνας");
    TypeIntoCell(2, 1, "01/11");
    TypeIntoCell(3, 1, "31/03");
    ChooseFile(saved);
    ClickStrip("Αποθήκευση");
    {
        TIniFile ini(saved);
        EXPECT_EQ(ini.ReadInteger("Seasons", "count", 0), 1);
        EXPECT_EQ(ini.ReadString("season0", "Description", ""), "Χειμώνας");
        EXPECT_EQ(ini.ReadInteger("season0", "DayStart", 0), 305);
        EXPECT_EQ(ini.ReadInteger("season0", "DayStop", 0), 90);
    }

    // Cancelled dialogs change nothing.
    ChooseFile("");
    ClickStrip("Ανοιγμα");
    ChooseFile("");
    ClickStrip("Αποθήκευση");
    EXPECT_EQ(SeasonList->Count(), 1);

    // Three periods: every device gets profiles for the new ones, copied from its last.
    const std::string three = FDir + "/three.ssn";
    {
        std::ofstream out(three, std::ios::binary);
        out << "[Seasons]\r\ncount=3\r\n"
               "[season0]\r\nDescription=Α\r\nDayStart=1\r\nDayStop=120\r\nWayOp=0\r\n"
               "[season1]\r\nDescription=Β\r\nDayStart=121\r\nDayStop=300\r\nWayOp=1\r\n"
               "[season2]\r\nDescription=Γ\r\nDayStart=301\r\nDayStop=365\r\nWayOp=2\r\n";
    }
    ChooseFile(three);
    ClickStrip("Ανοιγμα");
    ASSERT_EQ(SeasonList->Count(), 3);
    EXPECT_EQ(Ed->gdSnl->RowCount(), 4);
    EXPECT_EQ(Row(2), (TRow{"2", "Β", "01/05", "27/10", "180", "Σαββατοκύριακα"}));
    ASSERT_EQ(DevList->GetDevice(0)->HourOps().Count(), 3);
    EXPECT_DOUBLE_EQ(DevList->GetDevice(0)->HourOps().GetFactor(2, 5), 0.4);

    // The saved file brings back the single period; the devices keep their profiles.
    ChooseFile(saved);
    ClickStrip("Ανοιγμα");
    ASSERT_EQ(SeasonList->Count(), 1);
    EXPECT_EQ(Row(1), (TRow{"1", "Χειμώνας", "01/11", "31/03", "151", "Συνεχής"}));
    EXPECT_EQ(Ed->gdSnl->RowCount(), 2);
    EXPECT_EQ(DevList->GetDevice(0)->HourOps().Count(), 3);

    // A damaged file is reported and the periods stay.
    const std::string damaged = FDir + "/damaged.ssn";
    {
        std::ofstream out(damaged, std::ios::binary);
        out << "[Seasons]\r\ncount=100000\r\n";
    }
    TestKit::Dialogs().Clear();
    ChooseFile(damaged);
    ClickStrip("Ανοιγμα");
    EXPECT_EQ(SeasonList->Count(), 1);
    EXPECT_EQ(SeasonList->GetSeason(0)->Description(), "Χειμώνας");
    EXPECT_NE(TestKit::Dialogs().LastText().find("100000"), std::string::npos);

    // So is a day outside the year, with the period it belongs to.
    {
        std::ofstream out(damaged, std::ios::binary);
        out << "[Seasons]\r\ncount=1\r\n[season0]\r\nDescription=Λάθος\r\nDayStop=999\r\n";
    }
    ChooseFile(damaged);
    ClickStrip("Ανοιγμα");
    ASSERT_EQ(SeasonList->Count(), 1);
    EXPECT_EQ(SeasonList->GetSeason(0)->Description(), "Χειμώνας");
    EXPECT_NE(TestKit::Dialogs().LastText().find("Λάθος"), std::string::npos);

    // Saving over a longer list leaves nothing of it in the file, and the file's other
    // sections stay.
    {
        std::ofstream out(three, std::ios::binary | std::ios::app);
        out << "[notes]\r\nwho=Ελένη\r\n";
    }
    ChooseFile(three);
    ClickStrip("Αποθήκευση");
    TIniFile ini(three);
    EXPECT_EQ(ini.ReadString("notes", "who", ""), "Ελένη");
    EXPECT_EQ(ini.ReadInteger("Seasons", "count", 0), 1);
    EXPECT_FALSE(ini.SectionExists("season1"));
    EXPECT_FALSE(ini.SectionExists("season2"));
    EXPECT_EQ(ini.ReadString("season0", "Description", ""), "Χειμώνας");
}

TEST_F(PeriodsViewTest, AWayOfOperationWithoutANameShowsItsNumber) {
    const std::string file = FDir + "/ways.ssn";
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Seasons]\r\ncount=3\r\n"
               "[season0]\r\nDescription=Α\r\nDayStart=1\r\nDayStop=120\r\nWayOp=2\r\n"
               "[season1]\r\nDescription=Β\r\nDayStart=121\r\nDayStop=300\r\nWayOp=3\r\n"
               "[season2]\r\nDescription=Γ\r\nDayStart=301\r\nDayStop=365\r\nWayOp=255\r\n";
    }
    ChooseFile(file);
    ClickStrip("Ανοιγμα");
    ASSERT_EQ(SeasonList->Count(), 3);
    const std::pair<int, std::string> expected[] = {{1, WayOpNames[2]}, {2, "3"}, {3, "255"}};
    for (const auto& [row, text] : expected) {
        EXPECT_EQ(Ed->CellText(5, row), text) << row;
        std::string edited;
        Ed->gdSnlGetEditText(Ed->gdSnl, 5, row, edited);
        EXPECT_EQ(edited, text) << row;
    }
    // Choosing a name from the list still sets the way.
    Ed->gdSnlSetEditText(Ed->gdSnl, 5, 2, WayOpNames[1]);
    EXPECT_EQ(SeasonList->GetSeason(1)->WayOp(), 1);
    TestKit::RenderToPng(fmHolder, ShotFile("periods-ways.png"));
}

TEST_F(PeriodsViewTest, GanttChartDrawsAPeriodAcrossNewYearAsTwoBars) {
    TSeason* winter = SeasonList->AddSeason();
    winter->SetDescription("Χειμώνας");
    winter->SetDayStart(335);
    winter->SetDayStop(59);
    TSeason* summer = SeasonList->AddSeason();
    summer->SetDescription("Καλοκαίρι");
    summer->SetDayStart(152);
    summer->SetDayStop(243);
    ClickStrip("Γράφημα");
    auto* gr = Find<TfmSsnGr>(fmHolder->pnlHolder, "fmSsnGr");
    ASSERT_NE(gr, nullptr);
    EXPECT_EQ(gr->Caption(), "Περίοδοι Λειτουργίας");
    EXPECT_FALSE(gr->Chart1->Title()->Visible());
    EXPECT_FALSE(gr->Series1->ConnectingPen()->Visible());

    struct TBar {
        std::string Start, End;
        double Row;
        std::string Label;
    };
    // The series keeps its tasks in order of their start.
    const std::vector<TBar> bars = {
        {"31/12/1990", "28/02/1991", 1, "Χειμώνας"},
        {"01/01/1991", "31/12/1991", 0, "Ολο το έτος"},
        {"01/06/1991", "31/08/1991", 2, "Καλοκαίρι"},
        {"01/12/1991", "31/12/1991", 1, "Χειμώνας"},
    };
    TGanttSeries* s = gr->Series1;
    ASSERT_EQ(s->Count(), int(bars.size()));
    for (int i = 0; i < s->Count(); ++i) {
        SCOPED_TRACE(i);
        const TBar& bar = bars[size_t(i)];
        EXPECT_EQ(FormatDateTime("dd/mm/yyyy", s->StartValues()->ValueAt(i)), bar.Start);
        EXPECT_EQ(FormatDateTime("dd/mm/yyyy", s->EndValues()->ValueAt(i)), bar.End);
        EXPECT_DOUBLE_EQ(s->YValues()->ValueAt(i), bar.Row);
        EXPECT_EQ(s->ValueLabel(i), bar.Label);
    }
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("periods-gantt.png")));

    // While it is shown the chart follows the list: an inserted period (after summer, to
    // the end of the year) adds its bar, a deleted one takes both its bars away.
    ClickStrip("Εισαγωγή");
    EXPECT_EQ(gr->Series1->Count(), int(bars.size()) + 1);
    Ed->gdSnl->SetRow(2); // winter
    ClickStrip("Διαγραφή");
    ASSERT_EQ(SeasonList->Count(), 3);
    ASSERT_EQ(gr->Series1->Count(), 3);
    const std::vector<std::string> labels = {"Ολο το έτος", "Καλοκαίρι", ""};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(gr->Series1->ValueLabel(i), labels[size_t(i)]) << i;
        EXPECT_DOUBLE_EQ(gr->Series1->YValues()->ValueAt(i), i) << i;
    }
    // A second request opens no other chart; "Επιστροφή" closes it.
    ClickStrip("Γράφημα");
    int charts = 0;
    for (int i = 0; i < fmHolder->pnlHolder->ComponentCount(); ++i)
        charts += fmHolder->pnlHolder->Components(i)->ClassName() == "TfmSsnGr";
    EXPECT_EQ(charts, 1);
    ClickStrip("Επιστροφή");
    EXPECT_EQ(Find<TfmSsnGr>(fmHolder->pnlHolder, "fmSsnGr"), nullptr);
    EXPECT_EQ(StripButton("Επιστροφή"), nullptr);
}

} // namespace
