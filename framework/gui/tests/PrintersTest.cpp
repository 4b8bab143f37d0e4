#include "framework/gui/Printers.h"
#include "framework/core/FrameworkTexts.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

class PrintersTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        ASSERT_TRUE(Dir.isValid());
        SetPrinter(nullptr);
        Printer()->SetPrinterIndex(Printer()->Printers()->Count() - 1);
        Printer()->SetPdfFileName(Dir.filePath("page.pdf").toStdString());
    }
    void TearDown() override { SetPrinter(nullptr); }
    QTemporaryDir Dir;
};

TEST_F(PrintersTest, ThePdfPrinterIsAlwaysListedLastAndIsTheDefaultWithoutOthers) {
    TStrings* names = Printer()->Printers();
    ASSERT_GE(names->Count(), 1);
    EXPECT_EQ(names->Get(names->Count() - 1), kPdfPrinterName);
    Printer()->SetPrinterIndex(-1);
    if (names->Count() == 1) {
        EXPECT_TRUE(Printer()->IsPdfPrinter());
    }
    EXPECT_THROW(Printer()->SetPrinterIndex(names->Count()), EPrinter);
}

TEST_F(PrintersTest, PageSizeFollowsTheOrientation) {
    TPrinter* p = Printer();
    EXPECT_EQ(p->PixelsPerInchX(), 300);
    // A4 (595 × 842 points) at 300 pixels per inch.
    EXPECT_EQ(p->PageWidth(), 2479);
    EXPECT_EQ(p->PageHeight(), 3508);
    p->SetOrientation(poLandscape);
    EXPECT_EQ(p->PageWidth(), 3508);
    EXPECT_EQ(p->PageHeight(), 2479);
}

TEST_F(PrintersTest, DocumentStepsOutOfTurnRaiseThePlatformsErrors) {
    TPrinter* p = Printer();
    struct TCase {
        const char* What;
        bool Printing;
        std::function<void()> Step;
        const char* Message;
    };
    const TCase cases[] = {
        {"EndDoc", false, [p] { p->EndDoc(); }, FrameworkTexts::NotPrinting},
        {"NewPage", false, [p] { p->NewPage(); }, FrameworkTexts::NotPrinting},
        {"Abort", false, [p] { p->Abort(); }, FrameworkTexts::NotPrinting},
        {"BeginDoc", true, [p] { p->BeginDoc(); }, FrameworkTexts::PrintingInProgress},
        {"Orientation", true, [p] { p->SetOrientation(poLandscape); },
         FrameworkTexts::PrintingInProgress},
        {"PrinterIndex", true, [p] { p->SetPrinterIndex(-1); }, FrameworkTexts::PrintingInProgress},
    };
    for (const TCase& c : cases) {
        if (c.Printing)
            p->BeginDoc();
        try {
            c.Step();
            ADD_FAILURE() << c.What << " raised nothing";
        } catch (const EPrinter& e) {
            EXPECT_STREQ(e.what(), c.Message) << c.What;
        }
        EXPECT_EQ(p->Printing(), c.Printing) << c.What;
        if (c.Printing)
            p->EndDoc();
    }
    // An aborted document leaves no file.
    p->BeginDoc();
    p->Canvas()->Rectangle(10, 10, 100, 100);
    p->Abort();
    EXPECT_TRUE(p->Aborted());
    EXPECT_FALSE(p->Printing());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(p->PdfFileName())));
    // An unwritable file is refused at the start.
    const std::string unwritable = Dir.filePath("no/such/folder/page.pdf").toStdString();
    p->SetPdfFileName(unwritable);
    try {
        p->BeginDoc();
        ADD_FAILURE() << "printed into a missing folder";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), Format(FrameworkTexts::CannotCreateFile,
                                      {unwritable, FrameworkTexts::NoSuchFile}));
    }
    EXPECT_FALSE(p->Printing());
}

TEST_F(PrintersTest, PdfPrinterAsksForTheFileAndRemembersTheFolder) {
    // The settings store of this test alone.
    QTemporaryDir store;
    ASSERT_TRUE(store.isValid());
    const char* oldStore = std::getenv("HKCU_STORE");
    const std::string savedStore = oldStore ? oldStore : "";
    setenv("HKCU_STORE", store.filePath("hkcu.store").toLocal8Bit().constData(), 1);
    TPrinter* p = Printer();
    const std::string home = QDir::homePath().toStdString();
    const std::string first = Dir.filePath("first.pdf").toStdString();
    struct TAsked {
        std::string Filter, FileName, InitialDir;
    };
    std::vector<TAsked> asked;
    auto answer = [&](const std::string& fileName) {
        TestKit::Dialogs().AnswerNextWith([&asked, fileName](const TestKit::TShownDialog& shown) {
            auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog);
            if (!save)
                return 0;
            asked.push_back({save->Filter(), save->FileName(), save->InitialDir()});
            if (fileName.empty())
                return 0;
            save->SetFileName(fileName);
            return 1;
        });
    };

    // Cancelled: no file, the earlier name stays.
    p->SetTitle("Chart1");
    answer("");
    EXPECT_FALSE(p->ChoosePdfFile());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Filter, "PDF (*.pdf)|*.pdf");
    EXPECT_EQ(asked[0].FileName, "Chart1.pdf");
    EXPECT_EQ(asked[0].InitialDir, home);
    EXPECT_EQ(p->PdfFileName(), Dir.filePath("page.pdf").toStdString());

    // OK: the name chosen is where the document goes; its folder is offered next time,
    // with the next job's title (made fit for a file name).
    answer(first);
    EXPECT_TRUE(p->ChoosePdfFile());
    EXPECT_EQ(p->PdfFileName(), first);
    p->SetTitle("Ισχύς/Ώρα");
    answer("");
    EXPECT_FALSE(p->ChoosePdfFile());
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[2].FileName, "Ισχύς_Ώρα.pdf");
    EXPECT_EQ(asked[2].InitialDir, Dir.path().toStdString());

    // A system printer needs no file.
    if (p->Printers()->Count() > 1) {
        p->SetPrinterIndex(0);
        EXPECT_TRUE(p->ChoosePdfFile());
        EXPECT_EQ(asked.size(), 3u);
    }
    if (oldStore)
        setenv("HKCU_STORE", savedStore.c_str(), 1);
    else
        unsetenv("HKCU_STORE");
}

TEST_F(PrintersTest, APrintedPageShowsTheShapesWhereTheyWereDrawn) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    TPrinter* p = Printer();
    p->SetTitle("Ροζέτα Ανέμου");
    p->BeginDoc();
    TCanvas* c = p->Canvas();
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetColor(clRed);
    c->Rectangle(300, 300, 900, 900);
    c->Brush()->SetColor(clBlue);
    c->Ellipse(1200, 1800, 2000, 2600);
    c->Font()->SetSize(24);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(300, 1000, "Εκτύπωση");
    EXPECT_GT(c->TextHeight("Εκτύπωση"), 80) << "24 points at 300 pixels per inch";
    p->NewPage();
    EXPECT_EQ(p->PageNumber(), 2);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clGreen);
    c->Rectangle(0, 0, 600, 600);
    p->EndDoc();
    ASSERT_TRUE(QFile::exists(QString::fromStdString(p->PdfFileName())));

    // At 30 pixels per inch one image pixel is ten printer pixels.
    std::string out = Dir.filePath("page").toStdString();
    std::string cmd = "pdftoppm -r 30 -png '" + p->PdfFileName() + "' '" + out + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    QImage page1(QString::fromStdString(out + "-1.png"));
    QImage page2(QString::fromStdString(out + "-2.png"));
    ASSERT_FALSE(page1.isNull());
    ASSERT_FALSE(page2.isNull());
    EXPECT_EQ(page1.width(), 248);
    auto near = [](QColor got, QColor want) {
        return std::abs(got.red() - want.red()) < 40 && std::abs(got.green() - want.green()) < 40 &&
               std::abs(got.blue() - want.blue()) < 40;
    };
    EXPECT_TRUE(near(page1.pixelColor(60, 60), Qt::red));
    EXPECT_TRUE(near(page1.pixelColor(32, 32), Qt::red));
    EXPECT_TRUE(near(page1.pixelColor(28, 28), Qt::white));
    EXPECT_TRUE(near(page1.pixelColor(160, 220), Qt::blue));
    EXPECT_TRUE(near(page1.pixelColor(125, 185), Qt::white)) << "outside the ellipse";
    EXPECT_TRUE(near(page1.pixelColor(200, 50), Qt::white));
    EXPECT_TRUE(near(page2.pixelColor(30, 30), QColor(0, 128, 0)));
    EXPECT_TRUE(near(page2.pixelColor(60, 220), Qt::white));
}

} // namespace
