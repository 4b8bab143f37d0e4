#include "app/FormHolder.h"

#include "app/DataMod.h"
#include "app/Icons.h"
#include "app/LoadConst.h"
#include "app/Ssned.h"
#include "app/WDataEd.h"
#include "app/design.h"
#include "app/phDataEd.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/WindowSystem.h"
#include "model/Data.h"

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

    CreateNavigation();

    pnlHolder = new TPanel(this);
    pnlHolder->SetName("pnlHolder");
    pnlHolder->SetCaption("");
    pnlHolder->SetParent(this);
    pnlHolder->SetAlign(alClient);
    pnlHolder->SetBevelOuter(bvNone);

    fxStatusBar1 = new TFxStatusBar(this);
    fxStatusBar1->SetName("fxStatusBar1");
    fxStatusBar1->SetParent(this);
    fxStatusBar1->SetHeight(20);
    fxStatusBar1->SetSimplePanel(false);
    fxStatusBar1->StatusBarText()->SetCapsLock("Caps");
    fxStatusBar1->StatusBarText()->SetNumLock("Num");
    fxStatusBar1->StatusBarText()->SetScrollLock("Scroll");
    fxStatusBar1->StatusBarText()->SetOverwrite("Overwrite");

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

    FormStorage1 = new TFormStorage(this);
    FormStorage1->SetName("FormStorage1");
    FormStorage1->SetUseRegistry(true);

    SetOnCreate(TNotifyEvent(this, &TfmHolder::FormCreate, "FormCreate"));
    SetOnShow(TNotifyEvent(this, &TfmHolder::FormShow, "FormShow"));
}

void TfmHolder::CreateNavigation() {
    // The image list comes first: the view list refers to it.
    ImageList1 = new TImageList(this, 32, 32);
    ImageList1->SetName("ImageList1");
    FillViewImages(ImageList1, kViewImageCount);

    // The bar with its one page, as a form resource holds them: the page's button and
    // panel are children of the bar, paired with the page when loading ends.
    fxOutlookBar1 = new TFxOutlookBar(this);
    fxOutlookBar1->SetName("fxOutlookBar1");
    fxOutlookBar1->SetParent(this);
    fxOutlookBar1->SetAlign(alLeft);
    fxOutlookBar1->SetWidth(141);
    fxOutlookBar1->Animation()->SetEnabled(true);
    fxOutlookBar1->Animation()->SetInterval(1);
    fxOutlookBar1->Animation()->SetSteps(7);
    fxOutlookBar1->SetAutoBold(true);
    fxOutlookBar1->SetBevelOuter(bvNone);
    fxOutlookBar1->SetBorderStyle(bsSingle);
    fxOutlookBar1->SetButtonSize(20);
    fxOutlookBar1->SetButtonClassName("TFxShapeBtn");
    fxOutlookBar1->SetLayout(loVertical);
    fxOutlookBar1->SetOptions({cboAutoCreateOutlookList});
    fxOutlookBar1->SetPanelAlignment(paDynamic);
    fxOutlookBar1->SetShowButtons(true);
    fxOutlookBar1->SetTabStop(true);
    fxOutlookBar1->OutlookItems()->Add();

    // The page's button is made by its class name, as the bar names its button class (the
    // shape names of the button class are not visible here beside the chart's).
    fxOutlookBar1fxShapeBtn1 =
        dynamic_cast<TFxCustomBitBtn*>(FindClass("TFxShapeBtn")->Create(this));
    TFxCustomBitBtn* pageButton = fxOutlookBar1fxShapeBtn1;
    pageButton->SetName("fxOutlookBar1fxShapeBtn1");
    pageButton->SetParent(fxOutlookBar1);
    pageButton->SetBounds(0, 0, 137, 20);
    pageButton->SetCaption("Δεδομένα");
    pageButton->Font()->SetName("MS Sans Serif");
    pageButton->Font()->SetHeight(-13);
    pageButton->Font()->SetStyle({fsBold});
    pageButton->SetColor(clBtnFace);
    SetOrdProp(pageButton, FindPropInfo(pageButton, "DitherColor"), int64_t(clWhite));
    SetOrdProp(pageButton, FindPropInfo(pageButton, "RoundRectBias"), 25);
    pageButton->SetGroupIndex(1);
    pageButton->SetDown(true);
    pageButton->SetShadeStyle(fbsHighlight);
    pageButton->TextOptions()->SetAlignment(taCenter);
    pageButton->TextOptions()->SetVAlignment(vaVCenter);

    fxOutlookBar1Panel1 = new TFxOutlookPanel(this);
    fxOutlookBar1Panel1->SetName("fxOutlookBar1Panel1");
    fxOutlookBar1Panel1->SetParent(fxOutlookBar1);
    fxOutlookBar1Panel1->SetBounds(0, 20, 137, 337);

    fxOutlookBar1OutlookList1 = new TFxOutlookList(this);
    fxOutlookBar1OutlookList1->SetName("fxOutlookBar1OutlookList1");
    fxOutlookBar1OutlookList1->SetParent(fxOutlookBar1Panel1);
    fxOutlookBar1OutlookList1->SetAlign(alClient);
    fxOutlookBar1OutlookList1->SetBorderStyle(bsNone);
    fxOutlookBar1OutlookList1->SetClickStyle(csSelect);
    fxOutlookBar1OutlookList1->SetColor(clBtnShadow);
    fxOutlookBar1OutlookList1->Font()->SetName("MS Sans Serif");
    fxOutlookBar1OutlookList1->Font()->SetHeight(-13);
    fxOutlookBar1OutlookList1->Font()->SetColor(clWhite);
    fxOutlookBar1OutlookList1->SetHotTrackStyle(hsIconHilite);
    fxOutlookBar1OutlookList1->SetImages(ImageList1);
    fxOutlookBar1OutlookList1->SetItemHighlightColor(clBtnFace);
    fxOutlookBar1OutlookList1->SetItemHotTrackColor(clBtnShadow);
    fxOutlookBar1OutlookList1->SetItemLayout(blGlyphTop);
    fxOutlookBar1OutlookList1->SetItemShadowColor(clBtnText);
    fxOutlookBar1OutlookList1->SetItemSpacing(20);
    fxOutlookBar1OutlookList1->SetItemsWidth(0);
    fxOutlookBar1OutlookList1->SetLayout(loVertical);
    fxOutlookBar1OutlookList1->SetScrollButtonsVisible(true);
    fxOutlookBar1OutlookList1->SetScrollInterval(250);
    fxOutlookBar1OutlookList1->SetTransparent(false);
    struct TViewItem {
        int Tag;
        const char* Text;
        int ImageIndex;
    };
    static const TViewItem kViewItems[] = {
        {0, "Σχεδιασμός", 7}, {1, "Περίοδοι", 4},       {2, "Συσκευές", 8},
        {3, "Ηλιοφάνεια", 5}, {4, "Αιολ. Δυναμικό", 9},
    };
    for (const TViewItem& v : kViewItems) {
        TFxOutlookListItem* item = fxOutlookBar1OutlookList1->Items()->Add();
        item->SetTag(v.Tag);
        item->SetText(v.Text);
        item->SetImageIndex(v.ImageIndex);
        item->SetSeparation(10);
        item->SetOnClick(
            TFxCustomOutlookListItemEvent(this, &TfmHolder::itemSelected, "itemSelected"));
    }
    fxOutlookBar1OutlookList1->Items()->Items(0)->SetSelected(true);
}

TfmHolder::~TfmHolder() {
    // The docked views go first, while the tool strip they use still exists.
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
    // The view freed here and the forms inside it save their settings in one write.
    TSettingsStoreUpdate save;
    ShowFormInPanel(pnlHolder, Panel1, false, nullptr, formClass, true);
    try {
        save.Commit();
    } catch (...) {
        Application->HandleException(this);
    }
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

bool TfmHolder::CloseQuery() {
    return CloseQueryGatheringExitSave(this, [this] { return TForm::CloseQuery(); });
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
    FreeWindowsSavingOnce([] {
        delete fmHolder;
        fmHolder = nullptr;
        delete dm;
        dm = nullptr;
    });
}
