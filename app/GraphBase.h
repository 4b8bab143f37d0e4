#pragma once
// The chart-view base window: a tool bar and one chart, with the actions "Ιδιότητες"
// (chart editor), "Αντιγραφή" (the chart to the clipboard as a Windows metafile) and
// "Εκτύπωση" (print preview). Every chart window of the program derives from it; when it
// is docked, its cool bar sits in the main window's tool strip.
//
// ShowHourlyGraph shows an hourly series in a modal window of this class.

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Forms.h"

#include "chart/Chart.h"
#include "persist/Placement.h"

class TfmGraphBase : public TForm {
    ORV_CLASS(TfmGraphBase, TForm)
public:
    explicit TfmGraphBase(TComponent* owner);

    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr; // actGraphProps
    TToolButton* ToolButton2 = nullptr; // actGraphCopy
    TToolButton* ToolButton3 = nullptr; // actGraphPrint
    TChart* Chart1 = nullptr;
    TFormStorage* FormStorage = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* actGraphProps = nullptr; // F11
    TAction* actGraphCopy = nullptr;  // Ctrl+Ins
    TAction* actGraphPrint = nullptr; // print preview

    // Opens the chart editor on Chart1.
    void actGraphPropsExecute(TObject* sender);
    // Copies Chart1 to the clipboard as a Windows (not enhanced) metafile.
    void actGraphCopyExecute(TObject* sender);
    // Shows Chart1 in the print preview.
    void actGraphPrintExecute(TObject* sender);
};

// Shows values as a fast line over time, point i at startDate + i hours, in a modal
// TfmGraphBase owned by the application, and frees the window. True when the window
// was closed with OK.
bool ShowHourlyGraph(const TFloatArray& values, TDateTime startDate);
