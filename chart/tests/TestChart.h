#pragma once
// A chart for tests and benchmarks: the axis panel with the chart's own steps done in
// the simplest way (axes rectangle from the axes' room, a framed back wall, a title line
// at the top), and a series that joins its points with lines.

#include "chart/ChartEngine.h"

#include <algorithm>
#include <string>
#include <vector>

class TTestChart : public TCustomAxisPanel {
public:
    explicit TTestChart(TComponent* owner = nullptr) : TCustomAxisPanel(owner) {}

    std::string TitleText;
    // Depth of the walls' back in the last frame (for 3-D tests).
    int WallDepth = -1;

    void CalcAxesRect() override {
        RecalcAxesLimits();
        if (View3D() && View3DOptions()->Orthogonal()) {
            TRect r = ChartRect();
            r.Right -= Width3D();
            r.Top += Width3D();
            SetChartRect(r);
        }
        SetChartRect(ReserveAxesSpace(ChartRect()));
        CalcDepthSize();
        CalcAxesPositions();
    }

    int AxisWallSize(const TCustomChartAxis* /*axis*/) const override { return 0; }

    void DrawTitlesAndLegend() override {
        if (TitleText.empty())
            return;
        TChartCanvas3D* canvas = Canvas3D();
        canvas->SuspendProjection();
        canvas->Font()->SetColor(clBlue);
        canvas->Brush()->SetStyle(bsClear);
        canvas->WriteTextAlignment(int(TA_CENTER | TA_TOP));
        canvas->DrawText(ChartXCenter(), ChartRect().Top, TitleText);
        canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
        TRect r = ChartRect();
        r.Top += canvas->FontHeight() + 5;
        SetChartRect(r);
        canvas->ResumeProjection();
    }

    void DrawWalls() override {
        TChartCanvas3D* canvas = Canvas3D();
        const TRect& r = ChartRect();
        canvas->Pen()->SetColor(clBlack);
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetWidth(1);
        canvas->Brush()->SetColor(clWhite);
        canvas->Brush()->SetStyle(bsSolid);
        WallDepth = Width3D();
        if (View3D())
            canvas->DrawRectangleAtDepth(TRect(r.Left + 1, r.Top - 1, r.Right, r.Bottom),
                                         Width3D());
        else
            canvas->DrawRectangle(r.Left, r.Top, r.Right + 1, r.Bottom);
    }

    bool IsFreeSeriesColor(TColor color, bool checkBackground) const override {
        for (TChartSeries* s : SeriesList())
            if (s->SeriesColor() == color)
                return false;
        return !(checkBackground && color == Color());
    }
};

// Joins its visible points with lines in the series colour.
class TTestLineSeries : public TChartSeries {
public:
    explicit TTestLineSeries(TComponent* owner = nullptr) : TChartSeries(owner) {
        SetPointsStandAlone(false);
        SetDrawBetweenPoints(true);
    }
    // Point indexes in the order they were drawn.
    std::vector<int>* Drawn = nullptr;

    void DrawValue(int index) override {
        if (Drawn)
            Drawn->push_back(index);
        TChartCanvas3D* canvas = ParentChart()->Canvas3D();
        const int x = CalcXPos(index);
        const int y = CalcYPos(index);
        if (index == FirstValueIndex()) {
            canvas->Pen()->SetColor(SeriesColor());
            canvas->Pen()->SetStyle(psSolid);
            canvas->Pen()->SetWidth(1);
            canvas->MovePenToSpace(x, y, MiddleZ());
        } else {
            canvas->DrawLineToSpace(x, y, MiddleZ());
        }
    }
};
