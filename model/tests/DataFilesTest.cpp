// The model's file readers and the files they are given: byte-order marks, UTF-16 text and
// files larger than their format allows.
#include "model/Data.h"

#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

class DataFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "datafiles-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(FDir, ec);
    }
    std::string Write(const std::string& name, const std::string& content) const {
        const std::string file = (FDir / name).string();
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

    fs::path FDir;
};

const char* const kBom = "\xEF\xBB\xBF";

// A file saved with a UTF-8 byte-order mark reads as the same file without it.
TEST_F(DataFilesTest, FilesWithAByteOrderMarkReadAsWithout) {
    TDevList list;
    list.LoadFromFile(Write("bom.dvl", std::string(kBom) +
                                           "[devlist]\r\ncount=1\r\n[dev0]\r\nName=Ψυγείο\r\n"
                                           "DevCount=2\r\nRatedPower=150\r\n"));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetDevice(0)->Name(), "Ψυγείο");
    EXPECT_EQ(list.GetDevice(0)->DevCount(), 2);

    TWindPwrCurve curve;
    curve.LoadFromFile(Write("bom.pow", std::string(kBom) + "WG-3\r\nx\r\n1 1\r\n3 100\r\n"));
    EXPECT_EQ(curve.ModelName(), "WG-3");
    EXPECT_EQ(curve.RatedPower(), 100);

    TPhFactors factors;
    std::string pph = kBom;
    for (int h = 0; h < 24; ++h) {
        for (int m = 0; m < 12; ++m)
            pph += " 0.5";
        pph += "\r\n";
    }
    factors.LoadFromFile(Write("bom.pph", pph));
    EXPECT_EQ(factors.GetFactor(1, 0), 0.5);

    TFloatArray column;
    LoadColumn(Write("bom.dat", std::string(kBom) + "a\r\nb\r\nc\r\n4.5\r\n"), column);
    EXPECT_EQ(column, TFloatArray({4.5}));
}

// A file that a tool gave a second mark reads as without them, and a save keeps its meaning:
// a mark left in front of "[devlist]" hid the section from the first read but not from the
// read after the save, so the list read back with another count.
TEST_F(DataFilesTest, RepeatedByteOrderMarksReadAsNoneAndSurviveASave) {
    const std::string file =
        Write("twice.dvl", std::string(kBom) + kBom +
                               "[devlist]\r\ncount=1\r\n[dev0]\r\nName=a\r\nDevCount=3\r\n");
    TDevList list;
    list.LoadFromFile(file);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetDevice(0)->DevCount(), 3);
    list.SaveToFile(file);
    TDevList back;
    back.LoadFromFile(file);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.GetDevice(0)->Name(), "a");
}

// UTF-16 text and files over their format's limit are refused with a message naming the
// file, before anything changes; a sparse file of a gigabyte costs no time to refuse.
TEST_F(DataFilesTest, Utf16AndOversizedFilesAreRefusedByName) {
    const std::string utf16 = Write("utf16.dvl", std::string("\xFF\xFE[\0d\0]\0", 8));
    const auto sparse = [&](const std::string& name, uintmax_t size) {
        const std::string file = Write(name, "1 1\r\n");
        fs::resize_file(file, size);
        return file;
    };
    TDevList list;
    list.LoadFromFile(Write("one.dvl", "[devlist]\r\ncount=1\r\n[dev0]\r\nName=a\r\n"));
    TWindPwrCurve curve;
    TPhFactors factors;
    TFloatArray column;
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> cases = {
        {utf16, [&](const std::string& f) { list.LoadFromFile(f); }},
        {sparse("big.dvl", uintmax_t(kMaxDevListFileSize) + 1),
         [&](const std::string& f) { list.LoadFromFile(f); }},
        {sparse("big.pow", uintmax_t(kMaxPowFileSize) + 1),
         [&](const std::string& f) { curve.LoadFromFile(f); }},
        {sparse("big.pph", uintmax_t(kMaxPphFileSize) + 1),
         [&](const std::string& f) { factors.LoadFromFile(f); }},
        {sparse("big.dat", uintmax_t(1) << 30),
         [&](const std::string& f) { LoadColumn(f, column); }},
    };
    for (const auto& [file, load] : cases) {
        try {
            load(file);
            ADD_FAILURE() << "read " << file;
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find(file), std::string::npos) << e.Message();
        }
    }
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetDevice(0)->Name(), "a");

    // A list saved over a UTF-16 file is refused rather than losing its other sections.
    EXPECT_THROW(list.SaveToFile(utf16), EInOutError);
    EXPECT_EQ(fs::file_size(utf16), 8u);
}

} // namespace
