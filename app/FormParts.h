#pragma once
// Pieces the views build their tool strips from: a cool bar with one flat tool bar of
// captioned buttons showing the data module's toolbar images, and actions with caption,
// image, shortcut and handler.

#include "framework/core/Classes.h"
#include "framework/gui/ActnList.h"
#include "framework/gui/ComCtrls.h"
#include "framework/gui/Forms.h"

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
