#include "chart/Chart.h"

#include "chart/ChartFunctions.h"
#include "chart/GanttSeries.h"
#include "chart/Series.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using TStoredFn = std::function<bool(const TObject*)>;

std::string Cut20(const std::string& text) {
    return text.size() > 20 ? text.substr(0, 20) : text;
}

// The chart texts break into lines at the line separator; a legend row is one line.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), ChartLineSeparator, ' ');
    return text;
}

} // namespace

// ---------------------------------------------------------------------------
// TChartWall

TChartWall::TChartWall(TCustomChart* chart, TColor defaultColor)
    : FChart(chart), FDefaultColor(defaultColor), FColor(defaultColor) {
    FBrush = std::make_unique<TChartBrush>(TNotifyEvent(this, &TChartWall::PartChanged));
    FPen = std::make_unique<TChartPen>(TNotifyEvent(this, &TChartWall::PartChanged));
}

TChartWall::~TChartWall() = default;

void TChartWall::Publish(TPublisher<TChartWall>& p) {
    using T = TChartWall;
    p.Class("Brush", TChartBrush::StaticClass(), &T::Brush, &T::SetBrush);
    p.Ordinal("Color", TypeInfoTColor(), &T::Color, &T::SetColor)
        .NoDefault()
        .Stored(TStoredFn([](const TObject* o) {
            auto* wall = static_cast<const TChartWall*>(o);
            return wall->Color() != wall->DefaultColor();
        }));
    p.Bool("Dark3D", &T::Dark3D, &T::SetDark3D).Default(true);
    p.Class("Pen", TChartPen::StaticClass(), &T::Pen, &T::SetPen);
    p.Integer("Size", &T::Size, &T::SetSize).Default(0);
}

void TChartWall::AssignFrom(const TPersistent* source) {
    auto* wall = dynamic_cast<const TChartWall*>(source);
    if (!wall) {
        TPersistent::AssignFrom(source);
        return;
    }
    FBrush->AssignFrom(wall->FBrush.get());
    FColor = wall->FColor;
    FDark3D = wall->FDark3D;
    FPen->AssignFrom(wall->FPen.get());
    FSize = wall->FSize;
    Repaint();
}

void TChartWall::Repaint() {
    if (FChart)
        FChart->RepaintPanel();
}

void TChartWall::PartChanged(TObject* /*sender*/) {
    Repaint();
}

void TChartWall::SetColor(TColor value) {
    if (FColor == value)
        return;
    FColor = value;
    Repaint();
}

void TChartWall::SetDark3D(bool value) {
    if (FDark3D == value)
        return;
    FDark3D = value;
    Repaint();
}

void TChartWall::SetSize(int value) {
    if (FSize == value)
        return;
    FSize = value;
    Repaint();
}

bool TChartWall::HasDarkSides() const {
    const bool bitmap = FBrush->Bitmap() && !FBrush->Bitmap()->Empty();
    return FDark3D && FBrush->Style() != bsClear && !bitmap;
}

// ---------------------------------------------------------------------------
// TChartTitle

const TTypeInfo* TypeInfoTAlignment() {
    static const TTypeInfo info =
        MakeEnumType("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
    return &info;
}

TChartTitle::TChartTitle(TCustomChart* chart) : TChartFontObject(chart), FChart(chart) {
    FBrush = std::make_unique<TChartBrush>(TNotifyEvent(this, &TChartTitle::Changed));
    FFrame = std::make_unique<TChartHiddenPen>(TNotifyEvent(this, &TChartTitle::Changed));
    FText = std::make_unique<TStringList>();
    FText->SetOnChange(TNotifyEvent(this, &TChartTitle::Changed));
    SetDefaultFont(clBlue, {});
}

TChartTitle::~TChartTitle() = default;

void TChartTitle::Publish(TPublisher<TChartTitle>& p) {
    using T = TChartTitle;
    p.Bool("AdjustFrame", &T::AdjustFrame, &T::SetAdjustFrame).Default(true);
    p.Enum("Alignment", TypeInfoTAlignment(), &T::Alignment, &T::SetAlignment).Default(taCenter);
    p.Class("Brush", TChartBrush::StaticClass(), &T::Brush, &T::SetBrush);
    p.Ordinal("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(int64_t(clAutoColor));
    p.Class("Font", TFont::StaticClass(), &T::Font, &T::SetFont)
        .Stored(TStoredFn(
            [](const TObject* o) { return static_cast<const TChartTitle*>(o)->IsFontChanged(); }));
    p.Class("Frame", TChartHiddenPen::StaticClass(), &T::Frame, &T::SetFrame);
    p.Class("Text", TStrings::StaticClass(), &T::Text, &T::SetText);
    p.Bool("Visible", &T::Visible, &T::SetVisible).Default(true);
}

void TChartTitle::AssignFrom(const TPersistent* source) {
    auto* title = dynamic_cast<const TChartTitle*>(source);
    if (!title) {
        TChartFontObject::AssignFrom(source);
        return;
    }
    TChartFontObject::AssignFrom(source);
    FAdjustFrame = title->FAdjustFrame;
    FAlignment = title->FAlignment;
    FBrush->AssignFrom(title->FBrush.get());
    FColor = title->FColor;
    FFrame->AssignFrom(title->FFrame.get());
    FText->Assign(*title->FText);
    FVisible = title->FVisible;
    Repaint();
}

void TChartTitle::Changed(TObject* /*sender*/) {
    Repaint();
}

void TChartTitle::SetDefaultFont(TColor color, TFontStyles style) {
    FDefaultColor = color;
    FDefaultStyle = style;
    Font()->SetColor(color);
    Font()->SetStyle(style);
}

bool TChartTitle::IsFontChanged() const {
    const TFont* f = Font();
    return f->Name() != StandardFontName() || f->Size() != StandardFontSize() ||
           f->Color() != FDefaultColor || f->Style() != FDefaultStyle;
}

void TChartTitle::SetAdjustFrame(bool value) {
    if (FAdjustFrame == value)
        return;
    FAdjustFrame = value;
    Repaint();
}

void TChartTitle::SetAlignment(TAlignment value) {
    if (FAlignment == value)
        return;
    FAlignment = value;
    Repaint();
}

void TChartTitle::SetColor(TColor value) {
    if (FColor == value)
        return;
    FColor = value;
    Repaint();
}

void TChartTitle::SetVisible(bool value) {
    if (FVisible == value)
        return;
    FVisible = value;
    Repaint();
}

void TChartTitle::DrawTitle(bool isFoot) {
    if (!FChart || !FVisible || FText->Count() == 0)
        return;
    TChartCanvas3D* canvas = FChart->Canvas3D();
    FChart->AssignCanvasFont(Font());
    const int h = canvas->FontHeight();
    // The brush.
    TBrush* brush = canvas->Brush();
    if (FColor == clAutoColor) {
        if (FBrush->Style() != bsSolid) {
            brush->SetStyle(FBrush->Style());
            brush->SetColor(FBrush->Color() == clAutoColor ? clBlack : FBrush->Color());
            canvas->WriteBackgroundMode(TRANSPARENT);
        } else if (FBrush->Color() == clAutoColor) {
            brush->SetStyle(bsClear);
        } else {
            FColor = FBrush->Color();
            brush->SetColor(FColor);
            brush->SetStyle(bsSolid);
        }
    } else if (FBrush->Style() != bsSolid) {
        brush->SetStyle(FBrush->Style());
        brush->SetColor(FBrush->Color() == clAutoColor ? clBlack : FBrush->Color());
        canvas->WriteBackgroundMode(OPAQUE);
        canvas->WriteBackgroundColor(FColor);
    } else {
        brush->SetColor(FColor);
        brush->SetStyle(bsSolid);
    }
    // The frame.
    const bool framed = FFrame->Visible() && FFrame->Color() != clAutoColor;
    const int f = framed ? FFrame->Width() : 0;
    if (framed)
        canvas->UseChartPen(FFrame.get());
    else
        canvas->Pen()->SetStyle(psClear);
    const TRect chart = FChart->ChartRect();
    const int lines = FText->Count();
    TRect r;
    r.Left = chart.Left + f;
    r.Right = chart.Right - f;
    if (!isFoot) {
        r.Top = chart.Top + f;
        r.Bottom = r.Top + lines * h;
    } else {
        r.Bottom = chart.Bottom - f;
        r.Top = r.Bottom - lines * h;
    }
    r.Left -= f;
    r.Top -= f;
    r.Right += f;
    r.Bottom += f;
    const int wWidth = canvas->MeasureTextWidth("W");
    if (framed || brush->Style() != bsClear) {
        if (FAdjustFrame) {
            int widest = 0;
            for (int i = 0; i < lines; ++i)
                widest = std::max(widest, canvas->MeasureTextWidth((*FText)[i]));
            const int width = widest + wWidth;
            switch (FAlignment) {
            case taLeftJustify:
                r.Right = r.Left + width;
                break;
            case taRightJustify:
                r.Left = r.Right - width;
                break;
            case taCenter: {
                const int centre = (r.Left + r.Right) / 2;
                r.Left = centre - width / 2;
                r.Right = r.Left + width;
                break;
            }
            }
        }
        canvas->DrawRectangleRecord(r);
    }
    FTitleRect = r;
    // The text, transparent, line by line.
    canvas->Brush()->SetStyle(bsClear);
    canvas->WriteBackgroundMode(TRANSPARENT);
    canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
    auto lineX = [&](const std::string& line) {
        const int width = canvas->MeasureTextWidth(line);
        switch (FAlignment) {
        case taLeftJustify:
            return r.Left + wWidth / 2;
        case taRightJustify:
            return r.Right - width - wWidth / 2;
        case taCenter:
            break;
        }
        return (r.Left + r.Right) / 2 - width / 2;
    };
    if (!isFoot) {
        for (int i = 0; i < lines; ++i)
            canvas->DrawText(lineX((*FText)[i]), r.Top + f + i * h, (*FText)[i]);
    } else {
        for (int i = lines - 1, k = 1; i >= 0; --i, ++k)
            canvas->DrawText(lineX((*FText)[i]), r.Bottom - f - k * h, (*FText)[i]);
    }
    // The chart rectangle gives up the block's room.
    TRect rest = FChart->ChartRect();
    if (!isFoot)
        rest.Top = r.Bottom - f + (framed ? f : 0) + 5;
    else
        rest.Bottom = r.Top + f - (framed ? f : 0) - 5;
    FChart->SetChartRect(rest);
}

// ---------------------------------------------------------------------------
// The legend

const TTypeInfo* TypeInfoTLegendStyle() {
    static const TTypeInfo info =
        MakeEnumType("TLegendStyle", {"lsAuto", "lsSeries", "lsValues", "lsLastValues"});
    return &info;
}

const TTypeInfo* TypeInfoTLegendAlignment() {
    static const TTypeInfo info =
        MakeEnumType("TLegendAlignment", {"laLeft", "laRight", "laTop", "laBottom"});
    return &info;
}

TCustomChartLegend::TCustomChartLegend(TCustomChart* chart)
    : TChartFontObject(chart), FChart(chart) {
    FBrush = std::make_unique<TChartBrush>(TNotifyEvent(this, &TCustomChartLegend::PartChanged));
    FBrush->SetColor(clWhite);
    FBrush->SetStyle(bsSolid);
    FDividingLines =
        std::make_unique<TChartHiddenPen>(TNotifyEvent(this, &TCustomChartLegend::PartChanged));
    FFrame = std::make_unique<TChartPen>(TNotifyEvent(this, &TCustomChartLegend::PartChanged));
}

TCustomChartLegend::~TCustomChartLegend() = default;

void TCustomChartLegend::AssignFrom(const TPersistent* source) {
    auto* legend = dynamic_cast<const TCustomChartLegend*>(source);
    TChartFontObject::AssignFrom(source);
    if (!legend)
        return;
    FAlignment = legend->FAlignment;
    FBrush->AssignFrom(legend->FBrush.get());
    FColor = legend->FColor;
    FColorWidth = legend->FColorWidth;
    FDividingLines->AssignFrom(legend->FDividingLines.get());
    FFirstValue = legend->FFirstValue;
    FFrame->AssignFrom(legend->FFrame.get());
    FHorizMargin = legend->FHorizMargin;
    FInverted = legend->FInverted;
    FLegendStyle = legend->FLegendStyle;
    FMaxNumRows = legend->FMaxNumRows;
    FResizeChart = legend->FResizeChart;
    FShadowColor = legend->FShadowColor;
    FShadowSize = legend->FShadowSize;
    FTextStyle = legend->FTextStyle;
    FTopPos = legend->FTopPos;
    FVertMargin = legend->FVertMargin;
    FVisible = legend->FVisible;
    Repaint();
}

void TChartLegend::Publish(TPublisher<TChartLegend>& p) {
    using T = TCustomChartLegend;
    p.Enum("Alignment", TypeInfoTLegendAlignment(), &T::Alignment, &T::SetAlignment)
        .Default(laRight);
    p.Class("Brush", TChartBrush::StaticClass(), &T::Brush, &T::SetBrush);
    p.Ordinal("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(int64_t(clWhite));
    p.Integer("ColorWidth", &T::ColorWidth, &T::SetColorWidth).Default(12);
    p.Class("DividingLines", TChartHiddenPen::StaticClass(), &T::DividingLines,
            &T::SetDividingLines);
    p.Integer("FirstValue", &T::FirstValue, &T::SetFirstValue).Default(0);
    p.Class("Font", TFont::StaticClass(), &T::Font, &T::SetFont)
        .Stored(
            TStoredFn([](const TObject* o) { return static_cast<const T*>(o)->IsFontStored(); }));
    p.Class("Frame", TChartPen::StaticClass(), &T::Frame, &T::SetFrame);
    p.Integer("HorizMargin", &T::HorizMargin, &T::SetHorizMargin).Default(0);
    p.Bool("Inverted", &T::Inverted, &T::SetInverted).Default(false);
    p.Enum("LegendStyle", TypeInfoTLegendStyle(), &T::LegendStyle, &T::SetLegendStyle)
        .Default(lsAuto);
    p.Integer("MaxNumRows", &T::MaxNumRows, &T::SetMaxNumRows).Default(10);
    p.Bool("ResizeChart", &T::ResizeChart, &T::SetResizeChart).Default(true);
    p.Ordinal("ShadowColor", TypeInfoTColor(), &T::ShadowColor, &T::SetShadowColor)
        .Default(int64_t(clBlack));
    p.Integer("ShadowSize", &T::ShadowSize, &T::SetShadowSize).Default(3);
    p.Enum("TextStyle", TypeInfoTLegendTextStyle(), &T::TextStyle, &T::SetTextStyle)
        .Default(ltsLeftValue);
    p.Integer("TopPos", &T::TopPos, &T::SetTopPos).Default(10);
    p.Integer("VertMargin", &T::VertMargin, &T::SetVertMargin).Default(0);
    p.Bool("Visible", &T::Visible, &T::SetVisible).Default(true);
}

bool TCustomChartLegend::Loading() const {
    return FChart && FChart->IsLoading();
}

void TCustomChartLegend::PartChanged(TObject* /*sender*/) {
    Repaint();
}

void TCustomChartLegend::SetIntegerValue(int& field, int value) {
    if (ChangeField(field, value))
        Repaint();
}

void TCustomChartLegend::SetBooleanValue(bool& field, bool value) {
    if (ChangeField(field, value))
        Repaint();
}

void TCustomChartLegend::SetAlignment(TLegendAlignment value) {
    if (FAlignment == value)
        return;
    FAlignment = value;
    Repaint();
}

void TCustomChartLegend::SetColor(TColor value) {
    if (FColor == value)
        return;
    FColor = value;
    Repaint();
}

void TCustomChartLegend::SetColorWidth(int value) {
    if (!Loading() && (value < 0 || value > 100))
        throw LegendException(SLegendColorWidth);
    SetIntegerValue(FColorWidth, value);
}

void TCustomChartLegend::SetFirstValue(int value) {
    if (!Loading() && value < 0)
        throw LegendException(SLegendFirstValue);
    SetIntegerValue(FFirstValue, value);
}

void TCustomChartLegend::SetHorizMargin(int value) {
    SetIntegerValue(FHorizMargin, value);
}

void TCustomChartLegend::SetInverted(bool value) {
    SetBooleanValue(FInverted, value);
}

void TCustomChartLegend::SetLegendStyle(TLegendStyle value) {
    if (FLegendStyle == value)
        return;
    FLegendStyle = value;
    FEffectiveStyle = CalcEffectiveStyle();
    Repaint();
}

void TCustomChartLegend::SetMaxNumRows(int value) {
    SetIntegerValue(FMaxNumRows, value);
}

void TCustomChartLegend::SetResizeChart(bool value) {
    SetBooleanValue(FResizeChart, value);
}

void TCustomChartLegend::SetShadowColor(TColor value) {
    if (FShadowColor == value)
        return;
    FShadowColor = value;
    Repaint();
}

void TCustomChartLegend::SetShadowSize(int value) {
    SetIntegerValue(FShadowSize, value);
}

void TCustomChartLegend::SetTextStyle(TLegendTextStyle value) {
    if (FTextStyle == value)
        return;
    FTextStyle = value;
    Repaint();
}

void TCustomChartLegend::SetTopPos(int value) {
    if (!Loading() && (value < 0 || value > 100))
        throw LegendException(SLegendTopPos);
    SetIntegerValue(FTopPos, value);
}

void TCustomChartLegend::SetVertMargin(int value) {
    SetIntegerValue(FVertMargin, value);
}

void TCustomChartLegend::SetVisible(bool value) {
    SetBooleanValue(FVisible, value);
}

TLegendStyle TCustomChartLegend::CalcEffectiveStyle() const {
    if (FLegendStyle != lsAuto)
        return FLegendStyle;
    if (!FChart || FChart->CountActiveSeries() < 2)
        return lsValues;
    return lsSeries;
}

int TCustomChartLegend::TotalRows() const {
    if (!FChart)
        return 0;
    int rows = 0;
    if (FEffectiveStyle == lsValues) {
        TChartSeries* first = FChart->FirstActiveSeries();
        if (first && first->ShowInLegend())
            rows = first->LegendItemCount();
    } else {
        for (TChartSeries* s : FChart->SeriesList())
            if (s->Active() && s->ShowInLegend())
                ++rows;
    }
    return std::max(0, rows - FFirstValue);
}

std::string TCustomChartLegend::RowText(int index) const {
    std::string text;
    switch (FEffectiveStyle) {
    case lsSeries:
    case lsAuto:
        text = FChart->LegendSeriesTitle(index);
        break;
    case lsValues:
        text = FChart->LegendValueText(FChart->FirstActiveSeries(), index);
        break;
    case lsLastValues:
        if (TChartSeries* s = FChart->LegendSeries(index))
            text = FChart->LegendValueText(s, s->Count() - 1);
        break;
    }
    if (FChart->OnGetLegendText())
        FChart->OnGetLegendText()(FChart, FEffectiveStyle, index, text);
    return text;
}

int TCustomChartLegend::FitCount(int start, int step) {
    const int total = TotalRows();
    const int fw = FFrame->Visible() ? FFrame->Width() : 0;
    int result;
    if (IsVertical()) {
        const int bottom = FChart->ChartRect().Bottom;
        result = (start >= bottom || step <= 0) ? 0 : (bottom - 2 * fw - start) / step;
    } else {
        const int right = FChart->ChartRect().Right;
        result = (start >= right || step <= 0) ? 0 : (FChart->ChartWidth() - 2 * fw - start) / step;
    }
    return std::clamp(result, 0, total);
}

void TCustomChartLegend::DrawLegend() {
    TLegendLayout layout = MeasureLegend();
    PlaceLegend(layout);
    const int shown = std::min(int(layout.Texts.size()), layout.RowsShown);
    if (shown <= 0)
        return;
    DrawLegendBox(layout.Rect);
    DrawLegendRows(layout, shown);
    if (FResizeChart)
        ShrinkChartRect(layout.Rect);
}

TCustomChartLegend::TLegendLayout TCustomChartLegend::MeasureLegend() {
    TCustomChart* chart = FChart;
    TChartCanvas3D* canvas = chart->Canvas3D();
    // The style in force, the symbols' background and the legend's font.
    FEffectiveStyle = CalcEffectiveStyle();
    chart->SetLegendSymbolBackColor(FColor);
    chart->AssignCanvasFont(Font());
    TLegendLayout layout;
    layout.RowHeight = canvas->FontHeight();
    // The rows' texts and the widest of them.
    const int total = TotalRows();
    layout.Texts.resize(size_t(std::max(0, total)));
    for (int k = 0; k < total; ++k) {
        layout.Texts[size_t(k)] = RowText(FFirstValue + k);
        layout.Widest = std::max(layout.Widest, canvas->MeasureTextWidth(layout.Texts[size_t(k)]));
    }
    layout.ItemWidth = layout.Widest + 4;
    FSymbolWidth = int(Round((layout.Widest + 4) * FColorWidth / 100.0));
    return layout;
}

void TCustomChartLegend::PlaceLegend(TLegendLayout& layout) {
    TCustomChart* chart = FChart;
    TChartCanvas3D* canvas = chart->Canvas3D();
    const int h = layout.RowHeight;
    const int total = int(layout.Texts.size());
    const bool framed = FFrame->Visible();
    const int fw = framed ? FFrame->Width() : 0;
    const TRect chartRect = chart->ChartRect();
    const TRect panel = chart->ChartBounds();
    // The rows (and columns) that fit, and the legend's top and bottom.
    TRect r;
    FColumns = 1;
    FRows = 0;
    auto horizontalFit = [&]() {
        FColumns = FitCount(8, layout.ItemWidth + FSymbolWidth + 8);
        if (FColumns <= 0) {
            FRows = 0;
        } else {
            FRows = total / FColumns + (total % FColumns ? 1 : 0);
            FRows = std::min(FRows, FMaxNumRows);
        }
    };
    switch (FAlignment) {
    case laTop:
        r.Top = chartRect.Top + (framed ? fw + 1 : 0);
        horizontalFit();
        r.Bottom = r.Top + FRows * h + 2;
        break;
    case laBottom:
        r.Bottom = chartRect.Bottom - FShadowSize - (framed ? fw + 1 : 0);
        horizontalFit();
        r.Top = r.Bottom - FRows * h - 2;
        break;
    case laLeft:
    case laRight:
        r.Top = panel.Top + int(Round(FTopPos * panel.Height() / 100.0));
        FColumns = 1;
        FRows = FitCount(r.Top, h);
        r.Bottom = r.Top + FRows * h + 2;
        break;
    }
    // Its left and right, and where the texts begin.
    layout.RowsShown = FRows;
    if (IsVertical()) {
        int w = 0;
        for (int k = 0; k < std::min(FRows, total); ++k)
            w = std::max(w, canvas->MeasureTextWidth(layout.Texts[size_t(k)]));
        FSymbolWidth = int(Round((w + 10) * FColorWidth / 100.0));
        if (FAlignment == laLeft) {
            r.Left = chartRect.Left + (framed ? fw + 1 : 0);
            layout.TextX = r.Left + 4 + FSymbolWidth + 4;
            r.Right = r.Left + 4 + FSymbolWidth + w + 6;
        } else {
            r.Right = chartRect.Right - (framed ? fw + 1 : 0) - FShadowSize;
            layout.TextX = r.Right - w - 2;
            r.Left = layout.TextX - FSymbolWidth - 8;
        }
    } else {
        // Each column as wide as the rows are spaced below (symbol, gaps and text), so
        // that the frame holds the last column too.
        const int width =
            std::min(chart->ChartWidth(),
                     2 * FShadowSize + (FSymbolWidth + layout.ItemWidth + 4) * FColumns + 8);
        r.Left = chart->ChartXCenter() - width / 2 +
                 int(Round(FTopPos * (panel.Width() - width) / 100.0));
        r.Right = r.Left + width;
        layout.TextX = r.Left + FSymbolWidth + 8;
        layout.RowsShown = FColumns * FRows;
    }
    // The program may move it.
    if (chart->OnGetLegendRect())
        chart->OnGetLegendRect()(chart, r);
    FRectLegend = r;
    layout.Rect = r;
}

void TCustomChartLegend::DrawLegendBox(const TRect& r) {
    TChartCanvas3D* canvas = FChart->Canvas3D();
    const bool framed = FFrame->Visible();
    const int fw = framed ? FFrame->Width() : 0;
    // The shadow, then the background in the legend's brush inside its frame.
    TRect box = r;
    int offset;
    if (framed) {
        box.Left -= fw;
        box.Top -= fw;
        box.Right += fw;
        box.Bottom += fw;
        offset = FShadowSize + fw + (fw - 1) / 2;
    } else {
        offset = FShadowSize - 1;
    }
    if (FShadowSize > 0) {
        canvas->Pen()->SetStyle(psClear);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(FShadowColor);
        canvas->FillRectangle(TRect(box.Left + FShadowSize, box.Top + FShadowSize,
                                    box.Right + offset, box.Bottom + offset));
    }
    if (framed) {
        canvas->UseChartPen(FFrame.get());
        if (FFrame->Color() == clAutoColor)
            canvas->Pen()->SetColor(clBlack);
    } else {
        canvas->Pen()->SetStyle(psClear);
    }
    if (FBrush->Bitmap() && !FBrush->Bitmap()->Empty()) {
        canvas->Brush()->SetBitmap(FBrush->Bitmap());
    } else if (FBrush->Style() == bsSolid) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(FColor);
    } else {
        canvas->Brush()->SetStyle(FBrush->Style());
        canvas->Brush()->SetColor(FBrush->Color() == clAutoColor ? clBlack : FBrush->Color());
        canvas->WriteBackgroundMode(OPAQUE);
        canvas->WriteBackgroundColor(FColor);
    }
    canvas->DrawRectangleRecord(box);
    canvas->Brush()->SetBitmap(nullptr);
}

void TCustomChartLegend::DrawLegendRows(const TLegendLayout& layout, int shown) {
    TCustomChart* chart = FChart;
    TChartCanvas3D* canvas = chart->Canvas3D();
    const TRect& r = layout.Rect;
    const int h = layout.RowHeight;
    chart->AssignCanvasFont(Font());
    canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
    for (int place = 0; place < shown; ++place) {
        const int k = FInverted ? shown - 1 - place : place;
        const int row = FFirstValue + k;
        int x = layout.TextX;
        int y = r.Top + 1;
        if (IsVertical()) {
            y += h * place;
        } else {
            y += h * (place / FColumns);
            x += (place % FColumns) * (layout.ItemWidth + FSymbolWidth + 4);
        }
        int tx = x;
        if (chart->OnGetLegendPos())
            chart->OnGetLegendPos()(chart, row, x, y, tx);
        const std::string& text = layout.Texts[size_t(k)];
        canvas->Brush()->SetStyle(bsClear);
        canvas->WriteBackgroundMode(TRANSPARENT);
        canvas->DrawText(x, y, text);
        if (!text.empty()) {
            const TRect symbol(x - 4 - FSymbolWidth, y + 2, x - 4, y + h - 2);
            canvas->Pen()->SetStyle(psSolid);
            canvas->Pen()->SetWidth(1);
            canvas->Pen()->SetMode(pmCopy);
            canvas->Pen()->SetColor(FColor == clBlack ? clWhite : clBlack);
            if (FEffectiveStyle == lsValues) {
                if (TChartSeries* first = chart->FirstActiveSeries())
                    first->DrawLegendSymbol(first->LegendToValueIndex(row), symbol);
            } else if (TChartSeries* s = chart->LegendSeries(row)) {
                s->DrawLegendSymbol(-1, symbol);
            } else {
                canvas->Brush()->SetStyle(bsSolid);
                canvas->Brush()->SetColor(clWhite);
                canvas->DrawRectangleRecord(symbol);
            }
            chart->AssignCanvasFont(Font());
        }
        if (place > 0 && FDividingLines->Visible()) {
            canvas->UseChartPen(FDividingLines.get());
            canvas->WriteBackgroundMode(TRANSPARENT);
            if (IsVertical())
                canvas->DrawHorizontalSegment(r.Left, r.Right, y);
            else
                canvas->DrawVerticalSegment(x - 4 - FSymbolWidth - 4, r.Top, r.Bottom);
        }
    }
}

void TCustomChartLegend::ShrinkChartRect(const TRect& r) {
    TCustomChart* chart = FChart;
    // The chart rectangle gives up the legend's room, then the margin beside it.
    TRect rest = chart->ChartRect();
    switch (FAlignment) {
    case laLeft:
        rest.Left = r.Right;
        break;
    case laRight:
        rest.Right = r.Left;
        break;
    case laTop:
        rest.Top = r.Bottom + FShadowSize;
        break;
    case laBottom:
        rest.Bottom = r.Top;
        break;
    }
    chart->SetChartRect(rest);
    rest = chart->ChartRect();
    const int horizMargin =
        FHorizMargin != 0 ? FHorizMargin : int(Round(chart->ChartWidth() * 3 / 100.0));
    const int vertMargin =
        FVertMargin != 0 ? FVertMargin : int(Round(chart->ChartHeight() * 4 / 100.0));
    switch (FAlignment) {
    case laLeft:
        rest.Left += horizMargin;
        break;
    case laRight:
        rest.Right -= horizMargin;
        break;
    case laTop:
        rest.Top += vertMargin;
        break;
    case laBottom:
        rest.Bottom -= vertMargin;
        break;
    }
    chart->SetChartRect(rest);
}

int TCustomChartLegend::Clicked(int x, int y) const {
    const TRect& r = FRectLegend;
    if (x < r.Left || x > r.Right || y < r.Top || y > r.Bottom)
        return -1;
    if (FRows <= 0)
        return -1;
    const int rowHeight = IsVertical() ? (r.Bottom - r.Top) / FRows : 0;
    if (IsVertical()) {
        for (int row = 0; row < FRows; ++row) {
            const int top = r.Top + row * rowHeight + 1;
            if (y >= top && y <= top + rowHeight)
                return row;
        }
        return -1;
    }
    if (FColumns <= 0)
        return -1;
    const int columnWidth = (r.Right - r.Left) / FColumns;
    FChart->AssignCanvasFont(Font());
    const int h = FChart->Canvas3D()->FontHeight();
    for (int c = 0; c < FColumns; ++c) {
        const int left = r.Left + c * columnWidth + 1;
        if (x < left || x > left + columnWidth)
            continue;
        for (int row = 0; row < FRows; ++row) {
            const int top = r.Top + row * h + 1;
            if (y >= top && y <= top + h)
                return row * FColumns + c;
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------
// The series-type registry

namespace {

TChartSeriesTypes& RawSeriesTypes() {
    static TChartSeriesTypes types;
    return types;
}

// The standard entries, in the order the gallery lists them.
void EnsureStandardSeriesTypes() {
    static bool done = false;
    if (done)
        return;
    done = true;
    AddBasicGalleryFunction(TAddChartFunction::StaticClass(), "Add");
    AddBasicGalleryFunction(TSubtractChartFunction::StaticClass(), "Subtract");
    AddBasicGalleryFunction(TMultiplyChartFunction::StaticClass(), "Multiply");
    AddBasicGalleryFunction(TDivideChartFunction::StaticClass(), "Divide");
    AddBasicGalleryFunction(THighChartFunction::StaticClass(), "High");
    AddBasicGalleryFunction(TLowChartFunction::StaticClass(), "Low");
    AddBasicGalleryFunction(TAverageChartFunction::StaticClass(), "Average");
    AddGallerySeries(TLineSeries::StaticClass(), "Line", "Standard", 2);
    AddGallerySeries(TBarSeries::StaticClass(), "Bar", "Standard", 2);
    AddGallerySeries(THorizBarSeries::StaticClass(), "Horiz. Bar", "Standard", 2);
    AddGallerySeries(TAreaSeries::StaticClass(), "Area", "Standard", 2);
    AddGallerySeries(TPointSeries::StaticClass(), "Point", "Standard", 2);
    AddGallerySeries(TPieSeries::StaticClass(), "Pie", "Standard", 1);
    AddGallerySeries(TFastLineSeries::StaticClass(), "Fast Line", "Standard", 2);
    AddGallerySeries(TGanttSeries::StaticClass(), "Gantt", "Standard", 1);
}

} // namespace

TChartSeriesType* TChartSeriesTypes::Find(TClass seriesClass, TClass functionClass) const {
    for (const auto& item : FItems)
        if (item->SeriesClass == seriesClass && item->FunctionClass == functionClass)
            return item.get();
    return nullptr;
}

TChartSeriesTypes* ChartSeriesTypes() {
    EnsureStandardSeriesTypes();
    return &RawSeriesTypes();
}

void AddGalleryEntry(TClass seriesClass, TClass functionClass, const std::string& description,
                     int numGallerySeries, const std::string& galleryPage) {
    EnsureStandardSeriesTypes();
    if (seriesClass)
        RegisterClass(seriesClass);
    if (functionClass)
        RegisterClass(functionClass);
    TChartSeriesTypes& types = RawSeriesTypes();
    if (types.Find(seriesClass, functionClass))
        return;
    auto item = std::make_unique<TChartSeriesType>();
    item->SeriesClass = seriesClass;
    item->FunctionClass = functionClass;
    item->Description = Cut20(description);
    item->GalleryPage = Cut20(galleryPage);
    item->NumGallerySeries = numGallerySeries;
    types.Add(std::move(item));
}

void AddGallerySeries(TClass seriesClass, const std::string& description,
                      const std::string& galleryPage, int numGallerySeries) {
    AddGalleryEntry(seriesClass, nullptr, description, numGallerySeries, galleryPage);
}

void AddGalleryFunction(TClass functionClass, const std::string& description,
                        const std::string& galleryPage, int numGallerySeries) {
    AddGalleryEntry(nullptr, functionClass, description, numGallerySeries, galleryPage);
}

void AddBasicGalleryFunction(TClass functionClass, const std::string& description) {
    AddGalleryFunction(functionClass, description, "Functions", 2);
}

TChartMouseSettings& ChartMouseSettings() {
    static TChartMouseSettings settings;
    return settings;
}

// ---------------------------------------------------------------------------
// TCustomChart

TCustomChart::TCustomChart(TComponent* owner) : TCustomAxisPanel(owner) {
    FTitle = std::make_unique<TChartTitle>(this);
    FFoot = std::make_unique<TChartTitle>(this);
    FFoot->SetDefaultFont(clRed, TFontStyles{fsItalic});
    if (ComponentState().Contains(csDesigning))
        FTitle->Text()->Add(ClassName());
    FBackWall = std::make_unique<TChartWall>(this, clAutoColor);
    FBackWall->Brush()->SetStyle(bsClear);
    FLeftWall = std::make_unique<TChartWall>(this, TColor(0x80FFFF));
    FLegend = std::make_unique<TChartLegend>(this);
    FBottomWall = std::make_unique<TChartWall>(this, clWhite);
}

TCustomChart::~TCustomChart() {
    // The series go first: round series switch the axes back on as they leave.
    SetComponentStateFlag(csDestroying, true);
    FreeAllSeries();
}

void TCustomChart::Publish(TPublisher<TCustomChart>& p) {
    using T = TCustomChart;
    p.Bool("BackImageInside", &T::BackImageInside, &T::SetBackImageInside).Default(false);
    p.Class("BackWall", TChartWall::StaticClass(), &T::BackWall, &T::SetBackWall);
    p.Class("BottomWall", TChartWall::StaticClass(), &T::BottomWall, &T::SetBottomWall);
    p.Class("Foot", TChartTitle::StaticClass(), &T::Foot, &T::SetFoot);
    p.Class("LeftWall", TChartWall::StaticClass(), &T::LeftWall, &T::SetLeftWall);
    p.Class("Legend", TChartLegend::StaticClass(), &T::Legend, &T::SetLegend);
    p.Class("Title", TChartTitle::StaticClass(), &T::Title, &T::SetTitle);
    p.Ordinal("BackColor", TypeInfoTColor(), &T::BackColor, &T::SetBackColor)
        .Default(int64_t(clAutoColor));
    p.Class("Frame", TChartPen::StaticClass(), &T::Frame, &T::SetFrame);
    p.Event("OnAllowScroll", &T::OnAllowScroll, &T::SetOnAllowScroll);
    p.Event("OnClickAxis", &T::OnClickAxis, &T::SetOnClickAxis);
    p.Event("OnClickBackground", &T::OnClickBackground, &T::SetOnClickBackground);
    p.Event("OnClickLegend", &T::OnClickLegend, &T::SetOnClickLegend);
    p.Event("OnClickSeries", &T::OnClickSeries, &T::SetOnClickSeries);
    p.Event("OnGetLegendPos", &T::OnGetLegendPos, &T::SetOnGetLegendPos);
    p.Event("OnGetLegendRect", &T::OnGetLegendRect, &T::SetOnGetLegendRect);
    p.Event("OnGetLegendText", &T::OnGetLegendText, &T::SetOnGetLegendText);
}

void TCustomChart::AssignFrom(const TPersistent* source) {
    if (auto* chart = dynamic_cast<const TCustomChart*>(source)) {
        FBackImageInside = chart->FBackImageInside;
        FBackWall->AssignFrom(chart->FBackWall.get());
        FBottomWall->AssignFrom(chart->FBottomWall.get());
        FLeftWall->AssignFrom(chart->FLeftWall.get());
        FLegend->AssignFrom(chart->FLegend.get());
        FFoot->AssignFrom(chart->FFoot.get());
        FTitle->AssignFrom(chart->FTitle.get());
    }
    TCustomAxisPanel::AssignFrom(source);
}

void TCustomChart::SetBackColor(TColor value) {
    FBackWall->SetColor(value);
    if (!IsLoading() && Parent())
        FBackWall->Brush()->SetStyle(bsSolid);
}

TColor TCustomChart::ChartBackColor() const {
    return FBackWall->Color();
}

// ---- Drawing steps

void TCustomChart::DrawBackImage(const TRect& r) {
    if (!FBackImageInside)
        TCustomAxisPanel::DrawBackImage(r);
}

void TCustomChart::DrawTitlesAndLegend() {
    TChartCanvas3D* canvas = Canvas3D();
    canvas->SuspendProjection();
    struct TResume {
        TChartCanvas3D* Canvas;
        ~TResume() { Canvas->ResumeProjection(); }
    } resume{canvas};
    auto titles = [&] {
        if (FTitle->Visible())
            FTitle->DrawTitle(false);
        if (FFoot->Visible())
            FFoot->DrawTitle(true);
    };
    if (!FLegend->Visible() || CountActiveSeries() == 0) {
        titles();
    } else if (FLegend->IsVertical()) {
        FLegend->DrawLegend();
        titles();
    } else {
        titles();
        FLegend->DrawLegend();
    }
}

void TCustomChart::CalcAxesRect() {
    RecalcAxesLimits();
    if (View3D() && View3DOptions()->Orthogonal()) {
        const int wall = View3DWalls() ? FBackWall->Size() : 0;
        TRect r = ChartRect();
        r.Right -= Width3D() + wall;
        r.Top += Height3D() + wall;
        SetChartRect(r);
    }
    SetChartRect(ReserveAxesSpace(ChartRect()));
    CalcAxesPositions();
}

int TCustomChart::AxisWallSize(const TCustomChartAxis* axis) const {
    if (!View3D() || !View3DWalls())
        return 0;
    if (axis == LeftAxis())
        return FLeftWall->Size();
    if (axis == BottomAxis())
        return FBottomWall->Size();
    return 0;
}

void TCustomChart::PrepareWallBrush(TChartWall* wall) {
    TChartCanvas3D* canvas = Canvas3D();
    canvas->UseChartPen(wall->Pen());
    if (wall->Pen()->Visible() && wall->Pen()->Color() == clAutoColor)
        canvas->Pen()->SetColor(clBlack);
    TChartBrush* brush = wall->Brush();
    if (brush->Bitmap() && !brush->Bitmap()->Empty()) {
        canvas->Brush()->SetBitmap(brush->Bitmap());
        return;
    }
    canvas->Brush()->SetBitmap(nullptr);
    if (brush->Style() == bsClear || (wall->Color() == clAutoColor && brush->Style() == bsSolid)) {
        canvas->Brush()->SetStyle(bsClear);
        return;
    }
    const TColor color = wall->Color() == clAutoColor ? Color() : wall->Color();
    const TColor back = brush->Color() == clAutoColor ? Color() : brush->Color();
    PrepareBrush(color, brush->Style(), back);
}

void TCustomChart::DrawWalls() {
    TChartCanvas3D* canvas = Canvas3D();
    const TRect r = ChartRect();
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    const int W = Width3D();
    PrepareWallBrush(FBackWall.get());
    if (!View3D())
        canvas->DrawRectangle(L, T, R + 1, B);
    else if (View3DWalls() && FBackWall->Size() > 0)
        canvas->DrawBox(L - FLeftWall->Size(), R, T, B + FBottomWall->Size(), W,
                        W + FBackWall->Size(), FBackWall->HasDarkSides());
    else
        canvas->DrawRectangleAtDepth(TRect(L + 1, T - 1, R, B), W);
    if (FBackImageInside && BackImage()->Graphic() && !BackImage()->Graphic()->Empty()) {
        TRect inside = r;
        if (FBackWall->Pen()->Visible()) {
            ++inside.Top;
            --inside.Bottom;
        }
        DrawBackPicture(inside, W);
    }
    if (!View3D() || !View3DWalls())
        return;
    const int bottomSize = FBottomWall->Size();
    PrepareWallBrush(FLeftWall.get());
    if (FLeftWall->Size() < 1)
        canvas->DrawSidePlane(L, T, B + bottomSize, 0, W + 1);
    else
        canvas->DrawBox(L - FLeftWall->Size(), L, T, B + bottomSize, 0, W,
                        FLeftWall->HasDarkSides());
    PrepareWallBrush(FBottomWall.get());
    if (bottomSize < 1)
        canvas->DrawHorizontalPlane(L, B, R, 0, W);
    else
        canvas->DrawBox(L, R, B, B + bottomSize, 0, W, FBottomWall->HasDarkSides());
    canvas->Brush()->SetBitmap(nullptr);
}

std::string TCustomChart::LegendValueText(TChartSeries* series, int index) {
    if (!series || index == -1)
        return {};
    return OneLine(series->LegendItemText(index, FLegend->TextStyle()));
}

bool TCustomChart::IsFreeSeriesColor(TColor color, bool checkBackground) const {
    for (TChartSeries* s : SeriesList())
        if (s->SeriesColor() == color)
            return false;
    // A system colour behind the chart (clWindow) hides the palette colour it shows as.
    const auto shownAs = [color](TColor back) {
        return color == back || (back != clNone && back != clAutoColor && color != clNone &&
                                 color != clAutoColor && ColorToRGB(color) == ColorToRGB(back));
    };
    return !(checkBackground && (shownAs(Color()) || shownAs(BackColor())));
}

void TCustomChart::EnumSourceValueLists(TChartSeries* series, const TEnumValueListProc& proc) {
    if (!series)
        return;
    if (auto* source = dynamic_cast<TChartSeries*>(series->DataSource()))
        for (int i = 0; i < source->ValueListCount(); ++i)
            proc(source->ValueList(i)->Name());
}

// ---- Operations

void TCustomChart::ExchangeSeries(int index1, int index2) {
    TChartSeries* a = GetSeries(index1);
    TChartSeries* b = GetSeries(index2);
    ExchangeSeriesAt(index1, index2);
    if (a->Owner() && a->Owner() == b->Owner()) {
        TChartSeries* first = a;
        TChartSeries* second = b;
        if (first->ComponentIndex() > second->ComponentIndex())
            std::swap(first, second);
        const int i = first->ComponentIndex();
        const int j = second->ComponentIndex();
        second->SetComponentIndex(i);
        first->SetComponentIndex(j);
    }
    Invalidate();
}

TChartSeries* TCustomChart::FirstActiveSeries() const {
    for (TChartSeries* s : SeriesList())
        if (s->Active())
            return s;
    return nullptr;
}

void TCustomChart::NextPage() {
    if (MaxPointsPerPage() > 0 && Page() < NumPages())
        SetPage(Page() + 1);
}

void TCustomChart::PreviousPage() {
    if (MaxPointsPerPage() > 0 && Page() > 1)
        SetPage(Page() - 1);
}

std::string TCustomChart::AxisDisplayName(const TCustomChartAxis* axis) const {
    if (!axis->Title()->Caption().empty())
        return axis->Title()->Caption();
    if (axis == DepthAxis())
        return "Depth Axis";
    if (axis == TopAxis())
        return "Top Axis";
    if (axis == BottomAxis())
        return "Bottom Axis";
    if (axis == RightAxis())
        return "Right Axis";
    return "Left Axis";
}

std::array<TChartAxis*, 4> TCustomChart::StandardAxes() const {
    return {TopAxis(), LeftAxis(), RightAxis(), BottomAxis()};
}

TChartClickedPart TCustomChart::CalcClickedPart(int x, int y) {
    TChartClickedPart part;
    const std::vector<TChartSeries*>& list = SeriesList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        TChartSeries* s = *it;
        if (!s->Active())
            continue;
        const int index = s->ValueIndexAt(x, y);
        if (index != -1) {
            part.Part = cpSeries;
            part.ASeries = s;
            part.PointIndex = index;
            return part;
        }
    }
    for (TCustomChartAxis* axis : Axes()) {
        if (IsAxisVisible(axis) && AxisVisible() && axis->ContainsPoint(x, y)) {
            part.Part = cpAxis;
            part.AAxis = axis;
            return part;
        }
    }
    const TPoint p(x, y);
    if (FTitle->Visible() && PtInRect(FTitle->TitleRect(), p)) {
        part.Part = cpTitle;
        return part;
    }
    if (FFoot->Visible() && PtInRect(FFoot->TitleRect(), p)) {
        part.Part = cpFoot;
        return part;
    }
    if (CountActiveSeries() > 0 && PtInRect(ChartRect(), p)) {
        part.Part = cpChartRect;
        return part;
    }
    if (FLegend->Visible()) {
        const int row = FLegend->Clicked(x, y);
        if (row != -1) {
            part.Part = cpLegend;
            part.PointIndex = row;
        }
    }
    return part;
}

// ---- Zoom and panning

void TCustomChart::SaveAxesState() {
    if (!FAxesNotSaved)
        return;
    const auto axes = StandardAxes();
    for (size_t i = 0; i < axes.size(); ++i) {
        TChartAxis* a = axes[i];
        FSavedAxes[i] = {a->Automatic(), a->AutomaticMinimum(), a->AutomaticMaximum(), a->Minimum(),
                         a->Maximum()};
    }
    FAxesNotSaved = false;
}

void TCustomChart::ResetZoom() {
    if (!FAxesNotSaved) {
        const auto axes = StandardAxes();
        for (size_t i = 0; i < axes.size(); ++i) {
            TChartAxis* a = axes[i];
            const TSavedAxis& s = FSavedAxes[i];
            if (!s.Automatic)
                a->SetMinMax(std::min(s.Minimum, s.Maximum), std::max(s.Minimum, s.Maximum));
            a->SetAutomatic(s.Automatic);
            a->SetAutomaticMinimum(s.AutomaticMinimum);
            a->SetAutomaticMaximum(s.AutomaticMaximum);
        }
        FAxesNotSaved = true;
    }
    TCustomAxisPanel::ResetZoom();
}

void TCustomChart::ZoomToRect(const TRect& rect) {
    TZoomPanningRecord zoom;
    zoom.X0 = rect.Left;
    zoom.Y0 = rect.Top;
    zoom.X1 = rect.Right;
    zoom.Y1 = rect.Bottom;
    zoom.Normalise();
    std::vector<std::pair<double, double>> limits;
    for (TChartAxis* axis : StandardAxes()) {
        if (axis->Horizontal())
            limits.emplace_back(axis->PixelToValue(zoom.X0), axis->PixelToValue(zoom.X1));
        else
            limits.emplace_back(axis->PixelToValue(zoom.Y1), axis->PixelToValue(zoom.Y0));
    }
    ZoomToValues(limits);
}

void TCustomChart::ZoomToValues(const std::vector<std::pair<double, double>>& limits) {
    SaveAxesState();
    const auto axes = StandardAxes();
    // The smaller limit becomes the minimum, both set in one step, so that an inverted
    // axis never stops half changed.
    auto apply = [](TChartAxis* axis, double a, double b) {
        axis->SetMinMax(std::min(a, b), std::max(a, b));
    };
    if (AnimatedZoom()) {
        const double factor = ChartMouseSettings().AnimatedZoomFactor;
        std::vector<std::pair<double, double>> current;
        for (TChartAxis* axis : axes)
            current.emplace_back(axis->MinimumValue(), axis->MaximumValue());
        for (int step = 1; step < AnimatedZoomSteps(); ++step) {
            for (size_t i = 0; i < axes.size() && i < limits.size(); ++i) {
                current[i].first += (limits[i].first - current[i].first) / factor;
                current[i].second += (limits[i].second - current[i].second) / factor;
                apply(axes[i], current[i].first, current[i].second);
            }
            Refresh();
        }
    }
    for (size_t i = 0; i < axes.size() && i < limits.size(); ++i)
        apply(axes[i], limits[i].first, limits[i].second);
    SetZoomed(true);
    if (OnZoom())
        OnZoom()(this);
}

void TCustomChart::DrawZoomRectangle() {
    Canvas3D()->AttachCanvas(Canvas());
    DrawZoomFrame();
}

bool TCustomChart::StartDrag(TMouseButton button, TShiftState shift, int x, int y) {
    const TChartMouseSettings& settings = ChartMouseSettings();
    auto hasShift = [&](const TShiftState& required) {
        for (TShiftStateMember m : {ssShift, ssAlt, ssCtrl})
            if (required.Contains(m) && !shift.Contains(m))
                return false;
        return true;
    };
    if (AllowZoom() && button == settings.ZoomButton && hasShift(settings.ZoomShift)) {
        SetCursor(crDefault);
        ZoomRecord().StartAt(x, y);
        DrawZoomRectangle();
        return true;
    }
    if (AllowPanning() != pmNone && button == settings.PanningButton &&
        hasShift(settings.PanningShift)) {
        SetCursor(crDefault);
        PanningRecord().StartAt(x, y);
        return true;
    }
    return false;
}

void TCustomChart::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomAxisPanel::HandleMouseDown(button, shift, x, y);
    if (ZoomRecord().Active || PanningRecord().Active)
        return;
    if (ClickHandled()) {
        SetClickHandled(false);
        return;
    }
    const TChartClickedPart part = CalcClickedPart(x, y);
    bool taken = false;
    switch (part.Part) {
    case cpLegend:
        if (FOnClickLegend) {
            SetClickHandled(true);
            FOnClickLegend(this, button, shift, x, y);
        }
        break;
    case cpAxis:
        if (FOnClickAxis) {
            SetClickHandled(true);
            FOnClickAxis(this, part.AAxis, button, shift, x, y);
        }
        if (!ClickHandled())
            taken = StartDrag(button, shift, x, y);
        break;
    case cpSeries: {
        const bool dispatched = part.ASeries->DispatchClick(part.PointIndex, button, shift, x, y);
        if (dispatched)
            SetClickHandled(true);
        if (FOnClickSeries) {
            SetClickHandled(true);
            FOnClickSeries(this, part.ASeries, part.PointIndex, button, shift, x, y);
        }
        if (!ClickHandled())
            taken = StartDrag(button, shift, x, y);
        break;
    }
    case cpChartRect:
        if (FOnClickBackground) {
            SetClickHandled(true);
            FOnClickBackground(this, button, shift, x, y);
        }
        if (!ClickHandled())
            taken = StartDrag(button, shift, x, y);
        break;
    case cpTitle:
    case cpFoot:
    case cpNone:
        break;
    }
    if (!ClickHandled() && !taken && FOnClickBackground)
        FOnClickBackground(this, button, shift, x, y);
    SetClickHandled(false);
}

void TCustomChart::ScrollAxes(bool horizontal, int from, int to) {
    for (TCustomChartAxis* axis : Axes()) {
        if (axis->IsDepthAxis() || axis->Horizontal() != horizontal)
            continue;
        const double d = axis->PixelToValue(from) - axis->PixelToValue(to);
        double newMinimum = axis->MinimumValue() + d;
        double newMaximum = axis->MaximumValue() + d;
        bool allow = true;
        if (FOnAllowScroll)
            FOnAllowScroll(axis, newMinimum, newMaximum, allow);
        if (allow)
            axis->SetMinMax(std::min(newMinimum, newMaximum), std::max(newMinimum, newMaximum));
    }
}

void TCustomChart::HandleMouseMove(TShiftState shift, int x, int y) {
    TCustomAxisPanel::HandleMouseMove(shift, x, y);
    if (ComponentState().Contains(csDesigning))
        return;
    TZoomPanningRecord& zoom = ZoomRecord();
    TZoomPanningRecord& panning = PanningRecord();
    if (zoom.Active) {
        if (x != zoom.X1 || y != zoom.Y1) {
            DrawZoomRectangle();
            zoom.X1 = x;
            zoom.Y1 = y;
            DrawZoomRectangle();
        }
        return;
    }
    if (panning.Active) {
        if (!PtInRect(ChartRect(), TPoint(x, y))) {
            panning.Active = false;
            return;
        }
        if (x == panning.X0 && y == panning.Y0)
            return;
        SaveAxesState();
        const TPanningMode mode = AllowPanning();
        if ((mode == pmHorizontal || mode == pmBoth) && x != panning.X0)
            ScrollAxes(true, panning.X0, x);
        if ((mode == pmVertical || mode == pmBoth) && y != panning.Y0)
            ScrollAxes(false, panning.Y0, y);
        panning.X0 = panning.X1 = x;
        panning.Y0 = panning.Y1 = y;
        if (OnScroll())
            OnScroll()(this);
        Invalidate();
        return;
    }
    TCursor cursor = OriginalCursor();
    for (TChartSeries* s : SeriesList()) {
        if (s->Active() && s->Cursor() != crDefault && s->ValueIndexAt(x, y) != -1) {
            cursor = s->Cursor();
            break;
        }
    }
    SetCursor(cursor);
    for (TChartSeries* s : std::vector<TChartSeries*>(SeriesList()))
        s->MouseMoveHook(shift, x, y);
}

void TCustomChart::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomAxisPanel::HandleMouseUp(button, shift, x, y);
    for (TChartSeries* s : std::vector<TChartSeries*>(SeriesList()))
        s->MouseUpHook(button, shift, x, y);
    TZoomPanningRecord& zoom = ZoomRecord();
    if (zoom.Active && button == ChartMouseSettings().ZoomButton) {
        zoom.Active = false;
        DrawZoomRectangle();
        Canvas3D()->Pen()->SetMode(pmCopy);
        zoom.X1 = x;
        zoom.Y1 = y;
        if (std::abs(zoom.X1 - zoom.X0) > 16 && std::abs(zoom.Y1 - zoom.Y0) > 16) {
            if (zoom.X0 < zoom.X1 && zoom.Y0 < zoom.Y1)
                ZoomToRect(TRect(zoom.X0, zoom.Y0, zoom.X1, zoom.Y1));
            else
                ResetZoom();
        }
        Invalidate();
    }
    PanningRecord().Active = false;
}

// ---------------------------------------------------------------------------
// Creating, cloning, retyping and replacing series

TChartSeries* CreateNewSeries(TComponent* owner, TCustomAxisPanel* chart, TClass seriesClass,
                              TClass functionClass) {
    TComponent* actualOwner = owner ? owner : chart;
    auto* series = dynamic_cast<TChartSeries*>(seriesClass->Create(actualOwner));
    if (!series)
        throw ChartException(Format("Class %s is not a series", {seriesClass->Name()}));
    series->SetParentChart(chart);
    series->SetName(UniqueComponentName(actualOwner, "Series"));
    if (functionClass)
        CreateSeriesFunction(series, functionClass);
    return series;
}

TChartFunction* CreateSeriesFunction(TChartSeries* series, TClass functionClass) {
    TComponent* owner = series->Owner();
    auto* function = dynamic_cast<TChartFunction*>(functionClass->Create(owner));
    if (!function)
        throw ChartException(Format("Class %s is not a function", {functionClass->Name()}));
    function->AttachToSeries(series);
    function->SetName(UniqueComponentName(owner, "ChartFunction"));
    return function;
}

TChartSeries* CloneChartSeries(TChartSeries* series) {
    TChartFunction* function = series->FunctionType();
    TChartSeries* copy =
        CreateNewSeries(series->Owner(), series->ParentChart(), series->ClassType(),
                        function ? function->ClassType() : nullptr);
    copy->AssignFrom(series);
    if (!copy->DataSource() && copy->Count() != series->Count())
        copy->AddValuesFrom(series);
    return copy;
}

void ChangeSeriesClass(TChartSeries*& series, TClass newClass) {
    if (series->ClassType() == newClass)
        return;
    TChartSeries* replacement =
        CreateNewSeries(series->Owner(), series->ParentChart(), newClass, nullptr);
    ReplaceSeries(series, replacement);
    series = replacement;
}

void ReplaceSeries(TChartSeries*& oldSeries, TChartSeries*& newSeries) {
    newSeries->AssignFrom(oldSeries);
    newSeries->SetAfterDrawValues(oldSeries->AfterDrawValues());
    newSeries->SetBeforeDrawValues(oldSeries->BeforeDrawValues());
    newSeries->SetOnAfterAdd(oldSeries->OnAfterAdd());
    newSeries->SetOnBeforeAdd(oldSeries->OnBeforeAdd());
    newSeries->SetOnClearValues(oldSeries->OnClearValues());
    newSeries->SetOnClick(oldSeries->OnClick());
    newSeries->SetOnDblClick(oldSeries->OnDblClick());
    newSeries->SetOnGetMarkText(oldSeries->OnGetMarkText());
    // The series that took their points from the old one take them from the new one.
    for (TChartSeries* dependent : std::vector<TChartSeries*>(oldSeries->Dependents())) {
        dependent->RemoveDataSource(oldSeries);
        dependent->AddDataSource(newSeries);
    }
    if (TCustomAxisPanel* chart = oldSeries->ParentChart()) {
        const auto& list = chart->SeriesList();
        const auto a = std::find(list.begin(), list.end(), oldSeries);
        const auto b = std::find(list.begin(), list.end(), newSeries);
        if (a != list.end() && b != list.end())
            chart->ExchangeSeriesAt(int(a - list.begin()), int(b - list.begin()));
    }
    const std::string name = oldSeries->Name();
    delete oldSeries;
    oldSeries = nullptr;
    newSeries->SetName(name);
    if (!newSeries->DataSource() && newSeries->ComponentState().Contains(csDesigning))
        newSeries->FillSampleValues(newSeries->NumSampleValues());
    newSeries->NotifyDependents(TChartSeries::scRefresh);
}

namespace {
// Form resources and the chart stream name these classes.
const bool kChartClassesRegistered = [] {
    RegisterClasses({TChart::StaticClass(), TChartLegend::StaticClass(),
                     TChartGradient::StaticClass(), TChartWall::StaticClass(),
                     TChartTitle::StaticClass()});
    EnsureStandardSeriesTypes();
    return true;
}();
} // namespace
