// The toolkit's own dialogs speak Greek whatever the environment's language: the real
// file dialog and input box, opened off screen, read back.

#include "framework/gui/Translations.h"

#include "framework/gui/Dialogs.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <set>
#include <string>

namespace {

struct TSeen {
    std::set<std::string> Labels;
    std::set<std::string> Buttons;
};

// Reads the texts of the next modal dialog once the event loop shows it, then cancels it.
void ReadAndCancelNextDialog(TSeen& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        for (QLabel* l : dialog->findChildren<QLabel*>())
            seen.Labels.insert(l->text().toStdString());
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            if (!b->text().isEmpty())
                seen.Buttons.insert(b->text().toStdString());
        dialog->reject();
    });
}

class TranslationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The environment asks for English; the program's dialogs stay Greek.
        setenv("LANGUAGE", "en", 1);
        TestKit::StartTestApplication();
        SetDialogService(nullptr); // the real dialogs
    }
    void TearDown() override {
        unsetenv("LANGUAGE");
        TestKit::StartTestApplication(); // the scripted dialogs again
    }
};

TEST_F(TranslationsTest, FileDialogAndInputBoxShowGreekLabelsAndButtons) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TSaveDialog save(nullptr);
    save.SetInitialDir(dir.path().toStdString());
    save.SetFilter("PDF (*.pdf)|*.pdf");
    TSeen file;
    ReadAndCancelNextDialog(file);
    EXPECT_FALSE(save.Execute());
    for (const char* label : {"Αναζήτηση σε:", "Ό&νομα αρχείου:", "Αρχεία τύπου:"})
        EXPECT_TRUE(file.Labels.count(label)) << label;
    for (const char* button : {"Απο&θήκευση", "Άκυρο"})
        EXPECT_TRUE(file.Buttons.count(button)) << button;
    EXPECT_FALSE(file.Labels.count("Look in:"));
    EXPECT_FALSE(file.Buttons.count("Cancel"));

    TOpenDialog open(nullptr);
    open.SetInitialDir(dir.path().toStdString());
    TSeen opened;
    ReadAndCancelNextDialog(opened);
    EXPECT_FALSE(open.Execute());
    EXPECT_TRUE(opened.Buttons.count("Ά&νοιγμα"));

    TSeen input;
    ReadAndCancelNextDialog(input);
    std::string value = "1";
    EXPECT_FALSE(InputQuery("Ονομαστική Ισχύς", "Ισχύς (W):", value));
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(input.Labels.count("Ισχύς (W):")) << "the program's own prompt as it is";
    EXPECT_TRUE(input.Buttons.count("OK"));
    EXPECT_TRUE(input.Buttons.count("Άκυρο"));
}

TEST_F(TranslationsTest, OnlyTheToolkitsOwnTextsAreTranslated) {
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "Άκυρο");
    EXPECT_EQ(ToolkitTranslation("QFileDialog", "Look in:"), "Αναζήτηση σε:");
    // The same words in our own windows' contexts, or texts the table lacks, stay as given.
    EXPECT_EQ(QCoreApplication::translate("TChartEditForm", "Cancel").toStdString(), "Cancel");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Unknown").toStdString(), "Unknown");
    EXPECT_EQ(ToolkitTranslation("TChartEditForm", "Delete"), "");
}

} // namespace
