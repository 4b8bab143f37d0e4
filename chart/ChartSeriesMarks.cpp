// The marks of a series: the texts drawn beside its points, their frames and arrows, and
// the positions the user dragged them to.

#include "chart/ChartEngine.h"

#include <algorithm>
#include <cmath>

namespace {
using TStoredFn = std::function<bool(const TObject*)>;
} // namespace

void TSeriesMarkPosition::CopyFrom(const TSeriesMarkPosition& source) {
    ArrowFrom = source.ArrowFrom;
    ArrowTo = source.ArrowTo;
    LeftTop = source.LeftTop;
    Height = source.Height;
    Width = source.Width;
}

TSeriesMarkPosition* TSeriesMarksPositions::Position(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[size_t(index)].get();
}

TSeriesMarkPosition* TSeriesMarksPositions::Ensure(int index) {
    if (index >= Count())
        FItems.resize(size_t(index) + 1);
    auto& item = FItems[size_t(index)];
    if (!item)
        item = std::make_unique<TSeriesMarkPosition>();
    return item.get();
}

void TSeriesMarksPositions::Delete(int index) {
    if (index >= 0 && index < Count())
        FItems.erase(FItems.begin() + index);
}

TSeriesMarks::TSeriesMarks(TChartSeries* parent) : FParent(parent) {
    TNotifyEvent changed(this, &TSeriesMarks::PartChanged);
    FArrow = std::make_unique<TChartArrowPen>(changed);
    FFont = NewStandardFont(changed);
    FFrame = std::make_unique<TChartPen>(changed);
}

TSeriesMarks::~TSeriesMarks() = default;

void TSeriesMarks::Publish(TPublisher<TSeriesMarks>& p) {
    using T = TSeriesMarks;
    p.Class("Arrow", TChartArrowPen::StaticClass(), &T::Arrow, &T::SetArrow);
    p.Integer("ArrowLength", &T::ArrowLength, &T::SetArrowLength).Default(8);
    p.Ordinal("BackColor", TypeInfoTColor(), &T::BackColor, &T::SetBackColor)
        .Default(int64_t(0x80FFFF));
    p.Bool("Clip", &T::Clip, &T::SetClip).Default(false);
    p.Class("Font", TFont::StaticClass(), &T::Font, &T::SetFont)
        .Stored(TStoredFn(
            [](const TObject* o) { return !IsStandardFont(static_cast<const T*>(o)->Font()); }));
    p.Class("Frame", TChartPen::StaticClass(), &T::Frame, &T::SetFrame);
    p.Enum("Style", TypeInfoTSeriesMarksStyle(), &T::Style, &T::SetStyle).Default(smsLabel);
    p.Bool("Transparent", &T::Transparent, &T::SetTransparent).Default(false);
    p.Bool("Visible", &T::Visible, &T::SetVisible).NoDefault();
}

void TSeriesMarks::AssignFrom(const TPersistent* source) {
    if (auto* m = dynamic_cast<const TSeriesMarks*>(source)) {
        FArrow->AssignFrom(m->FArrow.get());
        FArrowLength = m->FArrowLength;
        FBackColor = m->FBackColor;
        FTransparent = m->FTransparent;
        FClip = m->FClip;
        FFrame->AssignFrom(m->FFrame.get());
        FFont->AssignFrom(m->FFont.get());
        FStyle = m->FStyle;
        FVisible = m->FVisible;
        return;
    }
    TPersistent::AssignFrom(source);
}

void TSeriesMarks::Repaint() {
    if (FParent)
        FParent->RepaintChart();
}

void TSeriesMarks::PartChanged(TObject* /*sender*/) {
    Repaint();
}

void TSeriesMarks::SetArrowLength(int value) {
    if (FParent)
        FParent->SetIntegerProperty(FArrowLength, value);
    else
        FArrowLength = value;
}

void TSeriesMarks::SetBackColor(TColor value) {
    if (FParent)
        FParent->SetColorProperty(FBackColor, value);
    else
        FBackColor = value;
}

void TSeriesMarks::SetClip(bool value) {
    if (FParent)
        FParent->SetBooleanProperty(FClip, value);
    else
        FClip = value;
}

void TSeriesMarks::SetTransparent(bool value) {
    if (FParent)
        FParent->SetBooleanProperty(FTransparent, value);
    else
        FTransparent = value;
}

void TSeriesMarks::SetVisible(bool value) {
    if (FParent)
        FParent->SetBooleanProperty(FVisible, value);
    else
        FVisible = value;
}

void TSeriesMarks::SetStyle(TSeriesMarksStyle value) {
    if (FStyle == value)
        return;
    FStyle = value;
    Repaint();
}

void TSeriesMarks::ApplyPosition(int index, TSeriesMarkPosition& position) {
    TSeriesMarkPosition* stored = FPositions.Ensure(index);
    if (stored->Custom)
        position.CopyFrom(*stored);
    else
        stored->CopyFrom(position);
}

void TSeriesMarks::DrawMarkItem(int index, TColor color, const std::string& text,
                                TSeriesMarkPosition& position) {
    ApplyPosition(index, position);
    TChartPanelLink* chart = FParent ? FParent->ParentChart() : nullptr;
    TCanvas3D* canvas = chart ? chart->ChartCanvas() : nullptr;
    if (!canvas)
        return;
    const bool is3D = chart->PanelView3D();
    const TColor chartColor = chart->PanelColor();

    if (FArrow->Visible()) {
        canvas->Pen()->AssignFrom(FArrow.get());
        canvas->Brush()->SetStyle(bsClear);
        if (canvas->Pen()->Color() == color || canvas->Pen()->Color() == chartColor)
            canvas->Pen()->SetColor(chartColor == clBlack ? clWhite : clBlack);
        if (is3D)
            canvas->DrawLineAtDepth(position.ArrowFrom.X, position.ArrowFrom.Y, position.ArrowTo.X,
                                    position.ArrowTo.Y, FZPosition);
        else
            canvas->DrawSegment(position.ArrowFrom.X, position.ArrowFrom.Y, position.ArrowTo.X,
                                position.ArrowTo.Y);
    }

    TRect r = position.Bounds();
    const bool textAtDepth = canvas->CanDrawTextAtDepth();
    if (is3D && !textAtDepth) {
        // The rectangle follows its arrow end into the projection.
        TPoint projected =
            canvas->SpaceToScreen(position.ArrowTo.X, position.ArrowTo.Y, FZPosition);
        OffsetRect(r, projected.X - position.ArrowTo.X, projected.Y - position.ArrowTo.Y);
    }

    int textTop = r.Top;
    if (FFrame->Visible() || !FTransparent) {
        canvas->Brush()->SetColor(FBackColor);
        canvas->Brush()->SetStyle(FTransparent ? bsClear : bsSolid);
        canvas->UseChartPen(FFrame.get());
        if (is3D && textAtDepth)
            canvas->DrawRectangleAtDepth(r, FZPosition + 1);
        else
            canvas->DrawRectangleRecord(r);
        if (FFrame->Visible())
            textTop += FFrame->Width();
    }

    canvas->Brush()->SetStyle(bsClear);
    canvas->WriteTextAlignment(int(TA_CENTER | TA_TOP));
    const int lineHeight = canvas->FontHeight();
    const int x = r.Left + r.Width() / 2;
    size_t start = 0;
    int line = 0;
    while (true) {
        size_t pos = text.find(ChartLineSeparator, start);
        std::string_view part = std::string_view(text).substr(
            start, pos == std::string::npos ? std::string::npos : pos - start);
        canvas->DrawText(x, textTop + line * lineHeight, part);
        if (pos == std::string::npos)
            break;
        start = pos + 1;
        ++line;
    }
    canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
}
