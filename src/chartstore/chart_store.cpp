#include "chartstore/chart_store.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/base/clock.h"
#include "platform/base/paths.h"
#include "platform/base/symbol_name.h"
#include "platform/base/text.h"

namespace chartstore {

namespace fs = std::filesystem;

Store& Store::Instance() {
    // One store per data root (tests move the root between cases).
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<Store>> stores;
    const std::string folder = paths::DataPath("ChartStore");
    std::lock_guard lock(mutex);
    auto& store = stores[folder];
    if (!store)
        store = std::make_unique<Store>(folder);
    return *store;
}

Store::Store(std::string folder) : m_folder(std::move(folder)) {}

bool Store::IsValidTicker(const std::string& ticker) {
    // Each ticker is a file beside the list: a name that is no symbol, or the list's own
    // name, would write somewhere else.
    return symbols::IsValidSymbol(ticker) && !text::IEquals(ticker, "Stocks");
}

std::string Store::FormatBar(const std::string& ticker, std::int64_t when, const Bar& b) {
    int y = 0, m = 0, d = 0;
    const std::int64_t day = when >= 0 ? when / 86400 : (when - 86399) / 86400;
    CivilFromDays(day, y, m, d);
    const std::int64_t s = when - day * 86400;
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s,%04d%02d%02d,%02d:%02d:%02d,%s,%s,%s,%s,%s", ticker.c_str(),
                  y, m, d, static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60), text::FormatFixed(b.open, 2).c_str(),
                  text::FormatFixed(b.high, 2).c_str(), text::FormatFixed(b.low, 2).c_str(),
                  text::FormatFixed(b.close, 2).c_str(), text::FormatFixed(b.volume, 0).c_str());
    return buf;
}

void Store::Load() {
    if (m_loaded)
        return;
    m_loaded = true;
    std::ifstream list(paths::Join(m_folder, "Stocks.txt"));
    std::string ticker;
    while (std::getline(list, ticker)) {
        ticker = text::Trim(ticker);
        if (!IsValidTicker(ticker) || Find(ticker))
            continue; // a list edited by hand: nothing outside the folder is read
        Stock stock{ticker, {}, false};
        const std::string path = paths::Join(m_folder, ticker + ".txt");
        std::ifstream bars(path);
        std::string line, read;
        while (std::getline(bars, line)) {
            read += line + "\n";
            const auto f = text::Split(text::Trim(line), ',');
            if (f.size() < 8 || f[1].size() != 8)
                continue;
            const int y = std::atoi(f[1].substr(0, 4).c_str()),
                      mo = std::atoi(f[1].substr(4, 2).c_str()),
                      d = std::atoi(f[1].substr(6, 2).c_str());
            int h = 0, mi = 0, s = 0;
            std::sscanf(f[2].c_str(), "%d:%d:%d", &h, &mi, &s);
            const std::int64_t when = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
            stock.bars[when] = {text::CStrToD(f[3]), text::CStrToD(f[4]), text::CStrToD(f[5]),
                                text::CStrToD(f[6]), text::CStrToD(f[7])};
        }
        if (bars.is_open() || !stock.bars.empty()) {
            // New bars may be appended only to a file that is exactly what this store would
            // write (one edited by hand is rewritten whole at the next change).
            std::string own;
            for (const auto& [when, bar] : stock.bars)
                own += FormatBar(ticker, when, bar) + "\n";
            stock.written = stock.bars.empty() ? kNothingWritten : stock.bars.rbegin()->first;
            stock.rewrite = own != read;
        }
        m_stocks.push_back(std::move(stock));
    }
}

Store::Stock* Store::Find(const std::string& ticker) {
    for (Stock& s : m_stocks)
        if (text::IEquals(s.ticker, ticker))
            return &s;
    return nullptr;
}

int Store::Count() {
    std::lock_guard lock(m_mutex);
    Load();
    return static_cast<int>(m_stocks.size());
}

std::string Store::TickerAt(int index) {
    std::lock_guard lock(m_mutex);
    Load();
    return index >= 0 && index < static_cast<int>(m_stocks.size()) ? m_stocks[index].ticker
                                                                   : std::string();
}

bool Store::Has(const std::string& ticker) {
    std::lock_guard lock(m_mutex);
    Load();
    return Find(ticker) != nullptr;
}

std::string Store::Add(const std::string& ticker) {
    std::lock_guard lock(m_mutex);
    Load();
    if (!IsValidTicker(ticker))
        return {};
    if (Stock* s = Find(ticker))
        return s->ticker;
    m_stocks.push_back({ticker, {}, true});
    m_listDirty = true;
    return ticker;
}

bool Store::RemoveAt(int index) {
    std::lock_guard lock(m_mutex);
    Load();
    if (index < 0 || index >= static_cast<int>(m_stocks.size()))
        return false;
    m_removed.push_back(m_stocks[index].ticker);
    m_stocks.erase(m_stocks.begin() + index);
    m_listDirty = true;
    return true;
}

bool Store::Touch(const std::string& ticker, std::int64_t when) {
    std::lock_guard lock(m_mutex);
    Load();
    Stock* s = Find(ticker);
    if (!s)
        return false;
    if (!s->bars.count(when)) {
        s->bars[when] = Bar{};
        Changed(*s, when);
    }
    return true;
}

bool Store::Get(const std::string& ticker, std::int64_t when, Bar& bar) {
    std::lock_guard lock(m_mutex);
    Load();
    Stock* s = Find(ticker);
    if (!s || !s->bars.count(when))
        return false;
    bar = s->bars[when];
    return true;
}

bool Store::Set(const std::string& ticker, std::int64_t when, const Bar& bar) {
    std::lock_guard lock(m_mutex);
    Load();
    Stock* s = Find(ticker);
    if (!s)
        return false;
    s->bars[when] = bar;
    Changed(*s, when);
    return true;
}

std::map<std::int64_t, Bar> Store::Bars(const std::string& ticker) {
    std::lock_guard lock(m_mutex);
    Load();
    Stock* s = Find(ticker);
    return s ? s->bars : std::map<std::int64_t, Bar>{};
}

int Store::Flushes() {
    std::lock_guard lock(m_mutex);
    return m_flushes;
}

void Store::Changed(Stock& s, std::int64_t when) {
    s.dirty = true;
    if (s.written != kNothingWritten && when <= s.written)
        s.rewrite = true;
}

bool Store::WriteStock(Stock& s) {
    const std::string path = paths::Join(m_folder, s.ticker + ".txt");
    if (s.rewrite || s.written == kNothingWritten) {
        // The whole file goes to a temporary name first, so a reader never sees half of it.
        std::string content;
        for (const auto& [when, bar] : s.bars)
            content += FormatBar(s.ticker, when, bar) + "\n";
        const std::string tmp = path + ".tmp";
        {
            std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
            out << content;
            if (!out)
                return false;
        }
        if (std::rename(tmp.c_str(), path.c_str()) != 0)
            return false;
    } else {
        // Bars in time order after what the file holds: appended, the rest untouched.
        std::string content;
        for (auto it = s.bars.upper_bound(s.written); it != s.bars.end(); ++it)
            content += FormatBar(s.ticker, it->first, it->second) + "\n";
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << content;
        out.flush();
        if (!out)
            return false;
    }
    s.written = s.bars.empty() ? kNothingWritten : s.bars.rbegin()->first;
    s.rewrite = false;
    s.dirty = false;
    return true;
}

bool Store::Flush() {
    std::lock_guard lock(m_mutex);
    Load();
    ++m_flushes;
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    bool ok = true;
    for (Stock& s : m_stocks)
        if (s.dirty && !WriteStock(s))
            ok = false;
    for (const std::string& gone : m_removed)
        if (!Find(gone))
            fs::remove(paths::Join(m_folder, gone + ".txt"), ec);
    m_removed.clear();
    if (m_listDirty) {
        std::string list;
        for (const Stock& s : m_stocks)
            list += s.ticker + "\n";
        const std::string path = paths::Join(m_folder, "Stocks.txt"), tmp = path + ".tmp";
        bool written = false;
        {
            std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
            out << list;
            written = static_cast<bool>(out);
        }
        if (written && std::rename(tmp.c_str(), path.c_str()) == 0)
            m_listDirty = false;
        else
            ok = false;
    }
    return ok;
}

} // namespace chartstore
