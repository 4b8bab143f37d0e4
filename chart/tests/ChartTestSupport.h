#pragma once
// Test helpers of the chart engine: a canvas that records what is drawn on it (with the
// pen, brush and font in force) and measures text with fixed metrics, and a stand-in
// for the chart panel.

#include "chart/ChartCanvas.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/tests/TestApp.h"

#include <string>
#include <vector>

struct TDrawCall {
    enum TKind { dcLine, dcPatBlt, dcPolygon, dcPolyline, dcPixel, dcText, dcRectangle, dcEllipse };
    TKind Kind;
    std::vector<TPoint> Points;
    TRect Rect;
    std::string Text;
    TColor PenColor;
    TPenStyle PenStyle;
    TColor BrushColor;
    TBrushStyle BrushStyle;
    int FontHeight;
    int Escapement;
    TColor Color; // pixels
};

// Text is 7 pixels per byte wide and 13 pixels high, whatever the font.
class TRecordingCanvas : public TCanvas {
public:
    static constexpr int kCharWidth = 7;
    static constexpr int kLineHeight = 13;
    std::vector<TDrawCall> Calls;

    std::vector<TDrawCall> OfKind(TDrawCall::TKind kind) const {
        std::vector<TDrawCall> result;
        for (const TDrawCall& c : Calls)
            if (c.Kind == kind)
                result.push_back(c);
        return result;
    }

protected:
    TDrawCall Make(TDrawCall::TKind kind) {
        return TDrawCall{kind,
                         {},
                         {},
                         {},
                         Pen()->Color(),
                         Pen()->Style(),
                         Brush()->Color(),
                         Brush()->Style(),
                         Font()->Height(),
                         Font()->Escapement(),
                         clNone};
    }
    void DoLine(const TPoint& from, const TPoint& to) override {
        TDrawCall c = Make(TDrawCall::dcLine);
        c.Points = {from, to};
        Calls.push_back(c);
    }
    void DoPatBlt(const TRect& r, uint32_t) override {
        TDrawCall c = Make(TDrawCall::dcPatBlt);
        c.Rect = r;
        Calls.push_back(c);
    }
    void DoPolygon(const std::vector<TPoint>& points) override {
        TDrawCall c = Make(TDrawCall::dcPolygon);
        c.Points = points;
        Calls.push_back(c);
    }
    void DoPolyline(const std::vector<TPoint>& points) override {
        TDrawCall c = Make(TDrawCall::dcPolyline);
        c.Points = points;
        Calls.push_back(c);
    }
    void DoSetPixel(const TPoint& p, TColor color) override {
        TDrawCall c = Make(TDrawCall::dcPixel);
        c.Points = {p};
        c.Color = color;
        Calls.push_back(c);
    }
    void DoTextOut(const TPoint& p, unsigned, const TRect*, std::string_view text) override {
        TDrawCall c = Make(TDrawCall::dcText);
        c.Points = {p};
        c.Text = std::string(text);
        Calls.push_back(c);
    }
    void DoRectangle(const TRect& r) override {
        TDrawCall c = Make(TDrawCall::dcRectangle);
        c.Rect = r;
        Calls.push_back(c);
    }
    void DoBrushFill(const TRect& r) override {
        TDrawCall c = Make(TDrawCall::dcPatBlt);
        c.Rect = r;
        Calls.push_back(c);
    }
    void DoEllipse(const TRect& r) override {
        TDrawCall c = Make(TDrawCall::dcEllipse);
        c.Rect = r;
        Calls.push_back(c);
    }
    TSize DoTextExtent(std::string_view text) override {
        return TSize(int(text.size()) * kCharWidth, kLineHeight);
    }
};

// A chart panel stand-in: counts repaints and offers a canvas.
class TFakePanel : public TChartPanelLink {
public:
    int Repaints = 0;
    bool Loading = false;
    TCanvas3D* Canvas = nullptr;
    TColor Color = clBtnFace;
    bool View3D = false;

    void RepaintPanel() override { ++Repaints; }
    TCanvas3D* ChartCanvas() const override { return Canvas; }
    TColor PanelColor() const override { return Color; }
    bool PanelView3D() const override { return View3D; }
    bool PanelLoading() const override { return Loading; }
};
