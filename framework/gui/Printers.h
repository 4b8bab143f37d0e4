#pragma once
// The printer: the system's printers (Qt's printer list) and one PDF-file printer that is
// always there, last in the list, and is the default when the system has no printer. A
// document is begun, drawn page by page on the printer's canvas (device pixels of the
// printable area, PixelsPerInch per inch) and ended; aborting drops it (the PDF printer
// then writes no file).

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Canvas.h"

#include <memory>
#include <string>
#include <vector>

class QPainter;
class QPrinter;

// FrameworkTexts::PrintingInProgress, NotPrinting, PrinterNotValid, PaperNotSupported;
// "There is no default printer currently selected", "Operation not supported on selected
// printer".
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

enum TPrinterOrientation { poPortrait, poLandscape };

// The name the PDF-file printer has in the printer list.
constexpr const char* kPdfPrinterName = "PDF";

class TPrinter : public TObject {
    ORV_CLASS(TPrinter, TObject)
public:
    TPrinter();
    ~TPrinter() override;

    // ---- Choosing a printer
    // The printer names: the system's, then the PDF printer.
    TStrings* Printers();
    // The chosen printer's index in Printers; -1 chooses the default printer (the
    // system's default, else the PDF printer). Raises EPrinter PrinterNotValid for an index
    // out of the list and PrintingInProgress while printing.
    int PrinterIndex();
    void SetPrinterIndex(int value);
    bool IsPdfPrinter();
    // The file the PDF printer writes (default: a file in the temporary folder).
    const std::string& PdfFileName() const { return FPdfFileName; }
    void SetPdfFileName(const std::string& value) { FPdfFileName = value; }
    // With the PDF printer chosen, asks where the document goes: the save dialog of the
    // dialog service, for PDF files, proposes name (Title when empty) as the file name in
    // the folder this program last printed to; the name chosen becomes PdfFileName and its
    // folder is remembered in the settings store. False when the person cancels: nothing
    // is to be printed then. Other printers need no file: true without asking.
    bool ChoosePdfFile(const std::string& name = "");
    // Reads the system's printer list again (the chosen printer is kept by name).
    void Refresh();

    // ---- Paper
    // The paper sizes a printer may be given, by name ("A4", "A3", "A5", "B5", "Letter",
    // "Legal", "Executive").
    static std::vector<std::string> PaperNames();
    // The chosen paper (A4 at first); an unknown name raises EPrinter PaperNotSupported,
    // and PrintingInProgress while printing.
    const std::string& PaperName() const { return FPaperName; }
    void SetPaperName(const std::string& value);

    // ---- The page (of the chosen printer, in its orientation)
    TPrinterOrientation Orientation() const { return FOrientation; }
    // Raises PrintingInProgress while printing.
    void SetOrientation(TPrinterOrientation value);
    // The printable area in device pixels.
    int PageWidth();
    int PageHeight();
    int PixelsPerInchX();
    int PixelsPerInchY();
    // The document's name in the print queue (and the PDF's title).
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value) { FTitle = value; }
    int Copies() const { return FCopies; }
    void SetCopies(int value);

    // ---- Printing
    // Starts a document on page 1; raises PrintingInProgress while printing, PrinterNotValid
    // when the printer cannot print, and EInOutError CannotCreateFile (the file and why)
    // when the PDF printer cannot make its file.
    void BeginDoc();
    // Ends the document (the PDF printer writes its file); NotPrinting outside a document.
    void EndDoc();
    // Drops the document; NotPrinting outside one.
    void Abort();
    // Starts the next page; NotPrinting outside a document.
    void NewPage();
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    int PageNumber() const { return FPageNumber; }
    // The canvas on the page: device pixels of the printable area, the font measured at
    // the printer's pixels per inch. Drawing outside a document goes nowhere.
    TCanvas* Canvas() { return FCanvas.get(); }

private:
    void EnsureList();
    void CheckPrinting(bool printing) const;
    QPrinter* Device();
    void MakeDevice();
    std::string DefaultPdfFileName() const;

    std::unique_ptr<TStringList> FPrinters;
    bool FListRead = false;
    int FPrinterIndex = -1; // resolved index; -1 until the list is read
    std::unique_ptr<QPrinter> FDevice;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TCanvas> FCanvas;
    TPrinterOrientation FOrientation = poPortrait;
    std::string FPaperName = "A4";
    std::string FTitle;
    std::string FPdfFileName;
    int FCopies = 1;
    bool FPrinting = false;
    bool FAborted = false;
    int FPageNumber = 0;
};

// The program's printer.
TPrinter* Printer();
// Replaces the program's printer (nullptr: a new default one); answers the one replaced.
std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer);
