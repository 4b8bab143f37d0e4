#include "windrose/TabData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "framework/core/SystemUtils.h"

namespace {

namespace fs = std::filesystem;

// A temporary folder per test, removed afterwards; DecimalSeparator is put back as found.
class TabDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tabdata-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
        FSavedSeparator = DecimalSeparator;
    }
    void TearDown() override {
        DecimalSeparator = FSavedSeparator;
        std::error_code ec;
        fs::remove_all(FDir, ec);
    }
    std::string Write(const std::string& content, const std::string& name = "t.tab") {
        const std::string path = (FDir / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    fs::path FDir;
    char FSavedSeparator = '.';
};

double ColumnSum(const TTabData& table, int sector) {
    double sum = 0;
    for (const TTabRow& row : table.Rows)
        sum += row[size_t(sector)];
    return sum;
}

// Lines joined with a given line end.
std::string Lines(const std::vector<std::string>& lines, const std::string& eol) {
    std::string text;
    for (const std::string& line : lines)
        text += line + eol;
    return text;
}

TEST_F(TabDataTest, ReadsFilesOfOtherWindSoftware) {
    // The same 4-sector table as it comes from various programs: CR LF or LF, tabs between
    // the numbers, comments after them, columns not summing to exactly 1000.
    struct Case {
        const char* name;
        std::string eol;
        std::string sep;
        std::string comment;
    };
    const std::vector<Case> cases = {
        {"crlf-blanks", "\r\n", " ", ""},
        {"lf-blanks", "\n", "  ", ""},
        {"crlf-tabs-comments", "\r\n", "\t", "\t! comment 1.5 x"},
        {"lf-tabs-comments", "\n", " \t ", "   sector data, 12 classes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto row = [&](std::vector<std::string> v) {
            std::string line;
            for (size_t i = 0; i < v.size(); ++i)
                line += (i ? c.sep : std::string()) + v[i];
            return line + c.comment;
        };
        const std::string path =
            Write(Lines({"Akrotiri station 1991-2000 ", row({"35.5", "24.1", "10.0"}),
                         row({"4", "1.00", "0.00"}), row({"30.5", "20", "19.5", "30"}),
                         row({"2", "301", "250", "333.3", "125"}),
                         row({"4.5", "400", "500", "333.3", "375"}),
                         row({"8", "298", "249", "333.3", "499"})},
                        c.eol),
                  std::string(c.name) + ".tab");
        DecimalSeparator = ',';
        TTabData table;
        LoadFromFile(table, path);
        EXPECT_EQ(table.Title, "Akrotiri station 1991-2000 ");
        EXPECT_EQ(table.HeaderValues, (std::array<double, 3>{35.5, 24.1, 10.0}));
        EXPECT_EQ(table.SectorCount, 4);
        EXPECT_EQ(table.SectorFreq, (std::vector<double>{30.5, 20, 19.5, 30}));
        ASSERT_EQ(table.Rows.size(), 3u);
        EXPECT_EQ(table.Rows[0], (TTabRow{301, 250, 333.3, 125}));
        EXPECT_EQ(table.Rows[2], (TTabRow{298, 249, 333.3, 499}));
        // From the first table on, the program shows numbers with ".".
        EXPECT_EQ(DecimalSeparator, '.');
        EXPECT_EQ(FloatToStr(2.5), "2.5");

        NormalizeAll(table);
        EXPECT_DOUBLE_EQ(std::accumulate(table.SectorFreq.begin(), table.SectorFreq.end(), 0.0),
                         100);
        EXPECT_EQ(table.Rows[0], (TTabRow{301, 250, 333, 125}));
        EXPECT_EQ(table.Rows[2], (TTabRow{298, 249, 333, 499}));
        for (int s = 0; s < 4; ++s)
            EXPECT_NEAR(ColumnSum(table, s), 1000, 1.5) << "sector " << s;
    }
}

TEST_F(TabDataTest, ClassRowsEndAtAllZeroRowOrEndOfFile) {
    struct Case {
        const char* name;
        std::string body; // the class rows after the three header lines and frequencies
        std::vector<TTabRow> rows;
    };
    const std::vector<Case> cases = {
        {"zero row ends the table, later lines ignored",
         "1 10 20\r\n2 0 0\r\n3 30 40\r\nnot a number\r\n",
         {{10, 20}, {0, 0}}},
        {"no zero row", "1 10 20\r\n2 30 40\r\n", {{10, 20}, {30, 40}}},
        {"no line end after the last row", "1 10 20\r\n2 30 40", {{10, 20}, {30, 40}}},
        {"blank line at the end adds a zero row", "1 10 20\r\n\r\n", {{10, 20}, {0, 0}}},
        {"numbers of a row run over lines", "1 10\r\n 20 rest\r\n2 0\r\n0\r\n", {{10, 20}, {0, 0}}},
        {"short last row reads 0 for the missing values", "1 10 20\r\n2 30", {{10, 20}, {30, 0}}},
        {"no rows", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write("T\r\n0 0 0\r\n2\r\n60 40\r\n" + c.body);
        TTabData table;
        LoadFromFile(table, path);
        EXPECT_EQ(table.Rows, c.rows);
    }
}

TEST_F(TabDataTest, FrequenciesMayRunOverLines) {
    const std::string path = Write("T\r\n1 2\r\n3\r\n3 ! sectors\r\n10 20\r\n30 x\r\n5 1 2 3\r\n");
    TTabData table;
    LoadFromFile(table, path);
    EXPECT_EQ(table.HeaderValues, (std::array<double, 3>{1, 2, 3}));
    EXPECT_EQ(table.SectorCount, 3);
    EXPECT_EQ(table.SectorFreq, (std::vector<double>{10, 20, 30}));
    ASSERT_EQ(table.Rows.size(), 1u);
    EXPECT_EQ(table.Rows[0], (TTabRow{1, 2, 3}));
}

TEST_F(TabDataTest, BadFilesRaiseAndKeepWhatWasRead) {
    struct Case {
        const char* name;
        std::string content;
        std::string title;       // kept after the error
        size_t freqCount;        // SectorFreq's size after the error
        size_t rowCount;         // Rows' size after the error
        std::string messagePart; // part of the message
    };
    const std::string ends = "τελειώνει πριν από τις συχνότητες";
    const std::vector<Case> cases = {
        {"empty file", "", "", 0, 0, ends},
        {"title only", "Title\r\n", "Title", 0, 0, ends},
        {"header line short", "Title\r\n1 2\r\n", "Title", 0, 0, ends},
        {"no sector count", "Title\r\n1 2 3\r\n  \r\n\t\r\n", "Title", 0, 0, ends},
        {"frequencies short", "Title\r\n1 2 3\r\n3\r\n10 20\r\n", "Title", 3, 0, ends},
        {"frequencies short, no line end", "Title\r\n1 2 3\r\n3\r\n10 20", "Title", 3, 0, ends},
        {"sector count 0", "Title\r\n1 2 3\r\n0\r\n\r\n", "Title", 0, 0, "τομέων 0"},
        {"sector count -4", "Title\r\n1 2 3\r\n-4\r\n1 2\r\n", "Title", 0, 0, "τομέων -4"},
        {"sector count 361", "Title\r\n1 2 3\r\n361\r\n", "Title", 0, 0, "τομέων 361"},
        {"sector count 12.5", "Title\r\n1 2 3\r\n12.5\r\n", "Title", 0, 0, "τομέων 12.5"},
        {"malformed frequency", "Title\r\n1 2 3\r\n2\r\n10 2,5\r\n", "Title", 2, 0, "2,5"},
        {"malformed row value", "Title\r\n1 2 3\r\n2\r\n10 90\r\n1 5 6\r\n2 7 x8\r\n", "Title", 2,
         2, "x8"},
        {"huge header value", "Title\r\n1 1e999 3\r\n2\r\n10 90\r\n", "Title", 0, 0, ""},
        {"infinite frequency", "Title\r\n1 2 3\r\n2\r\n10 inf\r\n", "Title", 2, 0, ""},
        {"not-a-number row value", "Title\r\n1 2 3\r\n2\r\n10 90\r\n1 nan 6\r\n", "Title", 2, 1,
         ""},
        // A frequency longer than the reader's limit is an error, never two frequencies.
        {"frequency of 70 digits", "Title\r\n1 2 3\r\n3\r\n10 " + std::string(70, '2') + "\r\n",
         "Title", 3, 0, "γραμμή 4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.content);
        TTabData table;
        table.Title = "old";
        table.Rows = {{1, 2}};
        DecimalSeparator = ',';
        try {
            LoadFromFile(table, path);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find(c.messagePart), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
        }
        EXPECT_EQ(table.Title, c.title);
        EXPECT_EQ(table.SectorFreq.size(), c.freqCount);
        EXPECT_EQ(table.Rows.size(), c.rowCount);
        // The separator, once set by an opened file, stays ".".
        EXPECT_EQ(DecimalSeparator, '.');
    }
}

TEST_F(TabDataTest, MissingFileRaisesBeforeTouchingSeparator) {
    DecimalSeparator = ',';
    TTabData table;
    EXPECT_THROW(LoadFromFile(table, (FDir / "missing.tab").string()), EInOutError);
    EXPECT_EQ(DecimalSeparator, ',');
    EXPECT_EQ(table.SectorCount, 0);
}

TEST(TabDataNormalize, FrequenciesSumTo100) {
    struct Case {
        std::vector<double> in, out;
    };
    const std::vector<Case> cases = {
        {{10, 30, 60}, {10, 30, 60}},
        {{1, 1, 2}, {25, 25, 50}},
        {{0, 0, 0}, {0, 0, 0}},           // sum 0: unchanged
        {{1, -1}, {1, -1}},               // sum 0: unchanged
        {{1, NAN, 2}, {1, NAN, 2}},       // sum not finite: unchanged
        {{1e308, 1e308}, {1e308, 1e308}}, // sum overflows: unchanged
        {{}, {}},
    };
    for (const Case& c : cases) {
        TTabData table;
        table.SectorCount = int(c.in.size());
        table.SectorFreq = c.in;
        NormalizeFrequencies(table);
        ASSERT_EQ(table.SectorFreq.size(), c.out.size());
        for (size_t i = 0; i < c.out.size(); ++i) {
            if (std::isnan(c.out[i]))
                EXPECT_TRUE(std::isnan(table.SectorFreq[i]));
            else
                EXPECT_DOUBLE_EQ(table.SectorFreq[i], c.out[i]) << i;
        }
    }
}

TEST(TabDataNormalize, SectorToWholePerMille) {
    struct Case {
        std::vector<double> column, expected;
    };
    const std::vector<Case> cases = {
        {{1, 1, 1}, {333, 333, 333}},
        {{1, 2, 1}, {250, 500, 250}},
        {{1, 1}, {500, 500}},
        {{1, 1999}, {0, 1000}}, // 0.5 and 999.5 go to the even neighbour
        {{3, 1997}, {2, 998}},  // 1.5 and 998.5 likewise
        {{120, 380, 0}, {240, 760, 0}},
        {{0, 0}, {0, 0}},                 // sum 0: unchanged
        {{2, -2}, {2, -2}},               // sum 0: unchanged
        {{1e308, 1e308}, {1e308, 1e308}}, // sum not finite: unchanged
    };
    for (const Case& c : cases) {
        TTabData table;
        table.SectorCount = 2;
        for (double v : c.column)
            table.Rows.push_back({v, 7});
        NormalizeSector(table, 0);
        for (size_t i = 0; i < c.column.size(); ++i) {
            EXPECT_EQ(table.Rows[i][0], c.expected[i]) << "row " << i;
            EXPECT_EQ(table.Rows[i][1], 7) << "other sector untouched";
        }
    }
}

TEST(TabDataNormalize, SectorOutsideTableDoesNothing) {
    TTabData table;
    table.SectorCount = 2;
    table.Rows = {{1, 2}, {3, 4}};
    NormalizeSector(table, -1);
    NormalizeSector(table, 2);
    EXPECT_EQ(table.Rows, (std::vector<TTabRow>{{1, 2}, {3, 4}}));
}

// A table saved with a UTF-8 byte-order mark reads as without it; UTF-16 text and a file
// larger than any table (sparse) are refused with a message naming the file.
TEST_F(TabDataTest, ByteOrderMarkIsReadAndUtf16AndHugeFilesAreRefused) {
    TTabData table;
    LoadFromFile(table, Write("\xEF\xBB\xBFStation\r\n1 2 3 4\r\n2\r\n40 60\r\n1 300 700\r\n"));
    EXPECT_EQ(table.Title, "Station");
    EXPECT_EQ(table.SectorCount, 2);

    const std::string huge = Write("Station\r\n", "huge.tab");
    fs::resize_file(huge, uintmax_t(1) << 30);
    for (const std::string& file : {Write(std::string("\xFF\xFES\0t\0", 6), "utf16.tab"), huge}) {
        try {
            LoadFromFile(table, file);
            ADD_FAILURE() << "read " << file;
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find(file), std::string::npos) << e.Message();
        }
    }
}

} // namespace
