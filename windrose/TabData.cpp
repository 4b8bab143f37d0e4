#include "windrose/TabData.h"

#include <cmath>

#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

namespace {

constexpr int kMaxSectorCount = 360;
// A table is a few kilobytes; a larger file is refused before it is read.
constexpr int64_t kMaxTabFileSize = int64_t(4) << 20;

double ReadFinite(TTextReader& reader) {
    const double value = reader.ReadNumber();
    if (!std::isfinite(value))
        throw EInOutError(Format("Μη πεπερασμένη τιμή στο αρχείο %s", {reader.FileName()}));
    return value;
}

// A number of lines 2-4, which the table cannot do without.
double ReadRequired(TTextReader& reader) {
    if (reader.OnlyBlanksLeft())
        throw EInOutError(Format("Το αρχείο %s τελειώνει πριν από τις συχνότητες των τομέων",
                                 {reader.FileName()}));
    return ReadFinite(reader);
}

void ReadTable(TTabData& table, TTextReader& reader) {
    if (reader.Eof())
        throw EInOutError(Format("Το αρχείο %s τελειώνει πριν από τις συχνότητες των τομέων",
                                 {reader.FileName()}));
    table.Title = reader.ReadLine();
    for (double& value : table.HeaderValues)
        value = ReadRequired(reader);
    reader.SkipLine();

    const double count = ReadRequired(reader);
    if (count < 1 || count > kMaxSectorCount || count != std::floor(count))
        throw EInOutError(Format("Ακατάλληλος αριθμός τομέων %s στο αρχείο %s (επιτρέπονται 1 "
                                 "έως %d)",
                                 {FloatToStrSep(count, '.'), reader.FileName(), kMaxSectorCount}));
    table.SectorCount = int(count);
    reader.SkipLine();

    table.SectorFreq.assign(table.SectorCount, 0.0);
    for (double& freq : table.SectorFreq)
        freq = ReadRequired(reader);
    reader.SkipLine();

    // Speed classes up to the end of the file or up to an all-zero row, which is kept as the
    // last one. A blank line at the end reads as such a row.
    while (!reader.Eof()) {
        table.Rows.emplace_back(table.SectorCount, 0.0);
        TTabRow& row = table.Rows.back();
        ReadFinite(reader); // the class's speed, not kept
        double sum = 0;
        for (double& value : row) {
            value = ReadFinite(reader);
            sum += value;
        }
        reader.SkipLine();
        if (sum == 0)
            break;
    }
}

} // namespace

void LoadFromFile(TTabData& table, const std::string& fileName) {
    table.Title.clear();
    table.HeaderValues = {};
    table.SectorCount = 0;
    table.SectorFreq.clear();
    table.Rows.clear();

    TTextReader reader(fileName, kMaxTabFileSize);
    // Pelmora shows and accepts numbers with "." from the first table on; never set back.
    DecimalSeparator = '.';
    ReadTable(table, reader);
}

void NormalizeFrequencies(TTabData& table) {
    double sum = 0;
    for (double freq : table.SectorFreq)
        sum += freq;
    if (sum == 0 || !std::isfinite(sum))
        return;
    for (double& freq : table.SectorFreq)
        freq = freq * 100 / sum;
}

void NormalizeSector(TTabData& table, int sector) {
    if (sector < 0 || sector >= table.SectorCount)
        return;
    const auto k = size_t(sector);
    double sum = 0;
    for (const TTabRow& row : table.Rows)
        if (k < row.size())
            sum += row[k];
    if (sum == 0 || !std::isfinite(sum))
        return;
    for (TTabRow& row : table.Rows) {
        if (k >= row.size())
            continue;
        const double scaled = row[k] * 1000 / sum;
        // Beyond 2^53 every double is already whole (and Round would overflow).
        if (std::fabs(scaled) < 0x1p53)
            row[k] = double(Round(scaled));
        else
            row[k] = scaled;
    }
}

void NormalizeAll(TTabData& table) {
    NormalizeFrequencies(table);
    for (int sector = 0; sector < table.SectorCount; ++sector)
        NormalizeSector(table, sector);
}
