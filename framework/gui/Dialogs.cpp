#include "framework/gui/Dialogs.h"

#include "framework/gui/Forms.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & 0xF0) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Shows a Qt message box with the given buttons (text, answer) and answers the one
// pressed; closing the box gives the cancel answer.
int RunBox(const std::string& text, const std::string& caption, QMessageBox::Icon icon,
           const std::vector<std::pair<const char*, int>>& buttons, int defaultIndex,
           int cancelAnswer) {
    QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text));
    std::vector<std::pair<QPushButton*, int>> made;
    for (size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* b =
            box.addButton(QString::fromUtf8(buttons[i].first), QMessageBox::ActionRole);
        made.emplace_back(b, buttons[i].second);
        if (int(i) == defaultIndex)
            box.setDefaultButton(b);
    }
    box.exec();
    for (auto& [b, answer] : made)
        if (box.clickedButton() == b)
            return answer;
    return cancelAnswer;
}

class TQtDialogService : public TDialogService {
public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        std::vector<std::pair<const char*, int>> buttons;
        int cancel = IDCANCEL;
        switch (flags & 0xF) {
        case MB_OKCANCEL:
            buttons = {{"OK", IDOK}, {"Cancel", IDCANCEL}};
            break;
        case MB_ABORTRETRYIGNORE:
            buttons = {{"&Abort", IDABORT}, {"&Retry", IDRETRY}, {"&Ignore", IDIGNORE}};
            cancel = IDABORT;
            break;
        case MB_YESNOCANCEL:
            buttons = {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}};
            break;
        case MB_YESNO:
            buttons = {{"&Yes", IDYES}, {"&No", IDNO}};
            cancel = IDNO;
            break;
        case MB_RETRYCANCEL:
            buttons = {{"&Retry", IDRETRY}, {"Cancel", IDCANCEL}};
            break;
        default:
            buttons = {{"OK", IDOK}};
            cancel = IDOK;
            break;
        }
        int def = (flags & MB_DEFBUTTON2) ? 1 : 0;
        return RunBox(text, caption, IconOf(flags), buttons, def, cancel);
    }

    int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) override {
        static const std::pair<TMsgDlgBtn, std::pair<const char*, int>> kButtons[] = {
            {mbYes, {"&Yes", mrYes}},
            {mbNo, {"&No", mrNo}},
            {mbOK, {"OK", mrOk}},
            {mbCancel, {"Cancel", mrCancel}},
            {mbAbort, {"&Abort", mrAbort}},
            {mbRetry, {"&Retry", mrRetry}},
            {mbIgnore, {"&Ignore", mrIgnore}},
            {mbAll, {"&All", mrAll}},
            {mbNoToAll, {"N&o to All", mrNoToAll}},
            {mbYesToAll, {"Yes to &All", mrYesToAll}},
            {mbHelp, {"&Help", mrNone}},
        };
        std::vector<std::pair<const char*, int>> list;
        for (auto& [b, info] : kButtons)
            if (buttons.Contains(b))
                list.push_back(info);
        static const char* kTitles[] = {"Warning", "Error", "Information", "Confirm", ""};
        static const QMessageBox::Icon kIcons[] = {QMessageBox::Warning, QMessageBox::Critical,
                                                   QMessageBox::Information, QMessageBox::Question,
                                                   QMessageBox::NoIcon};
        std::string title = type == mtCustom ? Application->Title() : kTitles[type];
        int cancel = buttons.Contains(mbCancel) ? mrCancel : buttons.Contains(mbNo) ? mrNo : mrOk;
        return RunBox(text, title, kIcons[type], list, 0, cancel);
    }

    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override {
        bool ok = false;
        QString result = QInputDialog::getText(nullptr, QString::fromStdString(caption),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(value), &ok);
        if (ok)
            value = result.toStdString();
        return ok;
    }
};

std::unique_ptr<TDialogService>& ServiceSlot() {
    static std::unique_ptr<TDialogService> service;
    return service;
}

} // namespace

bool TCommonDialog::Execute() {
    return DialogService().ExecuteDialog(this);
}

TDialogService& DialogService() {
    auto& slot = ServiceSlot();
    if (!slot)
        slot = std::make_unique<TQtDialogService>();
    return *slot;
}

std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> service) {
    auto& slot = ServiceSlot();
    std::unique_ptr<TDialogService> old = std::move(slot);
    slot = std::move(service);
    return old;
}

void ShowMessage(const std::string& text) {
    DialogService().MessageBox(text, Application->Title(), MB_OK);
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
               int /*helpContext*/) {
    return DialogService().MessageDlg(text, type, buttons);
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    return DialogService().InputQuery(caption, prompt, value);
}

std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& defaultValue) {
    std::string value = defaultValue;
    if (!DialogService().InputQuery(caption, prompt, value))
        return defaultValue;
    return value;
}
