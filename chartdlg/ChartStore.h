#pragma once
// The native chart file (.TEE): two header words, the chart and its series as a binary
// component stream, then the points of every series. Written only, never read back here.

#include "chart/Chart.h"
#include "chart/ChartProcs.h"
#include "framework/core/Classes.h"
#include "framework/core/Streams.h"

#include <functional>
#include <string>

// The writer of native chart files the export dialog uses; empty except while a chart
// editor's export dialog is open.
using TNativeChartWriter = std::function<void(TCustomChartPanel*, const std::string&)>;
extern TNativeChartWriter NativeChartWriter;

// A chart named by streams of database charts; nothing added to TChart.
class TODBCChart : public TChart {
    ORV_CLASS(TODBCChart, TChart)
public:
    explicit TODBCChart(TComponent* owner) : TChart(owner) {}
};

// The header words, the chart by component streaming, then one data block per series.
void WriteChartToStream(TCustomChart* chart, TStream* stream);
// A chart as a native chart file (replacing an existing file); any other component alone
// as a component stream, shown while it is written.
void SaveChartFile(TComponent* component, const std::string& fileName);
// The component alone as a component stream into a new file; a control is shown while it
// is written.
void SaveComponentFile(TComponent* component, const std::string& fileName);

// The flags byte of a series' data block: bit 0 X values, bit 1 colours, bit 2 labels.
uint8_t SeriesDataFlags(const TChartSeries* series);
