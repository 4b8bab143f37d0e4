#include "persist/Placement.h"

#include "framework/core/Registry.h"
#include "framework/core/Streams.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/WindowSystem.h"
#include "persist/AppUtils.h"
#include "persist/ExProps.h"
#include "persist/GuiUtils.h"

#include <algorithm>

namespace {

const TTypeInfo kPlacementOptionType =
    MakeEnumType("TPlacementOption", {"fpState", "fpPosition", "fpActiveControl"});
const TTypeInfo kPlacementOptionsType = MakeSetType("TPlacementOptions", &kPlacementOptionType);

// Whether a control of the form can take the focus once the form shows (the form's own
// visibility does not count: the restore runs just before the form is shown).
bool CanFocusWhenShown(TWinControl* control, TCustomForm* form) {
    for (const TControl* c = control; c && c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return form->Enabled() && form->ContainsControl(control);
}

// The frame thickness of a border style (x metric; the y metric is the next one).
int FrameMetric(TFormBorderStyle style) {
    switch (style) {
    case bsSingle:
    case bsToolWindow:
        return SM_CXBORDER;
    case bsSizeable:
    case bsSizeToolWin:
        return SM_CXFRAME;
    case bsDialog:
        return SM_CXDLGFRAME;
    case bsNone:
    default:
        return -1;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// TWinMinMaxInfo

void TWinMinMaxInfo::Publish(TPublisher<TWinMinMaxInfo>& p) {
    const char* names[8] = {"MaxPosLeft",     "MaxPosTop",     "MaxSizeHeight",  "MaxSizeWidth",
                            "MaxTrackHeight", "MaxTrackWidth", "MinTrackHeight", "MinTrackWidth"};
    for (int i = 0; i < 8; ++i)
        p.IndexedInteger(names[i], i, &TWinMinMaxInfo::GetMinMaxInfo,
                         &TWinMinMaxInfo::SetMinMaxInfo)
            .Default(0);
}

int TWinMinMaxInfo::GetMinMaxInfo(int index) const {
    const TMinMaxInfo& m = FMinMaxInfo;
    switch (index) {
    case 0:
        return m.MaxPosition.X;
    case 1:
        return m.MaxPosition.Y;
    case 2:
        return m.MaxSize.Y;
    case 3:
        return m.MaxSize.X;
    case 4:
        return m.MaxTrackSize.Y;
    case 5:
        return m.MaxTrackSize.X;
    case 6:
        return m.MinTrackSize.Y;
    case 7:
        return m.MinTrackSize.X;
    default:
        return 0;
    }
}

void TWinMinMaxInfo::SetMinMaxInfo(int index, int value) {
    if (GetMinMaxInfo(index) == value)
        return;
    TMinMaxInfo& m = FMinMaxInfo;
    switch (index) {
    case 0:
        m.MaxPosition.X = value;
        break;
    case 1:
        m.MaxPosition.Y = value;
        break;
    case 2:
        m.MaxSize.Y = value;
        break;
    case 3:
        m.MaxSize.X = value;
        break;
    case 4:
        m.MaxTrackSize.Y = value;
        break;
    case 5:
        m.MaxTrackSize.X = value;
        break;
    case 6:
        m.MinTrackSize.Y = value;
        break;
    case 7:
        m.MinTrackSize.X = value;
        break;
    default:
        return;
    }
    if (FOwner)
        FOwner->MinMaxInfoChanged();
}

bool TWinMinMaxInfo::IsDefault() const {
    for (int i = 0; i < 8; ++i)
        if (GetMinMaxInfo(i) != 0)
            return false;
    return true;
}

void TWinMinMaxInfo::AssignFrom(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TWinMinMaxInfo*>(source)) {
        FMinMaxInfo = other->FMinMaxInfo;
        if (FOwner)
            FOwner->MinMaxInfoChanged();
        return;
    }
    TPersistent::AssignFrom(source);
}

// ---------------------------------------------------------------------------
// TFormPlacement

TFormPlacement::TFormPlacement(TComponent* owner)
    : TComponent(owner), FWinMinMaxInfo(std::make_unique<TWinMinMaxInfo>()) {
    RegisterExCursors();
    FWinMinMaxInfo->FOwner = this;
    FOptions = dynamic_cast<TCustomForm*>(owner) ? TPlacementOptions{fpState, fpPosition}
                                                 : TPlacementOptions{};
    FWinHook = new TExWindowHook(this);
    FWinHook->SetAfterMessage(
        THookMessageEvent(this, &TFormPlacement::HandleHookedMessage, "HandleHookedMessage"));
}

TFormPlacement::~TFormPlacement() {
    CloseStorage();
    while (!FLinks.empty())
        FLinks.back()->AttachTo(nullptr);
    // A form being freed has already dropped its part of the object: its handlers and
    // its window procedure go with it.
    if (!(Owner() && Owner()->IsDestroying())) {
        SwitchHookOff();
        UnhookFormEvents();
    }
    FWinMinMaxInfo->FOwner = nullptr;
}

void TFormPlacement::Publish(TPublisher<TFormPlacement>& p) {
    p.Bool("Active", &TFormPlacement::Active, &TFormPlacement::SetActive).Default(true);
    p.String("IniFileName", &TFormPlacement::IniFileName, &TFormPlacement::SetIniFileName)
        .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
            return !static_cast<const TFormPlacement*>(o)->FIniFileName.empty();
        }));
    p.String("IniSection", &TFormPlacement::IniSection, &TFormPlacement::SetIniSection)
        .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
            return !static_cast<const TFormPlacement*>(o)->FIniSection.empty();
        }));
    p.Class("MinMaxInfo", TWinMinMaxInfo::StaticClass(), &TFormPlacement::MinMaxInfo,
            &TFormPlacement::SetMinMaxInfo);
    p.Set("Options", &kPlacementOptionsType, &TFormPlacement::Options, &TFormPlacement::SetOptions)
        .Default(int64_t(TPlacementOptions{fpState, fpPosition}.ToInt()));
    p.Bool("PreventResize", &TFormPlacement::PreventResize, &TFormPlacement::SetPreventResize)
        .Default(false);
    p.Bool("UseRegistry", &TFormPlacement::UseRegistry, &TFormPlacement::SetUseRegistry)
        .Default(false);
    p.Event("OnSavePlacement", &TFormPlacement::OnSavePlacement,
            &TFormPlacement::SetOnSavePlacement);
    p.Event("OnRestorePlacement", &TFormPlacement::OnRestorePlacement,
            &TFormPlacement::SetOnRestorePlacement);
}

TCustomForm* TFormPlacement::Form() const {
    return dynamic_cast<TCustomForm*>(Owner());
}

std::string TFormPlacement::IniFileName() const {
    if (FIniFileName.empty() && !ComponentState().Contains(csDesigning))
        return FUseRegistry ? DefaultRegistryKeyPath() : DefaultIniFileName();
    return FIniFileName;
}

std::string TFormPlacement::IniSection() const {
    if (FIniSection.empty() && !ComponentState().Contains(csDesigning)) {
        // A form's section is the class name of the whole form, so it is taken when it is
        // used: while a base class's constructor runs (where the placement is built) the
        // form is still of that base class. Once the form is being freed only its base part
        // may be left: the name taken at its last restore or save stands then.
        if (TCustomForm* form = Form()) {
            if (!FFormClassName.empty() && (FDestroying || form->IsDestroying()))
                return FFormClassName;
            return form->ClassName();
        }
        return SectionForComponent(Owner());
    }
    return FIniSection;
}

void TFormPlacement::RememberFormClassName() {
    TCustomForm* form = Form();
    if (form && !FDestroying && !form->IsDestroying())
        FFormClassName = form->ClassName();
}

// ---- Start-up and the owner form's events

void TFormPlacement::AfterLoad() {
    const bool wasLoading = IsLoading();
    TComponent::AfterLoad();
    if (ComponentState().Contains(csDesigning))
        return;
    if (wasLoading)
        HookFormEvents();
    UpdateHookState();
}

void TFormPlacement::HookFormEvents() {
    TCustomForm* form = Form();
    if (!form || FFormEventsHooked)
        return;
    FSaveFormShow = form->OnShow();
    form->SetOnShow(TNotifyEvent(this, &TFormPlacement::ChainedFormShow, "ChainedFormShow"));
    FSaveFormCloseQuery = form->OnCloseQuery();
    form->SetOnCloseQuery(
        TCloseQueryEvent(this, &TFormPlacement::ChainedFormCloseQuery, "ChainedFormCloseQuery"));
    FSaveFormDestroy = form->OnDestroy();
    form->SetOnDestroy(
        TNotifyEvent(this, &TFormPlacement::ChainedFormDestroy, "ChainedFormDestroy"));
    FFormEventsHooked = true;
    FDefMaximize = form->BorderIcons().Contains(biMaximize);
    if (FPreventResize)
        UpdatePreventResize();
}

void TFormPlacement::UnhookFormEvents() {
    TCustomForm* form = Form();
    if (!form || !FFormEventsHooked || ComponentState().Contains(csDesigning))
        return;
    // Each handler goes back only while ours is still the form's (someone may have
    // chained in front of us meanwhile).
    if (form->OnShow() == TNotifyEvent(this, &TFormPlacement::ChainedFormShow))
        form->SetOnShow(FSaveFormShow);
    if (form->OnCloseQuery() == TCloseQueryEvent(this, &TFormPlacement::ChainedFormCloseQuery))
        form->SetOnCloseQuery(FSaveFormCloseQuery);
    if (form->OnDestroy() == TNotifyEvent(this, &TFormPlacement::ChainedFormDestroy))
        form->SetOnDestroy(FSaveFormDestroy);
    FFormEventsHooked = false;
}

void TFormPlacement::ChainedFormShow(TObject* sender) {
    if (FActive) {
        try {
            LoadFromStorage();
        } catch (...) {
            Application->HandleException(this);
        }
    }
    if (FSaveFormShow)
        FSaveFormShow(sender);
}

void TFormPlacement::ChainedFormCloseQuery(TObject* sender, bool& canClose) {
    if (FSaveFormCloseQuery)
        FSaveFormCloseQuery(sender, canClose);
    if (canClose && FActive && Form() && Form()->HandleAllocated()) {
        try {
            SaveToStorage();
        } catch (...) {
            Application->HandleException(this);
        }
    }
}

void TFormPlacement::ChainedFormDestroy(TObject* sender) {
    if (FActive && !FSaved) {
        FDestroying = true;
        try {
            SaveToStorage();
        } catch (...) {
            Application->HandleException(this);
        }
        FDestroying = false;
    }
    if (FSaveFormDestroy)
        FSaveFormDestroy(sender);
}

// ---- The window hook

void TFormPlacement::UpdateHookState() {
    if ((HasMinMaxInfo() || FPreventResize) && Form() && !ComponentState().Contains(csDesigning))
        SwitchHookOn();
    else
        SwitchHookOff();
}

void TFormPlacement::SwitchHookOn() {
    FWinHook->SetWinControl(Form());
    FWinHook->SetActive(true);
}

void TFormPlacement::SwitchHookOff() {
    if (!FWinHook)
        return;
    FWinHook->SetActive(false);
    FWinHook->SetWinControl(nullptr);
}

void TFormPlacement::HandleHookedMessage(TObject* /*sender*/, TMessage& msg, bool& /*handled*/) {
    TCustomForm* form = Form();
    if (FPreventResize && form) {
        switch (msg.Msg) {
        case WM_GETMINMAXINFO:
            if (form->HandleAllocated() && form->Visible()) {
                auto* info = reinterpret_cast<TMinMaxInfo*>(msg.LParam);
                info->MinTrackSize = TPoint(form->Width(), form->Height());
                info->MaxTrackSize = TPoint(form->Width(), form->Height());
                msg.Result = 1;
            }
            break;
        case WM_NCHITTEST:
            // The sizing borders become nowhere: the frame cannot be dragged.
            if (msg.Result >= HTLEFT && msg.Result <= HTBOTTOMRIGHT)
                msg.Result = HTNOWHERE;
            break;
        case WM_INITMENUPOPUP:
            // Our windows have no system menu whose Size and Maximize items could be
            // greyed; the popup counts as handled.
            if (HIWORD(uintptr_t(msg.LParam)) != 0)
                msg.Result = 1;
            break;
        default:
            break;
        }
    } else if (msg.Msg == WM_GETMINMAXINFO && HasMinMaxInfo()) {
        auto* info = reinterpret_cast<TMinMaxInfo*>(msg.LParam);
        const TMinMaxInfo& m = FWinMinMaxInfo->MinMaxInfo();
        auto take = [](int& field, int value) {
            if (value != 0)
                field = value;
        };
        take(info->MaxPosition.X, m.MaxPosition.X);
        take(info->MaxPosition.Y, m.MaxPosition.Y);
        take(info->MaxSize.X, m.MaxSize.X);
        take(info->MaxSize.Y, m.MaxSize.Y);
        take(info->MaxTrackSize.X, m.MaxTrackSize.X);
        take(info->MaxTrackSize.Y, m.MaxTrackSize.Y);
        take(info->MinTrackSize.X, m.MinTrackSize.X);
        take(info->MinTrackSize.Y, m.MinTrackSize.Y);
        msg.Result = 1;
    }
}

void TFormPlacement::SetPreventResize(bool value) {
    if (!Form() || value == FPreventResize)
        return;
    FPreventResize = value;
    UpdateMaxPosition();
    UpdatePreventResize();
}

void TFormPlacement::UpdatePreventResize() {
    TCustomForm* form = Form();
    if (!form || ComponentState().Contains(csDesigning))
        return;
    if (FPreventResize)
        FDefMaximize = form->BorderIcons().Contains(biMaximize);
    const bool saveActive = FActive;
    FActive = false;
    struct TRestore {
        TFormPlacement* P;
        bool Active;
        ~TRestore() { P->FActive = Active; }
    } restore{this, saveActive};
    TBorderIcons icons = form->BorderIcons();
    if (FPreventResize || !FDefMaximize || form->BorderStyle() == bsDialog)
        icons.Exclude(biMaximize);
    else
        icons.Include(biMaximize);
    form->SetBorderIcons(icons);
    if (!IsLoading())
        UpdateHookState();
}

void TFormPlacement::UpdateMaxPosition() {
    TCustomForm* form = Form();
    if (!form || !form->HandleAllocated() || IsLoading() || FPreventResize || HasMinMaxInfo())
        return;
    TWindowPlacement placement = form->GetWindowPlacement();
    if (!form->Visible())
        placement.ShowCmd = SW_HIDE;
    const int metric = FrameMetric(form->BorderStyle());
    const int fx = metric < 0 ? 0 : GetSystemMetrics(metric);
    const int fy = metric < 0 ? 0 : GetSystemMetrics(metric + 1);
    placement.MaxPosition = TPoint(-fx, -fy);
    form->SetWindowPlacement(placement);
}

void TFormPlacement::MinMaxInfoChanged() {
    UpdateMaxPosition();
    if (!IsLoading())
        UpdateHookState();
}

// ---- The store

TCustomIniFile* TFormPlacement::StorageObject() const {
    if (FUseRegistry)
        return FRegIniFile.get();
    return FIniFile.get();
}

void TFormPlacement::OpenStorage() {
    if (FRegIniFile || FIniFile)
        return;
    if (FUseRegistry)
        FRegIniFile = std::make_unique<TRegIniFile>(IniFileName());
    else
        FIniFile = std::make_unique<TIniFile>(IniFileName());
}

void TFormPlacement::CloseStorage() {
    FRegIniFile.reset();
    FIniFile.reset();
}

namespace {

// Closes a store opened here on every way out.
struct TStorageCloser {
    TFormPlacement* Placement;
    bool Opened;
    ~TStorageCloser() {
        if (Opened)
            Placement->CloseStorage();
    }
};

} // namespace

std::string TFormPlacement::ReadSectionString(const std::string& section, const std::string& ident,
                                              const std::string& def) {
    if (TCustomIniFile* store = StorageObject())
        return StorageReadString(store, section, ident, def);
    OpenStorage();
    TStorageCloser closer{this, true};
    return StorageReadString(StorageObject(), section, ident, def);
}

void TFormPlacement::WriteSectionString(const std::string& section, const std::string& ident,
                                        const std::string& value) {
    if (TCustomIniFile* store = StorageObject()) {
        StorageWriteString(store, section, ident, value);
        return;
    }
    OpenStorage();
    TStorageCloser closer{this, true};
    StorageWriteString(StorageObject(), section, ident, value);
}

std::string TFormPlacement::ReadSetting(const std::string& ident, const std::string& def) {
    return ReadSectionString(IniSection(), ident, def);
}

void TFormPlacement::WriteSetting(const std::string& ident, const std::string& value) {
    WriteSectionString(IniSection(), ident, value);
}

void TFormPlacement::AddLink(TIniLink* link) {
    FLinks.push_back(link);
}

void TFormPlacement::RemoveLink(TIniLink* link) {
    std::erase(FLinks, link);
}

void TFormPlacement::NotifyLinks(bool save) {
    for (TIniLink* link : std::vector<TIniLink*>(FLinks)) {
        if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end())
            continue;
        if (save)
            link->SignalSave();
        else
            link->SignalLoad();
    }
}

// ---- Save and restore

void TFormPlacement::SaveToStorage() {
    // A window that was never restored does not overwrite what is stored.
    if (!FRestored && FActive)
        return;
    // The placement, the stored properties and what the links and handlers save go to the
    // settings store in one write.
    TSettingsStoreUpdate update;
    RememberFormClassName();
    const bool opened = !StorageObject();
    OpenStorage();
    TStorageCloser closer{this, opened};
    StorePlacement();
    CallOnSavePlacement();
    FSaved = true;
    update.Commit();
}

void TFormPlacement::LoadFromStorage() {
    FSaved = false;
    RememberFormClassName();
    {
        const bool opened = !StorageObject();
        OpenStorage();
        TStorageCloser closer{this, opened};
        LoadPlacement();
        FRestored = true;
        CallOnRestorePlacement();
        TCustomForm* form = Form();
        if (FOptions.Contains(fpActiveControl) && form) {
            std::string name =
                StorageReadString(StorageObject(), IniSection(), "ActiveControl", "");
            auto* control =
                dynamic_cast<TWinControl*>(name.empty() ? nullptr : form->FindComponent(name));
            if (control && CanFocusWhenShown(control, form))
                form->SetActiveControl(control);
        }
    }
    UpdateMaxPosition();
}

void TFormPlacement::StorePlacement() {
    if (TCustomForm* form = Form()) {
        TCustomIniFile* store = StorageObject();
        const std::string section = IniSection();
        WriteWindowPlacement(form, store, section);
        if (FOptions.Contains(fpActiveControl) && form->ActiveControl())
            StorageWriteString(store, section, "ActiveControl", form->ActiveControl()->Name());
        StorageWriteString(store, section, "Visible", FDestroying ? "1" : "0");
    }
    NotifyLinks(true);
}

void TFormPlacement::LoadPlacement() {
    if (TCustomForm* form = Form())
        ReadWindowPlacement(form, StorageObject(), IniSection(), FOptions.Contains(fpPosition),
                            FOptions.Contains(fpState));
    NotifyLinks(false);
}

void TFormPlacement::CallOnSavePlacement() {
    if (FOnSavePlacement)
        FOnSavePlacement(this);
}

void TFormPlacement::CallOnRestorePlacement() {
    if (FOnRestorePlacement)
        FOnRestorePlacement(this);
}

// ---------------------------------------------------------------------------
// TFormStorage

TFormStorage::TFormStorage(TComponent* owner)
    : TFormPlacement(owner), FStoredProps(std::make_unique<TStringList>()) {}

TFormStorage::~TFormStorage() {
    FStoredProps.reset();
}

void TFormStorage::Publish(TPublisher<TFormStorage>& p) {
    p.Class("StoredProps", TStrings::StaticClass(), &TFormStorage::StoredProps,
            &TFormStorage::SetStoredProps);
}

void TFormStorage::SetStoredProps(const TStrings* value) {
    FStoredProps->Assign(*value);
    // Outside loading the entries are resolved at once (while loading, AfterLoad does).
    if (!IsLoading())
        UpdateStoredEntries(Owner(), FStoredProps.get(), semResolve);
    WatchStoredComponents();
}

void TFormStorage::WatchStoredComponents() {
    for (int i = 0; i < FStoredProps->Count(); ++i)
        if (auto* component = dynamic_cast<TComponent*>(FStoredProps->GetObject(i)))
            component->FreeNotification(this);
}

void TFormStorage::AfterLoad() {
    TFormPlacement::AfterLoad();
    if (ComponentState().Contains(csDesigning))
        return;
    UpdateStoredEntries(Owner(), FStoredProps.get(), semResolve);
    WatchStoredComponents();
}

void TFormStorage::ComponentNotification(TComponent* component, TOperation operation) {
    TFormPlacement::ComponentNotification(component, operation);
    if (operation != opRemove || component == this || IsDestroying() || !FStoredProps)
        return;
    for (int i = FStoredProps->Count() - 1; i >= 0; --i)
        if (FStoredProps->GetObject(i) == component)
            FStoredProps->Delete(i);
}

void TFormStorage::WriteToResource(TWriter& writer) {
    UpdateStoredEntries(Owner(), FStoredProps.get(), semRename);
    TFormPlacement::WriteToResource(writer);
}

void TFormStorage::StorePlacement() {
    TFormPlacement::StorePlacement();
    SaveStoredProps();
}

void TFormStorage::LoadPlacement() {
    TFormPlacement::LoadPlacement();
    FRestored = true;
    LoadStoredProps();
}

void TFormStorage::SaveStoredProps() {
    TPropsStorage storage;
    storage.SetSection(IniSection());
    storage.SetOnWriteString(
        [this](const std::string& section, const std::string& ident, const std::string& value) {
            WriteSectionString(section, ident, value);
        });
    storage.SetOnEraseSection(
        [this](const std::string& section) { StorageEraseSection(StorageObject(), section); });
    storage.StoreObjectsProps(Owner(), FStoredProps.get());
}

void TFormStorage::LoadStoredProps() {
    try {
        TPropsStorage storage;
        storage.SetSection(IniSection());
        storage.SetOnReadString(
            [this](const std::string& section, const std::string& ident, const std::string& def) {
                return ReadSectionString(section, ident, def);
            });
        storage.LoadObjectsProps(Owner(), FStoredProps.get());
    } catch (const ERegistryException&) {
        // A settings store that cannot be used is reported (once in a run, by the store);
        // the properties keep their values.
        Application->HandleException(this);
    } catch (...) {
        // Stored properties that cannot be loaded keep their values.
    }
}

// ---------------------------------------------------------------------------
// TIniLink

TIniLink::~TIniLink() {
    FOnSave = nullptr;
    FOnLoad = nullptr;
    AttachTo(nullptr);
}

void TIniLink::AttachTo(TFormPlacement* placement) {
    if (placement == FIniObject)
        return;
    if (FIniObject)
        FIniObject->RemoveLink(this);
    FIniObject = placement;
    if (placement)
        placement->AddLink(this);
}

TCustomIniFile* TIniLink::IniStorage() const {
    return FIniObject ? FIniObject->StorageObject() : nullptr;
}

std::string TIniLink::BaseSection() const {
    if (FIniObject && !FIniObject->StoredIniSection().empty())
        return FIniObject->StoredIniSection() + "\\";
    return {};
}

void TIniLink::SignalSave() {
    if (FOnSave)
        FOnSave(this);
}

void TIniLink::SignalLoad() {
    if (FOnLoad)
        FOnLoad(this);
}
