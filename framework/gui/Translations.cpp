#include "framework/gui/Translations.h"

#include "framework/core/FrameworkTexts.h"

#include <QCoreApplication>
#include <QHash>
#include <QTranslator>

namespace {

struct TText {
    const char* Context;
    const char* Source;
    const char* Greek;
};

// The toolkit's texts, by context and source text, as its dialogs show them.
constexpr TText kTexts[] = {
    // Standard buttons (input box, button boxes).
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Cancel", FrameworkTexts::ButtonCancel},
    {"QPlatformTheme", "Open", "Άνοιγμα"},
    {"QPlatformTheme", "Save", "Αποθήκευση"},
    {"QPlatformTheme", "Save All", "Αποθήκευση όλων"},
    {"QPlatformTheme", "&Yes", FrameworkTexts::ButtonYes},
    {"QPlatformTheme", "Yes to &All", FrameworkTexts::ButtonYesToAll},
    {"QPlatformTheme", "&No", FrameworkTexts::ButtonNo},
    {"QPlatformTheme", "N&o to All", FrameworkTexts::ButtonNoToAll},
    {"QPlatformTheme", "Abort", "Διακοπή"},
    {"QPlatformTheme", "Retry", "Επανάληψη"},
    {"QPlatformTheme", "Ignore", "Παράβλεψη"},
    {"QPlatformTheme", "Close", "Κλείσιμο"},
    {"QPlatformTheme", "Discard", "Απόρριψη"},
    {"QPlatformTheme", "Help", "Βοήθεια"},
    {"QPlatformTheme", "Apply", "Εφαρμογή"},
    {"QPlatformTheme", "Reset", "Επαναφορά"},
    {"QPlatformTheme", "Restore Defaults", "Επαναφορά προεπιλογών"},
    // The file dialog.
    {"QFileDialog", "Look in:", "Αναζήτηση σε:"},
    {"QFileDialog", "File &name:", "Ό&νομα αρχείου:"},
    {"QFileDialog", "File name:", "Όνομα αρχείου:"},
    {"QFileDialog", "Files of type:", "Αρχεία τύπου:"},
    {"QFileDialog", "&Open", "Ά&νοιγμα"},
    {"QFileDialog", "&Save", "Απο&θήκευση"},
    {"QFileDialog", "&Choose", "&Επιλογή"},
    {"QFileDialog", "Open", FrameworkTexts::OpenTitle},
    {"QFileDialog", "Save As", FrameworkTexts::SaveAsTitle},
    {"QFileDialog", "Directory:", "Φάκελος:"},
    {"QFileDialog", "Back", "Πίσω"},
    {"QFileDialog", "Go back", "Μετάβαση πίσω"},
    {"QFileDialog", "Forward", "Εμπρός"},
    {"QFileDialog", "Go forward", "Μετάβαση εμπρός"},
    {"QFileDialog", "Parent Directory", "Γονικός φάκελος"},
    {"QFileDialog", "Go to the parent directory", "Μετάβαση στον γονικό φάκελο"},
    {"QFileDialog", "Create New Folder", "Δημιουργία νέου φακέλου"},
    {"QFileDialog", "Create a New Folder", "Δημιουργία νέου φακέλου"},
    {"QFileDialog", "List View", "Λίστα"},
    {"QFileDialog", "Change to list view mode", "Προβολή λίστας"},
    {"QFileDialog", "Detail View", "Λεπτομέρειες"},
    {"QFileDialog", "Change to detail view mode", "Προβολή λεπτομερειών"},
    {"QFileDialog", "Sidebar", "Πλευρική στήλη"},
    {"QFileDialog", "List of places and bookmarks", "Θέσεις και σελιδοδείκτες"},
    {"QFileDialog", "Files", "Αρχεία"},
    {"QFileDialog", "All Files (*)", "Όλα τα αρχεία (*)"},
    {"QFileDialog", "Recent Places", "Πρόσφατες θέσεις"},
    {"QFileDialog", "&Rename", "&Μετονομασία"},
    {"QFileDialog", "&Delete", "&Διαγραφή"},
    {"QFileDialog", "Delete", "Διαγραφή"},
    {"QFileDialog", "Show &hidden files", "Εμφάνιση &κρυφών αρχείων"},
    {"QFileDialog", "&New Folder", "&Νέος φάκελος"},
    {"QFileDialog", "New Folder", "Νέος φάκελος"},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Να διαγραφεί το '%1';"},
    {"QFileDialog", "Could not delete directory.", "Ο φάκελος δεν διαγράφηκε."},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
     "Το %1 υπάρχει ήδη.\nΝα αντικατασταθεί;"},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nΤο αρχείο δεν βρέθηκε.\nΕλέγξτε ότι δόθηκε το σωστό όνομα αρχείου."},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nΟ φάκελος δεν βρέθηκε.\nΕλέγξτε ότι δόθηκε το σωστό όνομα φακέλου."},
    {"QFileSystemModel", "Name", "Όνομα"},
    {"QFileSystemModel", "Size", "Μέγεθος"},
    {"QFileSystemModel", "Type", "Τύπος"},
    {"QFileSystemModel", "Date Modified", "Ημερομηνία τροποποίησης"},
    {"QFileSystemModel", "Computer", "Υπολογιστής"},
    {"QFileSystemModel", "My Computer", "Ο Υπολογιστής μου"},
    {"QAbstractFileIconProvider", "Folder", "Φάκελος"},
    {"QAbstractFileIconProvider", "Drive", "Μονάδα δίσκου"},
    {"QAbstractFileIconProvider", "File", "Αρχείο"},
    // The edit boxes' context menu.
    {"QLineEdit", "&Undo", "&Αναίρεση"},
    {"QLineEdit", "&Redo", "Ακύρωση α&ναίρεσης"},
    {"QLineEdit", "Cu&t", "Απο&κοπή"},
    {"QLineEdit", "&Copy", "Αντι&γραφή"},
    {"QLineEdit", "&Paste", "Επι&κόλληση"},
    {"QLineEdit", "Delete", "Διαγραφή"},
    {"QLineEdit", "Select All", "Επιλογή όλων"},
    // The colour dialog.
    {"QColorDialog", "Select Color", "Επιλογή χρώματος"},
    {"QColorDialog", "Hu&e:", "Α&πόχρωση:"},
    {"QColorDialog", "&Sat:", "&Κορεσμός:"},
    {"QColorDialog", "&Val:", "&Τιμή:"},
    {"QColorDialog", "&Red:", "&Κόκκινο:"},
    {"QColorDialog", "&Green:", "&Πράσινο:"},
    {"QColorDialog", "Bl&ue:", "&Μπλε:"},
    {"QColorDialog", "A&lpha channel:", "Κανάλι ά&λφα:"},
    {"QColorDialog", "&Basic colors", "&Βασικά χρώματα"},
    {"QColorDialog", "&Custom colors", "Π&ροσαρμοσμένα χρώματα"},
    {"QColorDialog", "&Add to Custom Colors", "Προσ&θήκη στα προσαρμοσμένα χρώματα"},
    {"QColorDialog", "&Pick Screen Color", "Επιλογή χρώματος από την &οθόνη"},
    // The font dialog.
    {"QFontDialog", "Select Font", "Επιλογή γραμματοσειράς"},
    {"QFontDialog", "&Font", "&Γραμματοσειρά"},
    {"QFontDialog", "Font st&yle", "Σ&τυλ γραμματοσειράς"},
    {"QFontDialog", "&Size", "&Μέγεθος"},
    {"QFontDialog", "Effects", "Εφέ"},
    {"QFontDialog", "Stri&keout", "Δια&γράμμιση"},
    {"QFontDialog", "&Underline", "&Υπογράμμιση"},
    {"QFontDialog", "Sample", "Δείγμα"},
    {"QFontDialog", "Wr&iting System", "Σύστημα &γραφής"},
};

QString Key(const QString& context, const QString& source) {
    return context + QChar(0) + source;
}

const QHash<QString, QString>& Table() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        for (const TText& text : kTexts)
            t.insert(Key(QString::fromUtf8(text.Context), QString::fromUtf8(text.Source)),
                     QString::fromUtf8(text.Greek));
        return t;
    }();
    return table;
}

// Answers the table's Greek; an empty answer lets the toolkit keep its own text.
class TToolkitTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        if (!context || !sourceText)
            return {};
        return Table().value(Key(QString::fromUtf8(context), QString::fromUtf8(sourceText)));
    }
};

} // namespace

void InstallToolkitTranslations() {
    static bool installed = false;
    if (installed || !QCoreApplication::instance())
        return;
    installed = true;
    QCoreApplication::installTranslator(new TToolkitTranslator(QCoreApplication::instance()));
}

std::string ToolkitTranslation(const std::string& context, const std::string& source) {
    return Table()
        .value(Key(QString::fromStdString(context), QString::fromStdString(source)))
        .toStdString();
}
