#pragma once
// The dialog service: every message box, confirmation, input box and common dialog of
// the programs is shown through one replaceable object, so that tests answer them and
// nothing modal blocks a run without a person.

#include "framework/core/Classes.h"
#include "framework/gui/WindowSystem.h"

#include <memory>
#include <string>

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
    // Shows the dialog through the service; true when the user accepted it.
    bool Execute();
    // The interactive dialog with a person (a Qt dialog); the service's default calls it.
    virtual bool ExecuteInteractive() { return false; }
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

// The service in force (Qt dialogs by default).
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
