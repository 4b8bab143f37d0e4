#include "app/FormHolder.h"

#include "app/DataMod.h"
#include "app/Icons.h"
#include "app/LoadConst.h"
#include "app/Ssned.h"
#include "app/WDataEd.h"
#include "app/design.h"
#include "app/phDataEd.h"
#include "framework/core/SysUtils.h"
#include "framework/gui/ComCtrls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/WindowSystem.h"
#include "model/Data.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

// Posted to the main window once it is shown: report default files that failed to load.
constexpr UINT kShowLoadErrors = WM_USER + 1;

constexpr int kViewImageCount = 10;

// Errors raised while the program's windows were created; reported with the default
// files' read errors once the main window is up.
std::vector<std::string> StartUpErrors;

void NoteStartUpError(const std::exception& e) {
    StartUpErrors.push_back(e.what());
}

} // namespace

// The five views of the main window, by the view list's Tag.
const std::array<TFormClass, ViewCount> ViewClasses = {
    TfmDesign::StaticClass(),     // "Σχεδιασμός"
    TfmSsnEd::StaticClass(),      // "Περίοδοι"
    TfmLoadConstr::StaticClass(), // "Συσκευές"
    TfmPhDataEd::StaticClass(),   // "Ηλιοφάνεια"
    TfmWDataEd::StaticClass(),    // "Αιολ. Δυναμικό"
};

TfmHolder* fmHolder = nullptr;

// ---------------------------------------------------------------------------

TfmHolder::TfmHolder(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmHolder");
    SetCaption("Orvanti");
    SetBounds(192, 107, 696, 480);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetCaption("");
    Panel1->SetParent(this);
    Panel1->SetAlign(alTop);
    Panel1->SetHeight(53);
    Panel1->SetBevelOuter(bvNone);

    pnlHolder = new TPanel(this);
    pnlHolder->SetName("pnlHolder");
    pnlHolder->SetCaption("");
    pnlHolder->SetParent(this);
    pnlHolder->SetAlign(alClient);
    pnlHolder->SetBevelOuter(bvNone);

    MainMenu1 = new TMainMenu(this);
    MainMenu1->SetName("MainMenu1");
    const auto item = [this](TMenuItem* parent, const char* name, const char* caption) {
        auto* mi = new TMenuItem(this);
        mi->SetName(name);
        mi->SetCaption(caption);
        parent->Add(mi);
        return mi;
    };
    miFile = item(MainMenu1->Items(), "miFile", "Αρχείο");
    miOpen = item(miFile, "miOpen", "Ανοιγμα");
    miSave = item(miFile, "miSave", "Αποθήκευση");
    miSep = item(miFile, "N1", "-");
    miExit = item(miFile, "miExit", "Εξοδος");
    miExit->SetOnClick(TNotifyEvent(this, &TfmHolder::miExitClick, "miExitClick"));
    SetMenu(MainMenu1);

    ImageList1 = new TImageList(this, 32, 32);
    ImageList1->SetName("ImageList1");
    FillViewImages(ImageList1, kViewImageCount);

    FormStorage1 = new TFormStorage(this);
    FormStorage1->SetName("FormStorage1");
    FormStorage1->SetUseRegistry(true);

    SetOnCreate(TNotifyEvent(this, &TfmHolder::FormCreate, "FormCreate"));
    SetOnShow(TNotifyEvent(this, &TfmHolder::FormShow, "FormShow"));
}

TfmHolder::~TfmHolder() {
    // The placement is saved from OnDestroy when no close saved it; the docked views go
    // first, while the tool strip they use still exists.
    BeforeDestruction();
    pnlHolder->DestroyComponents();
    if (fmHolder == this)
        fmHolder = nullptr;
}

void TfmHolder::FormCreate(TObject*) {
    // A first view that fails to open is reported once the window is up; the main window
    // opens all the same.
    try {
        ShowView(0);
    } catch (const std::exception& e) {
        NoteStartUpError(e);
    }
}

void TfmHolder::FormShow(TObject*) {
    if (!FLoadErrorsShown && (!DefaultLoadErrors.empty() || !StartUpErrors.empty()))
        PostMessage(Handle(), kShowLoadErrors);
}

void TfmHolder::HandleMessage(TMessage& message) {
    if (message.Msg == kShowLoadErrors) {
        if (!FLoadErrorsShown && (!DefaultLoadErrors.empty() || !StartUpErrors.empty())) {
            FLoadErrorsShown = true;
            std::string text;
            for (const auto* lines : {&DefaultLoadErrors, &StartUpErrors})
                for (const std::string& line : *lines)
                    text += (text.empty() ? "" : "\n") + line;
            MessageDlg(text, mtError, {mbOK});
        }
        return;
    }
    TForm::HandleMessage(message);
}

void TfmHolder::ShowView(TFormClass formClass) {
    ShowFormInPanel(pnlHolder, Panel1, false, nullptr, formClass, true);
}

void TfmHolder::ShowView(int index) {
    if (index < 0 || index >= ViewCount || !ViewClasses[size_t(index)])
        return;
    ShowView(ViewClasses[size_t(index)]);
}

TCustomForm* TfmHolder::CurrentView() const {
    for (int i = 0; i < pnlHolder->ComponentCount(); ++i) {
        auto* form = dynamic_cast<TCustomForm*>(pnlHolder->Components(i));
        if (!form)
            continue;
        for (TFormClass view : ViewClasses)
            if (view && form->ClassType() == view)
                return form;
    }
    return nullptr;
}

void TfmHolder::itemSelected(TObject*, TObject* item) {
    if (!item)
        return;
    int tag = -1;
    if (auto* component = dynamic_cast<TComponent*>(item))
        tag = component->Tag();
    else if (PPropInfo prop = FindPropInfo(item, "Tag"))
        tag = int(GetOrdProp(item, prop));
    ShowView(tag);
}

void TfmHolder::miExitClick(TObject*) {
    Close();
}

bool TfmHolder::IsShortCut(TMessage& message) {
    // The window's own menu and actions first; a key they take reaches no docked form.
    if (TForm::IsShortCut(message))
        return true;
    for (int i = 0; i < pnlHolder->ComponentCount(); ++i)
        if (auto* form = dynamic_cast<TCustomForm*>(pnlHolder->Components(i)))
            if (form->IsShortCut(message))
                return true;
    return false;
}

// ---------------------------------------------------------------------------

TCustomForm* ShowFormInPanel(TWinControl* host, TWinControl* toolHost, bool bordered,
                             const TFormInitProc& initProc, TFormClass formClass,
                             bool closeOthers) {
    if (!host || !formClass)
        return nullptr;
    // A form of the class is already shown here: nothing at all happens.
    for (int i = 0; i < host->ComponentCount(); ++i)
        if (SameText(host->Components(i)->ClassName(), formClass->Name()))
            return nullptr;

    std::unique_ptr<TObject> created(formClass->Create(host));
    auto* form = dynamic_cast<TCustomForm*>(created.get());
    if (!form)
        throw EInvalidOperation(Format("%s is not a form class", {formClass->Name()}));
    form->AfterConstruction();
    if (initProc)
        initProc(form);
    form->SetAlign(alClient);
    if (toolHost)
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* coolBar = dynamic_cast<TCoolBar*>(form->Components(i)))
                coolBar->SetParent(toolHost);
    form->SetBorderIcons({});
    if (!bordered)
        form->SetBorderStyle(bsNone);
    form->SetParent(host);
    form->SetVisible(true);
    created.release();

    if (closeOthers) {
        std::vector<TComponent*> others;
        for (int i = 0; i < host->ComponentCount(); ++i)
            if (host->Components(i) != form)
                others.push_back(host->Components(i));
        // Freeing one may free another that it owns or watches: free only those still here.
        for (TComponent* other : others) {
            bool owned = false;
            for (int i = 0; i < host->ComponentCount() && !owned; ++i)
                owned = host->Components(i) == other;
            if (owned)
                delete other;
        }
    }
    return form;
}

namespace {

// Watches the paint events of one window and its children; lives as a child of the
// window, so it goes with it.
class TFirstPaintWatch : public QObject {
public:
    TFirstPaintWatch(QWidget* window, std::function<void()> action)
        : QObject(window), FWindow(window), FAction(std::move(action)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && FAction) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->window() == FWindow) {
                auto action = std::move(FAction);
                FAction = nullptr;
                action();
            }
        }
        return false;
    }

private:
    QWidget* FWindow;
    std::function<void()> FAction;
};

} // namespace

void WhenFirstPainted(TCustomForm* form, std::function<void()> action) {
    QWidget* window = form->Widget();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(
            new TFirstPaintWatch(window, std::move(action)));
}

void CreateProgramWindows() {
    StartUpErrors.clear();
    try {
        Application->CreateForm(dm);
        Application->CreateForm(fmHolder);
    } catch (const std::exception& e) {
        // Without its data module or main window the program cannot go on: it says why.
        NoteStartUpError(e);
        delete fmHolder;
        fmHolder = nullptr;
        std::string text;
        for (const auto* lines : {&DefaultLoadErrors, &StartUpErrors})
            for (const std::string& line : *lines)
                text += (text.empty() ? "" : "\n") + line;
        MessageDlg(text, mtError, {mbOK});
    }
}

void FreeProgramWindows() {
    delete fmHolder;
    fmHolder = nullptr;
    delete dm;
    dm = nullptr;
}

// ---------------------------------------------------------------------------

bool InputReal(const std::string& prompt, double& value) {
    std::string text = FloatToStr(value);
    if (!InputQuery("Εισαγωγή", prompt, text))
        return false;
    value = StrToFloat(text);
    return true;
}

void DrawCellCentered(TCanvas* canvas, const TRect& rect, const std::string& text) {
    // Integer division toward zero, as the cell's left edge is the reference.
    const int x = rect.Left + (rect.Right - rect.Left - canvas->TextWidth(text)) / 2;
    canvas->TextRect(rect, x, rect.Top + 2, text);
}

void DrawCellLeft(TCanvas* canvas, const TRect& rect, const std::string& text) {
    canvas->TextRect(rect, rect.Left + 2, rect.Top + 2, text);
}

namespace {

// The extension of a filter's only pattern: its last three characters.
std::string FilterExt(const std::string& filter) {
    return filter.size() >= 3 ? filter.substr(filter.size() - 3) : filter;
}

template <class TDialog>
void RunFileDialog(const std::string& filter, const std::string& fileName,
                   const std::string& initialDir, std::string& result) {
    std::unique_ptr<TDialog> dialog(new TDialog(Application));
    dialog->SetFilter(filter);
    dialog->SetFileName(fileName);
    dialog->SetDefaultExt(FilterExt(filter));
    dialog->SetInitialDir(initialDir);
    result = dialog->Execute() ? dialog->FileName() : std::string();
}

} // namespace

void SelectOpenFile(const std::string& filter, const std::string& fileName, std::string& result) {
    std::string dir = DirList ? DirList->Values(filter) : std::string();
    if (dir.empty())
        dir = AppDir();
    RunFileDialog<TOpenDialog>(filter, fileName, dir, result);
    if (!result.empty() && DirList)
        DirList->SetValues(filter, FileFolder(result));
}

void SelectSaveFile(const std::string& filter, const std::string& fileName, std::string& result) {
    RunFileDialog<TSaveDialog>(filter, fileName, AppDir(), result);
}
