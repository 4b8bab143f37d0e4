#pragma once
// The device catalogue: a window listing every catalogue device file (.idev) of the
// program's "devices" folder, in large icons or as a report of name, rated power and daily
// energy. The catalogue owns its devices for as long as it lives; a double click or the
// properties button edits the selected one in memory (catalogue files are never written).

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ListView.h"
#include "framework/gui/Menus.h"
#include "persist/Placement.h"

#include <memory>
#include <string>
#include <vector>

class TDeviceEl;

// Adds an item for the device: caption its name, image its ImageIndex, the device as the
// item's data; sub-items the rated power ("?" when it is not known; the device is the
// sub-item's object) and the daily energy, each as the shortest general number text.
TListItem* AddToListView(const TDeviceEl& device, TListView* listView);

// The catalogue files of a folder: every file whose extension is ".idev" in any case,
// sorted by name (without regard to case), so that the catalogue reads the same on every
// file system. A missing folder gives none.
std::vector<std::string> CatalogFiles(const std::string& folder);

class TfmDevSel : public TForm {
    ORV_CLASS(TfmDevSel, TForm)
public:
    explicit TfmDevSel(TComponent* owner);
    ~TfmDevSel() override;

    TListView* ListView1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* N1 = nullptr; // "Τακτοποίηση Εικονιδίων"
    TToolBar* ToolBar1 = nullptr;
    TToolButton* tbnLarge = nullptr; // large icons (Tag 0)
    TToolButton* tbnList = nullptr;  // report (Tag 3)
    TToolButton* sbProperties = nullptr;
    TFormStorage* FormStorage = nullptr;

    // The catalogue device of the selected item, or nullptr.
    TDeviceEl* SelectedDevice() const;
    int DeviceCount() const { return int(FDevices.size()); }

    // ---- Handlers
    // Reads the catalogue folder.
    void FormCreate(TObject* sender);
    // The view style of the clicked button's Tag.
    void tbnLargeClick(TObject* sender);
    // Edits the selected catalogue device in the operation editor.
    void sbPropertiesClick(TObject* sender);
    void ListView1Change(TObject* sender, TListItem* item, TItemChange change);
    // Raises the owner's catalogue button when the owner is the device-list view.
    void FormClose(TObject* sender, TCloseAction& action);
    void N1Click(TObject* sender);

private:
    std::vector<std::unique_ptr<TDeviceEl>> FDevices;
};
