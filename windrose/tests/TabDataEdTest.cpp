#include "windrose/TabDataEd.h"

#include "PelmoraTestSupport.h"
#include "framework/gui/Messages.h"
#include "persist/tests/ShownCell.h"

#include <cmath>
#include <memory>
#include <numeric>

namespace {

TPoint CellCentre(TExDrawGrid* grid, int col, int row) {
    const TRect r = grid->CellRect(col, row);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

// The user clicks a cell, types text and presses Enter.
void TypeIntoCell(TExDrawGrid* grid, int col, int row, const std::string& text) {
    TestKit::ClickAt(grid, CellCentre(grid, col, row));
    TestKit::TypeText(text);
    TestKit::PressKey(VK_RETURN);
}

double FreqSum(const TTabData& table) {
    return std::accumulate(table.SectorFreq.begin(), table.SectorFreq.end(), 0.0);
}

double ColumnSum(const TTabData& table, int sector) {
    double sum = 0;
    for (const TTabRow& row : table.Rows)
        sum += row[size_t(sector)];
    return sum;
}

// A table of n sectors with equal frequencies and two class rows.
std::string TableText(int n) {
    std::string text = "Test\r\n1 2 3\r\n" + std::to_string(n) + "\r\n";
    for (int i = 0; i < n; ++i)
        text += "5 ";
    text += "\r\n1";
    for (int i = 0; i < n; ++i)
        text += " 600";
    text += "\r\n2";
    for (int i = 0; i < n; ++i)
        text += " 400";
    return text + "\r\n";
}

} // namespace

// The user's way through the editor, from the main window.
TEST_F(TPelmoraTest, EditorEditsAndNormalisesTheTableInPlace) {
    OpenTable(DataFile("rose4.tab"));
    TTabData* table = Form1->TabData();
    ASSERT_NE(table, nullptr);
    const std::vector<uint8_t> roseBefore = Rose()->SaveEnhanced();

    bool shown = false;
    Application->SetModalHandler([&](TCustomForm* form) {
        shown = true;
        auto* editor = dynamic_cast<TfmTabDataEd*>(form);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(TestKit::TextOf(editor), "fmTabDataEd");
        TExDrawGrid* grid = editor->gdTabData;
        EXPECT_EQ(grid->ColCount(), 5);
        EXPECT_EQ(grid->RowCount(), 29); // 26 classes, the closing zero row, two fixed
        EXPECT_EQ(editor->CellText(0, 1), "0");
        EXPECT_EQ(editor->CellText(0, 4), "3");
        EXPECT_EQ(editor->CellText(1, 0), "100.5");
        EXPECT_EQ(editor->CellText(1, 4), "10.50");
        EXPECT_EQ(editor->CellText(2, 0), "1");
        EXPECT_EQ(editor->CellText(2, 2), "25");

        // A frequency: the sum under the corner follows at once; a minus sign cannot be
        // typed.
        TypeIntoCell(grid, 1, 1, "-12.5");
        EXPECT_EQ(table->SectorFreq[0], 12.5);
        EXPECT_EQ(editor->CellText(1, 1), "12.50");
        EXPECT_EQ(editor->CellText(1, 0), "73");
        // A class value.
        TypeIntoCell(grid, 2, 2, "30");
        EXPECT_EQ(table->Rows[0][1], 30);

        // Header 2 normalises sector 1 only: 1004 per mille scaled to whole values.
        const TTabRow southBefore = [&] {
            TTabRow column;
            for (const TTabRow& row : table->Rows)
                column.push_back(row[2]);
            return column;
        }();
        TestKit::ClickAt(grid, CellCentre(grid, 2, 0));
        const std::vector<std::pair<int, double>> east = {{0, 30},  {1, 25},   {11, 25}, {12, 23},
                                                          {24, 23}, {25, 398}, {26, 0}};
        for (const auto& [row, value] : east) {
            SCOPED_TRACE(row);
            EXPECT_EQ(table->Rows[size_t(row)][1], value);
        }
        for (size_t row = 0; row < table->Rows.size(); ++row)
            EXPECT_EQ(table->Rows[row][2], southBefore[row]);
        EXPECT_EQ(editor->CellText(27, 2), "398");

        // The cell under the corner: the frequencies sum to 100.
        TestKit::ClickAt(grid, CellCentre(grid, 0, 1));
        EXPECT_NEAR(FreqSum(*table), 100, 1e-9);
        EXPECT_NEAR(table->SectorFreq[0], 12.5 * 100 / 73, 1e-12);
        EXPECT_EQ(editor->CellText(1, 1), "17.12");
        EXPECT_EQ(editor->CellText(1, 0), "100");

        // The corner: everything. Columns of whole per-mille values summing to about 1000.
        TestKit::ClickAt(grid, CellCentre(grid, 0, 0));
        for (int sector = 0; sector < 4; ++sector) {
            SCOPED_TRACE(sector);
            EXPECT_NEAR(ColumnSum(*table, sector), 1000, 2);
            for (const TTabRow& row : table->Rows)
                EXPECT_EQ(row[size_t(sector)], std::nearbyint(row[size_t(sector)]));
        }
        EXPECT_EQ(table->Rows[25][2], 251); // 251 of 1001: 250.75
        EXPECT_EQ(table->Rows[0][2], 250);  // 250 of 1001: 249.75

        // A class-number cell is no button.
        const std::vector<double> freqs = table->SectorFreq;
        TestKit::ClickAt(grid, CellCentre(grid, 0, 3));
        EXPECT_EQ(table->SectorFreq, freqs);

        EXPECT_TRUE(TestKit::RenderToPng(editor, ShotFile("pelmora-tabdataed.png")));
        form->SetModalResult(mrOk);
    });
    TestKit::Click(Form1->ToolButton4);
    EXPECT_TRUE(shown);

    // The rose shows the edits only after the next resize.
    EXPECT_EQ(Rose()->SaveEnhanced(), roseBefore);
    Form1->SetBounds(Form1->Left(), Form1->Top(), Form1->Width() + 20, Form1->Height());
    TestKit::ProcessMessages();
    EXPECT_NE(Rose()->SaveEnhanced(), roseBefore);
}

// The editor on its own.
class TTabDataEdTest : public TPelmoraTest {
protected:
    void SetUp() override {
        TPelmoraTest::SetUp();
        FEditor.reset(CreateForm<TfmTabDataEd>(Application));
        FEditor->SetBounds(0, 0, 900, 400);
        FEditor->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        FEditor.reset();
        TPelmoraTest::TearDown();
    }
    void Load(const std::string& fileName) {
        LoadFromFile(FTable, fileName);
        FEditor->SetTabData(&FTable);
        TestKit::ProcessMessages();
    }
    std::unique_ptr<TfmTabDataEd> FEditor;
    TTabData FTable;
};

TEST_F(TTabDataEdTest, TwelveSectorsAreHeadedByDirections) {
    Load(DataFile("rose12.tab"));
    ASSERT_EQ(FEditor->gdTabData->ColCount(), 13);
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(FEditor->CellText(0, c), std::string(DirLabels[size_t(c - 1)]));
    EXPECT_EQ(FEditor->CellText(0, 0), "");
    // 30 classes up to the end of the file (no closing zero row).
    EXPECT_EQ(FEditor->gdTabData->RowCount(), 32);
    EXPECT_EQ(FEditor->CellText(31, 0), "30");
    EXPECT_EQ(FEditor->CellText(31, 1), "0");
    // The cell editor starts with the unrounded value.
    std::string text;
    FEditor->gdTabDataGetEditText(FEditor->gdTabData, 2, 1, text);
    EXPECT_EQ(text, "9");
    FTable.SectorFreq[1] = 1.0 / 3;
    FEditor->gdTabDataGetEditText(FEditor->gdTabData, 2, 1, text);
    EXPECT_EQ(text, "0.333333333333333");
    EXPECT_EQ(FEditor->CellText(1, 2), "0.33");
}

TEST_F(TTabDataEdTest, DoubleClickOnAHeaderNamesTheDirection) {
    Load(WriteFile("wide.tab", TableText(14)));
    TExDrawGrid* grid = FEditor->gdTabData;
    ASSERT_EQ(grid->ColCount(), 15);
    grid->SetDefaultColWidth(40);
    TestKit::ProcessMessages();
    // Not twelve sectors: the headers are numbers.
    EXPECT_EQ(FEditor->CellText(0, 4), "3");
    struct Case {
        int Col, Row;
        std::string Shown;
    };
    const std::vector<Case> cases = {
        {3, 0, "EN"},  // the header of sector 2: the third direction, whatever the count
        {12, 0, "NW"}, // sector 11: the last direction
        {13, 0, "12"}, // beyond the twelve directions: the sector's number
        {14, 0, "13"}, {0, 1, "Freq"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Shown);
        TestKit::Dialogs().Clear();
        TestKit::DoubleClickAt(grid, CellCentre(grid, c.Col, c.Row));
        EXPECT_EQ(TestKit::Dialogs().LastText(), c.Shown);
    }
    // A value cell shows nothing.
    TestKit::Dialogs().Clear();
    TestKit::DoubleClickAt(grid, CellCentre(grid, 3, 2));
    EXPECT_TRUE(TestKit::Dialogs().Shown().empty());
}

TEST_F(TTabDataEdTest, AnEditedCellShowsItsNewValueOnEnter) {
    Load(WriteFile("small.tab", TableText(3)));
    TExDrawGrid* grid = FEditor->gdTabData;
    TestKit::ClickAt(grid, CellCentre(grid, 1, 2));
    TestKit::ProcessMessages();
    const std::vector<uint8_t> before = ShownCellPixels(grid, 1, 2);
    TestKit::TypeText("612.25");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    ASSERT_EQ(FTable.Rows[0][0], 612.25);
    const std::vector<uint8_t> shown = ShownCellPixels(grid, 1, 2);
    EXPECT_EQ(shown, RepaintedCellPixels(grid, 1, 2));
    EXPECT_NE(shown, before);
}

TEST_F(TTabDataEdTest, OnlyDigitsAndTheDecimalPointCanBeTyped) {
    Load(WriteFile("small.tab", TableText(3)));
    struct Case {
        char32_t Key;
        bool Accepted;
    };
    for (const Case& c : std::vector<Case>{{U'0', true},
                                           {U'9', true},
                                           {U'.', true},
                                           {U',', false},
                                           {U'-', false},
                                           {U'e', false},
                                           {U' ', false}}) {
        char32_t key = c.Key;
        EXPECT_EQ(FEditor->gdTabDataAcceptEditKey(FEditor->gdTabData, key), c.Accepted)
            << char(c.Key);
    }
    // Text that does not convert completely leaves the value as it was.
    for (const char* text : {"", "1.2.3", "7x", "1e400"}) {
        SCOPED_TRACE(text);
        FEditor->gdTabDataSetEditText(FEditor->gdTabData, 1, 2, text);
        EXPECT_EQ(FTable.Rows[0][0], 600);
    }
    FEditor->gdTabDataSetEditText(FEditor->gdTabData, 1, 2, "612.25");
    EXPECT_EQ(FTable.Rows[0][0], 612.25);
    // Cells beyond the table take nothing.
    FEditor->gdTabDataSetEditText(FEditor->gdTabData, 4, 2, "1");
    FEditor->gdTabDataSetEditText(FEditor->gdTabData, 1, 9, "1");
    EXPECT_EQ(FTable.Rows.size(), 2u);
}

TEST_F(TTabDataEdTest, WithoutATableNothingHappens) {
    FEditor->SetTabData(nullptr);
    EXPECT_EQ(FEditor->CellText(0, 1), "");
    EXPECT_EQ(FEditor->CellText(1, 1), "");
    FEditor->gdTabDataFixedCellClick(FEditor->gdTabData, 0, 0);
    FEditor->gdTabDataSetEditText(FEditor->gdTabData, 1, 1, "5");
    bool enabled = false;
    FEditor->gdTabDataCheckButton(FEditor->gdTabData, 3, 0, enabled);
    EXPECT_TRUE(enabled);
    FEditor->gdTabDataCheckButton(FEditor->gdTabData, 0, 2, enabled);
    EXPECT_FALSE(enabled);
}
