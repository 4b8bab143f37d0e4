#include "chartdlg/ChartEditSeries.h"

#include "chart/ChartConst.h"
#include "chart/ChartProcs.h"
#include "chartdlg/ChartEditControls.h"
#include "chartdlg/ChartEditPeriod.h"
#include "chartdlg/ChartGallery.h"
#include "chartdlg/PenDlg.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"

#include <algorithm>

namespace {

std::string SeriesText(const TChartSeries* series) {
    return series->Title().empty() ? series->Name() : series->Title();
}

TLabel* MakeLabel(TForm* form, TWinControl* parent, const std::string& caption, int x, int y) {
    auto* label = new TLabel(form);
    label->SetCaption(caption);
    label->SetBounds(x, y, 60, 13);
    label->SetParent(parent);
    return label;
}

void SetRadioItems(TRadioGroup* group, std::initializer_list<const char*> items) {
    group->Items()->Clear();
    for (const char* item : items)
        group->Items()->Add(item);
}

} // namespace

TFormChartSeries::TFormChartSeries(TComponent* owner) : TForm(owner) {
    SetName("FormChartSeries");
    SetBorderStyle(bsNone);
    SetCaption("");
    SetClientWidth(411);
    SetClientHeight(264);

    CBSeries = PlaceControl<TComboBox>(this, this, "CBSeries", 8, 6, 145, 21);
    CBSeries->SetStyle(csDropDownList);
    CBSeries->SetDropDownCount(16);
    ImageSeries = PlaceControl<TImage>(this, this, "ImageSeries", 162, 4, 24, 24);
    ImageSeries->SetTransparent(true);
    LabelSeriesClass = PlaceControl<TLabel>(this, this, "LabelSeriesClass", 192, 9, 120, 13, "");
    CBPersistent =
        PlaceControl<TCheckBox>(this, this, "CBPersistent", 322, 7, 85, 17, "Persistent");
    CBPersistent->SetVisible(false);

    PageSeries = PlaceControl<TPageControl>(this, this, "PageSeries", 0, 32, 411, 232);
    PageSeries->SetAlign(alBottom);
    PageSeries->SetHotTrack(true);
    PageSeries->SetVisible(false);
    TheTabSheet = ChartEdit::MakeTab(this, PageSeries, "TheTabSheet", "Format");
    TabGeneral = ChartEdit::MakeTab(this, PageSeries, "TabGeneral", "General");
    TabMarks = ChartEdit::MakeTab(this, PageSeries, "TabMarks", "Marks");
    TabDataSource = ChartEdit::MakeTab(this, PageSeries, "TabDataSource", "Data Source");
    PageSeries->SetActivePage(TheTabSheet);
    BuildGeneralTab();
    BuildMarksTab();
    BuildDataSourceTab();

    SetOnShow(TNotifyEvent([this](TObject* s) { FormShow(s); }));
    SetOnCloseQuery(TCloseQueryEvent([this](TObject* s, bool& c) { FormCloseQuery(s, c); }));
    CBSeries->SetOnChange(TNotifyEvent([this](TObject* s) { CBSeriesChange(s); }));
    PageSeries->SetOnChange(TNotifyEvent([this](TObject* s) { PageSeriesChange(s); }));
    PageSeries->SetOnChanging(
        TTabChangingEvent([this](TObject* s, bool& allow) { PageSeriesChanging(s, allow); }));
    CBPersistent->SetOnClick(TNotifyEvent([this](TObject* s) { CBPersistentClick(s); }));
}

TFormChartSeries::~TFormChartSeries() {
    for (TComponent* c : FWatched)
        c->RemoveFreeNotification(this);
    FWatched.clear();
    FTheSeries = nullptr;
}

void TFormChartSeries::BuildGeneralTab() {
    TTabSheet* t = TabGeneral;
    CBShowInLegend =
        PlaceControl<TCheckBox>(this, t, "CBShowInLegend", 8, 8, 130, 17, "&Show In Legend");
    MakeLabel(this, t, "&Cursor:", 8, 36);
    CBSeriesCursor = PlaceControl<TComboBox>(this, t, "CBSeriesCursor", 70, 32, 120, 21);
    CBSeriesCursor->SetStyle(csDropDownList);
    MakeLabel(this, t, "&Values:", 8, 66);
    EValueformat = PlaceControl<TEdit>(this, t, "EValueformat", 70, 62, 120, 21);
    MakeLabel(this, t, "&Percents:", 8, 96);
    EPercentFormat = PlaceControl<TEdit>(this, t, "EPercentFormat", 70, 92, 120, 21);
    RGHorizAxis =
        PlaceControl<TRadioGroup>(this, t, "RGHorizAxis", 210, 4, 90, 82, "Horizontal Axis:");
    SetRadioItems(RGHorizAxis, {"&Top", "&Bottom", "B&oth"});
    RGVertAxis = PlaceControl<TRadioGroup>(this, t, "RGVertAxis", 306, 4, 90, 82, "Vertical Axis:");
    SetRadioItems(RGVertAxis, {"&Left", "&Right", "Bo&th"});
    CBXDateTime = PlaceControl<TCheckBox>(this, t, "CBXDateTime", 214, 92, 85, 17, "&DateTime");
    CBYDateTime = PlaceControl<TCheckBox>(this, t, "CBYDateTime", 310, 92, 85, 17, "D&ateTime");

    GetCursorValues(
        [this](const std::string& ident) { CBSeriesCursor->Items()->Add(ident.substr(2)); });
    CBSeriesCursor->Items()->Add(std::string(SCursorChartHand).substr(2));

    CBShowInLegend->SetOnClick(TNotifyEvent([this](TObject* s) { CBShowInLegendClick(s); }));
    CBSeriesCursor->SetOnChange(TNotifyEvent([this](TObject* s) { CBSeriesCursorChange(s); }));
    EValueformat->SetOnChange(TNotifyEvent([this](TObject* s) { EValueformatChange(s); }));
    EPercentFormat->SetOnChange(TNotifyEvent([this](TObject* s) { EPercentFormatChange(s); }));
    RGHorizAxis->SetOnClick(TNotifyEvent([this](TObject* s) { RGHorizAxisClick(s); }));
    RGVertAxis->SetOnClick(TNotifyEvent([this](TObject* s) { RGVertAxisClick(s); }));
    CBXDateTime->SetOnClick(TNotifyEvent([this](TObject* s) { CBXDateTimeClick(s); }));
    CBYDateTime->SetOnClick(TNotifyEvent([this](TObject* s) { CBYDateTimeClick(s); }));
}

void TFormChartSeries::BuildMarksTab() {
    TTabSheet* t = TabMarks;
    CBMarksVisible = PlaceControl<TCheckBox>(this, t, "CBMarksVisible", 8, 6, 80, 17, "&Visible");
    GBMarksFormat = PlaceControl<TGroupBox>(this, t, "GBMarksFormat", 8, 28, 190, 96, "Format");
    BMarksBackColor = PlaceControl<TButton>(this, GBMarksFormat, "BMarksBackColor", 8, 18, 85, 23,
                                            "&Back Color...");
    CBTransparent = PlaceControl<TCheckBox>(this, GBMarksFormat, "CBTransparent", 100, 21, 85, 17,
                                            "&Transparent");
    BMarkFont = PlaceControl<TButton>(this, GBMarksFormat, "BMarkFont", 8, 44, 85, 23, "F&ont");
    BMarksFrame =
        PlaceControl<TButton>(this, GBMarksFormat, "BMarksFrame", 100, 44, 85, 23, "Bo&rder...");
    CBMarkClip =
        PlaceControl<TCheckBox>(this, GBMarksFormat, "CBMarkClip", 8, 72, 85, 17, "Cl&ipped");
    GBMarksArrows = PlaceControl<TGroupBox>(this, t, "GBMarksArrows", 8, 128, 190, 70, "Arrows");
    BMarkLinCol =
        PlaceControl<TButton>(this, GBMarksArrows, "BMarkLinCol", 8, 18, 85, 23, "&Color...");
    MakeLabel(this, GBMarksArrows, "&Length:", 8, 47);
    SEArrowLength = PlaceControl<TEdit>(this, GBMarksArrows, "SEArrowLength", 60, 44, 45, 21);
    UDArrowLength = PlaceControl<TUpDown>(this, GBMarksArrows, "UDArrowLength", 105, 44, 15, 21);
    UDArrowLength->SetMin(-100);
    UDArrowLength->SetMax(100);
    UDArrowLength->SetAssociate(SEArrowLength);
    RGMarkStyle = PlaceControl<TRadioGroup>(this, t, "RGMarkStyle", 206, 6, 190, 192, "St&yle:");
    SetRadioItems(RGMarkStyle, {"Value", "Percent", "Label", "Label and Percent", "Label and Value",
                                "Legend", "Percent Total", "Label && Percent Total", "X Value"});

    CBMarksVisible->SetOnClick(TNotifyEvent([this](TObject* s) { CBMarksVisibleClick(s); }));
    RGMarkStyle->SetOnClick(TNotifyEvent([this](TObject* s) { RGMarkStyleClick(s); }));
    BMarksBackColor->SetOnClick(TNotifyEvent([this](TObject* s) { BMarksBackColorClick(s); }));
    CBTransparent->SetOnClick(TNotifyEvent([this](TObject* s) { CBTransparentClick(s); }));
    BMarkFont->SetOnClick(TNotifyEvent([this](TObject* s) { BMarkFontClick(s); }));
    BMarksFrame->SetOnClick(TNotifyEvent([this](TObject* s) { BMarksFrameClick(s); }));
    BMarkLinCol->SetOnClick(TNotifyEvent([this](TObject* s) { BMarkLinColClick(s); }));
    SEArrowLength->SetOnChange(TNotifyEvent([this](TObject* s) { SEArrowLengthChange(s); }));
    CBMarkClip->SetOnClick(TNotifyEvent([this](TObject* s) { CBMarkClipClick(s); }));
}

void TFormChartSeries::BuildDataSourceTab() {
    TTabSheet* t = TabDataSource;
    CBDataSourcestyle = PlaceControl<TComboBox>(this, t, "CBDataSourcestyle", 8, 6, 145, 21);
    CBDataSourcestyle->SetStyle(csDropDownList);
    for (const char* item : {"No Data", "Random Values", "Function"})
        CBDataSourcestyle->Items()->Add(item);
    PCData = PlaceControl<TPageControl>(this, t, "PCData", 0, 32, 403, 170);
    PCData->SetVisible(false);
    TabFunctions = ChartEdit::MakeTab(this, PCData, "TabFunctions", "Function");
    TWinControl* f = TabFunctions;
    MakeLabel(this, f, "&Function:", 8, 8);
    CBFunctions = PlaceControl<TComboBox>(this, f, "CBFunctions", 64, 4, 120, 21);
    CBFunctions->SetStyle(csDropDownList);
    BEditFunc = PlaceControl<TButton>(this, f, "BEditFunc", 192, 3, 75, 23, "&Edit...");
    MakeLabel(this, f, "&Available Series:", 8, 32);
    LBAvailSeries = PlaceControl<TListBox>(this, f, "LBAvailSeries", 8, 48, 160, 90);
    LBAvailSeries->SetMultiSelect(true);
    MakeLabel(this, f, "&Selected Series: ", 226, 32);
    LBSelectedSeries = PlaceControl<TListBox>(this, f, "LBSelectedSeries", 226, 48, 160, 90);
    LBSelectedSeries->SetMultiSelect(true);
    BRightOne = PlaceControl<TButton>(this, f, "BRightOne", 180, 50, 34, 20, ">");
    BRightAll = PlaceControl<TButton>(this, f, "BRightAll", 180, 72, 34, 20, ">>");
    BLeftOne = PlaceControl<TButton>(this, f, "BLeftOne", 180, 94, 34, 20, "<");
    BLeftAll = PlaceControl<TButton>(this, f, "BLeftAll", 180, 116, 34, 20, "<<");

    CBDataSourcestyle->SetOnChange(
        TNotifyEvent([this](TObject* s) { CBDataSourcestyleChange(s); }));
    CBFunctions->SetOnChange(TNotifyEvent([this](TObject* s) { CBFunctionsChange(s); }));
    BEditFunc->SetOnClick(TNotifyEvent([this](TObject* s) { BEditFuncClick(s); }));
    BRightOne->SetOnClick(TNotifyEvent([this](TObject* s) { BRightOneClick(s); }));
    BRightAll->SetOnClick(TNotifyEvent([this](TObject* s) { BRightAllClick(s); }));
    BLeftOne->SetOnClick(TNotifyEvent([this](TObject* s) { BLeftOneClick(s); }));
    BLeftAll->SetOnClick(TNotifyEvent([this](TObject* s) { BLeftAllClick(s); }));
    LBAvailSeries->SetOnDblClick(TNotifyEvent([this](TObject* s) { BRightOneClick(s); }));
    LBSelectedSeries->SetOnDblClick(TNotifyEvent([this](TObject* s) { BLeftOneClick(s); }));
}

// ---- References

void TFormChartSeries::Watch(TChartSeries* series) {
    if (!series || std::find(FWatched.begin(), FWatched.end(), series) != FWatched.end())
        return;
    series->FreeNotification(this);
    FWatched.push_back(series);
}

void TFormChartSeries::ForgetSeries(TComponent* series) {
    FWatched.erase(std::remove(FWatched.begin(), FWatched.end(), series), FWatched.end());
    for (TListBox* list : {LBAvailSeries, LBSelectedSeries}) {
        if (!list)
            continue;
        const int i = list->Items()->IndexOfObject(series);
        if (i >= 0)
            list->Items()->Delete(i);
    }
    if (CBSeries) {
        const int i = CBSeries->Items()->IndexOfObject(series);
        if (i >= 0)
            CBSeries->Items()->Delete(i);
    }
    if (series == FTheSeries) {
        FTheSeries = nullptr;
        FChangingFunction = false;
        FreeOwnEditor();
        if (!IsDestroying()) {
            ImageSeries->SetVisible(false);
            LabelSeriesClass->SetCaption("");
            PageSeries->SetVisible(false);
        }
    }
}

void TFormChartSeries::ComponentNotification(TComponent* component, TOperation operation) {
    TForm::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FOwnEditor)
        FOwnEditor = nullptr;
    if (std::find(FWatched.begin(), FWatched.end(), component) != FWatched.end())
        ForgetSeries(component);
}

void TFormChartSeries::SetTheSeries(TChartSeries* value) {
    if (value == FTheSeries)
        return;
    FTheSeries = value;
    Watch(value);
}

// ---- Showing a series

void TFormChartSeries::FormShow(TObject*) {
    FLoading = false;
}

void TFormChartSeries::ShowCurrentSeries() {
    if (FTheSeries) {
        const int i = CBSeries->Items()->IndexOfObject(FTheSeries);
        CBSeries->SetItemIndex(i);
        CBSeriesChange(CBSeries);
    } else {
        PageSeries->SetVisible(false);
    }
}

void TFormChartSeries::CBSeriesChange(TObject*) {
    // A switch ends with the page ready for edits.
    ChartEdit::TFlagGuard loading(FLoading, false);
    TTabSheet* remembered = PageSeries->ActivePage();
    PageSeries->SetActivePage(TheTabSheet);
    // Edits of the series shown before go to it; one that cannot be applied is shown and
    // dropped, so that the switch still happens.
    if (FChangingFunction) {
        try {
            ApplyDataSource();
        } catch (const std::exception& e) {
            FChangingFunction = false;
            Application->ShowException(e);
        }
    }
    const int index = CBSeries->ItemIndex();
    TChartSeries* series =
        index >= 0 ? dynamic_cast<TChartSeries*>(CBSeries->Items()->GetObject(index)) : nullptr;
    if (!series) {
        ImageSeries->SetVisible(false);
        LabelSeriesClass->SetCaption("");
        PageSeries->SetVisible(false);
        return;
    }
    SetTheSeries(series);
    auto bitmap = std::make_unique<TBitmap>();
    if (series->LoadGalleryBitmap(bitmap.get())) {
        bitmap->SetTransparent(true);
        ImageSeries->Picture()->SetGraphic(bitmap.get());
    } else {
        ImageSeries->Picture()->SetGraphic(nullptr);
    }
    LabelSeriesClass->SetCaption(SeriesTypeDescription(series) + ": " + series->Name());
    ImageSeries->SetVisible(true);
    PageSeries->SetVisible(true);
    TabGeneral->SetTabVisible(FShowTabGeneral);
    TabMarks->SetTabVisible(FShowTabMarks);
    const TChartSeriesStyle style = series->Style();
    TabDataSource->SetTabVisible(FShowTabDataSource && !style.Contains(tssIsTemplate) &&
                                 !style.Contains(tssHideDataSource));
    TTabSheet* page = remembered;
    if (!page || !page->TabVisible())
        page = TheTabSheet;
    PageSeries->SetActivePage(page);
    PageSeriesChange(PageSeries);
    const bool axes = series->UsesAxes();
    for (TControl* c :
         std::initializer_list<TControl*>{RGHorizAxis, RGVertAxis, CBXDateTime, CBYDateTime})
        c->SetVisible(axes);
    ShowOwnEditor();
    FillDataSource();
    const bool persistent = FShowPersistentCheck && !style.Contains(tssIsTemplate);
    CBPersistent->SetVisible(persistent);
    if (persistent)
        CBPersistent->SetChecked(style.Contains(tssIsPersistent));
}

void TFormChartSeries::FreeOwnEditor() {
    if (FOwnEditor) {
        TForm* editor = FOwnEditor;
        FOwnEditor = nullptr;
        delete editor;
    }
}

void TFormChartSeries::ShowOwnEditor() {
    FreeOwnEditor();
    if (!FTheSeries)
        return;
    const std::string name = FTheSeries->EditorClassName();
    TClass editorClass = name.empty() ? nullptr : GetClass(name);
    if (!editorClass || !editorClass->InheritsFrom(TForm::StaticClass()) ||
        !editorClass->CanCreate())
        return;
    auto* editor = dynamic_cast<TForm*>(editorClass->Create(this));
    if (!editor)
        return;
    FOwnEditor = editor;
    editor->SetTag(int(intptr_t(FTheSeries) & 0x7FFFFFFF));
    editor->SetBorderStyle(bsNone);
    editor->SetParent(TheTabSheet);
    const int left = std::max(0, (PageSeries->Width() - editor->Width()) / 2);
    const int top = std::min(8, std::max(0, (PageSeries->Height() - editor->Height()) / 2));
    editor->SetBounds(left, top, editor->Width(), editor->Height());
    editor->Show();
}

// ---- Filling the tabs

void TFormChartSeries::PageSeriesChange(TObject*) {
    if (!FTheSeries)
        return;
    ChartEdit::TFlagGuard loading(FLoading);
    TTabSheet* page = PageSeries->ActivePage();
    if (page == TabGeneral)
        FillGeneral();
    else if (page == TabMarks)
        FillMarks();
    else if (page == TabDataSource)
        FillDataSource();
}

void TFormChartSeries::FillGeneral() {
    TChartSeries* s = FTheSeries;
    CBShowInLegend->SetChecked(s->ShowInLegend());
    EValueformat->SetText(FormatStringToLocal(s->ValueFormat()));
    EPercentFormat->SetText(FormatStringToLocal(s->PercentFormat()));
    const bool customH = s->HorizAxis() == aCustomHorizAxis;
    const bool customV = s->VertAxis() == aCustomVertAxis;
    RGHorizAxis->SetEnabled(!customH);
    RGVertAxis->SetEnabled(!customV);
    if (!customH)
        RGHorizAxis->SetItemIndex(int(s->HorizAxis()));
    if (!customV)
        RGVertAxis->SetItemIndex(int(s->VertAxis()));
    CBXDateTime->SetChecked(s->XValues()->DateTime());
    CBYDateTime->SetChecked(s->YValues()->DateTime());
    std::string ident;
    int item = -1;
    if (ChartCursorToIdent(s->Cursor(), ident) && ident.size() > 2)
        item = CBSeriesCursor->Items()->IndexOf(ident.substr(2));
    CBSeriesCursor->SetItemIndex(item);
}

void TFormChartSeries::FillMarks() {
    TSeriesMarks* marks = FTheSeries->Marks();
    RGMarkStyle->SetItemIndex(int(marks->Style()));
    CBMarksVisible->SetChecked(marks->Visible());
    CBTransparent->SetChecked(marks->Transparent());
    CBMarkClip->SetChecked(marks->Clip());
    UDArrowLength->SetPosition(marks->ArrowLength());
    SEArrowLength->SetText(IntToStr(marks->ArrowLength()));
}

void TFormChartSeries::FillDataSource() {
    if (!FTheSeries)
        return;
    ChartEdit::TFlagGuard loading(FLoading);
    TChartSeries* s = FTheSeries;
    int style = dssNoData;
    if (s->DataSource())
        style = dssFunction;
    else if (s->FunctionType())
        style = dssFunction;
    else if (s->Count() > 0)
        style = dssRandom;
    CBDataSourcestyle->SetItemIndex(style);
    if (style == dssFunction) {
        FillFunctions();
        PCData->SetActivePage(TabFunctions);
        PCData->SetVisible(true);
    } else {
        PCData->SetVisible(false);
    }
    FChangingFunction = false;
}

void TFormChartSeries::FillFunctions() {
    CBFunctions->Items()->Clear();
    CBFunctions->Items()->Add("Copy");
    FFunctionClasses.assign(1, nullptr);
    TChartSeriesTypes* types = ChartSeriesTypes();
    for (int i = 0; i < types->Count(); ++i) {
        TChartSeriesType* type = types->GetItem(i);
        if (!type->FunctionClass || type->SeriesClass ||
            std::find(FFunctionClasses.begin(), FFunctionClasses.end(), type->FunctionClass) !=
                FFunctionClasses.end())
            continue;
        // Each one goes in at position 1: the list ends in reverse registration order.
        CBFunctions->Items()->Insert(1, type->Description);
        FFunctionClasses.insert(FFunctionClasses.begin() + 1, type->FunctionClass);
    }
    FillSourceLists();
    int index = 0;
    if (TChartFunction* function = FTheSeries->FunctionType()) {
        for (int i = 1; i < int(FFunctionClasses.size()); ++i)
            if (FFunctionClasses[size_t(i)] == function->ClassType())
                index = i;
    }
    CBFunctions->SetItemIndex(index);
    BEditFunc->SetEnabled(index > 0);
    FChangingFunction = false;
    UpdateMoveButtons();
}

void TFormChartSeries::FillSourceLists() {
    LBAvailSeries->Items()->Clear();
    LBSelectedSeries->Items()->Clear();
    TChartSeries* s = FTheSeries;
    TCustomAxisPanel* chart = s->ParentChart();
    const auto& sources = s->DataSources();
    auto consider = [&](TComponent* c) {
        auto* candidate = dynamic_cast<TChartSeries*>(c);
        if (!candidate || !chart ||
            std::find(sources.begin(), sources.end(), candidate) != sources.end() ||
            LBAvailSeries->Items()->IndexOfObject(candidate) >= 0 ||
            !chart->IsValidSource(s, candidate))
            return;
        std::string text = SeriesText(candidate);
        if (candidate->Owner() != s->Owner() && candidate->Owner() &&
            !candidate->Owner()->Name().empty())
            text = candidate->Owner()->Name() + "." + text;
        LBAvailSeries->Items()->AddObject(text, candidate);
        Watch(candidate);
    };
    for (int m = 0; m < Screen->DataModuleCount(); ++m) {
        TDataModule* module = Screen->DataModules(m);
        for (int i = 0; i < module->ComponentCount(); ++i)
            consider(module->Components(i));
    }
    if (chart && chart->Owner())
        for (int i = 0; i < chart->Owner()->ComponentCount(); ++i)
            consider(chart->Owner()->Components(i));
    if (chart)
        for (int i = 0; i < chart->ComponentCount(); ++i)
            consider(chart->Components(i));
    for (TChartSeries* source : sources) {
        LBSelectedSeries->Items()->AddObject(SeriesText(source), source);
        Watch(source);
    }
}

void TFormChartSeries::UpdateMoveButtons() {
    const bool available = LBAvailSeries->Count() > 0;
    const bool selected = LBSelectedSeries->Count() > 0;
    BRightOne->SetEnabled(available);
    BRightAll->SetEnabled(available);
    BLeftOne->SetEnabled(selected);
    BLeftAll->SetEnabled(selected);
}

// ---- Leaving a tab and closing

void TFormChartSeries::PageSeriesChanging(TObject*, bool& allowChange) {
    if (PageSeries->ActivePage() != TabDataSource) {
        allowChange = true;
        return;
    }
    if (!FChangingFunction) {
        allowChange = FTheSeries != nullptr;
        return;
    }
    Screen->SetCursor(crDefault);
    switch (MessageDlg("Apply Changes?", mtConfirmation, mbYesNoCancel)) {
    case mrYes:
        try {
            ApplyDataSource();
            allowChange = true;
        } catch (const std::exception& e) {
            Application->ShowException(e);
            allowChange = false;
        }
        break;
    case mrNo:
        FChangingFunction = false;
        allowChange = true;
        break;
    default:
        allowChange = false;
        break;
    }
}

void TFormChartSeries::CloseSeriesPage() {
    if (!FChangingFunction)
        return;
    try {
        ApplyDataSource();
    } catch (const std::exception& e) {
        FChangingFunction = false;
        Application->ShowException(e);
    }
    FChangingFunction = false;
}

void TFormChartSeries::FormCloseQuery(TObject*, bool& canClose) {
    CloseSeriesPage();
    canClose = true;
}

// ---- Applying the data source

void TFormChartSeries::ApplyDataSource() {
    TChartSeries* s = FTheSeries;
    if (!s) {
        FChangingFunction = false;
        return;
    }
    std::vector<TChartSeries*> selected;
    for (int i = 0; i < LBSelectedSeries->Count(); ++i)
        if (auto* source = dynamic_cast<TChartSeries*>(LBSelectedSeries->Items()->GetObject(i)))
            selected.push_back(source);
    // Every check first: a circular source changes nothing.
    for (TChartSeries* source : selected)
        s->CheckCircularSource(source);
    if (selected.empty()) {
        if (s->DataSource())
            s->SetDataSource(nullptr);
    } else {
        s->UnlinkDataSources();
        for (TChartSeries* source : selected)
            s->AddDataSource(source);
    }
    const int index = CBFunctions->ItemIndex();
    TClass functionClass = index > 0 && index < int(FFunctionClasses.size())
                               ? FFunctionClasses[size_t(index)]
                               : nullptr;
    if (!functionClass) {
        if (s->FunctionType())
            s->AttachFunction(nullptr);
    } else if (s->FunctionType() && s->FunctionType()->ClassType() == functionClass) {
        s->ReloadFromSource();
    } else {
        CreateSeriesFunction(s, functionClass);
    }
    FChangingFunction = false;
}

// ---- Data source edits

void TFormChartSeries::CBDataSourcestyleChange(TObject*) {
    if (FLoading || !FTheSeries)
        return;
    const int style = CBDataSourcestyle->ItemIndex();
    PCData->SetVisible(style == dssFunction);
    switch (style) {
    case dssNoData:
        FTheSeries->SetDataSource(nullptr);
        FTheSeries->ClearValues();
        break;
    case dssRandom:
        FTheSeries->SetDataSource(nullptr);
        if (FTheSeries->FunctionType())
            FTheSeries->AttachFunction(nullptr);
        FTheSeries->FillSampleValues(FTheSeries->NumSampleValues());
        break;
    case dssFunction: {
        ChartEdit::TFlagGuard loading(FLoading);
        FillFunctions();
        PCData->SetActivePage(TabFunctions);
        break;
    }
    default:
        break;
    }
}

void TFormChartSeries::CBFunctionsChange(TObject*) {
    if (FLoading)
        return;
    FChangingFunction = true;
    BEditFunc->SetEnabled(CBFunctions->ItemIndex() > 0);
}

void TFormChartSeries::MoveItems(TListBox* from, TListBox* to, bool all) {
    // The selection is read before any item moves.
    std::vector<int> moving;
    for (int i = 0; i < from->Count(); ++i)
        if (all || from->Selected(i))
            moving.push_back(i);
    for (int i : moving)
        to->Items()->AddObject(from->Items()->Get(i), from->Items()->GetObject(i));
    for (auto it = moving.rbegin(); it != moving.rend(); ++it)
        from->Items()->Delete(*it);
    from->ClearSelection();
    UpdateMoveButtons();
    FChangingFunction = true;
}

void TFormChartSeries::BRightOneClick(TObject*) {
    MoveItems(LBAvailSeries, LBSelectedSeries, false);
}

void TFormChartSeries::BRightAllClick(TObject*) {
    MoveItems(LBAvailSeries, LBSelectedSeries, true);
}

void TFormChartSeries::BLeftOneClick(TObject*) {
    MoveItems(LBSelectedSeries, LBAvailSeries, false);
}

void TFormChartSeries::BLeftAllClick(TObject*) {
    MoveItems(LBSelectedSeries, LBAvailSeries, true);
}

void TFormChartSeries::BEditFuncClick(TObject*) {
    if (!FTheSeries)
        return;
    if (FChangingFunction)
        ApplyDataSource();
    TChartFunction* function = FTheSeries->FunctionType();
    if (!function)
        return;
    std::unique_ptr<TFormPeriod> dialog(CreateForm<TFormPeriod>(this));
    dialog->Period = function->Period();
    dialog->PeriodStyle = int(function->PeriodStyle());
    dialog->PeriodAlign = int(function->PeriodAlign());
    dialog->LCalc->SetCaption(Format("Calculate %s every:", {CBFunctions->Text()}));
    TChartSeries* source = FTheSeries->DataSource();
    dialog->IsDateTime = source && source->XValues()->DateTime();
    if (dialog->ShowModal() != mrOk)
        return;
    function->BeginUpdate();
    try {
        function->SetPeriodStyle(TFunctionPeriodStyle(dialog->PeriodStyle));
        function->SetPeriod(dialog->Period);
        function->SetPeriodAlign(TFunctionPeriodAlign(dialog->PeriodAlign));
    } catch (...) {
        function->EndUpdate();
        throw;
    }
    function->EndUpdate();
}

// ---- General and marks edits

void TFormChartSeries::CBShowInLegendClick(TObject*) {
    if (!FLoading && FTheSeries)
        FTheSeries->SetShowInLegend(CBShowInLegend->Checked());
}

void TFormChartSeries::CBSeriesCursorChange(TObject*) {
    if (FLoading || !FTheSeries || CBSeriesCursor->ItemIndex() < 0)
        return;
    int cursor = 0;
    if (ChartIdentToCursor("cr" + CBSeriesCursor->Text(), cursor))
        FTheSeries->SetCursor(cursor);
}

void TFormChartSeries::EValueformatChange(TObject*) {
    if (!FLoading && FTheSeries)
        FTheSeries->SetValueFormat(FormatStringToNeutral(EValueformat->Text()));
}

void TFormChartSeries::EPercentFormatChange(TObject*) {
    if (!FLoading && FTheSeries)
        FTheSeries->SetPercentFormat(FormatStringToNeutral(EPercentFormat->Text()));
}

void TFormChartSeries::RGHorizAxisClick(TObject*) {
    if (!FLoading && FTheSeries && RGHorizAxis->ItemIndex() >= 0)
        FTheSeries->SetHorizAxis(THorizAxis(RGHorizAxis->ItemIndex()));
}

void TFormChartSeries::RGVertAxisClick(TObject*) {
    if (!FLoading && FTheSeries && RGVertAxis->ItemIndex() >= 0)
        FTheSeries->SetVertAxis(TVertAxis(RGVertAxis->ItemIndex()));
}

void TFormChartSeries::CBXDateTimeClick(TObject*) {
    if (!FLoading && FTheSeries) {
        FTheSeries->XValues()->SetDateTime(CBXDateTime->Checked());
        FTheSeries->RepaintChart();
    }
}

void TFormChartSeries::CBYDateTimeClick(TObject*) {
    if (!FLoading && FTheSeries) {
        FTheSeries->YValues()->SetDateTime(CBYDateTime->Checked());
        FTheSeries->RepaintChart();
    }
}

void TFormChartSeries::CBMarksVisibleClick(TObject*) {
    if (!FLoading && FTheSeries)
        FTheSeries->Marks()->SetVisible(CBMarksVisible->Checked());
}

void TFormChartSeries::RGMarkStyleClick(TObject*) {
    if (!FLoading && FTheSeries && RGMarkStyle->ItemIndex() >= 0)
        FTheSeries->Marks()->SetStyle(TSeriesMarksStyle(RGMarkStyle->ItemIndex()));
}

void TFormChartSeries::BMarksBackColorClick(TObject*) {
    if (!FTheSeries)
        return;
    TSeriesMarks* marks = FTheSeries->Marks();
    marks->SetBackColor(EditColor(this, marks->BackColor()));
    CBTransparent->SetChecked(false);
}

void TFormChartSeries::CBTransparentClick(TObject*) {
    if (!FLoading && FTheSeries)
        FTheSeries->Marks()->SetTransparent(CBTransparent->Checked());
}

void TFormChartSeries::BMarkFontClick(TObject*) {
    if (!FTheSeries)
        return;
    TSeriesMarks* marks = FTheSeries->Marks();
    TFont font;
    font.AssignFrom(marks->Font());
    marks->SetFont(EditFont(this, &font));
}

void TFormChartSeries::BMarksFrameClick(TObject*) {
    if (FTheSeries)
        EditChartPen(this, FTheSeries->Marks()->Frame());
}

void TFormChartSeries::BMarkLinColClick(TObject*) {
    if (FTheSeries)
        EditChartPen(this, FTheSeries->Marks()->Arrow());
}

void TFormChartSeries::SEArrowLengthChange(TObject*) {
    if (FLoading || !FTheSeries || SEArrowLength->Text().empty())
        return;
    int value = 0;
    if (TryStrToInt(SEArrowLength->Text(), value))
        FTheSeries->Marks()->SetArrowLength(value);
}

void TFormChartSeries::CBMarkClipClick(TObject*) {
    if (!FLoading && FTheSeries)
        FTheSeries->Marks()->SetClip(CBMarkClip->Checked());
}

void TFormChartSeries::CBPersistentClick(TObject*) {
    if (FLoading || !FTheSeries)
        return;
    TChartSeriesStyle style = FTheSeries->Style();
    if (CBPersistent->Checked())
        style.Include(tssIsPersistent);
    else
        style.Exclude(tssIsPersistent);
    FTheSeries->SetStyle(style);
}
