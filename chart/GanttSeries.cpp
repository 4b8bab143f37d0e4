#include "chart/GanttSeries.h"

#include "framework/core/SystemUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

TGanttSeries::TGanttSeries(TComponent* owner) : TPointSeries(owner) {
    FEndValues = std::make_unique<TChartValueList>(this, "End");
    FEndValues->SetDateTime(true);
    FNextTask = std::make_unique<TChartValueList>(this, "NextTask");
    AddValueList(FEndValues.get());
    AddValueList(FNextTask.get());
    FConnectingPen = std::make_unique<TChartPen>(TNotifyEvent(this, &TGanttSeries::PenChanged));
    XValues()->SetName("Start");
    XValues()->SetDateTime(true);
    SetClickableLine(false);
    SetCalcVisiblePoints(false);
    SetColorEachPoint(true);
    Pointer()->SetStyle(psRectangle);
}

TGanttSeries::~TGanttSeries() = default;

void TGanttSeries::Publish(TPublisher<TGanttSeries>& p) {
    using T = TGanttSeries;
    p.Class("StartValues", TChartValueList::StaticClass(), &T::StartValues, &T::SetStartValues);
    p.Class("EndValues", TChartValueList::StaticClass(), &T::EndValues, &T::SetEndValues);
    p.Class("NextTask", TChartValueList::StaticClass(), &T::NextTask, &T::SetNextTask);
    p.Class("ConnectingPen", TChartPen::StaticClass(), &T::ConnectingPen, &T::SetConnectingPen);
}

void TGanttSeries::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TGanttSeries*>(source))
        FConnectingPen->AssignFrom(s->FConnectingPen.get());
    TPointSeries::AssignFrom(source);
}

void TGanttSeries::PenChanged(TObject* /*sender*/) {
    RepaintChart();
}

void TGanttSeries::SetStartValues(const TChartValueList* value) {
    XValues()->AssignFrom(value);
    RepaintChart();
}

void TGanttSeries::SetEndValues(const TChartValueList* value) {
    FEndValues->AssignFrom(value);
    RepaintChart();
}

void TGanttSeries::SetNextTask(const TChartValueList* value) {
    FNextTask->AssignFrom(value);
    RepaintChart();
}

double TGanttSeries::PendingValueOf(int listIndex) const {
    if (listIndex == 2)
        return FPendingEnd;
    if (listIndex == 3)
        return FPendingNextTask;
    return 0;
}

int TGanttSeries::AddTaskColored(double start, double end, double row, const std::string& label,
                                 TColor color) {
    FPendingEnd = end;
    FPendingNextTask = -1;
    const int index = AddPoint(start, row, label, color);
    FPendingEnd = 0;
    return index;
}

bool TGanttSeries::CanCopyFrom(TChartSeries* source) const {
    return source != this && dynamic_cast<TGanttSeries*>(source) != nullptr;
}

double TGanttSeries::MaxXValue() const {
    if (Count() == 0)
        return TPointSeries::MaxXValue();
    return std::max(XValues()->Highest(), FEndValues->Highest());
}

void TGanttSeries::DrawValue(int index) {
    if (!Pointer()->Visible())
        return;
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    const TColor color = ValueColor(index);
    Pointer()->PrepareCanvas(color);
    const int x0 = CalcXPos(index);
    const int x1 = CalcXPosValue(FEndValues->ValueAt(index));
    const int y = CalcYPos(index);
    const int half = (x1 - x0) / 2;
    Pointer()->Draw(chart->View3D(), x0 + half, y, PointerStyleAt(index), color,
                    Pointer()->VertSize(), half);
    if (!FConnectingPen->Visible())
        return;
    const int next = int(Round(FNextTask->ValueAt(index)));
    if (next < 0 || next >= Count())
        return;
    canvas->UseChartPen(FConnectingPen.get());
    canvas->Brush()->SetStyle(bsClear);
    const int xn = CalcXPos(next);
    const int yn = CalcYPos(next);
    const int xm = x1 + (xn - x1) / 2;
    if (chart->View3D()) {
        const int z = MiddleZ();
        canvas->MovePenToSpace(x1, y, z);
        canvas->DrawLineToSpace(xm, y, z);
        canvas->DrawLineToSpace(xm, yn, z);
        canvas->DrawLineToSpace(xn, yn, z);
    } else {
        canvas->MovePenTo(x1, y);
        canvas->DrawLineTo(xm, y);
        canvas->DrawLineTo(xm, yn);
        canvas->DrawLineTo(xn, yn);
    }
}

bool TGanttSeries::PointerHit(int index, int x, int y, int px, int py) {
    const int end = CalcXPosValue(FEndValues->ValueAt(index));
    return px <= x && x <= end && std::abs(py - y) < Pointer()->VertSize();
}

void TGanttSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    const int shift = (CalcXPosValue(FEndValues->ValueAt(index)) - position.ArrowFrom.X) / 2;
    position.LeftTop.X += shift;
    position.ArrowFrom.X += shift;
    position.ArrowTo.X += shift;
    position.LeftTop.Y += position.Height / 2;
    TPointSeries::DrawMark(index, text, position);
}

void TGanttSeries::FillSampleValues(int count) {
    static const char* const labels[10] = {"Design",      "Prototyping", "Development", "Sales",
                                           "Marketing",   "Testing",     "Manufac.",    "Debugging",
                                           "New Version", "Banking"};
    ClearValues();
    const double today = std::floor(Now());
    const int m = std::min(count, 10 + Random(20));
    for (int k = 0; k <= m; ++k) {
        const double start = today + 3 * k + Random(5);
        const double end = start + 9 + Random(16);
        const int index = AddTask(start, end, k % 10, labels[k % 10]);
        for (int j = 0; j < Count(); ++j) {
            if (j != index && FNextTask->ValueAt(j) == -1 && FEndValues->ValueAt(j) < start) {
                FNextTask->StoreValue(j, index);
                break;
            }
        }
    }
    NotifyDependents(scRefresh);
    RepaintChart();
}

void TGanttSeries::PrepareForGallery(bool keepColor) {
    TPointSeries::PrepareForGallery(keepColor);
    SetColorEachPoint(keepColor);
    Pointer()->SetVertSize(3);
}
