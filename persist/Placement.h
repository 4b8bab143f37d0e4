#pragma once
// Form placement and storage. A TFormPlacement placed on a form remembers the form's
// placement (normal rectangle, minimized and maximized positions, show state, active
// control) in the per-user store and puts it back the next time the form is shown; it
// saves when the form closes. TFormStorage also stores chosen published properties of
// components on the same owner (StoredProps, "Component.Property"). Other components
// join a placement's saves and restores through a TIniLink.
//
// A form builds its placement inside the loading bracket of its construction (its form
// resource) with the form's own OnShow, OnCloseQuery and OnDestroy already set: when the
// bracket ends, AfterLoad puts the placement's handlers in front of them. StoredProps
// entries are resolved to the owner's components at that point too.

#include "framework/core/Classes.h"
#include "framework/core/IniFiles.h"
#include "framework/core/Registry.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"
#include "persist/ExHook.h"

#include <memory>
#include <string>
#include <vector>

class TFormPlacement;
class TIniLink;

enum TPlacementOption { fpState, fpPosition, fpActiveControl };
using TPlacementOptions = TSet<TPlacementOption>;

// Size limits of the owner window; a value of 0 leaves the platform's own.
class TWinMinMaxInfo : public TPersistent {
    ORV_CLASS(TWinMinMaxInfo, TPersistent)
public:
    TWinMinMaxInfo() = default;
    static void Publish(TPublisher<TWinMinMaxInfo>& p);

    // Indexes: 0 MaxPosLeft, 1 MaxPosTop, 2 MaxSizeHeight, 3 MaxSizeWidth,
    // 4 MaxTrackHeight, 5 MaxTrackWidth, 6 MinTrackHeight, 7 MinTrackWidth.
    int GetMinMaxInfo(int index) const;
    void SetMinMaxInfo(int index, int value);
    bool IsDefault() const;
    const TMinMaxInfo& MinMaxInfo() const { return FMinMaxInfo; }
    void AssignFrom(const TPersistent* source) override;

    int MaxPosLeft() const { return GetMinMaxInfo(0); }
    int MaxPosTop() const { return GetMinMaxInfo(1); }
    int MaxSizeHeight() const { return GetMinMaxInfo(2); }
    int MaxSizeWidth() const { return GetMinMaxInfo(3); }
    int MaxTrackHeight() const { return GetMinMaxInfo(4); }
    int MaxTrackWidth() const { return GetMinMaxInfo(5); }
    int MinTrackHeight() const { return GetMinMaxInfo(6); }
    int MinTrackWidth() const { return GetMinMaxInfo(7); }

private:
    friend class TFormPlacement;
    TFormPlacement* FOwner = nullptr;
    TMinMaxInfo FMinMaxInfo;
};

class TFormPlacement : public TComponent {
    ORV_CLASS(TFormPlacement, TComponent)
public:
    explicit TFormPlacement(TComponent* owner);
    ~TFormPlacement() override;
    static void Publish(TPublisher<TFormPlacement>& p);

    // ---- Properties
    // False: the chained form events neither restore nor save.
    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }
    // The store's key path (registry) or file name; the default while empty.
    std::string IniFileName() const;
    void SetIniFileName(const std::string& value) { FIniFileName = value; }
    // The owner's section; while empty, the class name of the owner form (the form's own
    // class, not a base class it derives from), else SectionForComponent(Owner).
    std::string IniSection() const;
    void SetIniSection(const std::string& value) { FIniSection = value; }
    // The section as set, without the default.
    const std::string& StoredIniSection() const { return FIniSection; }
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool value) { FUseRegistry = value; }
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions value) { FOptions = value; }
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool value);
    TWinMinMaxInfo* MinMaxInfo() const { return FWinMinMaxInfo.get(); }
    void SetMinMaxInfo(const TWinMinMaxInfo* value) { FWinMinMaxInfo->AssignFrom(value); }
    const TNotifyEvent& OnSavePlacement() const { return FOnSavePlacement; }
    void SetOnSavePlacement(TNotifyEvent value) { FOnSavePlacement = std::move(value); }
    const TNotifyEvent& OnRestorePlacement() const { return FOnRestorePlacement; }
    void SetOnRestorePlacement(TNotifyEvent value) { FOnRestorePlacement = std::move(value); }

    // ---- Operations
    // Saves now; from the chained events only after a restore while Active.
    void SaveToStorage();
    // Restores now.
    void LoadFromStorage();
    // A value in the placement's section.
    std::string ReadSetting(const std::string& ident, const std::string& def);
    void WriteSetting(const std::string& ident, const std::string& value);
    virtual std::string ReadSectionString(const std::string& section, const std::string& ident,
                                          const std::string& def);
    virtual void WriteSectionString(const std::string& section, const std::string& ident,
                                    const std::string& value);
    // The open store (nullptr while closed).
    TCustomIniFile* StorageObject() const;
    void OpenStorage();
    void CloseStorage();
    bool IsStorageOpen() const { return StorageObject() != nullptr; }
    void NotifyLinks(bool save);
    // The watched messages of the owner form (the hook's AfterMessage).
    void HandleHookedMessage(TObject* sender, TMessage& msg, bool& handled);
    TExWindowHook* WindowHook() const { return FWinHook; }
    bool Restored() const { return FRestored; }
    bool Saved() const { return FSaved; }

    void AfterLoad() override;

protected:
    virtual void StorePlacement();
    virtual void LoadPlacement();
    virtual void CallOnSavePlacement();
    virtual void CallOnRestorePlacement();

    // The owner as a form, or nullptr.
    TCustomForm* Form() const;
    void HookFormEvents();
    void UnhookFormEvents();
    void UpdateHookState();
    void UpdatePreventResize();
    void UpdateMaxPosition();
    void MinMaxInfoChanged();
    bool HasMinMaxInfo() const { return !FWinMinMaxInfo->IsDefault(); }

    bool FRestored = false;

private:
    friend class TWinMinMaxInfo;
    friend class TIniLink;
    // Keeps the owner form's class name for a save while the form is being freed.
    void RememberFormClassName();
    void SwitchHookOn();
    void SwitchHookOff();
    void ChainedFormShow(TObject* sender);
    void ChainedFormCloseQuery(TObject* sender, bool& canClose);
    void ChainedFormDestroy(TObject* sender);
    void AddLink(TIniLink* link);
    void RemoveLink(TIniLink* link);

    bool FActive = true;
    std::string FIniFileName;
    std::string FIniSection;
    std::unique_ptr<TIniFile> FIniFile;
    bool FUseRegistry = false;
    std::unique_ptr<TRegIniFile> FRegIniFile;
    std::vector<TIniLink*> FLinks;
    TPlacementOptions FOptions{fpState, fpPosition};
    bool FSaved = false;
    bool FDestroying = false;
    bool FPreventResize = false;
    std::unique_ptr<TWinMinMaxInfo> FWinMinMaxInfo;
    bool FDefMaximize = false;
    TExWindowHook* FWinHook = nullptr;
    bool FFormEventsHooked = false;
    std::string FFormClassName;
    TNotifyEvent FSaveFormShow;
    TNotifyEvent FSaveFormDestroy;
    TCloseQueryEvent FSaveFormCloseQuery;
    TNotifyEvent FOnSavePlacement;
    TNotifyEvent FOnRestorePlacement;
};

class TFormStorage : public TFormPlacement {
    ORV_CLASS(TFormStorage, TFormPlacement)
public:
    explicit TFormStorage(TComponent* owner);
    ~TFormStorage() override;
    static void Publish(TPublisher<TFormStorage>& p);

    // "Component.Property" entries; each resolved entry carries its component.
    TStrings* StoredProps() const { return FStoredProps.get(); }
    void SetStoredProps(const TStrings* value);

    void AfterLoad() override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    void WriteToResource(TWriter& writer) override;

protected:
    void StorePlacement() override;
    void LoadPlacement() override;
    virtual void SaveStoredProps();
    virtual void LoadStoredProps();

private:
    void WatchStoredComponents();
    std::unique_ptr<TStringList> FStoredProps;
};

// A component's part in a placement's saves and restores.
class TIniLink : public TPersistent {
    ORV_CLASS(TIniLink, TPersistent)
public:
    TIniLink() = default;
    ~TIniLink() override;

    TFormPlacement* IniObject() const { return FIniObject; }
    // Leaves the old placement's links and joins the new one's.
    void AttachTo(TFormPlacement* placement);
    // The placement's open store, nullptr when unattached or closed.
    TCustomIniFile* IniStorage() const;
    // The placement's section as set followed by "\", or empty.
    std::string BaseSection() const;
    const TNotifyEvent& OnSave() const { return FOnSave; }
    void SetOnSave(TNotifyEvent value) { FOnSave = std::move(value); }
    const TNotifyEvent& OnLoad() const { return FOnLoad; }
    void SetOnLoad(TNotifyEvent value) { FOnLoad = std::move(value); }

    virtual void SignalSave();
    virtual void SignalLoad();

private:
    TFormPlacement* FIniObject = nullptr;
    TNotifyEvent FOnSave;
    TNotifyEvent FOnLoad;
};
