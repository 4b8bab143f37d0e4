#include "chartdlg/ChartPreview.h"

#include "chart/ChartConst.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/ControlPlacing.h"
#include "framework/gui/Messages.h"
#include "framework/gui/PrintGuard.h"
#include "framework/gui/Printers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kTolerance = 4;

int RoundPercent(int value, int percent) {
    return int(std::lround(double(value) * percent / 100.0));
}

// The hourglass while printing; the default cursor again also on failure.
struct THourGlass {
    THourGlass() { Screen->SetCursor(crHourGlass); }
    ~THourGlass() { Screen->SetCursor(crDefault); }
};

} // namespace

// ---------------------------------------------------------------------------
// TChartPreviewPage

TChartPreviewPage::TChartPreviewPage(TComponent* owner) : TGraphicControl(owner) {
    FControlStyle.Include(csOpaque);
}

TChartPreviewPage::~TChartPreviewPage() = default;

void TChartPreviewPage::Publish(TPublisher<TChartPreviewPage>& p) {
    p.Bool("ShowMargins", &TChartPreviewPage::ShowMargins, &TChartPreviewPage::SetShowMargins)
        .Default(true);
    p.Bool("ShowImage", &TChartPreviewPage::ShowImage, &TChartPreviewPage::SetShowImage)
        .Default(true);
    p.Bool("AsBitmap", &TChartPreviewPage::AsBitmap, &TChartPreviewPage::SetAsBitmap)
        .Default(false);
    p.Bool("AllowResize", &TChartPreviewPage::AllowResize, &TChartPreviewPage::SetAllowResize)
        .Default(true);
    p.Bool("AllowMove", &TChartPreviewPage::AllowMove, &TChartPreviewPage::SetAllowMove)
        .Default(true);
    p.Bool("DragImage", &TChartPreviewPage::DragImage, &TChartPreviewPage::SetDragImage)
        .Default(false);
}

void TChartPreviewPage::SetImage(TCustomChartPanel* value) {
    if (!SetComponentReference(this, FImage, value))
        return;
    Invalidate();
}

void TChartPreviewPage::SetShowMargins(bool value) {
    if (FShowMargins == value)
        return;
    FShowMargins = value;
    Invalidate();
}

void TChartPreviewPage::ComponentNotification(TComponent* component, TOperation operation) {
    TGraphicControl::ComponentNotification(component, operation);
    if (operation == opRemove && component == FImage)
        FImage = nullptr;
}

TRect TChartPreviewPage::PaperRect() const {
    const int w = Printer()->PageWidth();
    const int h = Printer()->PageHeight();
    const int cw = ClientWidth();
    const int ch = ClientHeight();
    TRect r;
    if (w < h) {
        const int height = ch - RoundPercent(ch, 10);
        const int width = h <= 0 ? cw : MulDiv(height, w, h);
        r.Left = (cw - width) / 2;
        r.Top = RoundPercent(ch, 5);
        r.Right = r.Left + width;
        r.Bottom = r.Top + height;
    } else {
        const int width = cw - RoundPercent(cw, 10);
        const int height = w <= 0 ? ch : MulDiv(width, h, w);
        r.Top = (ch - height) / 2;
        r.Left = RoundPercent(cw, 5);
        r.Right = r.Left + width;
        r.Bottom = r.Top + height;
    }
    return r;
}

TRect TChartPreviewPage::MarginsRect() const {
    const TRect paper = PaperRect();
    const TRect m = FImage ? FImage->PrintPageMargins() : TRect(15, 15, 15, 15);
    return TRect(paper.Left + MulDiv(m.Left, paper.Width(), 100),
                 paper.Top + MulDiv(m.Top, paper.Height(), 100),
                 paper.Right - MulDiv(m.Right, paper.Width(), 100),
                 paper.Bottom - MulDiv(m.Bottom, paper.Height(), 100));
}

int TChartPreviewPage::ZoneAt(int x, int y) const {
    const TRect& m = FMargins;
    const bool nearLeft = std::abs(x - m.Left) <= kTolerance;
    const bool nearRight = std::abs(x - m.Right) <= kTolerance;
    const bool nearTop = std::abs(y - m.Top) <= kTolerance;
    const bool nearBottom = std::abs(y - m.Bottom) <= kTolerance;
    int zone = 0;
    if (nearLeft && nearTop)
        zone = 6;
    else if (nearLeft && nearBottom)
        zone = 8;
    else if (nearRight && nearTop)
        zone = 7;
    else if (nearRight && nearBottom)
        zone = 9;
    else if (nearLeft)
        zone = 1;
    else if (nearRight)
        zone = 3;
    else if (nearTop)
        zone = 2;
    else if (nearBottom)
        zone = 4;
    else if (FAllowMove && PtInRect(m, TPoint(x, y)))
        zone = 5;
    if (!FAllowResize && zone != 5)
        zone = 0;
    return zone;
}

void TChartPreviewPage::DrawMarginLines(TCanvas* canvas, const TRect& m) {
    const TRect paper = FPaper;
    TPen* pen = canvas->Pen();
    pen->SetWidth(1);
    pen->SetStyle(psDot);
    pen->SetMode(pmNotXor);
    pen->SetColor(FPaperColor == clSilver || FPaperColor == clGray ? clWhite : clSilver);
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetBkMode(TRANSPARENT);
    canvas->MoveTo(m.Left - 1, paper.Top);
    canvas->LineTo(m.Left - 1, paper.Bottom);
    canvas->MoveTo(m.Right + 1, paper.Top);
    canvas->LineTo(m.Right + 1, paper.Bottom);
    canvas->MoveTo(paper.Left, m.Top - 1);
    canvas->LineTo(paper.Right, m.Top - 1);
    canvas->MoveTo(paper.Left, m.Bottom + 1);
    canvas->LineTo(paper.Right, m.Bottom + 1);
    pen->SetStyle(psSolid);
    pen->SetMode(pmCopy);
}

std::unique_ptr<TBitmap> TChartPreviewPage::MakeImageBitmap() {
    std::unique_ptr<TBitmap> bitmap = FImage->MakePrintBitmap(FPaperColor);
    if (bitmap->Empty())
        return nullptr;
    return bitmap;
}

std::unique_ptr<TMetafile> TChartPreviewPage::MakePagePicture() {
    if (!FImage || FAsBitmap)
        return nullptr;
    return FImage->MakePrintMetafile(PrinterPage(Printer()));
}

void TChartPreviewPage::PaintControl() {
    const TRect client = ClientRect();
    if (client.Width() <= 0 || client.Height() <= 0)
        return;
    FPaper = PaperRect();
    FMargins = MarginsRect();
    TBitmap buffer(client.Width(), client.Height());
    TCanvas* c = buffer.Canvas();
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(client);

    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetWidth(1);
    c->Brush()->SetColor(FPaperColor);
    c->Rectangle(FPaper);
    c->Brush()->SetColor(clBlack);
    c->FillRect(TRect(FPaper.Left + 5, FPaper.Bottom, FPaper.Right + 5, FPaper.Bottom + 4));
    c->FillRect(TRect(FPaper.Right, FPaper.Top + 4, FPaper.Right + 5, FPaper.Bottom + 4));

    if (FShowMargins)
        DrawMarginLines(c, FMargins);

    if (FImage && FShowImage) {
        // Clipped as the paper is.
        const TRect clip = ChartClipWhenPrinting ? FMargins : FPaper;
        const int saved = c->SaveDC();
        c->IntersectClipRect(clip.Left, clip.Top, clip.Right, clip.Bottom);
        if (FAsBitmap) {
            if (std::unique_ptr<TBitmap> picture = MakeImageBitmap())
                c->StretchDraw(FMargins, picture.get());
        } else if (std::unique_ptr<TMetafile> page = MakePagePicture()) {
            // The printed page itself onto the sheet: the chart laid out by the printer's
            // scaling, its labels the paper's.
            c->StretchDraw(FPaper, page.get());
        }
        c->RestoreDC(saved);
    }
    Canvas()->Draw(0, 0, &buffer);
}

void TChartPreviewPage::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseDown(button, shift, x, y);
    if (!PtInRect(FPaper, TPoint(x, y)))
        return;
    FDragZone = ZoneAt(x, y);
    if (FDragZone == 5) {
        FMoveStart = TPoint(x, y);
        FMoveStartMargins = FMargins;
    }
}

void TChartPreviewPage::HandleMouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseMove(shift, x, y);
    if (!PtInRect(FPaper, TPoint(x, y)))
        return;
    if (FDragZone == 0) {
        static constexpr TCursor kCursors[10] = {crDefault,  crHSplit,    crVSplit,   crHSplit,
                                                 crVSplit,   crChartHand, crSizeNWSE, crSizeNESW,
                                                 crSizeNESW, crSizeNWSE};
        SetCursor(kCursors[ZoneAt(x, y)]);
        return;
    }
    DragTo(x, y);
}

void TChartPreviewPage::DragTo(int x, int y) {
    if (!FDragImage)
        DrawMarginLines();
    TRect& m = FMargins;
    const TRect& p = FPaper;
    const auto moveLeft = [&] {
        if (p.Left <= x && x < m.Right)
            m.Left = x;
    };
    const auto moveTop = [&] {
        if (p.Top <= y && y < m.Bottom)
            m.Top = y;
    };
    const auto moveRight = [&] {
        if (m.Left < x && x <= p.Right)
            m.Right = x;
    };
    const auto moveBottom = [&] {
        if (m.Top < y && y <= p.Bottom)
            m.Bottom = y;
    };
    switch (FDragZone) {
    case 1:
        moveLeft();
        break;
    case 2:
        moveTop();
        break;
    case 3:
        moveRight();
        break;
    case 4:
        moveBottom();
        break;
    case 6:
        moveLeft();
        moveTop();
        break;
    case 7:
        moveRight();
        moveTop();
        break;
    case 8:
        moveLeft();
        moveBottom();
        break;
    case 9:
        moveRight();
        moveBottom();
        break;
    case 5: {
        const TRect& s = FMoveStartMargins;
        TRect r;
        r.Left = std::max(p.Left, x + s.Left - FMoveStart.X);
        r.Top = std::max(p.Top, y + s.Top - FMoveStart.Y);
        r.Right = std::min(p.Right, s.Right + r.Left - s.Left);
        r.Bottom = std::min(p.Bottom, s.Bottom + r.Top - s.Top);
        // Only a move that keeps the whole rectangle on the paper (and its size) is taken.
        if (r.Right - r.Left == s.Width() && r.Bottom - r.Top == s.Height() &&
            PtInRect(TRect(p.Left, p.Top, p.Right + 1, p.Bottom + 1), TPoint(r.Left, r.Top)) &&
            PtInRect(TRect(p.Left, p.Top, p.Right + 1, p.Bottom + 1), TPoint(r.Right, r.Bottom)))
            m = r;
        break;
    }
    default:
        break;
    }
    const TRect percent(
        MulDiv(m.Left - p.Left, 100, p.Width()), MulDiv(m.Top - p.Top, 100, p.Height()),
        MulDiv(p.Right - m.Right, 100, p.Width()), MulDiv(p.Bottom - m.Bottom, 100, p.Height()));
    if (FImage)
        FImage->SetPrintPageMargins(percent);
    if (FOnChangeMargins)
        FOnChangeMargins(this, true, percent);
}

void TChartPreviewPage::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseUp(button, shift, x, y);
    if (FDragZone == 0)
        return;
    FDragZone = 0;
    Invalidate();
}

void TChartPreviewPage::Print() {
    if (!FImage)
        return;
    THourGlass hourGlass;
    if (!FAsBitmap) {
        FImage->Print();
        return;
    }
    TPrinter* printer = Printer();
    printer->SetTitle(FImage->Name());
    if (!printer->ChoosePdfFile(FImage->PrintFileName()))
        return;
    TPrintDocumentGuard document(printer);
    const TRect target = FImage->CalcPrintRect(PrinterPage(printer));
    if (std::unique_ptr<TBitmap> picture = MakeImageBitmap())
        printer->Canvas()->StretchDraw(target, picture.get());
    document.End();
}

// ---------------------------------------------------------------------------
// TChartPreview

TChartPreview::TChartPreview(TComponent* owner) : TForm(owner) {
    {
        TLoadingBracket loading(this);
        SetName("ChartPreview");
        SetCaption("VedIvuri Print Preview");
        SetBounds(0, 0, 608, 427);
        SetPosition(poScreenCenter);
        SetKeyPreview(true);

        Panel1 = PlaceControl<TPanel>(this, this, "Panel1", 0, 0, 185, 41, "");
        Panel1->SetAlign(alTop);
        Label1 = PlaceControl<TLabel>(this, Panel1, "Label1", 8, 13, 45, 16, "P&rinter:");
        Printers = PlaceControl<TComboBox>(this, Panel1, "Printers", 56, 9, 193, 24);
        Printers->SetStyle(csDropDownList);
        Printers->SetOnChange(TNotifyEvent(this, &TChartPreview::PrintersChange, "PrintersChange"));
        BSetupPrinter = PlaceControl<TButton>(this, Panel1, "BSetupPrinter", 260, 8, 113, 25,
                                              "Printer &Setup...");
        BSetupPrinter->SetOnClick(
            TNotifyEvent(this, &TChartPreview::BSetupPrinterClick, "BSetupPrinterClick"));
        BPrint = PlaceControl<TButton>(this, Panel1, "BPrint", 384, 8, 89, 25, "&Print");
        BPrint->SetOnClick(TNotifyEvent(this, &TChartPreview::BPrintClick, "BPrintClick"));
        BClose = PlaceControl<TButton>(this, Panel1, "BClose", 484, 8, 89, 25, "Close");
        BClose->SetDefault(true);
        BClose->SetCancel(true);
        BClose->SetOnClick(TNotifyEvent(this, &TChartPreview::BCloseClick, "BCloseClick"));

        Panel2 = PlaceControl<TPanel>(this, this, "Panel2", 0, 0, 145, 41, "");
        Panel2->SetAlign(alLeft);
        Orientation = PlaceControl<TRadioGroup>(this, Panel2, "Orientation", 6, 4, 133, 61,
                                                "Paper Orientation:");
        Orientation->Items()->Add("P&ortrait");
        Orientation->Items()->Add("&Landscape");
        Orientation->SetOnClick(
            TNotifyEvent(this, &TChartPreview::OrientationClick, "OrientationClick"));

        GBMargins =
            PlaceControl<TGroupBox>(this, Panel2, "GBMargins", 6, 70, 133, 129, "Margins (%)");
        struct TEditPlace {
            TEdit** Edit;
            TUpDown** UpDown;
            const char* EditName;
            const char* UpDownName;
            int Left, Top;
            void (TChartPreview::*Handler)(TObject*);
            const char* HandlerName;
        };
        const TEditPlace places[] = {
            {&SETopMa, &UDTopMa, "SETopMa", "UDTopMa", 40, 20, &TChartPreview::SETopMaChange,
             "SETopMaChange"},
            {&SELeftMa, &UDLeftMa, "SELeftMa", "UDLeftMa", 6, 50, &TChartPreview::SELeftMaChange,
             "SELeftMaChange"},
            {&SERightMa, &UDRightMa, "SERightMa", "UDRightMa", 72, 50,
             &TChartPreview::SERightMaChange, "SERightMaChange"},
            {&SEBotMa, &UDBotMa, "SEBotMa", "UDBotMa", 40, 80, &TChartPreview::SEBotMaChange,
             "SEBotMaChange"},
        };
        for (const TEditPlace& place : places) {
            TEdit* edit =
                PlaceControl<TEdit>(this, GBMargins, place.EditName, place.Left, place.Top, 54, 24);
            edit->SetText("0");
            // The associate puts the up-down in its parent, beside it.
            auto* upDown = new TUpDown(this);
            upDown->SetName(place.UpDownName);
            upDown->SetMin(0);
            upDown->SetMax(100);
            upDown->SetThousands(false);
            upDown->SetAssociate(edit);
            edit->SetOnChange(TNotifyEvent(this, place.Handler, place.HandlerName));
            *place.Edit = edit;
            *place.UpDown = upDown;
        }
        ShowMargins = PlaceControl<TCheckBox>(this, GBMargins, "ShowMargins", 6, 106, 120, 18,
                                              "&View Margins");
        ShowMargins->SetChecked(true);
        ShowMargins->SetOnClick(
            TNotifyEvent(this, &TChartPreview::ShowMarginsClick, "ShowMarginsClick"));
        BReset = PlaceControl<TButton>(this, Panel2, "BReset", 6, 204, 133, 25, "Reset &Margins");
        BReset->SetEnabled(false);
        BReset->SetOnClick(TNotifyEvent(this, &TChartPreview::BResetClick, "BResetClick"));

        ChangeDetailGroup =
            PlaceControl<TGroupBox>(this, Panel2, "ChangeDetailGroup", 6, 234, 133, 65, "Detail:");
        Label2 = PlaceControl<TLabel>(this, ChangeDetailGroup, "Label2", 6, 20, 40, 16, "More");
        Label3 = PlaceControl<TLabel>(this, ChangeDetailGroup, "Label3", 82, 20, 45, 16, "Normal");
        Resolution =
            PlaceControl<TScrollBar>(this, ChangeDetailGroup, "Resolution", 6, 38, 121, 17);
        Resolution->SetParams(0, -100, 0);
        Resolution->SetOnChange(
            TNotifyEvent(this, &TChartPreview::ResolutionChange, "ResolutionChange"));
        CBProp = PlaceControl<TCheckBox>(this, Panel2, "CBProp", 6, 306, 133, 18, "Proportional");
        CBProp->SetChecked(true);
        CBProp->SetOnClick(TNotifyEvent(this, &TChartPreview::CBPropClick, "CBPropClick"));

        PrinterSetupDialog1 = new TPrinterSetupDialog(this);
        PrinterSetupDialog1->SetName("PrinterSetupDialog1");

        SetOnCreate(TNotifyEvent(this, &TChartPreview::FormCreate, "FormCreate"));
        SetOnShow(TNotifyEvent(this, &TChartPreview::FormShow, "FormShow"));
    }
    FormCreate(this);
}

void TChartPreview::FormCreate(TObject*) {
    if (ChartPreviewPanel1)
        return;
    ChartPreviewPanel1 = new TChartPreviewPage(this);
    ChartPreviewPanel1->SetName("ChartPreviewPanel1");
    ChartPreviewPanel1->SetParent(this);
    ChartPreviewPanel1->SetAlign(alClient);
    ChartPreviewPanel1->SetOnChangeMargins(
        TChangeMarginsEvent(this, &TChartPreview::ChangeMargins, "ChangeMargins"));
    FChangingMargins = true;
}

void TChartPreview::HandleMessage(TMessage& message) {
    // The background counts as erased: the page paints all of its area itself.
    if (message.Msg == WM_ERASEBKGND) {
        message.Result = 1;
        return;
    }
    TForm::HandleMessage(message);
}

void TChartPreview::FillPrinters() {
    TPrinter* printer = Printer();
    Printers->Items()->Assign(*printer->Printers());
    Printers->SetItemIndex(printer->PrinterIndex());
}

void TChartPreview::FormShow(TObject*) {
    Screen->SetCursor(crDefault);
    FChangingMargins = true;
    FillPrinters();
    Printer()->SetOrientation(poLandscape);
    TCustomChartPanel* panel = ChartPreviewPanel1->Image();
    if (panel) {
        FChangingProp = true;
        CBProp->SetChecked(panel->PrintProportional());
        FChangingProp = false;
        Resolution->SetPosition(panel->PrintDetailPercent());
        FSavedMargins = panel->PrintPageMargins();
    }
    ResetMargins();
    FChangingMargins = false;
}

void TChartPreview::UpdateMarginEdits() {
    TCustomChartPanel* panel = ChartPreviewPanel1->Image();
    if (!panel)
        return;
    const bool old = FChangingMargins;
    FChangingMargins = true;
    const TRect& m = panel->PrintPageMargins();
    UDLeftMa->SetPosition(m.Left);
    UDTopMa->SetPosition(m.Top);
    UDRightMa->SetPosition(m.Right);
    UDBotMa->SetPosition(m.Bottom);
    FChangingMargins = old;
}

void TChartPreview::CheckReset() {
    TCustomChartPanel* panel = ChartPreviewPanel1->Image();
    BReset->SetEnabled(panel && !(panel->PrintPageMargins() == FSavedMargins));
}

void TChartPreview::ResetMargins() {
    TCustomChartPanel* panel = ChartPreviewPanel1->Image();
    if (panel && panel->PrintProportional()) {
        FSavedMargins = panel->CalcProportionalMargins(PrinterPage(Printer()));
        panel->SetPrintPageMargins(FSavedMargins);
    }
    Orientation->SetItemIndex(Printer()->Orientation() == poPortrait ? 0 : 1);
    UpdateMarginEdits();
    ChartPreviewPanel1->Invalidate();
    CheckReset();
}

void TChartPreview::MarginEdited(int side) {
    if (FChangingMargins)
        return;
    TCustomChartPanel* panel = ChartPreviewPanel1->Image();
    if (!panel)
        return;
    TUpDown* upDowns[4] = {UDLeftMa, UDTopMa, UDRightMa, UDBotMa};
    TRect m = panel->PrintPageMargins();
    int* values[4] = {&m.Left, &m.Top, &m.Right, &m.Bottom};
    const int position = upDowns[side]->Position();
    if (position + *values[(side + 2) % 4] >= 100) {
        FChangingMargins = true;
        upDowns[side]->SetPosition(*values[side]);
        FChangingMargins = false;
        return;
    }
    *values[side] = position;
    panel->SetPrintPageMargins(m);
    ChartPreviewPanel1->Invalidate();
    CheckReset();
}

void TChartPreview::SELeftMaChange(TObject*) {
    MarginEdited(0);
}
void TChartPreview::SETopMaChange(TObject*) {
    MarginEdited(1);
}
void TChartPreview::SERightMaChange(TObject*) {
    MarginEdited(2);
}
void TChartPreview::SEBotMaChange(TObject*) {
    MarginEdited(3);
}

void TChartPreview::ChangeMargins(TObject*, bool, const TRect& margins) {
    FChangingMargins = true;
    UDLeftMa->SetPosition(margins.Left);
    UDTopMa->SetPosition(margins.Top);
    UDRightMa->SetPosition(margins.Right);
    UDBotMa->SetPosition(margins.Bottom);
    FChangingMargins = false;
    if (TCustomChartPanel* panel = ChartPreviewPanel1->Image())
        panel->SetPrintProportional(false);
    FChangingProp = true;
    CBProp->SetChecked(false);
    FChangingProp = false;
    if (ChartPreviewPanel1->DragImage()) {
        ChartPreviewPanel1->Invalidate();
        CheckReset();
    } else {
        ChartPreviewPanel1->DrawMarginLines();
    }
}

void TChartPreview::BResetClick(TObject*) {
    if (TCustomChartPanel* panel = ChartPreviewPanel1->Image())
        panel->SetPrintPageMargins(FSavedMargins);
    UpdateMarginEdits();
    ChartPreviewPanel1->Invalidate();
    CheckReset();
}

void TChartPreview::PrintersChange(TObject* sender) {
    if (Printers->ItemIndex() >= 0)
        Printer()->SetPrinterIndex(Printers->ItemIndex());
    OrientationClick(sender);
}

void TChartPreview::OrientationClick(TObject*) {
    if (Orientation->ItemIndex() >= 0)
        Printer()->SetOrientation(Orientation->ItemIndex() == 0 ? poPortrait : poLandscape);
    ResetMargins();
    ChartPreviewPanel1->Invalidate();
}

void TChartPreview::CBPropClick(TObject*) {
    if (FChangingProp)
        return;
    if (TCustomChartPanel* panel = ChartPreviewPanel1->Image())
        panel->SetPrintProportional(CBProp->Checked());
    ResetMargins();
}

void TChartPreview::BSetupPrinterClick(TObject*) {
    PrinterSetupDialog1->Execute();
    FillPrinters();
    Orientation->SetItemIndex(Printer()->Orientation() == poPortrait ? 0 : 1);
    // The sheet follows the printer's paper and orientation.
    ResetMargins();
    ChartPreviewPanel1->Invalidate();
}

void TChartPreview::ResolutionChange(TObject*) {
    if (TCustomChartPanel* panel = ChartPreviewPanel1->Image())
        panel->SetPrintDetailPercent(Resolution->Position());
    ChartPreviewPanel1->Invalidate();
    Orientation->SetItemIndex(Printer()->Orientation() == poPortrait ? 0 : 1);
}

void TChartPreview::ShowMarginsClick(TObject*) {
    ChartPreviewPanel1->SetShowMargins(ShowMargins->Checked());
}

void TChartPreview::BPrintClick(TObject*) {
    THourGlass hourGlass;
    ChartPreviewPanel1->Print();
}

void TChartPreview::BCloseClick(TObject*) {
    Close();
}

void ShowChartPreview(TCustomForm* owner, TCustomChartPanel* panel) {
    struct TRepaint {
        TCustomChartPanel* Panel;
        ~TRepaint() {
            if (Panel)
                Panel->Invalidate();
        }
    } repaint{panel};
    std::unique_ptr<TChartPreview> preview(new TChartPreview(owner));
    preview->ChartPreviewPanel1->SetImage(panel);
    preview->ShowModal();
}
