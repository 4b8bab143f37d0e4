#include "framework/gui/Dialogs.h"

#include "framework/gui/Forms.h"
#include "framework/gui/Printers.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QButtonGroup>
#include <QColor>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFont>
#include <QFontDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

namespace Texts = FrameworkTexts;

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

// Room the window frame takes beside the title: the window icon and the minimise,
// maximise and close buttons, with their margins.
constexpr int kTitleBarRoom = 160;

// The box sizes itself to its message; a short one ("c=6.484 k=1.697") would leave the
// frame too narrow for the title, which the window manager then cuts short. A spacer as
// wide as the title needs keeps the box at least that wide.
void MakeRoomForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid || box.windowTitle().isEmpty())
        return;
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const int need = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
    grid->addItem(new QSpacerItem(need, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
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
    MakeRoomForTitle(box);
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
            buttons = {{Texts::ButtonOK, IDOK}, {Texts::ButtonCancel, IDCANCEL}};
            break;
        case MB_ABORTRETRYIGNORE:
            buttons = {{Texts::ButtonAbort, IDABORT},
                       {Texts::ButtonRetry, IDRETRY},
                       {Texts::ButtonIgnore, IDIGNORE}};
            cancel = IDABORT;
            break;
        case MB_YESNOCANCEL:
            buttons = {{Texts::ButtonYes, IDYES},
                       {Texts::ButtonNo, IDNO},
                       {Texts::ButtonCancel, IDCANCEL}};
            break;
        case MB_YESNO:
            buttons = {{Texts::ButtonYes, IDYES}, {Texts::ButtonNo, IDNO}};
            cancel = IDNO;
            break;
        case MB_RETRYCANCEL:
            buttons = {{Texts::ButtonRetry, IDRETRY}, {Texts::ButtonCancel, IDCANCEL}};
            break;
        default:
            buttons = {{Texts::ButtonOK, IDOK}};
            cancel = IDOK;
            break;
        }
        int def = (flags & MB_DEFBUTTON2) ? 1 : 0;
        return RunBox(text, caption, IconOf(flags), buttons, def, cancel);
    }

    int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) override {
        static const std::pair<TMsgDlgBtn, std::pair<const char*, int>> kButtons[] = {
            {mbYes, {Texts::ButtonYes, mrYes}},
            {mbNo, {Texts::ButtonNo, mrNo}},
            {mbOK, {Texts::ButtonOK, mrOk}},
            {mbCancel, {Texts::ButtonCancel, mrCancel}},
            {mbAbort, {Texts::ButtonAbort, mrAbort}},
            {mbRetry, {Texts::ButtonRetry, mrRetry}},
            {mbIgnore, {Texts::ButtonIgnore, mrIgnore}},
            {mbAll, {Texts::ButtonAll, mrAll}},
            {mbNoToAll, {Texts::ButtonNoToAll, mrNoToAll}},
            {mbYesToAll, {Texts::ButtonYesToAll, mrYesToAll}},
            {mbHelp, {Texts::ButtonHelp, mrNone}},
        };
        std::vector<std::pair<const char*, int>> list;
        for (auto& [b, info] : kButtons)
            if (buttons.Contains(b))
                list.push_back(info);
        static const char* kTitles[] = {Texts::Warning, Texts::Error, Texts::Information,
                                        Texts::Confirm, ""};
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
    // A service that keeps giving answers the dialog refuses would never let go.
    constexpr int kMaxRounds = 20;
    BeforeExecute();
    for (int round = 0; round < kMaxRounds; ++round) {
        if (!DialogService().ExecuteDialog(this))
            return false;
        if (AcceptAnswer())
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// TOpenDialog / TSaveDialog

namespace fs = std::filesystem;

namespace {

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& p) {
    std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

// The toolkit sizes the detail view's columns for its own, shorter column titles and
// values: widen each to its Greek title ("Ημερομηνία τροποποίησης") and the type column to
// the folders' type ("Φάκελος"); the side bar to its places ("Υπολογιστής").
void FitFileDialogColumns(QFileDialog& dialog) {
    if (auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = tree->header();
        const QFontMetrics fm(tree->font());
        const int cellMargin = 2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 4);
        for (int i = 1; i < header->count(); ++i) {
            int need = header->sectionSizeHint(i);
            const QString type = QCoreApplication::translate("QAbstractFileIconProvider", "Folder");
            if (i == 2)
                need = std::max(need, fm.horizontalAdvance(type) + cellMargin);
            if (header->sectionSize(i) < need)
                header->resizeSection(i, need);
        }
    }
    if (auto* sidebar = dialog.findChild<QListView*>(QStringLiteral("sidebar"))) {
        QAbstractItemModel* places = sidebar->model();
        int need = 0;
        for (int row = 0; places && row < places->rowCount(); ++row)
            need = std::max(need, sidebar->sizeHintForIndex(places->index(row, 0)).width());
        need +=
            2 * sidebar->frameWidth() + sidebar->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"))) {
            QList<int> sizes = splitter->sizes();
            if (sizes.size() == 2 && sizes[0] < need) {
                sizes[1] = std::max(0, sizes[1] - (need - sizes[0]));
                sizes[0] = need;
                splitter->setSizes(sizes);
            }
        }
    }
}

} // namespace

TOpenDialog::TOpenDialog(TComponent* owner)
    : TCommonDialog(owner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::Publish(TPublisher<TOpenDialog>& p) {
    p.String("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    p.String("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    p.String("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    p.Integer("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
    p.String("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    p.String("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

void TOpenDialog::SetDefaultExt(const std::string& value) {
    // Kept without a leading point, as typed in the extension box.
    FDefaultExt = !value.empty() && value[0] == '.' ? value.substr(1) : value;
}

std::vector<std::string> TOpenDialog::NameFilters() const {
    std::vector<std::string> filters;
    for (const auto& [text, patterns] : FilterList()) {
        QString p = QString::fromStdString(patterns);
        p.replace(QLatin1Char(';'), QLatin1Char(' '));
        p = p.simplified();
        QString t = QString::fromStdString(text).trimmed();
        const qsizetype open = t.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && t.endsWith(QLatin1Char(')'))) {
            QString own = t.mid(open + 1, t.size() - open - 2);
            own.replace(QLatin1Char(';'), QLatin1Char(' '));
            if (own.simplified() == p)
                t = t.left(open).trimmed();
        }
        filters.push_back((t + QStringLiteral(" (") + p + QLatin1Char(')')).toStdString());
    }
    return filters;
}

std::vector<std::pair<std::string, std::string>> TOpenDialog::FilterList() const {
    std::vector<std::pair<std::string, std::string>> list;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t bar = FFilter.find('|', start);
        parts.push_back(FFilter.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        list.emplace_back(parts[i], parts[i + 1]);
    if (parts.size() % 2 == 1 && !parts.back().empty())
        list.emplace_back(parts.back(), parts.back());
    return list;
}

std::string TOpenDialog::CompleteName(const std::string& name) const {
    fs::path p = PathOf(name);
    if (p.is_relative()) {
        std::error_code ec;
        fs::path base = FInitialDir.empty() ? fs::current_path(ec) : PathOf(FInitialDir);
        p = base / p;
    }
    if (!FDefaultExt.empty() && !p.filename().has_extension() && !p.filename().empty()) {
        std::string withExt = Utf8Of(p) + "." + FDefaultExt;
        return withExt;
    }
    return Utf8Of(p);
}

bool TOpenDialog::AcceptAnswer() {
    std::vector<std::string> chosen;
    if (FOptions.Contains(ofAllowMultiSelect) && FFiles->Count() > 1) {
        for (int i = 0; i < FFiles->Count(); ++i)
            chosen.push_back(FFiles->Get(i));
    } else if (!FFileName.empty()) {
        chosen.push_back(FFileName);
    }
    if (chosen.empty())
        return false;
    std::string title = FTitle.empty() ? DefaultTitle() : FTitle;
    for (std::string& name : chosen) {
        name = CompleteName(name);
        fs::path p = PathOf(name);
        if (FOptions.Contains(ofPathMustExist) || FOptions.Contains(ofFileMustExist) ||
            IsSaveDialog()) {
            if (p.has_parent_path() && !Exists(p.parent_path())) {
                DialogService().MessageBox(Format(FrameworkTexts::PathNotFound, {name}), title,
                                           MB_OK | MB_ICONWARNING);
                return false;
            }
        }
        bool exists = Exists(p);
        if (!IsSaveDialog() && !exists) {
            if (FOptions.Contains(ofFileMustExist)) {
                DialogService().MessageBox(Format(FrameworkTexts::FileNotFound, {name}), title,
                                           MB_OK | MB_ICONWARNING);
                return false;
            }
            if (FOptions.Contains(ofCreatePrompt) &&
                DialogService().MessageBox(Format(FrameworkTexts::CreateFilePrompt, {name}), title,
                                           MB_YESNO | MB_ICONQUESTION) != IDYES)
                return false;
        }
        if (IsSaveDialog() && exists && FOptions.Contains(ofOverwritePrompt) &&
            DialogService().MessageBox(Format(FrameworkTexts::ReplaceFilePrompt, {name}), title,
                                       MB_YESNO | MB_ICONWARNING) != IDYES)
            return false;
    }
    FFileName = chosen.front();
    FFiles->Clear();
    for (const std::string& name : chosen)
        FFiles->Add(name);
    std::string ext = Utf8Of(PathOf(FFileName).extension());
    if (!ext.empty())
        ext = ext.substr(1);
    if (!FDefaultExt.empty() && !SameText(ext, FDefaultExt))
        FOptions.Include(ofExtensionDifferent);
    else
        FOptions.Exclude(ofExtensionDifferent);
    return true;
}

std::string TOpenDialog::DefaultTitle() const {
    return IsSaveDialog() ? FrameworkTexts::SaveAsTitle : FrameworkTexts::OpenTitle;
}

bool TOpenDialog::ExecuteInteractive() {
    std::string title = FTitle.empty() ? DefaultTitle() : FTitle;
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title),
                       QString::fromStdString(FInitialDir));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The overwrite question is asked by AcceptAnswer, after the extension is added.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(IsSaveDialog() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (IsSaveDialog())
        dialog.setFileMode(QFileDialog::AnyFile);
    else if (FOptions.Contains(ofAllowMultiSelect))
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (FOptions.Contains(ofFileMustExist))
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const std::string& filter : NameFilters())
        filters << QString::fromStdString(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        int index = std::clamp(FFilterIndex, 1, int(filters.size())) - 1;
        dialog.selectNameFilter(filters[index]);
    }
    if (!FFileName.empty())
        dialog.selectFile(QString::fromStdString(FFileName));
    FitFileDialogColumns(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return false;
    FFileName = files.first().toStdString();
    FFiles->Clear();
    for (const QString& f : files)
        FFiles->Add(f.toStdString());
    if (!filters.isEmpty())
        FFilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

TDialogService& DialogService() {
    // Every dialog is asked for through here. A press in progress ends first, as when a
    // modal window opens: the dialog takes the mouse, the pressed control never sees its
    // release, and a capture it kept would swallow the next click anywhere in its window.
    if (TControl* captured = GetCaptureControl())
        captured->Perform(WM_CANCELMODE);
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

// ---------------------------------------------------------------------------
// Common colour and font dialogs

bool TColorDialog::ExecuteInteractive() {
    const TColor rgb = ColorToRGB(FColor);
    QColorDialog dialog(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)),
                        QApplication::activeWindow());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QColor chosen = dialog.selectedColor();
    FColor = RGB(chosen.red(), chosen.green(), chosen.blue());
    return true;
}

TFontDialog::TFontDialog(TComponent* owner)
    : TCommonDialog(owner), FFont(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::ExecuteInteractive() {
    QFontDialog dialog(FFont->ToQFont(), QApplication::activeWindow());
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QFont chosen = dialog.selectedFont();
    FFont->SetName(chosen.family().toStdString());
    if (chosen.pointSize() > 0)
        FFont->SetSize(chosen.pointSize());
    TFontStyles style;
    if (chosen.bold())
        style.Include(fsBold);
    if (chosen.italic())
        style.Include(fsItalic);
    if (chosen.underline())
        style.Include(fsUnderline);
    if (chosen.strikeOut())
        style.Include(fsStrikeOut);
    FFont->SetStyle(style);
    return true;
}

// ---------------------------------------------------------------------------
// Printer set-up

void TPrinterSetupDialog::BeforeExecute() {
    TPrinter* printer = Printer();
    FPrinterIndex = printer->PrinterIndex();
    FPaperName = printer->PaperName();
    FOrientation = printer->Orientation() == poLandscape ? 1 : 0;
}

bool TPrinterSetupDialog::ExecuteInteractive() {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QString::fromUtf8(FrameworkTexts::PrintSetupTitle));
    auto* layout = new QFormLayout(&dialog);
    auto* printers = new QComboBox(&dialog);
    TStrings* names = Printer()->Printers();
    for (int i = 0; i < names->Count(); ++i)
        printers->addItem(QString::fromStdString(names->Get(i)));
    printers->setCurrentIndex(FPrinterIndex);
    layout->addRow(QString::fromUtf8(FrameworkTexts::PrinterName), printers);
    auto* papers = new QComboBox(&dialog);
    for (const std::string& paper : TPrinter::PaperNames())
        papers->addItem(QString::fromStdString(paper));
    papers->setCurrentText(QString::fromStdString(FPaperName));
    layout->addRow(QString::fromUtf8(FrameworkTexts::PaperSize), papers);
    auto* portrait = new QRadioButton(QString::fromUtf8(FrameworkTexts::Portrait), &dialog);
    auto* landscape = new QRadioButton(QString::fromUtf8(FrameworkTexts::Landscape), &dialog);
    (FOrientation == 1 ? landscape : portrait)->setChecked(true);
    layout->addRow(QString::fromUtf8(FrameworkTexts::Orientation), portrait);
    layout->addRow(QString(), landscape);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    FPrinterIndex = printers->currentIndex();
    FPaperName = papers->currentText().toStdString();
    FOrientation = landscape->isChecked() ? 1 : 0;
    return true;
}

bool TPrinterSetupDialog::AcceptAnswer() {
    TPrinter* printer = Printer();
    const std::vector<std::string> papers = TPrinter::PaperNames();
    if (FPrinterIndex < 0 || FPrinterIndex >= printer->Printers()->Count()) {
        DialogService().MessageBox(FrameworkTexts::PrinterNotValid, FrameworkTexts::PrintSetupTitle,
                                   MB_OK | MB_ICONERROR);
        BeforeExecute(); // shown again on what the printer has
        return false;
    }
    if (std::find(papers.begin(), papers.end(), FPaperName) == papers.end()) {
        DialogService().MessageBox(Format(FrameworkTexts::PaperNotSupported, {FPaperName}),
                                   FrameworkTexts::PrintSetupTitle, MB_OK | MB_ICONERROR);
        BeforeExecute();
        return false;
    }
    printer->SetPrinterIndex(FPrinterIndex);
    printer->SetPaperName(FPaperName);
    printer->SetOrientation(FOrientation == 1 ? poLandscape : poPortrait);
    return true;
}
