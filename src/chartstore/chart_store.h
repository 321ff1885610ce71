#pragma once

#include <climits>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// The charting-program stand-in's data: stocks in the order they were added, each with its
// bars by date and time. One store per process, shared by every application object, kept
// under the data root in ChartStore/: Stocks.txt (the tickers in order) and one file per
// ticker with a line per bar, "TICKER,YYYYMMDD,HH:MM:SS,open,high,low,close,volume", which
// charting programs import as it stands.
namespace chartstore {

struct Bar {
    double open = 0, high = 0, low = 0, close = 0, volume = 0;
};

class Store final {
public:
    static Store& Instance();
    explicit Store(std::string folder);

    int Count();
    // Empty when the index is out of range.
    std::string TickerAt(int index);
    bool Has(const std::string& ticker);
    // Adds a stock (an existing one, any letter case, is kept) and returns its ticker; empty
    // when the ticker is refused (IsValidTicker).
    std::string Add(const std::string& ticker);
    bool RemoveAt(int index);
    // The bar at a moment (seconds since 1970 on the exchange's clock), made when missing.
    bool Touch(const std::string& ticker, std::int64_t when);
    bool Get(const std::string& ticker, std::int64_t when, Bar& bar);
    bool Set(const std::string& ticker, std::int64_t when, const Bar& bar);
    std::map<std::int64_t, Bar> Bars(const std::string& ticker);
    // Writes what changed: bars that arrive in time order are appended to their file, a bar
    // inside the history already written rewrites it; the list only when it changed.
    bool Flush();
    int Flushes();

    // A trading symbol that is not the stock list's own name.
    static bool IsValidTicker(const std::string& ticker);

    const std::string& Folder() const { return m_folder; }
    static std::string FormatBar(const std::string& ticker, std::int64_t when, const Bar& bar);

private:
    struct Stock {
        std::string ticker;
        std::map<std::int64_t, Bar> bars;
        bool dirty = false;
        // The file holds exactly the bars up to `written` (kNothingWritten: no file yet).
        // Bars after it are appended; a change at or before it rewrites the file.
        std::int64_t written = kNothingWritten;
        bool rewrite = false;
    };
    static constexpr std::int64_t kNothingWritten = INT64_MIN;
    // A bar at `when` changed: appended later, or the file rewritten.
    static void Changed(Stock& s, std::int64_t when);
    bool WriteStock(Stock& s);
    void Load();
    Stock* Find(const std::string& ticker);

    std::mutex m_mutex;
    std::string m_folder;
    bool m_loaded = false;
    bool m_listDirty = false;
    int m_flushes = 0;
    std::vector<Stock> m_stocks;
    std::vector<std::string> m_removed;
};

} // namespace chartstore
