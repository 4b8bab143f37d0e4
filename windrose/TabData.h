#pragma once
// The observed wind climate of Pelmora: per direction sector the share of all observations
// (in %) and, per wind-speed class, the share of each sector's observations (in per mille),
// read from a ".tab" text file and rescaled by the normalisations.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/Classes.h"

// Direction texts at 30° steps clockwise from north, used around the rose and as the sector
// headers of a 12-sector table.
inline constexpr std::array<std::string_view, 12> DirLabels = {"N", "NE", "EN", "E", "ES", "SE",
                                                               "S", "SW", "WS", "W", "WN", "NW"};

// One wind-speed class: per sector, the per-mille share of that sector's observations.
using TTabRow = std::vector<double>;

class TTabData : public TObject {
public:
    std::string ClassName() const override { return "TTabData"; }

    // First line of the file; shown as the chart's foot text.
    std::string Title;
    // The three numbers of the file's second line; kept, used by nothing else.
    std::array<double, 3> HeaderValues{};
    // Number of direction sectors; sector 0 points north, the others follow clockwise.
    int SectorCount = 0;
    // Share of all observations per sector, %.
    std::vector<double> SectorFreq;
    // One row per wind-speed class, in file order, each of SectorCount values.
    std::vector<TTabRow> Rows;
};

// Empties Table and reads FileName into it. Sets DecimalSeparator to "." for the rest of the
// run once the file is open. Raises EInOutError when the file cannot be opened, holds a
// malformed or non-finite number, a sector count outside 1..360, or ends before the sector
// frequencies are complete; Table then keeps what was read before the error.
void LoadFromFile(TTabData& table, const std::string& fileName);

// Rescales SectorFreq to sum to 100; unchanged when the sum is 0 or not finite.
void NormalizeFrequencies(TTabData& table);

// Rescales column Sector (0-based) of Rows to whole per-mille values summing to about 1000
// (halves to the even neighbour); unchanged when the column sums to 0 or not finite, or when
// Sector is not a sector of the table.
void NormalizeSector(TTabData& table, int sector);

// NormalizeFrequencies, then NormalizeSector for every sector in order.
void NormalizeAll(TTabData& table);
