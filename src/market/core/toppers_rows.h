#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/core/cell_colors.h"
#include "market/core/toppers_batch.h"

// The toppers list: which companies it shows, its cell texts, its sorts and its export.

enum ToppersColumn {
    kTcName = 0,
    kTcSymbol = 1, // hidden
    kTcPrice = 2,
    kTcPercent = 3,
    kTcVolume = 4,
    kTcTurnover = 5,
    kTcOpen = 6, // hidden
    kTcHigh = 7,
    kTcLow = 8,
    kToppersColumns = 9
};

// One list row, built from a company and its quote when the list is filled.
struct TopperRow {
    std::string companyName;
    std::string symbol;
    double price = 0;
    float changePercent = 0;
    std::int32_t volume = 0;
    double turnover = 0; // volume x price
    double open = 0;
    double high = 0;
    double low = 0;
};

TopperRow MakeTopperRow(const TopperCompany& company, const QuoteRecord& quote);

// The user's ranges; a company is shown when all hold (bounds included) and its price is
// not 0 (a company the service does not know).
struct ToppersRanges {
    float priceMin = 0;
    float priceMax = 20000;
    float gainMin = -100; // percent
    float gainMax = 300;
    std::int32_t volumeMin = 0;
    std::int32_t volumeMax = 1000000000;
};
bool PassesToppersRanges(const ToppersRanges& ranges, const TopperRow& row);

// The six range edits in their order: price min and max, gain/loss min and max, volume
// min and max.
using ToppersRangeTexts = std::array<std::string, 6>;
ToppersRangeTexts FormatToppersRanges(const ToppersRanges& ranges);
// Reads the edits with their allowed values. On a refusal returns its message and the
// edit's position in `badField`, and leaves `ranges` as it was.
std::string ReadToppersRanges(const ToppersRangeTexts& texts, ToppersRanges& ranges,
                              int* badField = nullptr);

// The rows for the first `count` slots that pass the ranges, in slot order.
std::vector<TopperRow> FilterToppers(const ToppersTable& table, int count,
                                     const ToppersRanges& ranges);

std::string TopperCellText(const TopperRow& row, int column);
// The cells of a row as the list shows them (for the colour rules and the export).
RowCells TopperRowCells(const TopperRow& row);

// Negative puts a first. Highest first for %Ch, Volume and Turnover; percent changes
// closer than 0.01 and turnovers closer than 1000 compare equal. 0 for other columns.
int CompareToppers(const TopperRow& a, const TopperRow& b, int column);
// Sorts by a column heading (keeping the order of rows that compare equal); false, and
// no change, for a column without a sort.
bool SortToppers(std::vector<TopperRow>& rows, int column);

// The export file for the rows' cell texts, in list order.
std::string ToppersExportCsv(const std::vector<RowCells>& rows);
