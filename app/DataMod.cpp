#include "app/DataMod.h"

#include "app/Icons.h"
#include "framework/core/SystemUtils.h"
#include "model/Data.h"

Tdm* dm = nullptr;

std::string FileFolder(const std::string& fileName) {
    std::string dir = ExtractFileDir(fileName);
    if (dir.empty() && !fileName.empty() && fileName.front() == '/')
        return "/";
    return dir;
}

Tdm::Tdm(TComponent* owner) : Tdm(owner, TdmVariant::Orvanti) {}

Tdm::Tdm(TComponent* owner, TdmVariant variant) : TDataModule(owner), FVariant(variant) {
    Build();
}

void Tdm::Build() {
    TLoadingBracket loading(this);
    SetName("dm");

    const int toolImages = ToolImageCount(FVariant);
    const auto toolList = [this, toolImages](const char* name, TIconStyle style) {
        auto* list = new TImageList(this, ToolImageWidth, ToolImageHeight);
        list->SetName(name);
        FillToolImages(list, toolImages, style);
        return list;
    };
    ieHots = toolList("ieHots", TIconStyle::Hot);
    ieGrays = toolList("ieGrays", TIconStyle::Gray);
    ieDisabled = toolList("ieDisabled", TIconStyle::Disabled);

    LargeImages = new TImageList(this, 32, 32);
    LargeImages->SetName("LargeImages");
    FillDeviceImages(LargeImages);
    SmallImages = new TImageList(this, 16, 16);
    SmallImages->SetName("SmallImages");
    FillDeviceImages(SmallImages);

    SelWGDlg = new TOpenDialog(this);
    SelWGDlg->SetName("SelWGDlg");
    SelWGDlg->SetDefaultExt("pow");
    SelWGDlg->SetFilter("Καμπύλη Ισχύος Α/Γ|*.pow");

    SelDevListDlg = new TOpenDialog(this);
    SelDevListDlg->SetName("SelDevListDlg");
    SelDevListDlg->SetDefaultExt("dvl");
    SelDevListDlg->SetFilter("Λίστα Συσκευών|*.dvl");

    Storage = new TFormStorage(this);
    Storage->SetName("Storage");
    Storage->SetUseRegistry(true);
    Storage->SetOptions({});
    Storage->StoredProps()->Add("SelDevListDlg.InitialDir");
    Storage->StoredProps()->Add("SelWGDlg.InitialDir");

    SetOnCreate(TNotifyEvent(this, &Tdm::dmCreate, "dmCreate"));
    SetOnDestroy(TNotifyEvent(this, &Tdm::dmDestroy, "dmDestroy"));
}

void Tdm::dmCreate(TObject*) {
    Storage->LoadFromStorage();
}

void Tdm::dmDestroy(TObject*) {
    Storage->SaveToStorage();
}

void Tdm::CheckOrvanti() const {
    if (FVariant != TdmVariant::Orvanti)
        throw EInvalidOperation("The data module has no model dialogs");
}

std::unique_ptr<TWindPwrCurve> Tdm::SelectPowerCurve() {
    CheckOrvanti();
    if (!SelWGDlg->Execute())
        return nullptr;
    // A curve that fails to load is freed here and the folder stays as it was.
    auto curve = std::make_unique<TWindPwrCurve>();
    curve->LoadFromFile(SelWGDlg->FileName());
    SelWGDlg->SetInitialDir(FileFolder(SelWGDlg->FileName()));
    return curve;
}

void Tdm::SelectDevListFile(std::string& fileName) {
    CheckOrvanti();
    fileName.clear();
    if (!SelDevListDlg->Execute())
        return;
    fileName = SelDevListDlg->FileName();
    SelDevListDlg->SetInitialDir(FileFolder(fileName));
}
