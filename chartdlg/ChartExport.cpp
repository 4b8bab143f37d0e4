#include "chartdlg/ChartExport.h"

#include "chartdlg/ChartStore.h"

#include <memory>

TChartExportForm::TChartExportForm(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("ChartExportForm");
    SetCaption("Export VedIvuri");
    SetBorderStyle(bsDialog);
    SetBorderIcons(TBorderIcons{biSystemMenu});
    SetClientWidth(339);
    SetClientHeight(137);
    SetPosition(poScreenCenter);

    RGFormat = new TRadioGroup(this);
    RGFormat->SetName("RGFormat");
    RGFormat->SetParent(this);
    RGFormat->SetCaption("Format");
    RGFormat->SetBounds(8, 8, 185, 121);
    RGFormat->Items()->Add("as &Bitmap (BMP)");
    RGFormat->Items()->Add("as &Metafile (WMF)");
    RGFormat->Items()->Add("as &Enhanced Metafile (EMF)");
    RGFormat->Items()->Add("as *.&TEE file (TEE)");
    RGFormat->SetItemIndex(0);
    RGFormat->SetOnClick(TNotifyEvent(this, &TChartExportForm::RGFormatClick, "RGFormatClick"));

    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetParent(this);
    Button1->SetCaption("&Copy to Clipboard");
    Button1->SetBounds(204, 16, 125, 25);
    Button1->SetOnClick(TNotifyEvent(this, &TChartExportForm::Button1Click, "Button1Click"));
    Button2 = new TButton(this);
    Button2->SetName("Button2");
    Button2->SetParent(this);
    Button2->SetCaption("&Save To File...");
    Button2->SetBounds(204, 52, 125, 25);
    Button2->SetOnClick(TNotifyEvent(this, &TChartExportForm::Button2Click, "Button2Click"));
    Button3 = new TButton(this);
    Button3->SetName("Button3");
    Button3->SetParent(this);
    Button3->SetCaption("Close");
    Button3->SetCancel(true);
    Button3->SetModalResult(mrOk);
    Button3->SetBounds(204, 100, 125, 25);

    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetName("SaveDialog1");
    SaveDialog1->SetFilter("Bitmap files|*.BMP|Metafile files|*.WMF|Enhanced Metafile "
                           "files|*.EMF|Native chart files|*.TEE");
    SaveDialog1->SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly});
}

void TChartExportForm::RGFormatClick(TObject*) {
    Button1->SetEnabled(RGFormat->ItemIndex() != 3);
}

void TChartExportForm::Button1Click(TObject*) {
    if (!ExportPanel)
        return;
    switch (RGFormat->ItemIndex()) {
    case 1:
        ExportPanel->CopyAsMetafile(false);
        break;
    case 2:
        ExportPanel->CopyAsMetafile(true);
        break;
    default:
        ExportPanel->CopyAsBitmap();
        break;
    }
}

void TChartExportForm::Button2Click(TObject*) {
    if (!ExportPanel)
        return;
    const int format = RGFormat->ItemIndex();
    SaveDialog1->SetDefaultExt(ExportFileExtension(format));
    SaveDialog1->SetFilterIndex(format + 1);
    SaveDialog1->SetFileName("");
    if (!SaveDialog1->Execute())
        return;
    const std::string fileName = SaveDialog1->FileName();
    // The type the user picked in the dialog decides, not the radio group.
    switch (SaveDialog1->FilterIndex()) {
    case 1:
        ExportPanel->SaveAsBitmap(fileName);
        break;
    case 2:
        ExportPanel->SaveAsWindowsMetafile(fileName);
        break;
    case 3:
        ExportPanel->SaveAsEnhancedMetafile(fileName);
        break;
    case 4:
        if (NativeChartWriter) {
            NativeChartWriter(ExportPanel, fileName);
        } else {
            // Without the chart writer the panel goes alone, as a component stream.
            SaveComponentFile(ExportPanel, fileName);
        }
        break;
    default:
        break;
    }
}

void ExportChart(TComponent* owner, TCustomChartPanel* chart) {
    std::unique_ptr<TChartExportForm> form(new TChartExportForm(owner));
    form->ExportPanel = chart;
    NativeChartWriter = [](TCustomChartPanel* panel, const std::string& fileName) {
        SaveChartFile(panel, fileName);
    };
    struct TClearHook {
        ~TClearHook() { NativeChartWriter = nullptr; }
    } clearHook;
    form->ShowModal();
}
