#pragma once
// The small routines the views of Orvanti and the windows of Pelmora share: tool strips (a
// cool bar with one flat tool bar of captioned buttons showing the data module's toolbar
// images, and actions with caption, image, shortcut and handler), docking a form of a class
// inside a panel of another form (its cool bars move into a tool strip), a number
// input box, cell text painters and open/save dialogs that remember a folder per filter for
// the run. Includes no view and no main window, so a program can use them without the others.

#include "framework/core/Classes.h"
#include "framework/gui/Actions.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Types.h"

#include <functional>
#include <string>

struct TToolStrip {
    TCoolBar* CoolBar = nullptr;
    TToolBar* ToolBar = nullptr;
};

// CoolBar1 (auto-size, aligned at the top of the form) holding ToolBar1 in one band of
// the buttons' height; images from dm's gray, hot and disabled lists.
TToolStrip MakeToolStrip(TCustomForm* form, int buttonWidth, int buttonHeight);

// A button at the end of the bar that shows and runs the action.
TToolButton* AddToolButton(TCustomForm* form, TToolBar* bar, const std::string& name,
                           TBasicAction* action);

TAction* AddAction(TCustomForm* form, TActionList* list, const std::string& name,
                   const std::string& caption, int imageIndex, TShortCut shortCut,
                   TNotifyEvent onExecute);

// A form class: TfmDesign::StaticClass() and the like.
using TFormClass = TClass;
// Called with a new form before it is docked or shown.
using TFormInitProc = std::function<void(TCustomForm*)>;

// Creates a form of formClass owned by host and docks it there (see ShowFormInPanel in
// the .cpp for the steps); answers the new form, or nullptr when host already owns a
// component of that class (then nothing happens at all). Without closeOthers the form
// covers what host shows already (a chart over a view): until it is freed those controls
// are disabled, out of the tab order and of every key, and the focus moves onto the new
// form; when it goes they are enabled again and the focus returns where it was.
TCustomForm* ShowFormInPanel(TWinControl* host, TWinControl* toolHost, bool bordered,
                             const TFormInitProc& initProc, TFormClass formClass, bool closeOthers);

// An input box captioned "Εισαγωγή" showing FloatToStr(value): true with the new value
// on OK; false (value unchanged) on Cancel. A text that is no number raises EConvertError.
bool InputReal(const std::string& prompt, double& value);

// Cell text clipped to rect: centred horizontally (a text wider than the cell starts left
// of it), two pixels below the top.
void DrawCellCentered(TCanvas* canvas, const TRect& rect, const std::string& text);
// Cell text clipped to rect, two pixels in from the left and the top.
void DrawCellLeft(TCanvas* canvas, const TRect& rect, const std::string& text);

// A temporary open dialog with the filter (one pattern, "text|*.ext"), the initial file
// name and the filter's extension as default; it starts in the folder last chosen with the
// same filter during this run, else in the program's folder. result is the chosen file, or
// "" on Cancel.
void SelectOpenFile(const std::string& filter, const std::string& fileName, std::string& result);
// The same as a save dialog, always starting in the program's folder.
void SelectSaveFile(const std::string& filter, const std::string& fileName, std::string& result);
