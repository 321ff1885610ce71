#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/core/cell_colors.h"
#include "db/watch_table.h"
#include "quotes/quote_record.h"

// The previous refresh's values of one watched company, for the logs and the feed.
struct PrevSample {
    std::int32_t prevVolume = 0;
    double prevPrice = 0;
    int dataTaken = 0; // 1 once a refresh with a price has been recorded
};

// What one row of the watch list holds; the list formats its cells from it.
struct WatchListRow {
    std::string companyName, exchange, symbol;
    double price = 0;
    float change = 0;
    float changePercent = 0;
    std::int32_t volume = 0;
    double open = 0, high = 0, low = 0, yearLow = 0, yearHigh = 0;
    int alertSetting = 0;
    double lowerLimit = 0, upperLimit = 0;
    PrevSample prev;
    // The quote the row was built from: a row that moves (sort, delete) takes it along.
    QuoteRecord quote;
};

// The row of a watched company: its names and limits, its quote and its previous sample;
// the per-cent change from price and change.
WatchListRow MakeWatchListRow(const db::WatchRow& item, const QuoteRecord& quote,
                              const PrevSample& prev);

// A cell's text: numbers in the Indian number form, the volume without decimals.
std::string WatchCellText(const WatchListRow& row, int column);
// The cells of each row, as the colour rules, the logs, the feed and the export read them.
// Each keeps its own copy of the row, so the cells outlive the rows they came from.
std::vector<RowCells> WatchRowsCells(const std::vector<WatchListRow>& rows);

// Whether sorting by the column means anything (the symbol and hidden columns do not).
bool IsWatchSortColumn(int column);
// <0, 0 or >0: names by case-insensitive text, prices by their difference x 100 cut to an
// integer (changes in single precision), volumes by their difference; under 0.01 is equal.
int CompareWatchRows(const WatchListRow& a, const WatchListRow& b, int column);
// Sorts in place, keeping equal rows in their order. False (nothing moved) for a column
// without an order.
bool SortWatchRows(std::vector<WatchListRow>& rows, int column, bool ascending);

// The export file's text: the header, then one line per row (every field without commas,
// the last close as price - change with two decimals), lines ended by CR LF.
std::string WatchExportCsv(const std::vector<RowCells>& rows);
