#include "charts/core/data_logs.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "controls/core/watch_columns.h"
#include "platform/base/paths.h"
#include "platform/base/symbol_name.h"
#include "platform/base/text.h"
#include "quotes/indian_number.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f)
            std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Closes the file and tells whether everything written reached it.
bool Finish(File& f) {
    std::FILE* raw = f.release();
    const bool ok = !std::ferror(raw);
    return std::fclose(raw) == 0 && ok;
}

bool Write(std::FILE* f, const std::string& s) {
    return std::fwrite(s.data(), 1, s.size(), f) == s.size();
}

// Number cells are read as the list shows them, commas removed.
double Number(const RowCells& cells, int column) {
    return ParseListNumber(cells(column));
}
long Whole(const RowCells& cells, int column) {
    return std::strtol(text::RemoveChar(cells(column), ',').c_str(), nullptr, 10);
}

// The program makes only the date folders; the folders above them belong to setup.
bool EnsureFolder(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// Appends the end-of-day line unless the file already holds the date anywhere.
int EodOne(const std::string& root, const std::string& name, const QuoteRecord& q,
           const char* openMessage, const char* readMessage, const LogReporter& report,
           LogFiles* files) {
    const std::optional<std::string> path = EodFile(root, name);
    if (!path)
        return 1; // no symbol, no file: the others are still written
    if (files && files->HasDate(*path, q.date))
        return 1;
    File f(std::fopen(path->c_str(), "a+b"));
    if (!f) {
        report(openMessage);
        return 0;
    }
    std::string all;
    char buf[4096];
    std::rewind(f.get());
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        all.append(buf, n);
    if (std::ferror(f.get())) {
        report(readMessage);
        return 0;
    }
    // The lines joined into one text: line breaks play no part in finding the date.
    all = text::RemoveChar(text::RemoveChar(all, '\n'), '\r');
    if (all.find(q.date) == std::string::npos) {
        std::fseek(f.get(), 0, SEEK_END);
        if (!Write(f.get(), EodLine(name, q.date, q.open, q.high, q.low, q.last, q.volume))) {
            report("SORRY!!!Some problem occured while writing data to EOD file");
            return 0;
        }
    }
    if (!Finish(f)) {
        report("SORRY!!!Some problem occured while writing data to EOD file");
        return 0;
    }
    if (files)
        files->NoteDate(*path, q.date);
    return 1;
}

// Appends one line to a log file: through the kept files, or opened and closed for it.
// False (nothing reported) when the file cannot be opened; true with `written` telling
// whether the line reached it.
bool AppendLine(const std::string& path, const std::string& line, LogFiles* files, bool& written) {
    if (files) {
        std::FILE* f = files->Append(path);
        if (!f)
            return false;
        written = Write(f, line) && std::fflush(f) == 0;
        return true;
    }
    File f(std::fopen(path.c_str(), "ab"));
    if (!f)
        return false;
    written = Write(f.get(), line) && Finish(f);
    return true;
}

// One stock's bar, from its list cells.
std::string StockBar(const RowCells& cells, const LogStamp& stamp, bool volumeWhenTaken) {
    const bool taken = Number(cells, kWcTaken) >= 1;
    const std::string volume =
        volumeWhenTaken && taken
            ? std::to_string(Whole(cells, kWcVolume) - Whole(cells, kWcPrevVolume))
            : "0";
    return BarLine(cells(kWcSymbol), stamp.date, stamp.time, Number(cells, kWcPrevPrice),
                   Number(cells, kWcPrice), volume);
}

} // namespace

bool IsMarketOpen(const LocalTime& t) {
    if (t.IsWeekend())
        return false;
    const int s = t.SecondsOfDay();
    return s >= 9 * 3600 + 55 * 60 && s <= 15 * 3600 + 45 * 60;
}

LogStamp FormatLogStamp(const LocalTime& t) {
    LogStamp s;
    s.date = TwoDigits(t.month) + "/" + TwoDigits(t.day) + "/" + std::to_string(t.year);
    s.time = TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
    const int delayed = ((t.SecondsOfDay() - 900) % 86400 + 86400) % 86400;
    s.delayedTime = TwoDigits(delayed / 3600) + ":" + TwoDigits(delayed / 60 % 60) + ":" +
                    TwoDigits(delayed % 60);
    s.dateFolder = TwoDigits(t.month) + "-" + TwoDigits(t.day) + "-" + std::to_string(t.year);
    return s;
}

std::string EodLine(const std::string& name, const std::string& date, double open, double high,
                    double low, double close, long volume) {
    return name + "," + date + "," + text::FormatFixed(open, 2) + "," + text::FormatFixed(high, 2) +
           "," + text::FormatFixed(low, 2) + "," + text::FormatFixed(close, 2) + "," +
           std::to_string(volume) + "\r\n";
}

std::string BarLine(const std::string& name, const std::string& date, const std::string& time,
                    double previous, double current, const std::string& volume) {
    return name + "," + date + "," + time + "," + text::FormatFixed(previous, 2) + "," +
           text::FormatFixed(std::max(previous, current), 2) + "," +
           text::FormatFixed(std::min(previous, current), 2) + "," + text::FormatFixed(current, 2) +
           "," + volume + "\r\n";
}

std::optional<std::string> EodFile(const std::string& root, const std::string& name) {
    return symbols::SymbolFilePath(paths::Join(root, paths::kEodData), name, ".txt");
}

std::string IntradayFolder(const std::string& root, const std::string& dateFolder) {
    return paths::Join(paths::Join(root, paths::kIntraDay), dateFolder);
}

std::optional<std::string> IntradayFile(const std::string& root, const std::string& dateFolder,
                                        const std::string& name) {
    return symbols::SymbolFilePath(IntradayFolder(root, dateFolder), name, ".txt");
}

std::string LiveDataFile(const std::string& root) {
    return paths::Join(paths::Join(root, paths::kLiveData), "LiveData.txt");
}

int WriteEodFiles(const std::string& root, const LocalTime& now, const IndexQuotes& indices,
                  const std::vector<EodItem>& items, const LogReporter& report, LogFiles* files) {
    if (IsMarketOpen(now))
        return 1;
    if (!EodOne(root, "NIFTY", indices.nifty, "Problem occured in Opening Nifty EOD File",
                "Error in Reading Nifty EOD file", report, files))
        return 0;
    if (!EodOne(root, "SENSEX", indices.sensex, "Problem occured in Opening Sensex EOD File",
                "Error in Reading Sensex EOD file", report, files))
        return 0;
    for (const EodItem& item : items)
        if (!EodOne(root, item.symbol, item.quote, "Problem occured in Opening EOD File",
                    "Error in Reading  EOD file", report, files))
            return 0;
    return 1;
}

namespace {

int IntradayIndices(const std::string& root, const LogStamp& stamp, const IndexQuotes& indices,
                    const LogReporter& report, LogFiles* files) {
    EnsureFolder(IntradayFolder(root, stamp.dateFolder));
    if (indices.previousNifty <= 0)
        return 1;
    const struct {
        const char* name;
        double previous, current;
        const std::string& time;
        const char* openMessage;
    } parts[] = {
        {"NIFTY", indices.previousNifty, indices.nifty.last, stamp.time,
         "Problem occured in Opening Nifty Intraday File"},
        {"SENSEX", indices.previousSensex, indices.sensex.last, stamp.delayedTime,
         "Problem occured in Opening Sensex Intraday File"},
    };
    for (const auto& p : parts) {
        if (p.previous <= 0)
            continue; // SENSEX waits for its own previous value
        bool written = false;
        if (!AppendLine(*IntradayFile(root, stamp.dateFolder, p.name),
                        BarLine(p.name, stamp.date, p.time, p.previous, p.current, "0"), files,
                        written)) {
            report(p.openMessage);
            return 0;
        }
        if (!written) {
            report("SORRY!!!Some problem occured while writing data to NIFTY EOD file");
            return 0;
        }
    }
    return 1;
}

int IntradayStocks(const std::string& root, const LogStamp& stamp,
                   const std::vector<RowCells>& rows, const LogReporter& report, LogFiles* files) {
    EnsureFolder(IntradayFolder(root, stamp.dateFolder));
    for (const RowCells& cells : rows) {
        if (cells(kWcIndex) != "NSE" || Number(cells, kWcTaken) <= 0 ||
            Number(cells, kWcPrevPrice) == 0)
            continue;
        const std::optional<std::string> path =
            IntradayFile(root, stamp.dateFolder, cells(kWcSymbol));
        if (!path)
            continue; // no symbol, no file
        bool written = false;
        if (!AppendLine(*path, StockBar(cells, stamp, true), files, written)) {
            report("Problem occured in Opening Intraday File");
            return 0;
        }
        if (!written) {
            report("SORRY!!!Some problem occured while writing data to Intraday file");
            return 0;
        }
    }
    return 1;
}

} // namespace

int WriteIntradayFiles(const std::string& root, const LocalTime& now, const IndexQuotes& indices,
                       const std::vector<RowCells>& rows, const LogReporter& report,
                       LogFiles* files) {
    const LogStamp stamp = FormatLogStamp(now);
    // A failure with the index files does not keep the shares from their log.
    const int indexPart = IntradayIndices(root, stamp, indices, report, files);
    const int stockPart = IntradayStocks(root, stamp, rows, report, files);
    return indexPart && stockPart ? 1 : 0;
}

int WriteLiveDataFile(const std::string& root, const LocalTime& now, const IndexQuotes& indices,
                      const std::vector<RowCells>& rows, const LogReporter& report,
                      LogFiles* files) {
    const LogStamp stamp = FormatLogStamp(now);
    std::string text;
    if (indices.previousNifty != 0)
        text += BarLine("NIFTY", stamp.date, stamp.time, indices.previousNifty, indices.nifty.last,
                        "0");
    for (const RowCells& cells : rows)
        if (cells(kWcIndex) == "NSE" && Number(cells, kWcPrevPrice) != 0)
            text += StockBar(cells, stamp, true);
    bool written = false;
    if (files) {
        bool opened = false;
        written = files->Rewrite(LiveDataFile(root), text, opened);
        if (!opened) {
            report("Problem occured in Opening LiveData File");
            return 0;
        }
    } else {
        File f(std::fopen(LiveDataFile(root).c_str(), "wb"));
        if (!f) {
            report("Problem occured in Opening LiveData File");
            return 0;
        }
        written = Write(f.get(), text) && Finish(f);
    }
    if (!written) {
        report("SORRY!!!Some problem occurred while writing LIVE DATA file");
        return 0;
    }
    return 1;
}

LogFiles::~LogFiles() {
    for (auto& [path, open] : m_open)
        std::fclose(open.file);
}

std::FILE* LogFiles::Append(const std::string& path) {
    auto it = m_open.find(path);
    if (it != m_open.end()) {
        // Still in its folder? One removed meanwhile (by a tool that tidies the logs) is
        // opened anew, so the next bar makes it again as a fresh open would.
        struct stat open {};
        if (::fstat(fileno(it->second.file), &open) == 0 && open.st_nlink > 0) {
            it->second.used = true;
            return it->second.file;
        }
        std::fclose(it->second.file);
        m_open.erase(it);
    }
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return nullptr;
    m_open[path] = {f, true};
    return f;
}

bool LogFiles::Rewrite(const std::string& path, const std::string& text, bool& opened) {
    // The file is cut and written again in place: closing a file just cut would make the
    // file system write it out at once, at every refresh.
    std::FILE* f = Append(path);
    opened = f != nullptr;
    if (!f)
        return false;
    const int fd = fileno(f);
    if (std::fflush(f) != 0 || ::ftruncate(fd, 0) != 0)
        return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n =
            ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void LogFiles::EndRefresh() {
    for (auto it = m_open.begin(); it != m_open.end();) {
        if (it->second.used) {
            it->second.used = false;
            ++it;
        } else {
            std::fclose(it->second.file);
            it = m_open.erase(it);
        }
    }
}

bool LogFiles::HasDate(const std::string& path, const std::string& date) const {
    const auto it = m_dates.find(path);
    return it != m_dates.end() && it->second == date;
}

void LogFiles::NoteDate(const std::string& path, const std::string& date) {
    m_dates[path] = date;
}
