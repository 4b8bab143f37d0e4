#pragma once
// The print preview: TChartPreviewPage draws a sheet of paper in the printer's proportions
// with the chart inside its print margins and lets the user drag the margins or the whole
// chart; TChartPreview is the modal dialog around it (printer, orientation, margins,
// detail, proportional switch, print). ShowChartPreview is the entry point. What the user
// sets here (margins, detail, proportional) stays with the chart.

#include "chart/ChartProcs.h"
#include "framework/core/Classes.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"

#include <memory>

// Called after every drag step with the new margins (percent of the paper).
using TChangeMarginsEvent = TEvent<void(TObject*, bool, const TRect&)>;

class TChartPreviewPage : public TGraphicControl {
    ORV_CLASS(TChartPreviewPage, TGraphicControl)
public:
    explicit TChartPreviewPage(TComponent* owner);
    ~TChartPreviewPage() override;
    static void Publish(TPublisher<TChartPreviewPage>& p);

    TCustomChartPanel* Image() const { return FImage; }
    void SetImage(TCustomChartPanel* value);
    bool ShowMargins() const { return FShowMargins; }
    void SetShowMargins(bool value);
    bool ShowImage() const { return FShowImage; }
    void SetShowImage(bool value) { FShowImage = value; }
    bool AsBitmap() const { return FAsBitmap; }
    void SetAsBitmap(bool value) { FAsBitmap = value; }
    TColor PaperColor() const { return FPaperColor; }
    void SetPaperColor(TColor value) { FPaperColor = value; }
    bool AllowResize() const { return FAllowResize; }
    void SetAllowResize(bool value) { FAllowResize = value; }
    bool AllowMove() const { return FAllowMove; }
    void SetAllowMove(bool value) { FAllowMove = value; }
    bool DragImage() const { return FDragImage; }
    void SetDragImage(bool value) { FDragImage = value; }
    const TChangeMarginsEvent& OnChangeMargins() const { return FOnChangeMargins; }
    void SetOnChangeMargins(TChangeMarginsEvent value) { FOnChangeMargins = std::move(value); }

    // Prints Image on the program's printer; nothing without an Image.
    void Print();
    // The printed page the sheet shows, as the program's printer draws it (Image inside
    // the margins); nothing without an Image or with AsBitmap.
    std::unique_ptr<TMetafile> MakePagePicture();

    // The paper and the margins rectangle (client pixels) from the printer's page size.
    TRect PaperRect() const;
    TRect MarginsRect() const;
    // The zone under a client point: 0 none, 1 left, 2 top, 3 right, 4 bottom, 5 move,
    // 6 top-left, 7 top-right, 8 bottom-left, 9 bottom-right.
    int ZoneAt(int x, int y) const;
    // Draws the four dotted margin lines in not-xor mode (twice removes them).
    void DrawMarginLines(TCanvas* canvas, const TRect& margins);
    void DrawMarginLines() { DrawMarginLines(Canvas(), FMargins); }

protected:
    void PaintControl() override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    // The chart drawn for paper as a bitmap on PaperColor (AsBitmap), of the drawing
    // rectangle enlarged by the detail percent; nothing for a chart of no size.
    std::unique_ptr<TBitmap> MakeImageBitmap();
    void DragTo(int x, int y);

    TCustomChartPanel* FImage = nullptr;
    bool FShowMargins = true;
    bool FShowImage = true;
    bool FAsBitmap = false;
    TColor FPaperColor = clWhite;
    bool FAllowResize = true;
    bool FAllowMove = true;
    bool FDragImage = false;
    TChangeMarginsEvent FOnChangeMargins;

    TRect FPaper;
    TRect FMargins;
    int FDragZone = 0;
    TPoint FMoveStart;
    TRect FMoveStartMargins;
};

class TChartPreview : public TForm {
    ORV_CLASS(TChartPreview, TForm)
public:
    explicit TChartPreview(TComponent* owner);

    TPanel* Panel1 = nullptr;
    TLabel* Label1 = nullptr;
    TComboBox* Printers = nullptr;
    TButton* BSetupPrinter = nullptr;
    TButton* BPrint = nullptr;
    TButton* BClose = nullptr;
    TPanel* Panel2 = nullptr;
    TRadioGroup* Orientation = nullptr;
    TGroupBox* GBMargins = nullptr;
    TEdit* SETopMa = nullptr;
    TEdit* SELeftMa = nullptr;
    TEdit* SEBotMa = nullptr;
    TEdit* SERightMa = nullptr;
    TUpDown* UDTopMa = nullptr;
    TUpDown* UDLeftMa = nullptr;
    TUpDown* UDBotMa = nullptr;
    TUpDown* UDRightMa = nullptr;
    TCheckBox* ShowMargins = nullptr;
    TButton* BReset = nullptr;
    TGroupBox* ChangeDetailGroup = nullptr;
    TLabel* Label2 = nullptr; // "More"
    TLabel* Label3 = nullptr; // "Normal"
    TScrollBar* Resolution = nullptr;
    TCheckBox* CBProp = nullptr;
    TPrinterSetupDialog* PrinterSetupDialog1 = nullptr;
    TChartPreviewPage* ChartPreviewPanel1 = nullptr;

    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void PrintersChange(TObject* sender);
    void OrientationClick(TObject* sender);
    void BSetupPrinterClick(TObject* sender);
    void BPrintClick(TObject* sender);
    void BCloseClick(TObject* sender);
    void BResetClick(TObject* sender);
    void CBPropClick(TObject* sender);
    void ShowMarginsClick(TObject* sender);
    void ResolutionChange(TObject* sender);
    void SETopMaChange(TObject* sender);
    void SELeftMaChange(TObject* sender);
    void SEBotMaChange(TObject* sender);
    void SERightMaChange(TObject* sender);
    void ChangeMargins(TObject* sender, bool dragging, const TRect& margins);

protected:
    void HandleMessage(TMessage& message) override;

private:
    void FillPrinters();
    void ResetMargins();
    void UpdateMarginEdits();
    void CheckReset();
    // A margin edit's value (by side 0..3, left top right bottom) into the panel.
    void MarginEdited(int side);

    TRect FSavedMargins;
    bool FChangingMargins = true; // margin edits are ignored until the dialog is shown
    bool FChangingProp = false;
};

// Shows the preview of panel in a modal dialog owned by owner; the panel repaints after it
// closes, also when the dialog raised.
void ShowChartPreview(TCustomForm* owner, TCustomChartPanel* panel);
