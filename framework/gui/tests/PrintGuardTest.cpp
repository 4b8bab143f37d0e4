#include "framework/gui/PrintGuard.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

class PrintGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Dir = fs::temp_directory_path() /
              ("orv_print_guard_" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::create_directories(Dir);
        SetPrinter(nullptr);
        // The PDF printer is always listed last.
        Printer()->SetPrinterIndex(Printer()->Printers()->Count() - 1);
        Printer()->SetPdfFileName((Dir / "page.pdf").string());
    }
    void TearDown() override {
        SetPrinter(nullptr);
        fs::remove_all(Dir);
    }
    fs::path Dir;
};

TEST_F(PrintGuardTest, AnEndedDocumentIsWrittenAndOneLeftByAnErrorDropped) {
    TPrinter* p = Printer();
    {
        TPrintDocumentGuard document(p);
        EXPECT_TRUE(p->Printing());
        p->Canvas()->Rectangle(10, 10, 100, 100);
        document.End();
        EXPECT_FALSE(p->Printing());
    }
    EXPECT_FALSE(p->Aborted());
    EXPECT_TRUE(fs::exists(p->PdfFileName()));

    p->SetPdfFileName((Dir / "failed.pdf").string());
    EXPECT_THROW(
        {
            TPrintDocumentGuard document(p);
            p->Canvas()->Rectangle(10, 10, 100, 100);
            throw std::runtime_error("drawing failed");
        },
        std::runtime_error);
    EXPECT_FALSE(p->Printing());
    EXPECT_TRUE(p->Aborted());
    EXPECT_FALSE(fs::exists(p->PdfFileName()));

    // A document that cannot begin leaves the printer free, with nothing to drop.
    p->SetPdfFileName((Dir / "no/such/folder/page.pdf").string());
    EXPECT_THROW(TPrintDocumentGuard{p}, EInOutError);
    EXPECT_FALSE(p->Printing());
    p->SetPdfFileName((Dir / "again.pdf").string());
    {
        TPrintDocumentGuard document(p);
        document.End();
    }
    EXPECT_TRUE(fs::exists(p->PdfFileName()));
}

} // namespace
