#include <algorithm>

#include "marketserver/upstream/aliases.h"
#include "marketserver/upstream/upstream_source.h"
#include "marketserver/upstream/upstream_time.h"
#include "marketserver/upstream/zip_archive.h"
#include "platform/base/symbol_name.h"
#include "platform/base/text.h"

// The exchanges' daily files: which to ask for, walking back over holidays, read once a day.
namespace upstream {

using marketserver::Outcome;
using Steady = std::chrono::steady_clock;
using namespace timing;

std::string UpstreamSource::BhavKey(BhavcopyKind kind, std::int64_t day) {
    const char* name = kind == BhavcopyKind::NseFutures ? "nsefo"
                       : kind == BhavcopyKind::NseCash  ? "nsecm"
                                                        : "bsecm";
    return std::string("bhav/") + name + "/" + DayDigits(day);
}

std::string UpstreamSource::BhavUrl(BhavcopyKind kind, std::int64_t day) const {
    const std::string d = DayDigits(day);
    switch (kind) {
    case BhavcopyKind::NseFutures:
        return m_options.nseArchivesBase + "/content/fo/BhavCopy_NSE_FO_0_0_0_" + d +
               "_F_0000.csv.zip";
    case BhavcopyKind::NseCash:
        return m_options.nseArchivesBase + "/content/cm/BhavCopy_NSE_CM_0_0_0_" + d +
               "_F_0000.csv.zip";
    case BhavcopyKind::BseCash:
        break;
    }
    return m_options.bseBase + "/download/BhavCopy/Equity/BhavCopy_BSE_CM_0_0_0_" + d +
           "_F_0000.CSV";
}

std::shared_ptr<const UpstreamSource::Bhavcopy>
UpstreamSource::ReadFile(BhavcopyKind kind, std::int64_t day, const CacheEntry& entry) {
    const std::string key = BhavKey(kind, day);
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_files.find(key); it != m_files.end())
            return it->second;
    }
    auto table = std::make_shared<UdiffTable>();
    std::string why;
    if (!table->Parse(entry.body, RequiredColumns(kind), why))
        return nullptr;
    auto file = std::make_shared<Bhavcopy>();
    file->day = day;
    if (kind != BhavcopyKind::NseFutures)
        file->quotes = QuotesFromCash(*table, kind);
    file->table = std::move(table);
    std::lock_guard lock(m_mutex);
    // Files of other days of this kind are not needed any more.
    const std::string prefix = key.substr(0, key.size() - 8);
    for (auto it = m_files.begin(); it != m_files.end();)
        it = text::StartsWith(it->first, prefix) ? m_files.erase(it) : std::next(it);
    m_files[key] = file;
    return file;
}

void UpstreamSource::RunBhavWalk(const Job& job) {
    const BhavcopyKind kind = job.bhav;
    const Host host = kind == BhavcopyKind::BseCash ? Host::Bse : Host::NseArchives;
    const std::int64_t today = IstDay(NowMs());
    std::shared_ptr<const Bhavcopy> found;
    bool failed = false;
    for (std::int64_t d = today; d > today - kBhavcopyDays && !found && !m_stop; --d) {
        if (IsWeekend(d))
            continue;
        const std::string key = BhavKey(kind, d);
        const std::int64_t now = NowMs();
        if (auto e = m_cache.Get(key)) {
            if (!e->notFound) {
                found = ReadFile(kind, d, *e);
                if (!found)
                    m_cache.Discard(key);
                continue;
            }
            if (now < e->expiresMs)
                continue; // not published that day (a holiday), or not yet
        }
        if (failed)
            continue; // after a failure only what is cached counts
        if (!Acquire(host)) {
            failed = true;
            continue;
        }
        const HttpResult r = Fetch(host, BhavUrl(kind, d));
        Gate(host).Finish();
        if (!r.answered) {
            failed = true;
        } else if (r.status == 429 || r.status == 403) {
            Gate(host).OnRefused(r.retryAfterSeconds);
            failed = true;
        } else if (r.status == 404) {
            Gate(host).OnAnswered();
            // Today's file comes out in the evening: look again in an hour.
            m_cache.Put(key, CacheEntry{"", now, now + (d == today ? kHour : 7 * kDay), true});
        } else if (r.status == 200) {
            Gate(host).OnAnswered();
            std::string csv, why;
            bool ok = true;
            if (LooksLikeZip(r.body))
                ok = UnzipSingleFile(r.body, csv, why);
            else if (r.body.empty() || text::StartsWith(text::TrimLeft(r.body), "<"))
                ok = false; // an error page where a file was expected
            else
                csv = r.body;
            UdiffTable table;
            const std::vector<std::string> keep = kind == BhavcopyKind::NseFutures
                                                      ? std::vector<std::string>{"STF", "IDF"}
                                                      : std::vector<std::string>{};
            if (ok && table.Parse(csv, RequiredColumns(kind), why, keep)) {
                const CacheEntry e{table.ToCsv(), now, now + 30 * kDay, false};
                m_cache.Put(key, e);
                found = ReadFile(kind, d, e);
            } else {
                failed = true;
            }
        } else {
            failed = true;
        }
    }
    std::lock_guard lock(m_mutex);
    LatestBhavcopy& latest = m_latest[static_cast<int>(kind)];
    if (found)
        latest.file = found;
    else if (latest.file && latest.file->day <= today - kBhavcopyDays)
        latest.file.reset(); // too old to stand for today's
    latest.failed = !found && failed;
    latest.checkedMs = NowMs();
}

std::string UpstreamSource::WalkKey(BhavcopyKind kind) {
    return "walk/" + BhavKey(kind, 0).substr(5, 5);
}

void UpstreamSource::KickWalk(BhavcopyKind kind) {
    // Caller holds m_mutex. The file of a day never changes; today's is looked for every
    // ten minutes at most, after a failure every half minute.
    const LatestBhavcopy& latest = m_latest[static_cast<int>(kind)];
    const std::int64_t now = NowMs();
    const std::int64_t recheck = latest.file ? 10 * kMinute : 30 * kSecond;
    if (latest.checkedMs != 0 && now - latest.checkedMs < recheck && now >= latest.checkedMs)
        return;
    Job j;
    j.key = WalkKey(kind);
    j.kind = Kind::BhavWalk;
    j.bhav = kind;
    j.priority = kUrgent;
    j.order = ++m_sequence;
    Enqueue(std::move(j));
}

std::shared_ptr<const UpstreamSource::Bhavcopy>
UpstreamSource::LatestFile(BhavcopyKind kind, Steady::time_point deadline, bool wait,
                           bool* failed) {
    const std::string key = WalkKey(kind);
    std::unique_lock lock(m_mutex);
    KickWalk(kind);
    if (!m_latest[static_cast<int>(kind)].file && wait)
        m_doneCv.wait_until(lock, deadline, [&] { return m_stop || !Pending(key); });
    const LatestBhavcopy& after = m_latest[static_cast<int>(kind)];
    if (failed)
        *failed = !after.file && (after.failed || Pending(key) || m_stop);
    return after.file;
}

Outcome UpstreamSource::Futures(const std::string& key, marketserver::FuturesTable& out) {
    const auto deadline = Steady::now() + std::chrono::milliseconds(m_options.firstAnswerWaitMs);
    if (!symbols::IsValidSymbol(NormalizeSymbol(key)))
        return Outcome::NotFound;
    const auto file = LatestFile(BhavcopyKind::NseFutures, deadline, true);
    if (!file)
        return Outcome::Unavailable;
    return FuturesFromUdiff(*file->table, NormalizeSymbol(key), out) ? Outcome::Ok
                                                                     : Outcome::NotFound;
}

Outcome UpstreamSource::Statistics(marketserver::TradeStatistics& out) {
    const auto deadline = Steady::now() + std::chrono::milliseconds(m_options.firstAnswerWaitMs);
    const auto file = LatestFile(BhavcopyKind::NseFutures, deadline, true);
    if (!file || !StatisticsFromUdiff(*file->table, out))
        return Outcome::Unavailable;
    return Outcome::Ok;
}

} // namespace upstream
