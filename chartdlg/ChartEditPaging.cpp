#include "chartdlg/ChartEditPaging.h"

#include "framework/core/SystemUtils.h"

using namespace ChartEdit;

TFormChartPage::TFormChartPage(TComponent* owner) : TChartEditPage(owner) {
    TLoadingBracket loading(this);
    SetName("FormChartPage");
    SetCaption("");
    SetBounds(0, 0, 400, 225);

    L17 = MakeLabel(this, this, "L17", "P&oints per Page:", 16, 20, 110);
    MakeSpin(this, this, SEPointsPerPage, UDPointsPerPage, "SEPointsPerPage", "UDPointsPerPage",
             130, 16, 60, 0, 32000, 1, 0,
             TNotifyEvent(this, &TFormChartPage::SEPointsPerPageChange, "SEPointsPerPageChange"));
    L17->SetFocusControl(SEPointsPerPage);
    CBScaleLast =
        MakeCheck(this, this, "CBScaleLast", "&Scale Last Page", 16, 52, 160,
                  TNotifyEvent(this, &TFormChartPage::CBScaleLastClick, "CBScaleLastClick"));
    L18 = MakeLabel(this, this, "L18", "Current Page / Total:", 16, 92, 130);
    LabelPages = MakeLabel(this, this, "LabelPages", "0/0", 150, 92, 80);
    BFirstPage =
        MakeButton(this, this, "BFirstPage", "&First", 16, 124, 80,
                   TNotifyEvent(this, &TFormChartPage::BFirstPageClick, "BFirstPageClick"));
    ButtonPrevious =
        MakeButton(this, this, "ButtonPrevious", "&Previous", 104, 124, 80,
                   TNotifyEvent(this, &TFormChartPage::ButtonPreviousClick, "ButtonPreviousClick"));
    ButtonNext =
        MakeButton(this, this, "ButtonNext", "&Next", 192, 124, 80,
                   TNotifyEvent(this, &TFormChartPage::ButtonNextClick, "ButtonNextClick"));
    BLastPage = MakeButton(this, this, "BLastPage", "&Last", 280, 124, 80,
                           TNotifyEvent(this, &TFormChartPage::BLastPageClick, "BLastPageClick"));

    SetOnShow(TNotifyEvent(this, &TFormChartPage::FormShow, "FormShow"));
}

TFormChartPage* TFormChartPage::CreateForChart(TComponent* owner, TCustomChart* chart) {
    auto* page = CreateForm<TFormChartPage>(owner);
    page->FChart = chart;
    return page;
}

void TFormChartPage::RefreshStatus() {
    const int pages = FChart->NumPages();
    const int page = FChart->Page();
    LabelPages->SetCaption(IntToStr(page) + "/" + IntToStr(pages));
    ButtonPrevious->SetEnabled(page > 1);
    ButtonNext->SetEnabled(page < pages);
    BFirstPage->SetEnabled(ButtonPrevious->Enabled());
    BLastPage->SetEnabled(ButtonNext->Enabled());
}

void TFormChartPage::FormShow(TObject*) {
    FLoading = true;
    UDPointsPerPage->SetPosition(FChart->MaxPointsPerPage());
    CBScaleLast->SetChecked(FChart->ScaleLastPage());
    RefreshStatus();
    FLoading = false;
}

void TFormChartPage::SEPointsPerPageChange(TObject*) {
    if (FLoading)
        return;
    FChart->SetMaxPointsPerPage(
        Trim(SEPointsPerPage->Text()).empty() ? 0 : UDPointsPerPage->Position());
    RefreshStatus();
}

void TFormChartPage::CBScaleLastClick(TObject*) {
    if (!FLoading)
        FChart->SetScaleLastPage(CBScaleLast->Checked());
}

void TFormChartPage::BFirstPageClick(TObject*) {
    FChart->SetPage(1);
    RefreshStatus();
}

void TFormChartPage::ButtonPreviousClick(TObject*) {
    FChart->PreviousPage();
    RefreshStatus();
}

void TFormChartPage::ButtonNextClick(TObject*) {
    FChart->NextPage();
    RefreshStatus();
}

void TFormChartPage::BLastPageClick(TObject*) {
    FChart->SetPage(FChart->NumPages());
    RefreshStatus();
}
