#include "windrose/WindRose.h"

#include "app/DataMod.h"
#include "app/ViewHelpers.h"
#include "chartdlg/ChartEditor.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Metafile.h"
#include "windrose/ChartShape.h"
#include "windrose/TabDataEd.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

TForm1* Form1 = nullptr;

namespace {

// Far beyond any window, yet safe to round and to add a centre to.
constexpr double kPixelLimit = 1'000'000.0;

// A rose coordinate in pixels: nearest integer, halves to the even neighbour; values out
// of any sensible range (a huge or broken table) are clamped first.
int ToPixel(double value) {
    if (std::isnan(value))
        return 0;
    return int(Round(std::clamp(value, -kPixelLimit, kPixelLimit)));
}

} // namespace

// ---------------------------------------------------------------------------
// Geometry of the rose

TRosePoint RotatePoint(const TRosePoint& p, double a) {
    const double c = std::cos(a);
    const double s = std::sin(a);
    return {p.X * c - p.Y * s, p.Y * c + p.X * s};
}

TSectorPolygon BuildSectorPolygon(const TTabData& table, int k) {
    const auto column = size_t(k);
    const double f = table.SectorFreq.at(column);
    // Per-mille sums of the four speed-class groups, over the rows that exist.
    std::array<double, 4> sums{};
    for (size_t row = 0; row < table.Rows.size(); ++row) {
        const int group =
            int(std::upper_bound(SpeedClassBounds.begin(), SpeedClassBounds.end(), int(row)) -
                SpeedClassBounds.begin());
        sums[size_t(group)] += table.Rows[row].at(column);
    }
    const double l1 = sums[0] / 1000 * f;
    const double l2 = sums[1] / 1000 * f + l1;
    const double l3 = sums[2] / 1000 * f + l2;
    const double l4 = sums[3] / 1000 * f + l3;
    constexpr double w = BarHalfWidth;
    TSectorPolygon polygon = {{{0, 0},
                               {0, l1},
                               {-w, l1},
                               {-w, l2},
                               {-2 * w, l2},
                               {-2 * w, l3},
                               {-3 * w, l3},
                               {-3 * w, l4},
                               {3 * w, l4},
                               {3 * w, l3},
                               {2 * w, l3},
                               {2 * w, l2},
                               {w, l2},
                               {w, l1},
                               {0, l1},
                               {0, 0}}};
    const double angle = -k * 2 * std::numbers::pi / table.SectorCount;
    for (TRosePoint& p : polygon)
        p = RotatePoint(p, angle);
    return polygon;
}

bool IsDrawableTable(const TTabData& table) {
    const auto n = size_t(std::max(table.SectorCount, 0));
    if (n == 0 || table.SectorFreq.size() != n)
        return false;
    for (const TTabRow& row : table.Rows)
        if (row.size() != n)
            return false;
    const double maxFreq = *std::max_element(table.SectorFreq.begin(), table.SectorFreq.end());
    return std::isfinite(maxFreq) && maxFreq > 0;
}

// ---------------------------------------------------------------------------
// TForm1

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("Form1");
    SetCaption("Form1");
    SetBounds(192, 107, 696, 480);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);
    SetKeyPreview(true);
    SetOnKeyDown(TKeyEvent(this, &TForm1::FormKeyDown, "FormKeyDown"));
    SetOnResize(TNotifyEvent(this, &TForm1::FormResize, "FormResize"));

    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    if (dm)
        ActionList1->SetImages(dm->ieHots);
    actOpen = AddAction(this, ActionList1, "actOpen", "Ανοιγμα", 12, TextToShortCut("F3"),
                        TNotifyEvent(this, &TForm1::actOpenExecute, "actOpenExecute"));
    actClipCopy =
        AddAction(this, ActionList1, "actClipCopy", "Αντιγραφή", 6, TextToShortCut("Ctrl+Ins"),
                  TNotifyEvent(this, &TForm1::actClipCopyExecute, "actClipCopyExecute"));
    actEditChart =
        AddAction(this, ActionList1, "actEditChart", "Ιδιότητες", 15, scNone,
                  TNotifyEvent(this, &TForm1::actEditChartExecute, "actEditChartExecute"));
    actEditData = AddAction(this, ActionList1, "actEditData", "Επεξεργ.", 4, scNone,
                            TNotifyEvent(this, &TForm1::actEditDataExecute, "actEditDataExecute"));
    actEditData->SetEnabled(false);

    TToolStrip strip = MakeToolStrip(this, 75, 43);
    CoolBar1 = strip.CoolBar;
    ToolBar1 = strip.ToolBar;
    ToolButton1 = AddToolButton(this, ToolBar1, "ToolButton1", actOpen);
    ToolButton2 = AddToolButton(this, ToolBar1, "ToolButton2", actClipCopy);
    ToolButton3 = AddToolButton(this, ToolBar1, "ToolButton3", actEditChart);
    ToolButton4 = AddToolButton(this, ToolBar1, "ToolButton4", actEditData);

    Chart1 = new TChart(this);
    Chart1->SetName("Chart1");
    Chart1->SetParent(this);
    Chart1->SetAlign(alClient);
    Chart1->SetBevelOuter(bvNone);
    Chart1->Title()->Text()->SetText("Ροζέτα Ανέμου");
    Chart1->SetAxisVisible(false);
    Chart1->SetBackImageMode(pbmCenter);
    Chart1->SetBackImageInside(true);
    Chart1->BackWall()->Brush()->SetStyle(bsClear);
    Chart1->Gradient()->SetVisible(true);
    Chart1->Foot()->Text()->Clear();
    Chart1->Foot()->Text()->Add("");

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetName("OpenDialog");
    OpenDialog->SetDefaultExt("tab");
    OpenDialog->SetFilter("Observed wind climate (tab)|*.tab");

    FormStorage = new TFormStorage(this);
    FormStorage->SetName("FormStorage");
    FormStorage->SetUseRegistry(true);
    FormStorage->StoredProps()->Add("OpenDialog.InitialDir");
}

void TForm1::actOpenExecute(TObject*) {
    if (!OpenDialog->Execute())
        return;
    const std::string fileName = OpenDialog->FileName();
    auto table = std::make_unique<TTabData>();
    LoadFromFile(*table, fileName);
    if (!IsDrawableTable(*table))
        throw EInOutError(Format("Ο πίνακας του αρχείου %s δεν έχει καμία θετική συχνότητα "
                                 "τομέα",
                                 {fileName}));
    FTabData = std::move(table);
    OpenDialog->SetInitialDir(FileFolder(fileName));
    DrawRose();
    actEditData->SetEnabled(true);
}

void TForm1::actEditChartExecute(TObject*) {
    std::unique_ptr<TChartEditForm> editor(new TChartEditForm(Application));
    editor->EditedChart = Chart1;
    editor->TabSeriesList->SetTabVisible(false);
    editor->TabSeries->SetTabVisible(false);
    editor->OpenPageIndex = cepAxis;
    editor->ShowModal();
}

void TForm1::actClipCopyExecute(TObject*) {
    Chart1->CopyAsMetafile(true);
}

void TForm1::actEditDataExecute(TObject*) {
    if (!FTabData)
        return;
    std::unique_ptr<TfmTabDataEd> editor(CreateForm<TfmTabDataEd>(Application));
    editor->SetTabData(FTabData.get());
    editor->ShowModal();
}

void TForm1::FormKeyDown(TObject*, uint16_t& key, TShiftState shift) {
    // Ctrl+Ins is the copy action's shortcut, which has run already.
    if (key == VK_INSERT && !shift.Contains(ssCtrl))
        actClipCopyExecute(this);
}

void TForm1::FormResize(TObject*) {
    DrawRose();
}

void TForm1::DrawRose() {
    if (!FTabData || !IsDrawableTable(*FTabData))
        return;
    const TTabData& table = *FTabData;
    const int width = Chart1->Width();
    const int height = Chart1->Height();
    if (width <= 0 || height <= 0)
        return;

    TPicture picture;
    TMetafile* metafile = picture.Metafile();
    metafile->SetWidth(width);
    metafile->SetHeight(height);
    {
        TMetafileCanvas canvas(metafile, nullptr);
        const double maxFreq = *std::max_element(table.SectorFreq.begin(), table.SectorFreq.end());
        const double scale = std::min(width, height) / maxFreq / 3; // pixels per %
        const int cx = width / 2;
        const int cy = height / 2;

        canvas.Brush()->SetColor(RoseColor);
        canvas.Brush()->SetStyle(bsSolid);
        std::vector<TPoint> points(std::tuple_size_v<TSectorPolygon>);
        for (int k = 0; k < table.SectorCount; ++k) {
            const TSectorPolygon polygon = BuildSectorPolygon(table, k);
            for (size_t i = 0; i < polygon.size(); ++i)
                points[i] =
                    TPoint(ToPixel(polygon[i].X * scale) + cx, cy - ToPixel(polygon[i].Y * scale));
            canvas.Polygon(points);
        }

        // Twelve labels around the rose whatever the sector count; y grows downward here,
        // so "N" stands above the centre and "E" to its right.
        canvas.Brush()->SetStyle(bsClear);
        for (size_t i = 0; i < DirLabels.size(); ++i) {
            const std::string text(DirLabels[i]);
            const int w = canvas.TextWidth(text);
            const int h = canvas.TextHeight(text);
            const double r = (maxFreq * scale + w / scale) * 1.1;
            const double d = h / scale * 1.1;
            const TRosePoint p =
                RotatePoint({r, d}, double(i) * std::numbers::pi / 6 - std::numbers::pi / 2);
            canvas.TextOut(ToPixel(p.X) + cx - w / 2, ToPixel(p.Y) + cy - h / 2, text);
        }
    } // the canvas hands its drawing to the metafile here

    Chart1->SetBackImage(&picture);
    Chart1->Foot()->Text()->Clear();
    Chart1->Foot()->Text()->Add(table.Title);
}

// ---------------------------------------------------------------------------

void CreateRoseWindows() {
    RegisterChartShape();
    // Pelmora's variant of the shared data module (15 tool-bar images, no model dialogs).
    auto* module = new Tdm(Application, TdmVariant::Pelmora);
    try {
        module->AfterConstruction();
    } catch (...) {
        delete module;
        throw;
    }
    dm = module;
    Application->CreateForm(Form1);
}

bool TForm1::CloseQuery() {
    return CloseQueryGatheringExitSave(this, [this] { return TForm::CloseQuery(); });
}

void FreeRoseWindows() {
    FreeWindowsSavingOnce([] {
        delete Form1;
        Form1 = nullptr;
        delete dm;
        dm = nullptr;
    });
}
