#pragma once
// The Gantt series: one horizontal bar per task from its start to its end value (date-
// times) at the task's row, optionally joined to a following task by a connecting line.

#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"
#include "chart/Series.h"

#include <memory>
#include <string>

class TGanttSeries : public TPointSeries {
    ORV_CLASS(TGanttSeries, TPointSeries)

    explicit TGanttSeries(TComponent* owner);
    ~TGanttSeries() override;
    static void Publish(TPublisher<TGanttSeries>& p);
    // ConnectingPen, then the point series' part.
    void AssignFrom(const TPersistent* source) override;

    void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    void DrawValue(int index) override;
    void FillSampleValues(int count) override;
    bool CanCopyFrom(TChartSeries* source) const override;
    double MaxXValue() const override;
    void PrepareForGallery(bool keepColor) override;
    std::string EditorClassName() const override { return "TGanttSeriesEditor"; }
    TChartValueList* MandatoryValueList() const override { return XValues(); }
    void HorizMargins(int& left, int& right) override { TCustomSeries::HorizMargins(left, right); }
    // The click X lies within the task's bar and Y within the pointer's half height of its
    // row.
    bool PointerHit(int index, int x, int y, int px, int py) override;

    // Adds a task (X = start, Y = row) and answers its index.
    int AddTaskColored(double start, double end, double row, const std::string& label,
                       TColor color);
    int AddTask(double start, double end, double row, const std::string& label = {}) {
        return AddTaskColored(start, end, row, label, clAutoColor);
    }

    TChartValueList* StartValues() const { return XValues(); }
    void SetStartValues(const TChartValueList* value);
    TChartValueList* EndValues() const { return FEndValues.get(); }
    void SetEndValues(const TChartValueList* value);
    TChartValueList* NextTask() const { return FNextTask.get(); }
    void SetNextTask(const TChartValueList* value);
    TChartPen* ConnectingPen() const { return FConnectingPen.get(); }
    void SetConnectingPen(const TChartPen* value) { FConnectingPen->AssignFrom(value); }

protected:
    double PendingValueOf(int listIndex) const override;

private:
    void PenChanged(TObject* sender);

    std::unique_ptr<TChartValueList> FEndValues;
    std::unique_ptr<TChartValueList> FNextTask;
    std::unique_ptr<TChartPen> FConnectingPen;
    double FPendingEnd = 0;
    double FPendingNextTask = -1;
};
