#pragma once
// The export dialog: a picture of a chart onto the clipboard or into a file, as a bitmap,
// a Windows metafile, an enhanced metafile or a native chart file.

#include "chart/ChartProcs.h"
#include "framework/core/Classes.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"

class TChartExportForm : public TForm {
    ORV_CLASS(TChartExportForm, TForm)
public:
    explicit TChartExportForm(TComponent* owner);

    TRadioGroup* RGFormat = nullptr;
    TButton* Button1 = nullptr; // copy to the clipboard
    TButton* Button2 = nullptr; // save to a file
    TButton* Button3 = nullptr; // close
    TSaveDialog* SaveDialog1 = nullptr;
    // The panel exported, set by the opener.
    TCustomChartPanel* ExportPanel = nullptr;

    void RGFormatClick(TObject* sender);
    void Button1Click(TObject* sender);
    void Button2Click(TObject* sender);
};

// Opens the export dialog on chart with the native chart writer installed while it is
// open (the chart editor's "General" page does so).
void ExportChart(TComponent* owner, TCustomChartPanel* chart);
