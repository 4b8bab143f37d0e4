#include "app/DeviceSel.h"

#include "app/DataMod.h"
#include "app/DevEdit.h"
#include "app/LoadConst.h"
#include "framework/core/IniFiles.h"
#include "framework/core/SystemUtils.h"
#include "model/Data.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

TListItem* AddToListView(const TDeviceEl& device, TListView* listView) {
    TListItem* item = listView->AddItem();
    item->SetImageIndex(device.ImageIndex());
    item->SetCaption(device.Name());
    item->SetData(const_cast<TDeviceEl*>(&device));
    item->AddSubItem(device.KnownRatedPower() ? FloatToStr(device.RatedPower()) : "?",
                     const_cast<TDeviceEl*>(&device));
    item->AddSubItem(FloatToStr(device.DailyEnergy()));
    return item;
}

TfmDevSel::TfmDevSel(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmDevSel");
    SetCaption("Επιλογή Συσκευής");
    SetBounds(0, 0, 220, 360);
    Font()->SetHeight(-13);

    FormStorage = new TFormStorage(this);
    FormStorage->SetName("FormStorage");
    FormStorage->SetUseRegistry(true);
    {
        TStringList props;
        props.Add("ListView1.Columns");
        FormStorage->SetStoredProps(&props);
    }

    ToolBar1 = new TToolBar(this);
    ToolBar1->SetName("ToolBar1");
    ToolBar1->SetFlat(true);
    ToolBar1->SetButtonWidth(29);
    ToolBar1->SetButtonHeight(26);
    ToolBar1->SetShowHint(true); // the buttons have no captions: their hints name them
    if (dm) {
        ToolBar1->SetImages(dm->ieGrays);
        ToolBar1->SetHotImages(dm->ieHots);
        ToolBar1->SetDisabledImages(dm->ieDisabled);
    }
    ToolBar1->SetParent(this);
    auto addButton = [this](const std::string& name, int image, const std::string& hint) {
        auto* button = new TToolButton(this);
        button->SetName(name);
        button->SetImageIndex(image);
        button->SetHint(hint);
        button->SetParent(ToolBar1);
        return button;
    };
    tbnLarge = addButton("tbnLarge", tiLargeIcons, "Μεγάλα Εικονίδια");
    tbnList = addButton("tbnList", tiList, "Λίστα");
    sbProperties = addButton("sbProperties", tiProperties, "Ιδιότητες");
    for (TToolButton* b : {tbnLarge, tbnList}) {
        b->SetStyle(tbsCheck);
        b->SetGrouped(true);
        b->SetOnClick(TNotifyEvent(this, &TfmDevSel::tbnLargeClick, "tbnLargeClick"));
    }
    tbnLarge->SetTag(0);
    tbnList->SetTag(3);
    tbnList->SetDown(true);
    sbProperties->SetEnabled(false);
    sbProperties->SetOnClick(
        TNotifyEvent(this, &TfmDevSel::sbPropertiesClick, "sbPropertiesClick"));

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    N1 = new TMenuItem(this);
    N1->SetName("N1");
    N1->SetCaption("Τακτοποίηση Εικονιδίων");
    N1->SetOnClick(TNotifyEvent(this, &TfmDevSel::N1Click, "N1Click"));
    PopupMenu1->Items()->Add(N1);

    ListView1 = new TListView(this);
    ListView1->SetName("ListView1");
    ListView1->SetAlign(alClient);
    ListView1->SetReadOnly(true);
    ListView1->SetRowSelect(true);
    if (dm) {
        ListView1->SetLargeImages(dm->LargeImages);
        ListView1->SetSmallImages(dm->SmallImages);
    }
    ListView1->SetViewStyle(vsReport);
    ListView1->AddColumn("Συσκευή", 150);
    ListView1->AddColumn("Ισχύς", 50, taCenter);
    ListView1->AddColumn("Ημερήσια", 80);
    ListView1->SetPopupMenu(PopupMenu1);
    ListView1->SetOnChange(TLVChangeEvent(this, &TfmDevSel::ListView1Change, "ListView1Change"));
    ListView1->SetOnDblClick(
        TNotifyEvent(this, &TfmDevSel::sbPropertiesClick, "sbPropertiesClick"));
    ListView1->SetParent(this);

    SetOnCreate(TNotifyEvent(this, &TfmDevSel::FormCreate, "FormCreate"));
    SetOnClose(TCloseEvent(this, &TfmDevSel::FormClose, "FormClose"));
}

TfmDevSel::~TfmDevSel() {
    // The list view goes first: its items point at the devices (the form storage has
    // saved its columns before destruction began).
    delete ListView1;
    ListView1 = nullptr;
}

TDeviceEl* TfmDevSel::SelectedDevice() const {
    TListItem* item = ListView1->Selected();
    return item ? dynamic_cast<TDeviceEl*>(item->Data()) : nullptr;
}

std::vector<std::string> CatalogFiles(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    std::filesystem::directory_iterator it(std::filesystem::path(folder), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error))
        if (LowerCase(it->path().extension().string()) == ".idev")
            files.push_back(it->path());
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        const std::string na = a.filename().string(), nb = b.filename().string();
        const int byText = CompareText(na, nb);
        return byText != 0 ? byText < 0 : na < nb;
    });
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file.string());
    return names;
}

void TfmDevSel::FormCreate(TObject*) {
    // A device file whose numbers the model refuses is left out of the catalogue; the others
    // are listed, and the refusals are shown once the folder has been read.
    std::string refused;
    for (const std::string& file :
         CatalogFiles((std::filesystem::path(AppDir()) / "devices").string())) {
        TMemIniFile ini(file); // read once, not once per value
        std::unique_ptr<TDeviceEl> device;
        try {
            device = TDeviceEl::CreateFromCatalog(ini);
        } catch (const EInOutError& e) {
            refused += (refused.empty() ? "" : "\n") + e.Message();
            continue;
        }
        FDevices.push_back(std::move(device));
        TListItem* item = AddToListView(*FDevices.back(), ListView1);
        item->SetSubItemObject(0, FDevices.back().get());
    }
    if (!refused.empty())
        Application->ShowException(EInOutError(refused));
}

void TfmDevSel::tbnLargeClick(TObject* sender) {
    if (auto* button = dynamic_cast<TComponent*>(sender))
        ListView1->SetViewStyle(TViewStyle(button->Tag()));
}

void TfmDevSel::sbPropertiesClick(TObject*) {
    if (TDeviceEl* device = SelectedDevice()) {
        EditDevice(device);
        ListView1->Invalidate();
    }
}

void TfmDevSel::ListView1Change(TObject*, TListItem*, TItemChange) {
    sbProperties->SetEnabled(ListView1->Selected() != nullptr);
}

void TfmDevSel::FormClose(TObject*, TCloseAction&) {
    if (auto* view = dynamic_cast<TfmLoadConstr*>(Owner()))
        view->sbDevicesToogle->SetDown(false);
}

void TfmDevSel::N1Click(TObject*) {
    ListView1->Arrange(arAlignTop);
}
