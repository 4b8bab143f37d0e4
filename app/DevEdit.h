#pragma once
// The device operation editor: a modal dialog that edits one device's name and, for each
// operating period of the project, its 24 hourly operation factors (0 off .. 1 full) in a
// grid and a stair chart. Every change goes into the device at once; "OK" and
// "Κλείσιμο" only close the dialog.

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "framework/gui/Menus.h"
#include "framework/gui/StandardControls.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "persist/ExGrids.h"
#include "persist/ExSpin.h"

class TDeviceEl;

class TfmDevEdit : public TForm {
    ORV_CLASS(TfmDevEdit, TForm)
public:
    // A form without a device (the class registry's constructor); CreateForDevice is the
    // way the program makes one.
    explicit TfmDevEdit(TComponent* owner);
    // The editor on the device (not owned), owned by the application; the caller shows it
    // modally and frees it. The device gets a profile for every period of the project.
    static TfmDevEdit* CreateForDevice(TDeviceEl* device);

    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr; // "Περιγραφή:"
    TEdit* edDESCRIPTION = nullptr;
    TLabel* Label2 = nullptr; // "Ισχύς:"
    TExSpinEdit* edRATEDPOWER = nullptr;
    TLabel* Label3 = nullptr; // "Watts"
    TLabel* Label4 = nullptr; // "Περίοδος"
    TComboBox* cbSSn = nullptr;
    TLabel* Label5 = nullptr; // "Λειτουργία"
    TExDrawGrid* gdFactors = nullptr;
    TChart* Chart1 = nullptr;
    TAreaSeries* Series1 = nullptr;
    TButton* BtnOK = nullptr;
    TButton* Button1 = nullptr; // "Κλείσιμο"
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* mOpOff = nullptr;
    TMenuItem* mOpFull = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* mAsPrev = nullptr;

    TDeviceEl* Device() const { return FDevice; }
    // The selected period (0 when none).
    int Period() const;

    // ---- Handlers
    void FormCreate(TObject* sender);
    void cbSSnChange(TObject* sender);
    void gdFactorsDrawCell(TObject* sender, int aCol, int aRow, const TRect& rect,
                           TGridDrawState state);
    void gdFactorsGetEditText(TObject* sender, int aCol, int aRow, std::string& value);
    // Stores a factor typed as a number (0.5) or a percentage (50%); a value outside 0..1
    // raises "Value must be between 0.00 - 1.00" and stores nothing.
    void gdFactorsSetEditText(TObject* sender, int aCol, int aRow, const std::string& value);
    void edDESCRIPTIONChange(TObject* sender);
    // Writes the device's rated power.
    void edRATEDPOWERChange(TObject* sender);
    void edRATEDPOWERMouseWheelUp(TObject* sender, TShiftState shift, TPoint mousePos,
                                  bool& handled);
    void edRATEDPOWERMouseWheelDown(TObject* sender, TShiftState shift, TPoint mousePos,
                                    bool& handled);
    void PopupMenu1Popup(TObject* sender);
    void mOpOffClick(TObject* sender);
    void mOpFullClick(TObject* sender);
    void mAsPrevClick(TObject* sender);
    // Series1 shows the selected period's factors.
    void RefreshChart();

private:
    void SetWholeDay(double value);
    TDeviceEl* FDevice = nullptr;
    bool FLoading = false; // filling the controls: no writes to the device
};

// Shows the editor modally on the device and frees it.
void EditDevice(TDeviceEl* device);
