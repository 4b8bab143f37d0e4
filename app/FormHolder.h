#pragma once
// The main window of Orvanti: it shows one view at a time in its holder panel (docked with
// ShowFormInPanel of app/ViewHelpers); keys reach the docked views' shortcuts through the
// main window.

#include "app/ViewHelpers.h"
#include "controls/fxOutlookBar.h"
#include "controls/fxOutlookList.h"
#include "controls/fxStatusBar.h"
#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/Menus.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"
#include "persist/Placement.h"

#include <array>
#include <functional>
#include <string>

// The views of the main window by index (0 design, 1 periods, 2 devices, 3 sunshine,
// 4 wind workbench); nullptr where the view does not exist.
inline constexpr int ViewCount = 5;
extern const std::array<TFormClass, ViewCount> ViewClasses;

class TfmHolder : public TForm {
    ORV_CLASS(TfmHolder, TForm)
public:
    explicit TfmHolder(TComponent* owner);
    ~TfmHolder() override;

    // ---- Components
    TPanel* Panel1 = nullptr; // the tool strip: docked forms' cool bars go here
    // The view list on the left: one page ("Δεδομένα") whose icon list holds the views.
    TFxOutlookBar* fxOutlookBar1 = nullptr;
    TFxCustomBitBtn* fxOutlookBar1fxShapeBtn1 = nullptr; // the page's button
    TFxOutlookPanel* fxOutlookBar1Panel1 = nullptr;      // the page's panel
    TFxOutlookList* fxOutlookBar1OutlookList1 = nullptr;
    TPanel* pnlHolder = nullptr;          // hosts the current view and chart windows over it
    TFxStatusBar* fxStatusBar1 = nullptr; // one empty part; lock keys and hints could go here
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* miFile = nullptr; // "Αρχείο"
    TMenuItem* miOpen = nullptr; // "Ανοιγμα" (no effect: each editor opens its own data)
    TMenuItem* miSave = nullptr; // "Αποθήκευση" (no effect)
    TMenuItem* miSep = nullptr;  // separator
    TMenuItem* miExit = nullptr; // "Εξοδος": closes the main window
    TImageList* ImageList1 = nullptr;     // view icons, 32 x 32
    TFormStorage* FormStorage1 = nullptr; // the window's placement

    // ---- Views
    // Docks a view of the class in pnlHolder, freeing everything else there; nothing when
    // a view of that class is already shown.
    void ShowView(TFormClass formClass);
    // The view of ViewClasses at index; nothing for an index without a view.
    void ShowView(int index);
    // The view docked in pnlHolder now (nullptr when none).
    TCustomForm* CurrentView() const;

    // ---- Handlers
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    // A view-list item was chosen: the view at the item's published Tag.
    void itemSelected(TObject* sender, TObject* item);
    void miExitClick(TObject* sender);

    // The window's own menus and actions first; when they do not take the key, each form
    // docked in pnlHolder is asked in turn until one takes it.
    bool IsShortCut(TMessage& message) override;

    void HandleMessage(TMessage& message) override;
    // As the form's; when closing ends the program, the settings saved from here to the
    // end of FreeProgramWindows go to the settings store in one write.
    bool CloseQuery() override;

private:
    // The outlook bar with the view list, built as the form resource holds it.
    void CreateNavigation();
    bool FLoadErrorsShown = false;
};

// The program's main window.
extern TfmHolder* fmHolder;

// The program block's windows: the data module `dm`, then the main window `fmHolder`,
// both owned by the application (the model must be initialised before). An error while
// a view is created is shown with the default files' read errors once the main window is
// up; when the data module or the main window itself cannot be made, the errors are shown
// at once and fmHolder stays nullptr.
void CreateProgramWindows();
// Frees the main window and the data module, as the application does at the end of a run
// (placement and dialog folders are saved).
void FreeProgramWindows();
