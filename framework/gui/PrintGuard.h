#pragma once
// A printer document that lasts as long as a scope: begun when the guard is made, ended
// by End, and dropped when the scope is left by an error, so a failed print never leaves
// the printer in the middle of a document.

#include "framework/gui/Printers.h"

class TPrintDocumentGuard {
public:
    // Begins the printer's document; BeginDoc's errors pass on (nothing is begun then).
    explicit TPrintDocumentGuard(TPrinter* printer);
    // Unless End succeeded: aborts the document, and ends it if it is still open. Errors
    // on the way are dropped: the error that left the scope is the one to report.
    ~TPrintDocumentGuard();
    TPrintDocumentGuard(const TPrintDocumentGuard&) = delete;
    TPrintDocumentGuard& operator=(const TPrintDocumentGuard&) = delete;

    // Ends the document (the PDF printer writes its file).
    void End();

private:
    TPrinter* FPrinter;
    bool FEnded = false;
};
