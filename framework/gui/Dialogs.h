#pragma once
// The dialog service: every message box, confirmation, input box and common dialog of
// the programs is shown through one replaceable object, so that tests answer them and
// nothing modal blocks a run without a person.

#include "framework/core/Classes.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/WindowSystem.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// Message box flags and answers.
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONASTERISK = 0x40;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};

// The base of the common dialogs (open, save, colour, font, printer): a component that
// shows itself through the dialog service.
class TCommonDialog : public TComponent {
    ORV_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* owner) : TComponent(owner) {}
    // Shows the dialog through the service; true when the user accepted it. A dialog
    // whose answer does not pass AcceptAnswer is shown again, as the dialog would stay
    // open.
    bool Execute();
    // Fills the dialog from the program's state before it shows (the default: nothing).
    virtual void BeforeExecute() {}
    // The interactive dialog with a person (a Qt dialog); the service's default calls it.
    virtual bool ExecuteInteractive() { return false; }
    // Checks and completes what the person chose, asking through the service where the
    // dialog would (replace an existing file?); false keeps the dialog open.
    virtual bool AcceptAnswer() { return true; }
};

// The options of the file dialogs.
enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;

// The file-open dialog. Filter is "text|patterns|text|patterns...", patterns separated
// by ";"; FilterIndex counts from 1 and tells, after the dialog, which filter was chosen.
// A name chosen without an extension gets DefaultExt; a relative name is taken in
// InitialDir.
class TOpenDialog : public TCommonDialog {
    ORV_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;
    static void Publish(TPublisher<TOpenDialog>& p);

    const std::string& DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const std::string& value);
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& value) { FFileName = value; }
    // Every file chosen (one unless ofAllowMultiSelect).
    TStrings* Files() const { return FFiles.get(); }
    const std::string& Filter() const { return FFilter; }
    void SetFilter(const std::string& value) { FFilter = value; }
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int value) { FFilterIndex = value; }
    const std::string& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const std::string& value) { FInitialDir = value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions value) { FOptions = value; }
    // The window title ("" gives the dialog's own, "Άνοιγμα" or "Αποθήκευση ως").
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value) { FTitle = value; }

    // The (text, patterns) pairs of Filter.
    std::vector<std::pair<std::string, std::string>> FilterList() const;
    // The filters as the dialog lists them: each text with its patterns in brackets,
    // separated by spaces ("Curves (*.pow)"); a text that already ends in its own patterns
    // in brackets shows them once.
    std::vector<std::string> NameFilters() const;

    bool ExecuteInteractive() override;
    bool AcceptAnswer() override;

protected:
    virtual bool IsSaveDialog() const { return false; }
    std::string DefaultTitle() const;

private:
    std::string CompleteName(const std::string& name) const;

    std::string FDefaultExt;
    std::string FFileName;
    std::unique_ptr<TStringList> FFiles;
    std::string FFilter;
    int FFilterIndex = 1;
    std::string FInitialDir;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
    std::string FTitle;
};

// The file-save dialog: with ofOverwritePrompt an existing file is replaced only after
// the person confirms it.
class TSaveDialog : public TOpenDialog {
    ORV_CLASS(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

protected:
    bool IsSaveDialog() const override { return true; }
};

// The common colour dialog: Color is the colour it starts on and, once accepted, the
// chosen one.
class TColorDialog : public TCommonDialog {
    ORV_CLASS(TColorDialog, TCommonDialog)
public:
    explicit TColorDialog(TComponent* owner) : TCommonDialog(owner) {}

    TColor Color() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }

    bool ExecuteInteractive() override;

private:
    TColor FColor = clBlack;
};

// The common font dialog: Font is the font it starts on and, once accepted, the chosen
// one. The dialog chooses name, size and style; the font keeps its colour.
class TFontDialog : public TCommonDialog {
    ORV_CLASS(TFontDialog, TCommonDialog)
public:
    explicit TFontDialog(TComponent* owner);
    ~TFontDialog() override;

    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value) { FFont->AssignFrom(value); }

    bool ExecuteInteractive() override;

private:
    std::unique_ptr<TFont> FFont;
};

// The printer set-up dialog: starts on the program's printer, its paper and orientation;
// once accepted, the printer takes what was chosen. An index that names no printer is
// refused with FrameworkTexts::PrinterNotValid and the dialog stays open.
class TPrinterSetupDialog : public TCommonDialog {
    ORV_CLASS(TPrinterSetupDialog, TCommonDialog)
public:
    explicit TPrinterSetupDialog(TComponent* owner) : TCommonDialog(owner) {}

    int PrinterIndex() const { return FPrinterIndex; }
    void SetPrinterIndex(int value) { FPrinterIndex = value; }
    const std::string& PaperName() const { return FPaperName; }
    void SetPaperName(const std::string& value) { FPaperName = value; }
    // 0 portrait, 1 landscape (the printer's orientation).
    int Orientation() const { return FOrientation; }
    void SetOrientation(int value) { FOrientation = value; }

    void BeforeExecute() override;
    bool ExecuteInteractive() override;
    bool AcceptAnswer() override;

private:
    int FPrinterIndex = -1;
    std::string FPaperName;
    int FOrientation = 0;
};

// What the programs ask of a person. A replacement answers without showing anything.
class TDialogService {
public:
    virtual ~TDialogService() = default;
    // A message box: the flags choose buttons and icon; answers IDOK, IDYES, ...
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // The class library's message dialog; answers mrOk, mrYes, ... (Forms.h).
    virtual int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;
    // An input box: true with the edited value on OK, false (value untouched) on Cancel.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
    // A common dialog; the default shows it interactively.
    virtual bool ExecuteDialog(TCommonDialog* dialog) { return dialog->ExecuteInteractive(); }
};

// The service in force (Qt dialogs by default). A mouse capture held by a control ends
// here, as a dialog is about to take the mouse.
TDialogService& DialogService();
// Installs a service (nullptr restores the default); answers the one replaced.
std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> service);

// The usual entry points, all through the service. Captions default to the application's
// title.
void ShowMessage(const std::string& text);
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
               int helpContext = 0);
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& defaultValue);
