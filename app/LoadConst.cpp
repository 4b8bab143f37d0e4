#include "app/LoadConst.h"

#include "app/DataMod.h"
#include "app/DevEdit.h"
#include "app/DeviceSel.h"
#include "app/FormHolder.h"
#include "app/FormParts.h"
#include "app/GraphBaseSt.h"
#include "chart/Series.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/ListView.h"
#include "model/Data.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

constexpr std::array<int, 5> kColWidths = {64, 31, 64, 229, 64};
const std::array<std::string, 5> kHeaders = {"a/a", "*", "Αρ.Συσ.", "Συσκευή", "Ισχύς"};

// The device shown in a data row, or nullptr.
TDeviceEl* DeviceOfRow(int row) {
    if (!DevList || row < 1 || row > DevList->Count())
        return nullptr;
    return DevList->GetDevice(row - 1);
}

} // namespace

TfmLoadConstr::TfmLoadConstr(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmLoadConstr");
    SetCaption("Διαχείρηση Συσκευών");
    SetBounds(0, 0, 696, 400);
    Font()->SetHeight(-13);
    using T = TfmLoadConstr;

    FormStorage = new TFormStorage(this);
    FormStorage->SetName("FormStorage");
    FormStorage->SetUseRegistry(true);
    FormStorage->SetOnSavePlacement(
        TNotifyEvent(this, &T::FormStorageSavePlacement, "FormStorageSavePlacement"));
    FormStorage->SetOnRestorePlacement(
        TNotifyEvent(this, &T::FormStorageRestorePlacement, "FormStorageRestorePlacement"));

    SaveDialog = new TSaveDialog(this);
    SaveDialog->SetName("SaveDialog");
    SaveDialog->SetDefaultExt("dvl");
    SaveDialog->SetFilter("Λίστα Συσκευών|*.dvl");

    BuildToolBar();

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetCaption("");
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetAlign(alLeft);
    Panel1->SetWidth(220);
    Panel1->SetParent(this);

    Splitter1 = new TSplitter(this);
    Splitter1->SetName("Splitter1");
    Splitter1->SetAlign(alLeft);
    Splitter1->SetLeft(Panel1->Width());
    Splitter1->SetParent(this);

    BuildGrid();
    SetOnCreate(TNotifyEvent(this, &T::FormCreate, "FormCreate"));
}

void TfmLoadConstr::BuildToolBar() {
    using T = TfmLoadConstr;
    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    if (dm)
        ActionList1->SetImages(dm->ieHots);
    actDelete =
        AddAction(this, ActionList1, "actDelete", "Διαγραφή", tiDelete, TextToShortCut("Ctrl+Del"),
                  TNotifyEvent(this, &T::actDeleteExecute, "actDeleteExecute"));
    actDelete->SetOnUpdate(TNotifyEvent(this, &T::actDeleteUpdate, "actDeleteUpdate"));

    TToolStrip strip = MakeToolStrip(this, 83, 43);
    CoolBar1 = strip.CoolBar;
    ToolBar1 = strip.ToolBar;
    auto button = [this](const std::string& name, const std::string& caption, int image,
                         TNotifyEvent onClick) {
        auto* b = new TToolButton(this);
        b->SetName(name);
        b->SetCaption(caption);
        b->SetImageIndex(image);
        b->SetOnClick(std::move(onClick));
        b->SetParent(ToolBar1);
        return b;
    };
    sbDevicesToogle = button("sbDevicesToogle", "Συσκευές", tiCatalog,
                             TNotifyEvent(this, &T::sbDevicesToogleClick, "sbDevicesToogleClick"));
    sbDevicesToogle->SetStyle(tbsCheck);
    sbDevicesToogle->SetAllowAllUp(true);
    sbDevicesToogle->SetDown(true);
    ToolButton5 = button("ToolButton5", "Ανοιγμα", tiOpen,
                         TNotifyEvent(this, &T::ToolButton5Click, "ToolButton5Click"));
    ToolButton1 = button("ToolButton1", "Αποθήκευση", tiSave,
                         TNotifyEvent(this, &T::ToolButton1Click, "ToolButton1Click"));
    ToolButton3 = AddToolButton(this, ToolBar1, "ToolButton3", actDelete);
    ToolButton2 = button("ToolButton2", "Ιδιότητες", tiProperties,
                         TNotifyEvent(this, &T::ToolButton2Click, "ToolButton2Click"));
    ToolButton4 = button("ToolButton4", "Γράφημα", tiGraph,
                         TNotifyEvent(this, &T::ToolButton4Click, "ToolButton4Click"));
}

void TfmLoadConstr::BuildGrid() {
    using T = TfmLoadConstr;
    gdDevices = new TExDrawGrid(this);
    gdDevices->SetName("gdDevices");
    gdDevices->SetAlign(alClient);
    gdDevices->SetColCount(int(kColWidths.size()));
    gdDevices->SetRowCount(2);
    gdDevices->SetFixedCols(1);
    gdDevices->SetFixedRows(1);
    for (size_t c = 0; c < kColWidths.size(); ++c)
        gdDevices->SetColWidths(int(c), kColWidths[c]);
    gdDevices->SetOptions(gdDevices->Options() + TGridOptions{goColSizing});
    gdDevices->SetOnDrawCell(TDrawCellEvent(this, &T::gdDevicesDrawCell, "gdDevicesDrawCell"));
    gdDevices->SetOnGetEditText(
        TGetEditEvent(this, &T::gdDevicesGetEditText, "gdDevicesGetEditText"));
    gdDevices->SetOnSetEditText(
        TSetEditEvent(this, &T::gdDevicesSetEditText, "gdDevicesSetEditText"));
    gdDevices->SetOnSelectCell(
        TSelectCellEvent(this, &T::gdDevicesSelectCell, "gdDevicesSelectCell"));
    gdDevices->SetParent(this);
}

// ---------------------------------------------------------------------------
// Creation and the catalogue

void TfmLoadConstr::FormCreate(TObject*) {
    FDevSel = CreateForm<TfmDevSel>(this);
    // Docked, the catalogue keeps no placement of its own, but its report columns keep
    // the widths the user dragged them to.
    FDevSel->FormStorage->SetOptions({});
    FDevSel->SetBorderIcons({});
    FDevSel->SetBorderStyle(bsNone);
    Panel1->SetDockSite(true);
    FDevSel->ManualDock(Panel1);
    FDevSel->tbnLarge->SetDown(true);
    FDevSel->tbnList->SetDown(false);
    // After the catalogue's own show handling (its storage restores the columns there).
    FDevSel->SetOnShow(TNotifyEvent([this, previous = FDevSel->OnShow()](TObject* sender) {
        if (previous)
            previous(sender);
        DevSelShow(sender);
    }));
    FDevSel->Show();

    FDevSel->ListView1->SetOnDblClick(
        TNotifyEvent(this, &TfmLoadConstr::AddSelectedDevice, "AddSelectedDevice"));
    FDevSel->ListView1->SetDragMode(dmAutomatic);

    gdDevices->SetControlStyle(gdDevices->ControlStyle() + TControlStyle{csDisplayDragImage});
    gdDevices->SetOnDragOver(
        TDragOverEvent(this, &TfmLoadConstr::gdDevicesDragOver, "gdDevicesDragOver"));
    gdDevices->SetOnDragDrop(
        TDragDropEvent(this, &TfmLoadConstr::gdDevicesDragDrop, "gdDevicesDragDrop"));
    UpdateRowCount();
}

void TfmLoadConstr::DevSelShow(TObject*) {
    FDevSel->tbnLarge->SetDown(true);
    FDevSel->ListView1->SetViewStyle(vsIcon);
}

void TfmLoadConstr::UpdateRowCount() {
    gdDevices->SetRowCount(std::max(DevList ? DevList->Count() + 1 : 1, 2));
    gdDevices->Invalidate();
}

void TfmLoadConstr::AddSelectedDevice(TObject*) {
    if (!FDevSel || !DevList)
        return;
    TDeviceEl* source = FDevSel->SelectedDevice();
    if (!source)
        return;
    std::unique_ptr<TDeviceEl> device = TDeviceEl::CreateCopy(*source);
    // Every period starts with the catalogue profile.
    const int periods = SeasonList ? SeasonList->Count() : 1;
    for (int p = 1; p < periods; ++p) {
        if (p < device->HourOps().Count())
            continue;
        THourOp* op = device->HourOps().Add();
        for (int h = 0; h < 24; ++h)
            op->SetFactor(h, device->HourOps().GetFactor(p - 1, h));
    }
    if (device->NotKnownOp()) {
        EditDevice(device.get());
    } else if (!device->KnownRatedPower()) {
        double power = device->RatedPower();
        // Refused as the grid's power column refuses it: the message shows, nothing is added.
        if (!InputRealInRange("Ονομαστική Ισχύς", power, 0, kMaxPower, kMinRatedPower))
            return;
        device->SetRatedPower(power);
    }
    DevList->Add(std::move(device));
    UpdateRowCount();
}

// ---------------------------------------------------------------------------
// The grid

void TfmLoadConstr::gdDevicesDrawCell(TObject*, int aCol, int aRow, const TRect& rect,
                                      TGridDrawState) {
    TCanvas* canvas = gdDevices->Canvas();
    if (aRow == 0) {
        if (aCol >= 0 && aCol < int(kHeaders.size()))
            DrawCellCentered(canvas, rect, kHeaders[size_t(aCol)]);
        return;
    }
    TDeviceEl* device = DeviceOfRow(aRow);
    if (!device)
        return;
    switch (aCol) {
    case 0:
        DrawCellCentered(canvas, rect, IntToStr(aRow));
        break;
    case 1:
        // DrawDeviceIcon
        if (dm)
            dm->SmallImages->Draw(canvas, rect.Left + (rect.Right - rect.Left - 16) / 2,
                                  rect.Top + 2, device->ImageIndex());
        break;
    case 2:
        DrawCellCentered(canvas, rect, IntToStr(device->DevCount()));
        break;
    case 3:
        DrawCellLeft(canvas, rect, device->Name());
        break;
    case 4:
        DrawCellCentered(canvas, rect, FloatToStr(device->RatedPower()));
        break;
    default:
        break;
    }
}

void TfmLoadConstr::gdDevicesGetEditText(TObject*, int aCol, int aRow, std::string& value) {
    TDeviceEl* device = DeviceOfRow(aRow);
    if (!device)
        return;
    if (aCol == 2)
        value = IntToStr(device->DevCount());
    else if (aCol == 3)
        value = device->Name();
    else if (aCol == 4)
        value = FloatToStr(device->RatedPower());
}

void TfmLoadConstr::gdDevicesSetEditText(TObject*, int aCol, int aRow, const std::string& value) {
    TDeviceEl* device = DeviceOfRow(aRow);
    if (!device)
        return;
    if (aCol == 2) {
        device->SetDevCount(TypedInteger(value, 0, kMaxDevCount));
    } else if (aCol == 3) {
        device->SetName(value);
    } else if (aCol == 4) {
        device->SetRatedPower(TypedReal(value, 0, kMaxPower, kMinRatedPower));
    }
}

void TfmLoadConstr::gdDevicesSelectCell(TObject*, int aCol, int, bool&) {
    const bool editable = aCol >= 2 && aCol <= 4 && DevList && DevList->Count() > 0;
    TGridOptions options = gdDevices->Options();
    if (editable)
        options.Include(goEditing);
    else
        options.Exclude(goEditing);
    gdDevices->SetOptions(options);
}

void TfmLoadConstr::gdDevicesDragOver(TObject*, TObject*, int, int, TDragState, bool& accept) {
    accept = true;
}

void TfmLoadConstr::gdDevicesDragDrop(TObject* sender, TObject* source, int, int) {
    if (FDevSel && source == FDevSel->ListView1)
        AddSelectedDevice(sender);
}

// ---------------------------------------------------------------------------
// Tool bar

void TfmLoadConstr::sbDevicesToogleClick(TObject*) {
    if (!FDevSel)
        return;
    if (sbDevicesToogle->Down())
        FDevSel->Show();
    else
        FDevSel->Hide();
}

void TfmLoadConstr::ToolButton5Click(TObject*) {
    if (!dm || !DevList || !dm->SelDevListDlg->Execute())
        return;
    // Read into a list of its own and taken over only when the whole file was read.
    auto list = std::make_unique<TDevList>();
    list->LoadFromFile(dm->SelDevListDlg->FileName());
    DevList = std::move(list);
    UpdateRowCount();
}

void TfmLoadConstr::ToolButton1Click(TObject*) {
    if (DevList && SaveDialog->Execute())
        DevList->SaveToFile(SaveDialog->FileName());
}

void TfmLoadConstr::ToolButton2Click(TObject*) {
    if (TDeviceEl* device = DeviceOfRow(gdDevices->Row())) {
        EditDevice(device);
        gdDevices->Invalidate();
    }
}

void TfmLoadConstr::ToolButton4Click(TObject*) {
    if (!fmHolder)
        return;
    ShowFormInPanel(fmHolder->pnlHolder, fmHolder->Panel1, true, ShowGraph,
                    TfmGraphBaseSt::StaticClass(), false);
}

void TfmLoadConstr::actDeleteExecute(TObject*) {
    if (!DevList || DevList->Count() == 0)
        return;
    const int index = gdDevices->Row() - 1;
    if (index >= 0 && index < DevList->Count())
        DevList->Delete(index);
    UpdateRowCount();
}

void TfmLoadConstr::actDeleteUpdate(TObject*) {
    actDelete->SetEnabled(DevList && DevList->Count() > 0);
}

void TfmLoadConstr::FormStorageSavePlacement(TObject*) {
    if (!SaveDialog->FileName().empty())
        FormStorage->WriteSetting(
            "InitialDir", IncludeTrailingPathDelimiter(ExtractFileDir(SaveDialog->FileName())));
}

void TfmLoadConstr::FormStorageRestorePlacement(TObject*) {
    SaveDialog->SetInitialDir(FormStorage->ReadSetting("InitialDir", ""));
    // Without a folder of its own the view leaves the open dialog's remembered one alone.
    if (dm && !SaveDialog->InitialDir().empty())
        dm->SelDevListDlg->SetInitialDir(SaveDialog->InitialDir());
}

// ---------------------------------------------------------------------------
// The daily-load chart

void ShowGraph(TCustomForm* form) {
    auto* graph = dynamic_cast<TfmGraphBase*>(form);
    if (!graph)
        return;
    const std::string title = "Κατανομή Φορτίου Ζήτησης";
    graph->SetCaption(title);
    graph->Chart1->Title()->Text()->Clear();
    graph->Chart1->Title()->Text()->Add(title);
    for (int i = 0; DevList && i < DevList->Count(); ++i) {
        const TDeviceEl* device = DevList->GetDevice(i);
        auto* series = new TBarSeries(graph->Chart1);
        std::string name = device->Name();
        if (device->DevCount() > 1)
            name += Format(" (%d)", {device->DevCount()});
        series->SetTitle(name);
        series->SetParentChart(graph->Chart1);
        series->SetMultiBar(mbStacked);
        series->Marks()->SetVisible(false);
        for (int h = 0; h < 24; ++h)
            series->AddXY(h, device->HourOps().GetFactor(0, h) * device->RatedPower() *
                                 device->DevCount());
    }
    graph->Chart1->Legend()->SetVisible(true);
}
