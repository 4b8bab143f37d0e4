#pragma once
// The texts the framework shows by itself (conversion errors, message box titles and
// buttons, the titles and questions of the file dialogs, the printer set-up dialog), in
// Greek like the rest of the interface, and the messages of files that cannot be read or
// written, of pictures and of printing. One place for all of them: the message texts take
// their arguments through Format.

namespace FrameworkTexts {

// Conversions (the argument is the text that was given).
inline constexpr const char* InvalidFloat = "Το '%s' δεν είναι έγκυρος αριθμός";
inline constexpr const char* InvalidInteger = "Το '%s' δεν είναι έγκυρος ακέραιος αριθμός";
inline constexpr const char* InvalidDate = "Το '%s' δεν είναι έγκυρη ημερομηνία";
inline constexpr const char* InvalidTime = "Το '%s' δεν είναι έγκυρη ώρα";
inline constexpr const char* InvalidDateTime = "Το '%s' δεν είναι έγκυρη ημερομηνία και ώρα";

// An error that carries no message of its own.
inline constexpr const char* UnknownError = "Άγνωστο σφάλμα";

// Message box titles, by kind.
inline constexpr const char* Warning = "Προειδοποίηση";
inline constexpr const char* Error = "Σφάλμα";
inline constexpr const char* Information = "Πληροφορίες";
inline constexpr const char* Confirm = "Επιβεβαίωση";

// Message box buttons ("&" marks the access key).
inline constexpr const char* ButtonOK = "OK";
inline constexpr const char* ButtonCancel = "Άκυρο";
inline constexpr const char* ButtonYes = "&Ναι";
inline constexpr const char* ButtonNo = "Ό&χι";
inline constexpr const char* ButtonAbort = "&Διακοπή";
inline constexpr const char* ButtonRetry = "&Επανάληψη";
inline constexpr const char* ButtonIgnore = "&Παράβλεψη";
inline constexpr const char* ButtonAll = "Ό&λα";
inline constexpr const char* ButtonNoToAll = "Όχι σε ό&λα";
inline constexpr const char* ButtonYesToAll = "Ναι σε &όλα";
inline constexpr const char* ButtonHelp = "&Βοήθεια";

// File dialogs (the argument is the full file name).
inline constexpr const char* OpenTitle = "Άνοιγμα";
inline constexpr const char* SaveAsTitle = "Αποθήκευση ως";
inline constexpr const char* PathNotFound =
    "%s\nΗ διαδρομή δεν υπάρχει.\nΕλέγξτε ότι δόθηκε η σωστή διαδρομή.";
inline constexpr const char* FileNotFound =
    "%s\nΤο αρχείο δεν βρέθηκε.\nΕλέγξτε ότι δόθηκε το σωστό όνομα αρχείου.";
inline constexpr const char* CreateFilePrompt = "%s\nΤο αρχείο δεν υπάρχει.\nΝα δημιουργηθεί;";
inline constexpr const char* ReplaceFilePrompt = "Το %s υπάρχει ήδη.\nΝα αντικατασταθεί;";

// The printer set-up dialog.
inline constexpr const char* PrintSetupTitle = "Ρύθμιση εκτύπωσης";
inline constexpr const char* PrinterName = "Ό&νομα:";
inline constexpr const char* PaperSize = "&Μέγεθος:";
inline constexpr const char* Orientation = "Προσανατολισμός:";
inline constexpr const char* Portrait = "&Κατακόρυφος";
inline constexpr const char* Landscape = "Ο&ριζόντιος";
inline constexpr const char* PrinterNotValid = "Ο επιλεγμένος εκτυπωτής δεν είναι έγκυρος";
inline constexpr const char* PaperNotSupported = "Το μέγεθος χαρτιού %s δεν υποστηρίζεται";

// Printing.
inline constexpr const char* NotPrinting = "Ο εκτυπωτής δεν εκτυπώνει αυτή τη στιγμή";
inline constexpr const char* PrintingInProgress = "Μια εκτύπωση βρίσκεται σε εξέλιξη";

// Files that cannot be read or created: the file's name, then the reason.
inline constexpr const char* CannotOpenFile = "Το αρχείο \"%s\" δεν μπορεί να ανοιχτεί. %s";
inline constexpr const char* CannotCreateFile = "Το αρχείο \"%s\" δεν μπορεί να δημιουργηθεί. %s";
// The reasons.
inline constexpr const char* NotRegularFile = "Δεν είναι κανονικό αρχείο";
inline constexpr const char* Utf16Text =
    "Το κείμενο είναι σε κωδικοποίηση UTF-16· αποθηκεύστε το σε UTF-8";
inline constexpr const char* Utf32Text =
    "Το κείμενο είναι σε κωδικοποίηση UTF-32· αποθηκεύστε το σε UTF-8";
inline constexpr const char* FileTooLarge = "Το αρχείο είναι πολύ μεγάλο";
inline constexpr const char* FileLargerThan = "Το αρχείο είναι πολύ μεγάλο (πάνω από %s)";
inline constexpr const char* NoSuchFile = "Δεν υπάρχει τέτοιο αρχείο ή φάκελος";
inline constexpr const char* AccessDenied = "Δεν επιτρέπεται η πρόσβαση";
inline constexpr const char* NotPermitted = "Η ενέργεια δεν επιτρέπεται";
inline constexpr const char* IsFolder = "Είναι φάκελος, όχι αρχείο";
inline constexpr const char* NotFolder = "Κάποιο μέρος της διαδρομής δεν είναι φάκελος";
inline constexpr const char* LinkLoop = "Οι συμβολικοί σύνδεσμοι της διαδρομής κάνουν κύκλο";
inline constexpr const char* NameTooLong = "Το όνομα είναι πολύ μεγάλο";
inline constexpr const char* DiskFull = "Δεν υπάρχει ελεύθερος χώρος στον δίσκο";
inline constexpr const char* ReadOnlyFileSystem = "Ο δίσκος είναι μόνο για ανάγνωση";
inline constexpr const char* DeviceError = "Σφάλμα ανάγνωσης ή εγγραφής στη συσκευή";
inline constexpr const char* TooManyOpenFiles = "Υπάρχουν ήδη πάρα πολλά ανοιχτά αρχεία";
// Any other system error: its number and the system's own text.
inline constexpr const char* SystemError = "Σφάλμα συστήματος %d (%s)";
// Units of the size limits.
inline constexpr const char* Megabytes = "%d MB";
inline constexpr const char* Kilobytes = "%d KB";
inline constexpr const char* Bytes = "%d byte";

// The settings store (its file's name first).
inline constexpr const char* StoreLinkLoop =
    "Το αρχείο ρυθμίσεων %s είναι συμβολικός σύνδεσμος που οδηγεί σε κύκλο";
inline constexpr const char* StoreNotRegularFile =
    "Το αρχείο ρυθμίσεων %s δεν είναι κανονικό αρχείο";
inline constexpr const char* StoreTooLarge = "Το αρχείο ρυθμίσεων %s είναι μεγαλύτερο από %d MB";
inline constexpr const char* StoreUtf16 =
    "Το αρχείο ρυθμίσεων %s είναι κείμενο UTF-16· αποθηκεύστε το σε UTF-8";
inline constexpr const char* StoreKeysDropped =
    "Το αρχείο ρυθμίσεων %s είχε κλειδιά με υπερβολικό βάθος ή πολύ μεγάλα ονόματα· "
    "παραλείφθηκαν κατά την αποθήκευση";
// Why the store was not written (after the failed step and a colon).
inline constexpr const char* StoreNotLocked = "το αρχείο ρυθμίσεων δεν κλειδώνει: %s";
inline constexpr const char* StoreReadOnly = "το αρχείο ρυθμίσεων %s είναι μόνο για ανάγνωση";
inline constexpr const char* StoreFolderNotWritable =
    "ο φάκελος %s του αρχείου ρυθμίσεων δεν δέχεται εγγραφή";
// The failed step (the key or the value).
inline constexpr const char* KeyNotCreated = "Το κλειδί %s δεν δημιουργήθηκε";
inline constexpr const char* KeyNotDeleted = "Το κλειδί %s δεν διαγράφηκε";
inline constexpr const char* ValueNotWritten = "Η τιμή '%s' δεν αποθηκεύτηκε";
inline constexpr const char* ValueNotRead = "Η τιμή '%s' δεν διαβάστηκε";
inline constexpr const char* ValueOfOtherType = "Η τιμή '%s' είναι άλλου τύπου";

// Numbers in text files (the text read, the file, the line).
inline constexpr const char* InvalidNumberInFile =
    "Μη έγκυρος αριθμός '%s' στο αρχείο %s, γραμμή %d";
inline constexpr const char* NumberTooLongInFile =
    "Αριθμός με περισσότερους από %d χαρακτήρες '%s...' στο αρχείο %s, γραμμή %d";

// Streams of data.
inline constexpr const char* StreamReadError = "Σφάλμα ανάγνωσης δεδομένων";
inline constexpr const char* StreamWriteError = "Σφάλμα εγγραφής δεδομένων";

// Pictures.
inline constexpr const char* BitmapNotValid = "Η εικόνα δεν είναι έγκυρη";
inline constexpr const char* IconNotValid = "Το εικονίδιο δεν είναι έγκυρο";
inline constexpr const char* MetafileNotValid = "Το σχέδιο δεν είναι έγκυρο";
inline constexpr const char* InvalidGraphicFormat = "Μη έγκυρη μορφή εικόνας";
inline constexpr const char* PictureDataNotValid = "Τα δεδομένα της εικόνας δεν είναι έγκυρα";
inline constexpr const char* PictureDataTooLarge = "Τα δεδομένα της εικόνας είναι πολύ μεγάλα";
inline constexpr const char* UnknownPictureFormat = "Άγνωστη μορφή εικόνας (%s)";
inline constexpr const char* UnknownPictureExtension = "Άγνωστη κατάληξη αρχείου εικόνας (.%s)";
// The kinds of the picture open dialog (the patterns follow each).
inline constexpr const char* AllPictureFiles = "Όλες οι εικόνες";
inline constexpr const char* BitmapFiles = "Εικόνες BMP";
inline constexpr const char* PngFiles = "Εικόνες PNG";
inline constexpr const char* JpegFiles = "Εικόνες JPEG";
inline constexpr const char* GifFiles = "Εικόνες GIF";
inline constexpr const char* IconFiles = "Εικονίδια";
inline constexpr const char* EmfFiles = "Σχέδια EMF";
inline constexpr const char* WmfFiles = "Σχέδια WMF";

} // namespace FrameworkTexts
