#include "marketserver/simulated/instruments.h"

#include <cmath>

#include "catalogue/catalogue.h"
#include "platform/base/arith.h"
#include "platform/base/text.h"

namespace sim {

namespace {

using arith::Fnv1a;

// A number in [0, 1) fixed by a name, for per-company traits that must not depend on
// the run's random seed (volatility, volume level).
double Trait(std::string_view name, std::uint64_t salt) {
    std::uint64_t x = Fnv1a(name) ^ (salt * 0x9E3779B97F4A7C15ULL);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return static_cast<double>(x >> 11) * (1.0 / 9007199254740992.0);
}

struct IndexDef {
    const char* symbol;
    const char* name;
    double level;
};

// NSE segment and BSE sector indices.
const IndexDef kIndianIndices[] = {
    {"^NSED", "S&P CNX DEFTY", 21500},
    {"^NSMIDCP", "CNX NIFTY JUNIOR", 69000},
    {"^CRSLDX", "S&P CNX 500", 23400},
    {"^CRSMID", "CNX MIDCAP 200", 14200},
    {"^NSEBANK", "BANK NIFTY", 57500},
    {"^CNXIT", "CNX IT", 37200},
    {"^CNXFIN", "NIFTY FINANCIAL SERVICES", 27000},
    {"^NSEMDCP50", "NIFTY MIDCAP SELECT", 13300},
    {"BSE-AUTO.BO", "AUTO INDEX", 61000},
    {"BSE-BANK.BO", "BANKEX", 64500},
    {"BSE-100.BO", "BSE - 100", 27200},
    {"BSE-200.BO", "BSE - 200", 11700},
    {"BSE-500.BO", "BSE - 500", 37100},
    {"BSE-CG.BO", "BSE - Capital Goods", 70500},
    {"BSE-CD.BO", "BSE - Cons.Durables", 60500},
    {"BSE-FMCG.BO", "BSE - FMCG", 20400},
    {"BSE-HC.BO", "BSE - HEALTHCARE", 44500},
    {"BSE-IT.BO", "BSE - INFOTECH", 36800},
    {"BSE-MIDCAP.BO", "BSE Mid-Cap", 47000},
    {"BSE-PSU.BO", "BSE Public Sector", 20100},
    {"BSE-SMLCAP.BO", "BSE Small-Cap", 53500},
    {"BSE-TECK.BO", "BSE TECH INDEX", 18300},
    {"BSE-METAL.BO", "METAL INDEX", 33500},
    {"BSE-OILGAS.BO", "OIL & GAS INDEX", 27800},
};

struct WorldDef {
    const char* symbol;
    const char* name;
    double level;
    int tzOffset;    // exchange local time minus IST, in minutes
    int open, close; // local minutes
    const char* exchange;
};

const WorldDef kWorld[] = {
    {"^DJI", "Dow Jones Industrial Average", 44500, -630, 570, 960, "DJI"},
    {"^IXIC", "NASDAQ Composite", 20100, -630, 570, 960, "NAS"},
    {"^GSPC", "S&P 500", 6250, -630, 570, 960, "SNP"},
    {"^FTSE ", "FTSE 100", 8600, -330, 480, 990, "FSI"},
    {"^GDAXI", "DAX", 23500, -270, 540, 1050, "GER"},
    {"^FCHI", "CAC 40", 7800, -270, 540, 1050, "PAR"},
    {"^MIBTEL", "FTSE MIB", 41000, -270, 540, 1050, "MIL"},
    {"^SSMI", "Swiss Market", 12100, -270, 540, 1050, "VTX"},
    {"^N225", "Nikkei 225", 39500, 210, 540, 900, "OSA"},
    {"^HSI", "Hang Seng", 24500, 150, 570, 960, "HKG"},
    {"^SSEC", "Shanghai Composite", 3450, 150, 570, 900, "SHH"},
    {"^STI", "Straits Times", 3950, 150, 540, 1020, "SES"},
    {"^TWII", "Taiwan Weighted", 22800, 150, 540, 810, "TAI"},
    {"^JKSE", "Jakarta Composite", 7100, 90, 540, 960, "JKT"},
    {"^KS11", "KOSPI", 3100, 210, 540, 930, "KSC"},
};

struct AdrDef {
    const char* symbol;
    const char* name;
    double price;
};

const AdrDef kAdrs[] = {
    {"INFY", "Infosys Ltd ADR", 19.5},
    {"HDB", "HDFC Bank Ltd ADR", 68.0},
    {"IBN", "ICICI Bank Ltd ADR", 31.5},
    {"MTE", "MTNL ADR", 2.9},
    {"PTI", "Patni Computer Systems ADR", 20.0},
    {"RDY", "Dr. Reddy's Laboratories ADR", 14.2},
    {"SAY", "Satyam Computer Services ADR", 7.5},
    {"SLT", "Sterlite Industries ADR", 16.0},
    {"TTM", "Tata Motors Ltd ADR", 16.5},
    {"SIFY", "Sify Technologies ADR", 4.2},
    {"WIT", "Wipro Ltd ADR", 3.1},
};

} // namespace

const Universe& Universe::Default() {
    static const Universe u;
    return u;
}

int Universe::AddInstrument(Instrument inst) {
    m_instruments.push_back(std::move(inst));
    return static_cast<int>(m_instruments.size() - 1);
}

void Universe::AddListing(const std::string& symbol, Listing listing) {
    m_listings.emplace(text::ToUpperAscii(symbol), std::move(listing));
}

Universe::Universe() {
    // NIFTY and SENSEX move together, SENSEX at its own level.
    {
        Instrument market;
        market.key = "INDIA-MARKET";
        market.name = "NIFTY 50";
        market.kind = InstrumentKind::Index;
        market.base = 25800;
        market.dailyVol = 0.008;
        market.tick = 0.01;
        const int m = AddInstrument(market);
        AddListing("^NSEI", {m, 1.0, 1.0, "NSI"});
        Instrument sensex = market;
        sensex.key = "IDX:^BSESN";
        sensex.name = "S&P BSE SENSEX";
        sensex.base = 84500;
        sensex.dailyVol = 0.0008;
        sensex.parent = m;
        sensex.beta = 1.0;
        AddListing("^BSESN", {AddInstrument(sensex), 1.0, 1.0, "BSE"});
    }
    for (const auto& d : kIndianIndices) {
        Instrument inst;
        inst.key = std::string("IDX:") + d.symbol;
        inst.name = d.name;
        inst.kind = InstrumentKind::Index;
        inst.base = d.level;
        inst.dailyVol = 0.004 + 0.004 * Trait(d.symbol, 1);
        inst.tick = 0.01;
        inst.parent = 0;
        inst.beta = 0.8 + 0.4 * Trait(d.symbol, 9);
        const std::string sym = d.symbol;
        const int i = AddInstrument(inst);
        AddListing(sym, {i, 1.0, 1.0, text::EndsWith(sym, ".BO") ? "BSE" : "NSI"});
    }
    {
        Instrument usd;
        usd.key = "FX:USDINR";
        usd.name = "USD to INR";
        usd.kind = InstrumentKind::Forex;
        usd.base = 88.4;
        usd.dailyVol = 0.0025;
        usd.openMinute = 0;
        usd.closeMinute = 24 * 60 - 1;
        usd.decimals = 4;
        usd.tick = 0.0001;
        usd.exchange = "CCY";
        AddListing("USDINR=X", {AddInstrument(usd), 1.0, 1.0, "CCY"});
    }
    for (const auto& w : kWorld) {
        Instrument inst;
        inst.key = std::string("WORLD:") + w.symbol;
        inst.name = w.name;
        inst.kind = InstrumentKind::WorldIndex;
        inst.base = w.level;
        inst.dailyVol = 0.008 + 0.006 * Trait(w.symbol, 2);
        inst.tzOffsetMinutes = w.tzOffset;
        inst.openMinute = w.open;
        inst.closeMinute = w.close;
        inst.tick = 0.01;
        inst.exchange = w.exchange;
        AddListing(w.symbol, {AddInstrument(inst), 1.0, 1.0, w.exchange});
    }
    for (const auto& a : kAdrs) {
        Instrument inst;
        inst.key = std::string("ADR:") + a.symbol;
        inst.name = a.name;
        inst.kind = InstrumentKind::Adr;
        inst.base = a.price;
        inst.dailyVol = 0.014 + 0.012 * Trait(a.symbol, 3);
        inst.volumeBase = 2e5 + 4e6 * Trait(a.symbol, 4);
        inst.tzOffsetMinutes = -630;
        inst.openMinute = 570;
        inst.closeMinute = 960;
        inst.tick = 0.01;
        inst.exchange = "NYQ";
        AddListing(a.symbol, {AddInstrument(inst), 1.0, 1.0, "NYQ"});
    }
    for (const auto& c : catalogue::Companies()) {
        Instrument inst;
        inst.key = "CO:" + c.name;
        inst.name = c.name;
        inst.kind = InstrumentKind::Stock;
        inst.base = c.price > 0 ? c.price : 50 + 950 * Trait(c.name, 5);
        inst.dailyVol = 0.010 + 0.012 * Trait(c.name, 6);
        inst.parent = 0; // the market moves every share a little
        inst.beta = 0.5 + 0.7 * Trait(c.name, 10);
        // Cheaper shares trade in larger numbers; traded value spreads over two decades.
        const double turnover = 4e8 * std::pow(10.0, 2.0 * Trait(c.name, 7)); // rupees a day
        inst.volumeBase = std::min(6e7, std::max(2e3, turnover / inst.base));
        inst.tick = inst.base < 10 ? 0.01 : 0.05;
        const int i = AddInstrument(inst);
        if (!c.nseName.empty())
            AddListing(c.nseName + ".NS", {i, 1.0, 1.0, "NSI"});
        if (!c.bseName.empty()) {
            const double spread = c.nseName.empty() ? 0.0 : (Trait(c.name, 8) - 0.5) * 0.002;
            AddListing(c.bseName + ".BO", {i, 1.0 + spread, c.nseName.empty() ? 1.0 : 0.12, "BSE"});
        }
    }
    m_indexFutures = {{"NIFTY", "^NSEI"},
                      {"BANKNIFTY", "^NSEBANK"},
                      {"FINNIFTY", "^CNXFIN"},
                      {"MIDCPNIFTY", "^NSEMDCP50"},
                      {"NIFTYNXT50", "^NSMIDCP"}};
}

const Listing* Universe::Find(std::string_view symbol) const {
    const auto it = m_listings.find(text::ToUpperAscii(symbol));
    return it == m_listings.end() ? nullptr : &it->second;
}

std::vector<std::string> Universe::Symbols() const {
    std::vector<std::string> out;
    out.reserve(m_listings.size());
    for (const auto& [sym, listing] : m_listings)
        out.push_back(sym);
    return out;
}

} // namespace sim
