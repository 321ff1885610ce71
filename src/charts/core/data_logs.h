#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "controls/core/cell_colors.h"
#include "platform/base/clock.h"
#include "quotes/quote_record.h"

// The quote logs the watch list writes for other tools and for the live chart: one
// end-of-day line per trading day and name, one intraday bar per refresh, and a live file
// holding only the latest bars. Every line ends in CR LF; fields are separated by commas.

// Monday to Friday, 09:55:00 to 15:45:00 inclusive (local time).
bool IsMarketOpen(const LocalTime& t);

struct LogStamp {
    std::string date;        // MM/DD/YYYY
    std::string time;        // HH:MM:SS, 24-hour
    std::string delayedTime; // the time 15 minutes earlier (the delayed exchange)
    std::string dateFolder;  // MM-DD-YYYY
};
LogStamp FormatLogStamp(const LocalTime& t);

// "NAME,date,open,high,low,close,volume" with two-decimal prices.
std::string EodLine(const std::string& name, const std::string& date, double open, double high,
                    double low, double close, long volume);
// A bar between two refreshes: open = the previous price, close = the current one, high and
// low the larger and smaller of the two.
std::string BarLine(const std::string& name, const std::string& date, const std::string& time,
                    double previous, double current, const std::string& volume);

// Where the logs live under the data root. A name that is no valid symbol has no file
// (nullopt): the writers skip it rather than write anywhere else.
std::optional<std::string> EodFile(const std::string& root, const std::string& name);
std::string IntradayFolder(const std::string& root, const std::string& dateFolder);
std::optional<std::string> IntradayFile(const std::string& root, const std::string& dateFolder,
                                        const std::string& name);
std::string LiveDataFile(const std::string& root);

// What the writers read from the bar: its NIFTY and SENSEX records and their values at
// the bar's previous refresh.
struct IndexQuotes {
    QuoteRecord nifty, sensex;
    double previousNifty = 0, previousSensex = 0;
};

// A watched company for the end-of-day file: its symbol and its quote.
struct EodItem {
    std::string symbol;
    QuoteRecord quote;
};

using LogReporter = std::function<void(const std::string& message)>;

// The log files a watch list keeps open from one refresh to the next, so a refresh appends
// its bars without opening and closing some fifty files, and the end-of-day dates already
// in each file, so a refresh outside market hours reads nothing. A file removed meanwhile is
// opened again.
class LogFiles final {
public:
    LogFiles() = default;
    ~LogFiles();
    LogFiles(const LogFiles&) = delete;
    LogFiles& operator=(const LogFiles&) = delete;

    // The file open for appending; nullptr when it cannot be opened.
    std::FILE* Append(const std::string& path);
    // Replaces the whole content of the file (kept open); false when it cannot be written.
    bool Rewrite(const std::string& path, const std::string& text, bool& opened);
    // After a refresh: files it did not write are closed (yesterday's folder, deleted rows).
    void EndRefresh();
    // End-of-day dates known to stand in a file.
    bool HasDate(const std::string& path, const std::string& date) const;
    void NoteDate(const std::string& path, const std::string& date);

private:
    struct Open {
        std::FILE* file = nullptr;
        bool used = false;
    };
    std::map<std::string, Open> m_open;
    std::map<std::string, std::string> m_dates;
};

// Each writer returns 1, or 0 after reporting its first failure (which ends its run; the
// intraday writer's index part and stock part fail separately). Rows are the watch list's
// cells: 1 exchange, 2 symbol, 3 price, 6 volume, 15 previous volume, 16 data-taken flag,
// 17 previous price.
// With `files`, intraday files stay open between refreshes and end-of-day files are read
// once per date; the bytes written are the same.
int WriteEodFiles(const std::string& root, const LocalTime& now, const IndexQuotes& indices,
                  const std::vector<EodItem>& items, const LogReporter& report,
                  LogFiles* files = nullptr);
int WriteIntradayFiles(const std::string& root, const LocalTime& now, const IndexQuotes& indices,
                       const std::vector<RowCells>& rows, const LogReporter& report,
                       LogFiles* files = nullptr);
int WriteLiveDataFile(const std::string& root, const LocalTime& now, const IndexQuotes& indices,
                      const std::vector<RowCells>& rows, const LogReporter& report,
                      LogFiles* files = nullptr);
