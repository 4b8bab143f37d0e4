#pragma once
// The devices view: the project's device list DevList in a grid (count, name and rated
// power editable), the device catalogue docked at its left (a double click or a drag onto
// the grid adds a copy of a catalogue device), opening and saving .dvl files, the device
// operation editor, and a stacked bar chart of the daily load.

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "persist/ExGrids.h"
#include "persist/Placement.h"

class TfmDevSel;

class TfmLoadConstr : public TForm {
    ORV_CLASS(TfmLoadConstr, TForm)
public:
    explicit TfmLoadConstr(TComponent* owner);

    TPanel* Panel1 = nullptr; // hosts the catalogue
    TSplitter* Splitter1 = nullptr;
    TExDrawGrid* gdDevices = nullptr;
    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* sbDevicesToogle = nullptr; // "Συσκευές": shows / hides the catalogue
    TToolButton* ToolButton5 = nullptr;     // "Ανοιγμα"
    TToolButton* ToolButton1 = nullptr;     // "Αποθήκευση"
    TToolButton* ToolButton3 = nullptr;     // actDelete
    TToolButton* ToolButton2 = nullptr;     // "Ιδιότητες"
    TToolButton* ToolButton4 = nullptr;     // "Γράφημα"
    TActionList* ActionList1 = nullptr;
    TAction* actDelete = nullptr; // "Διαγραφή", Ctrl+Del
    TSaveDialog* SaveDialog = nullptr;
    TFormStorage* FormStorage = nullptr;

    TfmDevSel* DevSel() const { return FDevSel; }

    // ---- Handlers
    void FormCreate(TObject* sender);
    // Adds a copy of the catalogue's selected device to DevList.
    void AddSelectedDevice(TObject* sender);
    void gdDevicesDrawCell(TObject* sender, int aCol, int aRow, const TRect& rect,
                           TGridDrawState state);
    void gdDevicesGetEditText(TObject* sender, int aCol, int aRow, std::string& value);
    void gdDevicesSetEditText(TObject* sender, int aCol, int aRow, const std::string& value);
    void gdDevicesSelectCell(TObject* sender, int aCol, int aRow, bool& canSelect);
    void gdDevicesDragOver(TObject* sender, TObject* source, int x, int y, TDragState state,
                           bool& accept);
    void gdDevicesDragDrop(TObject* sender, TObject* source, int x, int y);
    void sbDevicesToogleClick(TObject* sender);
    void ToolButton5Click(TObject* sender);
    void ToolButton1Click(TObject* sender);
    void ToolButton2Click(TObject* sender);
    void ToolButton4Click(TObject* sender);
    void actDeleteExecute(TObject* sender);
    void actDeleteUpdate(TObject* sender);
    void FormStorageSavePlacement(TObject* sender);
    void FormStorageRestorePlacement(TObject* sender);

    // The grid's row count after a change of DevList: one row per device, at least one.
    void UpdateRowCount();

private:
    void BuildToolBar();
    void BuildGrid();
    void DevSelShow(TObject* sender);
    TfmDevSel* FDevSel = nullptr;
};

// Fills a chart window with the daily load of DevList: one stacked bar series per device,
// hour h at the period-0 factor of hour h x rated power x count.
void ShowGraph(TCustomForm* form);
