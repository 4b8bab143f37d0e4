#include "framework/gui/Printers.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/Registry.h"
#include "framework/core/TextFiles.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Graphics.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cerrno>
#include <unistd.h>

namespace {

// The PDF printer's resolution: fine enough for print, small enough for quick pages.
constexpr int kPdfResolution = 300;

struct TPaper {
    const char* Name;
    QPageSize::PageSizeId Id;
};
constexpr TPaper kPapers[] = {
    {"A4", QPageSize::A4},
    {"A3", QPageSize::A3},
    {"A5", QPageSize::A5},
    {"B5", QPageSize::B5},
    {"Letter", QPageSize::Letter},
    {"Legal", QPageSize::Legal},
    {"Executive", QPageSize::Executive},
};

QPageSize PageSizeOf(const std::string& name) {
    for (const TPaper& paper : kPapers)
        if (name == paper.Name)
            return QPageSize(paper.Id);
    return QPageSize(QPageSize::A4);
}

// Why a PDF file could not be made: its folder is missing or closed to writing, or the
// file itself cannot be written.
std::string PdfRefusal(const std::string& file) {
    std::string dir = ExtractFileDir(file);
    if (dir.empty())
        dir = ".";
    if (access(dir.c_str(), W_OK) != 0)
        return FileErrorText(errno);
    if (QFileInfo(QString::fromStdString(file)).isDir())
        return FileErrorText(EISDIR);
    if (access(file.c_str(), F_OK) == 0 && access(file.c_str(), W_OK) != 0)
        return FileErrorText(errno);
    return FileErrorText(EACCES);
}

std::unique_ptr<TPrinter>& PrinterSlot() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}

} // namespace

TPrinter::TPrinter()
    : FPrinters(std::make_unique<TStringList>()), FCanvas(std::make_unique<TCanvas>()) {}

TPrinter::~TPrinter() {
    if (FPrinting) {
        FCanvas->AttachPainter(nullptr);
        if (FPainter)
            FPainter->end();
    }
}

void TPrinter::CheckPrinting(bool printing) const {
    if (FPrinting != printing)
        throw EPrinter(printing ? FrameworkTexts::NotPrinting : FrameworkTexts::PrintingInProgress);
}

// ---------------------------------------------------------------------------
// The list

void TPrinter::EnsureList() {
    if (FListRead)
        return;
    FListRead = true;
    FPrinters->Clear();
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        FPrinters->Add(name.toStdString());
    FPrinters->Add(kPdfPrinterName);
    if (FPrinterIndex < 0 || FPrinterIndex >= FPrinters->Count()) {
        int index = FPrinters->Count() - 1;
        QString def = QPrinterInfo::defaultPrinterName();
        for (int i = 0; !def.isEmpty() && i + 1 < FPrinters->Count(); ++i)
            if (FPrinters->Get(i) == def.toStdString())
                index = i;
        FPrinterIndex = index;
    }
}

TStrings* TPrinter::Printers() {
    EnsureList();
    return FPrinters.get();
}

void TPrinter::Refresh() {
    CheckPrinting(false);
    std::string current = FListRead ? FPrinters->Get(FPrinterIndex) : "";
    FListRead = false;
    FPrinterIndex = -1;
    EnsureList();
    if (!current.empty())
        for (int i = 0; i < FPrinters->Count(); ++i)
            if (FPrinters->Get(i) == current)
                FPrinterIndex = i;
    FDevice.reset();
}

int TPrinter::PrinterIndex() {
    EnsureList();
    return FPrinterIndex;
}

void TPrinter::SetPrinterIndex(int value) {
    CheckPrinting(false);
    EnsureList();
    if (value == -1) {
        FListRead = false;
        FPrinterIndex = -1;
        EnsureList();
    } else if (value < 0 || value >= FPrinters->Count()) {
        throw EPrinter(FrameworkTexts::PrinterNotValid);
    } else {
        FPrinterIndex = value;
    }
    FDevice.reset();
}

bool TPrinter::IsPdfPrinter() {
    EnsureList();
    return FPrinterIndex == FPrinters->Count() - 1;
}

// ---------------------------------------------------------------------------
// The device

void TPrinter::MakeDevice() {
    EnsureList();
    if (IsPdfPrinter()) {
        FDevice = std::make_unique<QPrinter>(QPrinter::HighResolution);
        FDevice->setOutputFormat(QPrinter::PdfFormat);
        FDevice->setResolution(kPdfResolution);
        FDevice->setPageSize(PageSizeOf(FPaperName));
        // A file has no unprintable border: the whole sheet is the page.
        FDevice->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        FDevice->setFullPage(true);
    } else {
        QPrinterInfo info =
            QPrinterInfo::printerInfo(QString::fromStdString(FPrinters->Get(FPrinterIndex)));
        if (info.isNull())
            throw EPrinter("There is no default printer currently selected");
        FDevice = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        FDevice->setOutputFormat(QPrinter::NativeFormat);
        FDevice->setPageSize(PageSizeOf(FPaperName));
    }
    FDevice->setPageOrientation(FOrientation == poLandscape ? QPageLayout::Landscape
                                                            : QPageLayout::Portrait);
}

QPrinter* TPrinter::Device() {
    if (!FDevice)
        MakeDevice();
    return FDevice.get();
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
    CheckPrinting(false);
    FOrientation = value;
    if (FDevice)
        FDevice->setPageOrientation(value == poLandscape ? QPageLayout::Landscape
                                                         : QPageLayout::Portrait);
}

std::vector<std::string> TPrinter::PaperNames() {
    std::vector<std::string> names;
    for (const TPaper& paper : kPapers)
        names.push_back(paper.Name);
    return names;
}

void TPrinter::SetPaperName(const std::string& value) {
    CheckPrinting(false);
    bool known = false;
    for (const TPaper& paper : kPapers)
        known = known || value == paper.Name;
    if (!known)
        throw EPrinter(Format(FrameworkTexts::PaperNotSupported, {value}));
    FPaperName = value;
    if (FDevice)
        FDevice->setPageSize(PageSizeOf(value));
}

void TPrinter::SetCopies(int value) {
    CheckPrinting(false);
    FCopies = value < 1 ? 1 : value;
}

int TPrinter::PageWidth() {
    return Device()->pageLayout().paintRectPixels(Device()->resolution()).width();
}

int TPrinter::PageHeight() {
    return Device()->pageLayout().paintRectPixels(Device()->resolution()).height();
}

int TPrinter::PixelsPerInchX() {
    return Device()->resolution();
}

int TPrinter::PixelsPerInchY() {
    return Device()->resolution();
}

std::string TPrinter::DefaultPdfFileName() const {
    QString base = QCoreApplication::applicationName();
    if (base.isEmpty())
        base = QStringLiteral("print");
    return QDir(QDir::tempPath()).filePath(base + QStringLiteral(".pdf")).toStdString();
}

namespace {

// Where this program keeps the folder it last printed PDF files to.
std::string PdfFolderKey() {
    return "Software\\" + ChangeFileExt(ExtractFileName(ParamStr0()), "") + "\\Printer";
}
constexpr const char* kPdfFolderValue = "PdfFolder";

// A file name for the title: characters no file name may hold become "_".
std::string PdfNameFor(std::string title) {
    for (char& c : title)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|' || (unsigned char)c < ' ')
            c = '_';
    while (!title.empty() && (title.back() == ' ' || title.back() == '.'))
        title.pop_back();
    if (title.empty())
        title = ChangeFileExt(ExtractFileName(ParamStr0()), "");
    if (title.empty())
        title = "print";
    return title + ".pdf";
}

} // namespace

bool TPrinter::ChoosePdfFile(const std::string& name) {
    if (!IsPdfPrinter())
        return true;
    std::string folder;
    try {
        TRegistry reg;
        if (reg.OpenKeyReadOnly("\\" + PdfFolderKey()))
            folder = reg.ReadString(kPdfFolderValue);
    } catch (const Exception&) {
        folder.clear(); // an unreadable setting only loses the folder
    }
    if (folder.empty() || !QFileInfo(QString::fromStdString(folder)).isDir())
        folder = QDir::homePath().toStdString();
    TSaveDialog dialog(nullptr);
    dialog.SetFilter("PDF (*.pdf)|*.pdf");
    dialog.SetDefaultExt("pdf");
    dialog.SetInitialDir(folder);
    dialog.SetFileName(PdfNameFor(name.empty() ? FTitle : name));
    dialog.SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofPathMustExist});
    if (!dialog.Execute() || dialog.FileName().empty())
        return false;
    std::string fileName = dialog.FileName();
    QFileInfo info(QString::fromStdString(fileName));
    if (info.isRelative())
        info.setFile(QDir(QString::fromStdString(folder)), info.filePath());
    fileName = info.absoluteFilePath().toStdString();
    FPdfFileName = fileName;
    try {
        TRegistry reg;
        if (reg.OpenKey("\\" + PdfFolderKey(), true))
            reg.WriteString(kPdfFolderValue, info.absolutePath().toStdString());
    } catch (const Exception&) {
        // The print goes on; only the folder is not remembered for next time.
    }
    return true;
}

// ---------------------------------------------------------------------------
// Printing

void TPrinter::BeginDoc() {
    CheckPrinting(false);
    QPrinter* device = Device();
    device->setDocName(QString::fromStdString(FTitle));
    device->setCopyCount(FCopies);
    std::string pdfFile;
    if (IsPdfPrinter()) {
        pdfFile = FPdfFileName.empty() ? DefaultPdfFileName() : FPdfFileName;
        device->setOutputFileName(QString::fromStdString(pdfFile));
    }
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(device)) {
        FPainter.reset();
        FDevice.reset();
        if (!pdfFile.empty())
            throw EInOutError(
                Format(FrameworkTexts::CannotCreateFile, {pdfFile, PdfRefusal(pdfFile)}));
        throw EPrinter(FrameworkTexts::PrinterNotValid);
    }
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
    FCanvas->AttachPainter(FPainter.get());
    // Fonts keep their point size on paper: measured at the printer's resolution.
    TFont* font = FCanvas->Font();
    int size = font->Size();
    font->SetPixelsPerInch(device->resolution());
    font->SetSize(size);
}

void TPrinter::EndDoc() {
    CheckPrinting(true);
    FCanvas->AttachPainter(nullptr);
    FPainter->end();
    FPainter.reset();
    FPrinting = false;
    FAborted = false;
}

void TPrinter::Abort() {
    CheckPrinting(true);
    FCanvas->AttachPainter(nullptr);
    FDevice->abort();
    FPainter->end();
    FPainter.reset();
    if (IsPdfPrinter()) {
        QString file = FDevice->outputFileName();
        if (!file.isEmpty())
            QFile::remove(file);
    }
    // An aborted device cannot be used again.
    FDevice.reset();
    FPrinting = false;
    FAborted = true;
}

void TPrinter::NewPage() {
    CheckPrinting(true);
    FDevice->newPage();
    ++FPageNumber;
}

// ---------------------------------------------------------------------------

TPrinter* Printer() {
    auto& slot = PrinterSlot();
    if (!slot)
        slot = std::make_unique<TPrinter>();
    return slot.get();
}

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer) {
    auto& slot = PrinterSlot();
    std::unique_ptr<TPrinter> old = std::move(slot);
    slot = std::move(printer);
    return old;
}
