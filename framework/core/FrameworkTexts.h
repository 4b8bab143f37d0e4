#pragma once
// The texts the framework shows by itself (conversion errors, message box titles and
// buttons, the titles and questions of the file dialogs, the printer set-up dialog), in
// Greek like the rest of the interface. One place for all of them: the message texts take
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

} // namespace FrameworkTexts
