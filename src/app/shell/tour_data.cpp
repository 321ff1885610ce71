#include "app/shell/tour_data.h"

#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "db/operations.h"
#include "db/recordsets.h"
#include "db/watch_table.h"
#include "marketserver/simulated/price_engine.h"

void FillTourWatchList(const sim::PriceEngine& engine, std::int64_t marketTime) {
    struct Pick {
        const char* symbol;
        const char* exchange;
        int alert; // 1: above its upper limit, -1: below its lower limit
    };
    const Pick picks[] = {{"RELIANCE", "NSE", 1},  {"TCS", "NSE", 0},     {"INFY", "NSE", -1},
                          {"HDFCBANK", "NSE", 0},  {"SBIN", "BSE", 0},    {"M&M", "NSE", 0},
                          {"ITC", "NSE", 0},       {"DRREDDY", "NSE", 0}, {"LT", "NSE", 0},
                          {"TATAMOTORS", "NSE", 0}};
    std::vector<db::WatchRow> rows;
    for (const Pick& p : picks) {
        const std::string exchange = p.exchange;
        for (const auto& c : catalogue::Companies()) {
            if ((exchange == "NSE" ? c.nseName : c.bseName) != p.symbol)
                continue;
            db::WatchRow row{c.name, exchange, p.symbol, 0, 0, 0};
            if (p.alert != 0) {
                const std::string quoteSymbol =
                    std::string(p.symbol) + (exchange == "NSE" ? ".NS" : ".BO");
                if (const sim::Listing* l = engine.universe().Find(quoteSymbol)) {
                    const double price = engine.Quote(*l, marketTime, false).last;
                    row.alertSetting = 1;
                    row.lowerLimit = static_cast<int>(price * (p.alert > 0 ? 0.90 : 1.01));
                    row.upperLimit = static_cast<int>(price * (p.alert > 0 ? 0.99 : 1.10));
                }
            }
            rows.push_back(row);
            break;
        }
    }
    db::RunReported(
        [](const std::string& e) { std::fprintf(stderr, "koravel: tour data: %s\n", e.c_str()); },
        [&] {
            CSelCompanyListset set;
            db::ReplaceWatchList(set, rows);
        });
}
