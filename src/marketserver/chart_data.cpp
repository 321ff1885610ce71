#include "marketserver/chart_data.h"

#include <algorithm>
#include <cstdio>

#include "platform/base/arith.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"

namespace marketserver {

namespace {

std::string Fixed4(double v) {
    return text::FormatFixed(v, 4);
}

} // namespace

std::string ZoneName(int utcOffsetMinutes) {
    switch (utcOffsetMinutes) {
    case 330:
        return "IST";
    case -300:
        return "EST";
    case -240:
        return "EDT";
    case 0:
        return "GMT";
    case 60:
        return "CET";
    case 420:
        return "WIB";
    case 480:
        return "HKT";
    case 540:
        return "JST";
    default:
        return "UTC";
    }
}

std::string ChartDataCsv(const std::string& symbol, int days, const ChartDataSheet& sheet) {
    const bool fiveDays = days == 5;
    const auto& bars = sheet.bars;
    auto range = [&](auto field) {
        double lo = 0, hi = 0;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const double v = field(bars[i]);
            lo = i ? std::min(lo, v) : v;
            hi = i ? std::max(hi, v) : v;
        }
        return Fixed4(lo) + "," + Fixed4(hi);
    };
    const std::int64_t off = sheet.gmtOffsetSeconds;
    const SessionRange last = sheet.sessions.empty() ? SessionRange{} : sheet.sessions.back();
    const SessionRange first = sheet.sessions.empty() ? SessionRange{} : sheet.sessions.front();

    std::string out;
    auto line = [&out](const std::string& s) { out += s + "\n"; };
    line("uri:/instrument/1.0/" + text::ToUpperAscii(symbol) +
         "/chartdata;type=quote;range=" + (fiveDays ? "5d" : "1d") + "/csv/");
    line("ticker:" + text::ToLowerAscii(symbol));
    line("Company-Name:" + sheet.companyName);
    line("Exchange-Name:" + sheet.exchangeName);
    line("unit:MIN");
    line("timezone:" + sheet.timezone);
    line("gmtoffset:" + std::to_string(sheet.gmtOffsetSeconds));
    line("previous_close:" + Fixed4(sheet.previousClose));
    line("Timestamp:" + std::to_string(first.start) + "," + std::to_string(last.end));
    if (fiveDays) {
        std::vector<SessionRange> five(sheet.sessions.end() -
                                           std::min<std::ptrdiff_t>(5, sheet.sessions.size()),
                                       sheet.sessions.end());
        if (five.empty())
            five.push_back(SessionRange{});
        while (five.size() < 5)
            five.insert(five.begin(), five.front());
        for (const SessionRange& s : five) {
            int y = 0, m = 0, d = 0;
            CivilFromDays(arith::FloorDiv(s.start + off, 86400), y, m, d);
            char date[16];
            std::snprintf(date, sizeof date, "%04d%02d%02d", y, m, d);
            line(std::string("TimeStamp-Ranges:{date:") + date + ",min:" + std::to_string(s.start) +
                 ",max:" + std::to_string(s.end) + "}");
        }
    }
    // The whole hours inside the latest session.
    std::string labels = "labels:";
    if (last.end > last.start) {
        for (std::int64_t t = (arith::FloorDiv(last.start + off, 3600) + 1) * 3600;
             t < last.end + off; t += 3600)
            labels += (labels.size() > 7 ? "," : "") + std::to_string(t - off);
    }
    line(labels);
    line("values:Timestamp,close,high,low,open,volume");
    line("close:" + range([](const OhlcBar& b) { return b.close; }));
    line("high:" + range([](const OhlcBar& b) { return b.high; }));
    line("low:" + range([](const OhlcBar& b) { return b.low; }));
    for (const auto& b : bars)
        line(std::to_string(b.time) + "," + Fixed4(b.close) + "," + Fixed4(b.high) + "," +
             Fixed4(b.low) + "," + Fixed4(b.open) + "," +
             std::to_string(static_cast<std::int64_t>(b.volume)));
    return out;
}

} // namespace marketserver
