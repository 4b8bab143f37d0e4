#pragma once
// The design page: a summary of the system (wind generator, PV array, generator set,
// battery) beside five speed buttons, and on the right, in sysHolder, the editor of the
// component whose button is down. The summary follows the model at every idle moment.

#include "framework/core/Classes.h"
#include "framework/gui/Actions.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"

#include <array>
#include <string>

// The editors by speed-button Tag: wind generator, PV, generator set, battery, others.
inline constexpr int EditorCount = 5;
const std::array<TClass, EditorCount>& EditorClasses();

// The generator set's connections by HZConType.
inline constexpr std::array<const char*, 2> ConTypeNames = {"Στον πίνακα καταναλώσεων",
                                                            "Στον φορτιστή μπαταριών"};

class TfmDesign : public TForm {
    ORV_CLASS(TfmDesign, TForm)
public:
    explicit TfmDesign(TComponent* owner);
    ~TfmDesign() override;

    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr; // actOpenFile
    TToolButton* ToolButton2 = nullptr; // actSaveFile
    TScrollBox* upPanel = nullptr;
    TSplitter* Splitter1 = nullptr;
    TPanel* sysHolder = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* actOpenFile = nullptr; // no effect: there is no design file
    TAction* actSaveFile = nullptr; // no effect

    TSpeedButton* sbWG = nullptr;         // Tag 0
    TSpeedButton* sbPhotoV = nullptr;     // Tag 1
    TSpeedButton* SpeedButton3 = nullptr; // Tag 2, generator set
    TSpeedButton* sbBat = nullptr;        // Tag 3
    TSpeedButton* SpeedButton6 = nullptr; // Tag 4, other components

    TStaticText* stRatedPower = nullptr;
    TStaticText* stModelName = nullptr;
    TStaticText* stVr = nullptr;
    TStaticText* stPhPr = nullptr;
    TStaticText* stHZPower = nullptr;
    TStaticText* stHZCalc = nullptr;
    TStaticText* stHZConType = nullptr;
    TStaticText* stBatCap = nullptr;
    TStaticText* stBatVolts = nullptr;
    TStaticText* stBatCapA = nullptr;

    void FormCreate(TObject* sender);
    // A button went down: its editor is docked in sysHolder alone.
    void sbWGClick(TObject* sender);
    // The summary refresh, at idle time.
    void ActionList1Update(TBasicAction* action, bool& handled);
    // Refreshes the summary from the model now.
    void UpdateSummary();
    // The summary panel gets room for its vertical scroll bar while the page is too low
    // for the summary (so the bar covers none of its boxes) and gives it back after.
    void FormResize(TObject* sender);

    // The page's own actions first, then the editor docked in sysHolder.
    bool IsShortCut(TMessage& message) override;

private:
    TSpeedButton* AddEditorButton(const std::string& name, int tag, int top);
    TStaticText* AddValue(const std::string& name, int left, int top, int width);
    TLabel* AddLabel(const std::string& caption, int left, int top, int width = 0);
    int FLabelCount = 0;
    bool FSummaryBarRoom = false;
};
