#include "framework/gui/PrintGuard.h"

TPrintDocumentGuard::TPrintDocumentGuard(TPrinter* printer) : FPrinter(printer) {
    FPrinter->BeginDoc();
}

TPrintDocumentGuard::~TPrintDocumentGuard() {
    if (FEnded)
        return;
    try {
        if (FPrinter->Printing())
            FPrinter->Abort();
        if (FPrinter->Printing())
            FPrinter->EndDoc();
    } catch (...) {
    }
}

void TPrintDocumentGuard::End() {
    FPrinter->EndDoc();
    FEnded = true;
}
