// The toolkit's own dialogs speak Greek whatever the environment's language: the real
// file dialog and input box, opened off screen, read back.

#include "framework/gui/Translations.h"

#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Printers.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

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
        FLanguage.emplace("LANGUAGE", "en");
        TestKit::StartTestApplication();
        SetDialogService(nullptr); // the real dialogs
        // The real file dialogs keep their column widths and side bar width in the toolkit's
        // own settings: here in a folder of the test run, never in the user's.
        static QTemporaryDir settingsDir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    }
    void TearDown() override {
        FLanguage.reset();
        TestKit::StartTestApplication(); // the scripted dialogs again
    }

private:
    std::optional<TScopedEnv> FLanguage;
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

// Every text a person reads on a window: its title, labels, buttons, group titles and the
// column titles of its lists.
std::vector<std::string> VisibleTexts(QWidget* window) {
    std::vector<std::string> texts{window->windowTitle().toStdString()};
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->isVisibleTo(window))
            texts.push_back(l->text().toStdString());
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->isVisibleTo(window))
            texts.push_back(b->text().toStdString());
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        texts.push_back(g->title().toStdString());
    for (QHeaderView* h : window->findChildren<QHeaderView*>())
        if (h->model() && h->orientation() == Qt::Horizontal && h->isVisibleTo(window))
            for (int i = 0; i < h->count(); ++i)
                texts.push_back(h->model()->headerData(i, Qt::Horizontal).toString().toStdString());
    return texts;
}

// The English words in a text: runs of two or more Latin letters, less those the program
// itself gave (file names, filters) and the names Greek keeps ("OK", "HTML").
std::vector<std::string> EnglishWords(const std::string& text, const std::set<std::string>& given) {
    std::vector<std::string> words;
    std::string word;
    auto flush = [&] {
        if (word.size() >= 2 && word != "OK" && word != "HTML" && !given.count(word))
            words.push_back(word);
        word.clear();
    };
    for (char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            word += c;
        else
            flush();
    }
    flush();
    return words;
}

// Reads the next modal window of the nested event loop, then closes it as Cancel would.
void ReadAndCloseNextWindow(std::vector<std::string>& texts,
                            std::function<void(QDialog*)> look = {}) {
    QTimer::singleShot(0, [&texts, look] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            texts.push_back("(no modal window)");
            return;
        }
        const std::vector<std::string> seen = VisibleTexts(dialog);
        texts.insert(texts.end(), seen.begin(), seen.end());
        if (look)
            look(dialog);
        dialog->reject();
    });
}

TEST_F(TranslationsTest, TheFrameworksOwnDialogsAndMessagesShowNoEnglish) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("μετρήσεις")));
    const std::string savedTitle = Application->Title();
    Application->SetTitle("Ορβάντι");
    std::set<std::string> given = {"pow"};
    for (const QString& part : dir.path().split(QLatin1Char('/')))
        for (const std::string& w : EnglishWords(part.toStdString(), {}))
            given.insert(w);

    std::vector<std::pair<std::string, std::vector<std::string>>> windows;
    auto walk = [&](const std::string& what, const std::function<void()>& open,
                    std::function<void(QDialog*)> look = {}) {
        std::vector<std::string> texts;
        ReadAndCloseNextWindow(texts, std::move(look));
        open();
        windows.emplace_back(what, texts);
    };

    // The file dialogs' columns and side bar left narrow by an earlier session.
    {
        TOpenDialog narrow(nullptr);
        narrow.SetInitialDir(dir.path().toStdString());
        std::vector<std::string> ignored;
        ReadAndCloseNextWindow(ignored, [](QDialog* d) {
            if (auto* tree = d->findChild<QTreeView*>(QStringLiteral("treeView")))
                for (int i = 1; i < tree->header()->count(); ++i)
                    tree->header()->resizeSection(i, 30);
            if (auto* splitter = d->findChild<QSplitter*>(QStringLiteral("splitter")))
                splitter->setSizes({40, 600});
        });
        narrow.Execute();
    }

    for (bool save : {false, true}) {
        std::unique_ptr<TOpenDialog> file(save ? new TSaveDialog(nullptr)
                                               : new TOpenDialog(nullptr));
        file->SetInitialDir(dir.path().toStdString());
        file->SetFilter("Καμπύλη ισχύος (*.pow)|*.pow");
        walk(
            save ? "save dialog" : "open dialog", [&] { file->Execute(); },
            [](QDialog* d) {
                // The Greek column titles and the folders' type fit their columns.
                auto* tree = d->findChild<QTreeView*>(QStringLiteral("treeView"));
                ASSERT_NE(tree, nullptr);
                QHeaderView* header = tree->header();
                const QFontMetrics headerFont(header->font());
                const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin);
                for (int i = 1; i < header->count(); ++i) {
                    const QString title = header->model()->headerData(i, Qt::Horizontal).toString();
                    EXPECT_GE(header->sectionSize(i), headerFont.horizontalAdvance(title) + margin)
                        << title.toStdString();
                }
                EXPECT_GE(
                    header->sectionSize(2),
                    QFontMetrics(tree->font()).horizontalAdvance(QString::fromUtf8("Φάκελος")) +
                        margin);
                // Every place of the side bar is read whole ("Υπολογιστής").
                auto* sidebar = d->findChild<QListView*>(QStringLiteral("sidebar"));
                ASSERT_NE(sidebar, nullptr);
                for (int row = 0; row < sidebar->model()->rowCount(); ++row) {
                    const QModelIndex place = sidebar->model()->index(row, 0);
                    EXPECT_GE(sidebar->viewport()->width(),
                              sidebar->sizeHintForIndex(place).width())
                        << place.data().toString().toStdString();
                }
            });
    }
    for (TMsgDlgType type : {mtWarning, mtError, mtInformation, mtConfirmation})
        walk("message " + std::to_string(int(type)), [&] {
            MessageDlg("Συνέχεια;", type,
                       {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                        mbYesToAll, mbHelp});
        });
    for (unsigned flags :
         {MB_OK, MB_OKCANCEL, MB_ABORTRETRYIGNORE, MB_YESNOCANCEL, MB_YESNO, MB_RETRYCANCEL})
        walk("message box " + std::to_string(flags),
             [&] { Application->MessageBox("Συνέχεια;", "", flags); });
    walk("input box", [&] {
        std::string value = "1";
        InputQuery("Ισχύς", "Ισχύς (W):", value);
    });
    walk("printer set-up", [&] {
        TPrinterSetupDialog setup(nullptr);
        setup.BeforeExecute();
        setup.ExecuteInteractive();
    });
    walk("colour dialog", [&] {
        TColorDialog colour(nullptr);
        colour.Execute();
    });
    walk("font dialog", [&] {
        TFontDialog font(nullptr);
        font.Execute();
    });
    // A number typed wrong reaches the default handler of errors.
    std::vector<std::string> conversion;
    ReadAndCloseNextWindow(conversion);
    try {
        StrToFloat("abc");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_NE(
        std::find(conversion.begin(), conversion.end(), "Το 'abc' δεν είναι έγκυρος αριθμός."),
        conversion.end());
    windows.emplace_back("conversion error", conversion);
    given.insert("abc");

    for (const auto& [what, texts] : windows) {
        SCOPED_TRACE(what);
        EXPECT_GT(texts.size(), 1u) << "the window was read";
        for (const std::string& text : texts)
            EXPECT_EQ(EnglishWords(text, given), std::vector<std::string>{}) << text;
    }
    Application->SetTitle(savedTitle);
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
