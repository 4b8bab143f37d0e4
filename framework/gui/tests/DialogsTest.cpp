#include "framework/gui/Dialogs.h"
#include "framework/core/FrameworkTexts.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Printers.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        ASSERT_TRUE(Dir.isValid());
        Folder = Dir.path().toStdString();
        std::ofstream(Folder + "/existing.pow") << "x";
    }
    // The person types name and picks filter index, then presses OK.
    static void TypeName(const std::string& name, int filterIndex = 0) {
        TestKit::Dialogs().AnswerNextWith([=](const TestKit::TShownDialog& d) {
            auto* dialog = dynamic_cast<TOpenDialog*>(d.Dialog);
            dialog->SetFileName(name);
            if (filterIndex > 0)
                dialog->SetFilterIndex(filterIndex);
            return 1;
        });
    }
    QTemporaryDir Dir;
    std::string Folder;
};

TEST_F(DialogsTest, ChosenNamesAreCompletedAndTheFilterIndexReadBack) {
    struct TCase {
        const char* Typed;
        int Filter;
        const char* Expected; // relative to the folder
        bool ExtensionDifferent;
    };
    const TCase cases[] = {
        {"curve", 0, "curve.pow", false},
        {"curve.POW", 0, "curve.POW", false},
        {"table.tab", 2, "table.tab", true},
        {"sub.dir/name", 0, "sub.dir/name.pow", false},
    };
    for (const TCase& c : cases) {
        TSaveDialog dialog(nullptr);
        dialog.SetFilter("Καμπύλη Ισχύος Α/Γ|*.pow|Observed wind climate (tab)|*.tab;*.TAB");
        dialog.SetDefaultExt("pow");
        dialog.SetInitialDir(Folder);
        std::filesystem::create_directory(Folder + "/sub.dir");
        TypeName(c.Typed, c.Filter);
        ASSERT_TRUE(dialog.Execute()) << c.Typed;
        EXPECT_EQ(dialog.FileName(), Folder + "/" + c.Expected);
        EXPECT_EQ(dialog.FilterIndex(), c.Filter > 0 ? c.Filter : 1);
        EXPECT_EQ(dialog.Options().Contains(ofExtensionDifferent), c.ExtensionDifferent);
        EXPECT_EQ(dialog.Files()->Count(), 1);
    }
    TOpenDialog dialog(nullptr);
    dialog.SetFilter("Bitmap files|*.BMP|Metafile files|*.WMF|Native chart files|*.TEE");
    auto list = dialog.FilterList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].first, "Native chart files");
    EXPECT_EQ(list[2].second, "*.TEE");
    // The list shows each filter's patterns once, also where its text already names them.
    dialog.SetFilter("PDF (*.pdf)|*.pdf|Bitmaps (*.bmp;*.dib)|*.bmp;*.dib|Curves|*.pow|"
                     "Tables (tab)|*.tab");
    EXPECT_EQ(dialog.NameFilters(),
              (std::vector<std::string>{"PDF (*.pdf)", "Bitmaps (*.bmp *.dib)", "Curves (*.pow)",
                                        "Tables (tab) (*.tab)"}));
}

TEST_F(DialogsTest, ReplacingAnExistingFileNeedsConfirmation) {
    TSaveDialog dialog(nullptr);
    dialog.SetDefaultExt("pow");
    dialog.SetInitialDir(Folder);
    dialog.SetOptions({ofOverwritePrompt, ofHideReadOnly});
    // No: the dialog stays open and the person picks another name.
    TypeName("existing");
    TestKit::Dialogs().AnswerNext(IDNO);
    TypeName("fresh");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), Folder + "/fresh.pow");
    const auto& shown = TestKit::Dialogs().Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].Text, "Το " + Folder + "/existing.pow υπάρχει ήδη.\nΝα αντικατασταθεί;");
    EXPECT_EQ(shown[1].Flags & 0xF, MB_YESNO);
    // Yes replaces it.
    TypeName("existing");
    TestKit::Dialogs().AnswerNext(IDYES);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), Folder + "/existing.pow");
    // Without the option nothing is asked.
    dialog.SetOptions({});
    TestKit::Dialogs().Clear();
    TypeName("existing");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(TestKit::Dialogs().Shown().size(), 1u);
}

TEST_F(DialogsTest, OpeningAMissingFileThatMustExistIsRefused) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(Folder);
    dialog.SetDefaultExt("pow");
    dialog.SetOptions({ofFileMustExist});
    dialog.SetFileName("previous.pow");
    TypeName("missing");
    // The person then cancels the dialog.
    EXPECT_FALSE(dialog.Execute());
    ASSERT_EQ(TestKit::Dialogs().Shown().size(), 3u);
    EXPECT_EQ(
        TestKit::Dialogs().Shown()[1].Text,
        Folder +
            "/missing.pow\nΤο αρχείο δεν βρέθηκε.\nΕλέγξτε ότι δόθηκε το σωστό όνομα αρχείου.");
    TypeName("existing");
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), Folder + "/existing.pow");
}

} // namespace

namespace {

// Answers the next modal Qt dialog of type D once the event loop runs it.
template <class D> void AnswerQtDialog(std::function<void(D*)> answer) {
    QTimer::singleShot(0, [answer] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget()))
            answer(dialog);
    });
}

TEST(MessageBoxTest, AShortMessageLeavesRoomForTheWholeTitle) {
    // The random wind's message ("c=… k=…") is shorter than the program's name in the
    // frame: the box is as wide as the title needs beside the frame's icon and buttons
    // (about 24 pixels each, with margins), so the window manager does not cut it short.
    TestKit::StartTestApplication();
    SetDialogService(nullptr);
    const std::string savedTitle = Application->Title();
    Application->SetTitle("Orvanti");
    int width = 0;
    QString title;
    AnswerQtDialog<QMessageBox>([&](QMessageBox* box) {
        width = box->width();
        title = box->windowTitle();
        box->reject();
    });
    ShowMessage("c=6.484 k=1.697");
    Application->SetTitle(savedTitle);
    TestKit::StartTestApplication();
    EXPECT_EQ(title.toStdString(), "Orvanti");
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    EXPECT_GE(width, QFontMetrics(titleFont).horizontalAdvance(title) + 4 * 24 + 20);
}

TEST(CommonDialogsTest, TheColourAndFontDialogsTakeWhatThePersonChose) {
    TestKit::StartTestApplication();
    // The interactive dialogs themselves, as a person would answer them.
    TColorDialog color(nullptr);
    color.SetColor(clRed);
    AnswerQtDialog<QColorDialog>([](QColorDialog* d) {
        EXPECT_EQ(d->currentColor(), QColor(255, 0, 0));
        d->setCurrentColor(QColor(0x12, 0x34, 0x56));
        d->accept();
    });
    ASSERT_TRUE(color.ExecuteInteractive());
    EXPECT_EQ(color.Color(), RGB(0x12, 0x34, 0x56));
    AnswerQtDialog<QColorDialog>([](QColorDialog* d) {
        d->setCurrentColor(Qt::green);
        d->reject();
    });
    EXPECT_FALSE(color.ExecuteInteractive());
    EXPECT_EQ(color.Color(), RGB(0x12, 0x34, 0x56));

    TFont start;
    start.SetName("Arial");
    start.SetSize(10);
    start.SetColor(clBlue);
    TFontDialog font(nullptr);
    font.SetFont(&start);
    AnswerQtDialog<QFontDialog>([](QFontDialog* d) {
        QFont f("DejaVu Sans");
        f.setPointSize(14);
        f.setBold(true);
        f.setItalic(true);
        d->setCurrentFont(f);
        d->accept();
    });
    ASSERT_TRUE(font.ExecuteInteractive());
    EXPECT_EQ(font.Font()->Name(), "DejaVu Sans");
    EXPECT_EQ(font.Font()->Size(), 14);
    EXPECT_EQ(font.Font()->Style(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(font.Font()->Color(), clBlue); // the dialog has no colour: the font keeps its
    EXPECT_EQ(start.Size(), 10);             // a copy was edited
}

} // namespace

namespace {

class PrinterSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        TPrinter* printer = Printer();
        Pdf = printer->Printers()->IndexOf(kPdfPrinterName);
        printer->SetPrinterIndex(Pdf);
        printer->SetOrientation(poPortrait);
        printer->SetPaperName("A4");
    }
    void TearDown() override {
        Printer()->SetPaperName("A4");
        Printer()->SetOrientation(poPortrait);
    }
    int Pdf = -1;
};

TEST_F(PrinterSetupTest, TheChoicesReachThePrinterOnlyWhenAccepted) {
    TPrinterSetupDialog dialog(nullptr);
    const int portraitHeight = Printer()->PageHeight();
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        auto* setup = static_cast<TPrinterSetupDialog*>(shown.Dialog);
        EXPECT_EQ(setup->PrinterIndex(), Pdf);
        EXPECT_EQ(setup->PaperName(), "A4");
        EXPECT_EQ(setup->Orientation(), 0);
        setup->SetPaperName("A5");
        setup->SetOrientation(1);
        return 0; // cancelled
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(Printer()->PaperName(), "A4");
    EXPECT_EQ(Printer()->Orientation(), poPortrait);

    // A printer that is not in the list is refused and the dialog shows again.
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        static_cast<TPrinterSetupDialog*>(shown.Dialog)->SetPrinterIndex(99);
        return 1;
    });
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        EXPECT_EQ(shown.Kind, "MessageBox");
        EXPECT_EQ(shown.Text, "Ο επιλεγμένος εκτυπωτής δεν είναι έγκυρος");
        return IDOK;
    });
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        auto* setup = static_cast<TPrinterSetupDialog*>(shown.Dialog);
        EXPECT_EQ(setup->PrinterIndex(), Pdf); // back on the printer's own
        setup->SetPaperName("A5");
        setup->SetOrientation(1);
        return 1;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(Printer()->IsPdfPrinter());
    EXPECT_EQ(Printer()->PaperName(), "A5");
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    // Across, A5's long side (A4's short side) is the width.
    EXPECT_NEAR(Printer()->PageWidth(), Printer()->PixelsPerInchX() * 210 / 25.4, 3);
    EXPECT_LT(Printer()->PageHeight(), portraitHeight);
}

TEST_F(PrinterSetupTest, PaperSizesAreCheckedAndShapeThePage) {
    EXPECT_EQ(TPrinter::PaperNames().front(), "A4");
    struct TCase {
        const char* Paper;
        double WidthMm, HeightMm;
    };
    for (const TCase& c :
         {TCase{"A4", 210, 297}, TCase{"A3", 297, 420}, TCase{"Letter", 215.9, 279.4}}) {
        SCOPED_TRACE(c.Paper);
        Printer()->SetPaperName(c.Paper);
        const double dpi = Printer()->PixelsPerInchX();
        EXPECT_NEAR(Printer()->PageWidth(), dpi * c.WidthMm / 25.4, 3);
        EXPECT_NEAR(Printer()->PageHeight(), dpi * c.HeightMm / 25.4, 3);
    }
    try {
        Printer()->SetPaperName("A0");
        ADD_FAILURE() << "no error";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), Format(FrameworkTexts::PaperNotSupported, {"A0"}));
    }
    EXPECT_EQ(Printer()->PaperName(), "Letter");
}

TEST_F(PrinterSetupTest, TheInteractiveDialogOffersPrinterPaperAndOrientation) {
    TPrinterSetupDialog dialog(nullptr);
    dialog.BeforeExecute();
    AnswerQtDialog<QDialog>([](QDialog* d) {
        const QList<QComboBox*> combos = d->findChildren<QComboBox*>();
        ASSERT_EQ(combos.size(), 2);
        EXPECT_EQ(combos[0]->currentText().toStdString(), kPdfPrinterName);
        combos[1]->setCurrentText("Legal");
        for (QRadioButton* r : d->findChildren<QRadioButton*>())
            if (r->text() == QString::fromUtf8("Ο&ριζόντιος"))
                r->setChecked(true);
        d->accept();
    });
    ASSERT_TRUE(dialog.ExecuteInteractive());
    EXPECT_EQ(dialog.PaperName(), "Legal");
    EXPECT_EQ(dialog.Orientation(), 1);
    EXPECT_EQ(dialog.PrinterIndex(), Pdf);
}

} // namespace
