#include "app/design.h"

#include "app/BatEd.h"
#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/FormParts.h"
#include "app/HZed.h"
#include "app/PhotovEd.h"
#include "app/RestEd.h"
#include "app/wgEd.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/WindowSystem.h"
#include "model/Data.h"

#include <memory>

namespace {

constexpr int kGlyphSize = 40;
constexpr TColor kGlyphBack = clFuchsia; // the glyphs' transparent colour
constexpr TColor kOutline = TColor(0x202020);

// The editor buttons' glyphs, drawn in the style of the toolbar icons: dark outline,
// flat fills.
std::unique_ptr<TBitmap> MakeGlyph(int tag) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(kGlyphSize, kGlyphSize);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(kGlyphBack);
    c->FillRect(Rect(0, 0, kGlyphSize, kGlyphSize));
    c->Pen()->SetColor(kOutline);
    c->Pen()->SetWidth(1);
    switch (tag) {
    case 0: // wind generator: tower, nacelle, three blades
        c->Brush()->SetColor(clSilver);
        c->Polygon({TPoint(18, 16), TPoint(22, 16), TPoint(24, 38), TPoint(16, 38)});
        c->Brush()->SetColor(clWhite);
        c->Polygon({TPoint(19, 13), TPoint(21, 13), TPoint(23, 1), TPoint(17, 1)});
        c->Polygon({TPoint(21, 14), TPoint(22, 16), TPoint(33, 23), TPoint(35, 19)});
        c->Polygon({TPoint(19, 14), TPoint(18, 16), TPoint(7, 23), TPoint(5, 19)});
        c->Brush()->SetColor(clRed);
        c->Ellipse(16, 11, 25, 20);
        break;
    case 1: // PV array: sun over a tilted panel of cells
        c->Brush()->SetColor(clYellow);
        c->Ellipse(24, 2, 37, 15);
        c->Brush()->SetColor(clNavy);
        c->Polygon({TPoint(8, 16), TPoint(30, 16), TPoint(36, 34), TPoint(2, 34)});
        c->Pen()->SetColor(clSkyBlue);
        for (int i = 1; i < 4; ++i) {
            c->MoveTo(8 + i * 22 / 4 - i * 6 / 4, 17);
            c->LineTo(2 + i * 34 / 4, 34);
        }
        c->MoveTo(6, 22);
        c->LineTo(32, 22);
        c->MoveTo(4, 28);
        c->LineTo(34, 28);
        c->Pen()->SetColor(kOutline);
        c->MoveTo(19, 34);
        c->LineTo(19, 38);
        break;
    case 2: // generator set: engine block with exhaust and a "G"
        c->Brush()->SetColor(clOlive);
        c->Rectangle(4, 14, 36, 34);
        c->Brush()->SetColor(clGray);
        c->Rectangle(8, 6, 13, 14);
        c->Brush()->SetColor(clYellow);
        c->Ellipse(15, 17, 32, 32);
        c->Brush()->SetColor(clBlack);
        c->Rectangle(6, 34, 12, 38);
        c->Rectangle(28, 34, 34, 38);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetName("Arial");
        c->Font()->SetHeight(-13);
        c->Font()->SetStyle(TFontStyles{fsBold});
        c->TextOut(19, 17, "G");
        break;
    case 3: // battery: case, terminals, + and -
        c->Brush()->SetColor(clGray);
        c->Rectangle(8, 6, 14, 11);
        c->Rectangle(26, 6, 32, 11);
        c->Brush()->SetColor(clGreen);
        c->Rectangle(3, 10, 37, 36);
        c->Pen()->SetColor(clWhite);
        c->Pen()->SetWidth(2);
        c->MoveTo(8, 20);
        c->LineTo(15, 20);
        c->MoveTo(11, 17);
        c->LineTo(11, 24);
        c->MoveTo(25, 20);
        c->LineTo(32, 20);
        break;
    default: // other components: an inverter box with a sine wave and cables
        c->Brush()->SetColor(clTeal);
        c->Rectangle(6, 8, 34, 32);
        c->Pen()->SetColor(clWhite);
        c->Pen()->SetWidth(2);
        c->MoveTo(10, 20);
        c->LineTo(14, 14);
        c->LineTo(18, 20);
        c->LineTo(22, 26);
        c->LineTo(26, 20);
        c->LineTo(30, 14);
        c->Pen()->SetColor(kOutline);
        c->Pen()->SetWidth(2);
        c->MoveTo(12, 32);
        c->LineTo(12, 38);
        c->MoveTo(28, 32);
        c->LineTo(28, 38);
        break;
    }
    return bmp;
}

// Section rows of the summary, beside the buttons. The columns are as narrow as their
// texts allow ("Μοντέλο", "12345.50", "Volts"), so that the summary and the widest editor
// both fit beside the view list at the main window's first size.
constexpr int kButtonLeft = 6;
constexpr int kButtonSize = 44;
constexpr int kLabelLeft = kButtonLeft + kButtonSize + 6;
constexpr int kValueLeft = kLabelLeft + 56;
constexpr int kValueWidth = 68;
constexpr int kUnitLeft = kValueLeft + kValueWidth + 4;
constexpr int kUnitWidth = 32;
constexpr int kRow = 20;
constexpr int kSectionGap = 6;
constexpr int kContentRight = kUnitLeft + kUnitWidth;

} // namespace

const std::array<TClass, EditorCount>& EditorClasses() {
    static const std::array<TClass, EditorCount> classes = {
        TfmWGEd::StaticClass(), TfmPhotovEd::StaticClass(), TFmHZed::StaticClass(),
        TfmBatEd::StaticClass(), TfmRestED::StaticClass()};
    return classes;
}

TfmDesign::TfmDesign(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmDesign");
    SetCaption("Σχεδιασμός του Συστήματος");
    SetBounds(0, 0, 696, 420);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    if (dm)
        ActionList1->SetImages(dm->ieHots);
    ActionList1->SetOnUpdate(
        TActionEvent(this, &TfmDesign::ActionList1Update, "ActionList1Update"));
    actOpenFile = AddAction(this, ActionList1, "actOpenFile", "Ανοιγμα", 9, scNone, {});
    actSaveFile = AddAction(this, ActionList1, "actSaveFile", "Αποθήκευση", 11, scNone, {});

    TToolStrip strip = MakeToolStrip(this, 80, 43);
    CoolBar1 = strip.CoolBar;
    ToolBar1 = strip.ToolBar;
    ToolButton1 = AddToolButton(this, ToolBar1, "ToolButton1", actOpenFile);
    ToolButton2 = AddToolButton(this, ToolBar1, "ToolButton2", actSaveFile);

    upPanel = new TScrollBox(this);
    upPanel->SetName("upPanel");
    upPanel->SetParent(this);
    upPanel->SetAlign(alLeft);
    upPanel->SetWidth(kContentRight + 4 + 4);

    Splitter1 = new TSplitter(this);
    Splitter1->SetName("Splitter1");
    Splitter1->SetParent(this);
    Splitter1->SetAlign(alLeft);
    Splitter1->SetLeft(upPanel->Width());

    sysHolder = new TPanel(this);
    sysHolder->SetName("sysHolder");
    sysHolder->SetParent(this);
    sysHolder->SetAlign(alClient);
    sysHolder->SetBevelOuter(bvNone);
    sysHolder->SetCaption("");

    // Wind generator.
    int top = 6;
    sbWG = AddEditorButton("sbWG", 0, top);
    AddLabel("Ισχύς:", kLabelLeft, top);
    stRatedPower = AddValue("stRatedPower", kValueLeft, top, kValueWidth);
    AddLabel("Watt", kUnitLeft, top);
    AddLabel("Μοντέλο", kLabelLeft, top + kRow);
    stModelName = AddValue("stModelName", kValueLeft, top + kRow, kContentRight - kValueLeft);
    AddLabel("Vr:", kLabelLeft, top + 2 * kRow);
    stVr = AddValue("stVr", kValueLeft, top + 2 * kRow, kValueWidth);
    AddLabel("m/s", kUnitLeft, top + 2 * kRow);

    // PV array.
    top += 3 * kRow + kSectionGap;
    sbPhotoV = AddEditorButton("sbPhotoV", 1, top);
    AddLabel("Ισχύς:", kLabelLeft, top);
    stPhPr = AddValue("stPhPr", kValueLeft, top, kValueWidth);
    AddLabel("Watt", kUnitLeft, top);

    // Generator set.
    top += kButtonSize + kSectionGap;
    SpeedButton3 = AddEditorButton("SpeedButton3", 2, top);
    AddLabel("Ισχύς:", kLabelLeft, top);
    stHZPower = AddValue("stHZPower", kValueLeft, top, kValueWidth);
    AddLabel("Watt", kUnitLeft, top);
    // The note and the connection run below the button, over the summary's whole width.
    const int below = top + kButtonSize + 2;
    stHZCalc = AddValue("stHZCalc", kButtonLeft, below, kContentRight - kButtonLeft);
    AddLabel("Σύνδεση:", kLabelLeft, below + kRow, kContentRight - kLabelLeft);
    stHZConType =
        AddValue("stHZConType", kButtonLeft, below + 2 * kRow, kContentRight - kButtonLeft);

    // Battery.
    top = below + 3 * kRow + kSectionGap;
    sbBat = AddEditorButton("sbBat", 3, top);
    AddLabel("Χωρ/τα:", kLabelLeft, top);
    stBatCap = AddValue("stBatCap", kValueLeft, top, kValueWidth);
    AddLabel("Wh", kUnitLeft, top);
    AddLabel("Τάση:", kLabelLeft, top + kRow);
    stBatVolts = AddValue("stBatVolts", kValueLeft, top + kRow, kValueWidth);
    AddLabel("Volts", kUnitLeft, top + kRow);
    AddLabel("Χωρ/τα:", kLabelLeft, top + 2 * kRow);
    stBatCapA = AddValue("stBatCapA", kValueLeft, top + 2 * kRow, kValueWidth);
    AddLabel("Ah", kUnitLeft, top + 2 * kRow);

    // Other components.
    top += 3 * kRow + kSectionGap;
    SpeedButton6 = AddEditorButton("SpeedButton6", 4, top);

    sbWG->SetDown(true);
    SetOnResize(TNotifyEvent(this, &TfmDesign::FormResize, "FormResize"));
    SetOnCreate(TNotifyEvent(this, &TfmDesign::FormCreate, "FormCreate"));
}

// The summary's children are laid out once more while the window is taken apart: the
// resize handler must not run on a form that is no longer a design page.
TfmDesign::~TfmDesign() {
    SetOnResize(nullptr);
}

TSpeedButton* TfmDesign::AddEditorButton(const std::string& name, int tag, int top) {
    auto* button = new TSpeedButton(this);
    button->SetName(name);
    button->SetParent(upPanel);
    button->SetTag(tag);
    button->SetBounds(kButtonLeft, top, kButtonSize, kButtonSize);
    button->SetGroupIndex(100);
    button->SetAllowAllUp(true);
    button->SetCaption("");
    std::unique_ptr<TBitmap> glyph = MakeGlyph(tag);
    button->SetGlyph(glyph.get());
    button->SetOnClick(TNotifyEvent(this, &TfmDesign::sbWGClick, "sbWGClick"));
    return button;
}

TStaticText* TfmDesign::AddValue(const std::string& name, int left, int top, int width) {
    auto* text = new TStaticText(this);
    text->SetName(name);
    text->SetParent(upPanel);
    text->SetAutoSize(false);
    text->SetAlignment(taRightJustify);
    text->SetBorderStyle(sbsSunken);
    text->SetBounds(left, top, width, kRow - 3);
    text->SetCaption("");
    return text;
}

TLabel* TfmDesign::AddLabel(const std::string& caption, int left, int top, int width) {
    auto* label = new TLabel(this);
    label->SetName("Label" + std::to_string(++FLabelCount));
    label->SetParent(upPanel);
    label->SetAutoSize(false);
    label->SetCaption(caption);
    if (width <= 0)
        width = left < kValueLeft ? kValueLeft - left - 2 : kUnitWidth;
    label->SetBounds(left, top + 2, width, kRow - 4);
    return label;
}

void TfmDesign::FormCreate(TObject*) {
    sbWGClick(sbWG);
}

void TfmDesign::sbWGClick(TObject* sender) {
    auto* button = dynamic_cast<TSpeedButton*>(sender);
    if (!button || !button->Down())
        return;
    int tag = button->Tag();
    if (tag < 0 || tag >= EditorCount)
        return;
    ShowFormInPanel(sysHolder, fmHolder ? fmHolder->Panel1 : nullptr, false, nullptr,
                    EditorClasses()[size_t(tag)], true);
}

void TfmDesign::FormResize(TObject*) {
    const bool bar = upPanel->VertScrollBar()->IsScrollBarVisible();
    if (bar == FSummaryBarRoom)
        return;
    FSummaryBarRoom = bar;
    const int room = GetSystemMetrics(SM_CXVSCROLL);
    upPanel->SetWidth(upPanel->Width() + (bar ? room : -room));
}

void TfmDesign::ActionList1Update(TBasicAction*, bool&) {
    UpdateSummary();
}

void TfmDesign::UpdateSummary() {
    // Runs at every idle moment: a text is written only when it changed, so the summary
    // repaints only then.
    auto show = [](TStaticText* text, const std::string& value) {
        if (text->Caption() != value)
            text->SetCaption(value);
    };
    // Numbers too long for their boxes show in scientific notation, the whole in the hint.
    auto number = [](TStaticText* text, double value) {
        ShowNumber(text, Format("%0.2f", {value}), value);
    };
    number(stRatedPower, PwrCurve->RatedPower());
    show(stModelName, PwrCurve->ModelName());
    number(stVr, PwrCurve->RatedSpeed());
    number(stPhPr, PVPower);
    number(stBatCap, BatCapacity);
    number(stBatVolts, BatVoltage);
    if (BatVoltage == 0)
        ShowNumber(stBatCapA, "-", 0);
    else
        number(stBatCapA, BatCapacity / BatVoltage);
    number(stHZPower, HZPower);
    show(stHZConType, HZConType >= 0 && HZConType < int(ConTypeNames.size())
                          ? ConTypeNames[size_t(HZConType)]
                          : "");
    show(stHZCalc, HZCalc ? "(υπολογ. από τις καταναλώσεις)" : "");
}

bool TfmDesign::IsShortCut(TMessage& message) {
    if (TForm::IsShortCut(message))
        return true;
    for (int i = 0; i < sysHolder->ComponentCount(); ++i)
        if (auto* form = dynamic_cast<TCustomForm*>(sysHolder->Components(i)))
            if (form->IsShortCut(message))
                return true;
    return false;
}
