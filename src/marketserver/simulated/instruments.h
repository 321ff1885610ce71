#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sim {

enum class InstrumentKind { Stock, Index, Forex, WorldIndex, Adr };

// One price path. The NSE and BSE listings of a company share the path of the company
// (their quotes differ by a small fixed spread), as do NIFTY and SENSEX.
struct Instrument {
    std::string key;  // identity of the price path
    std::string name; // company or index name
    InstrumentKind kind = InstrumentKind::Stock;
    double base = 100;       // typical level in its own currency
    double dailyVol = 0.015; // typical daily move (log)
    double volumeBase = 0;   // typical daily volume; 0 = the service sends 0
    int tzOffsetMinutes = 0; // exchange local time = IST + offset
    int openMinute = 9 * 60 + 15;
    int closeMinute = 15 * 60 + 30;
    int decimals = 2;
    double tick = 0.05;
    std::string exchange = "NSI"; // exchange code the service shows
    // Moves with another instrument (the market): price = own path x (parent / parent's
    // level) ^ beta. The parent keeps the same hours.
    int parent = -1;
    double beta = 0;
};

// A quote symbol as requested ("RELIANCE.NS", "^NSEI", "^FTSE ") and how it maps onto a path.
struct Listing {
    int instrument = -1;
    double priceFactor = 1.0;  // BSE listings trade a hair away from NSE
    double volumeFactor = 1.0; // and with a fraction of the volume
    std::string exchange;
};

class Universe final {
public:
    // The catalogue companies on their exchanges, NIFTY, SENSEX, the dollar rate, the
    // sector, world and ADR symbols the pages show, and the futures underlyings.
    static const Universe& Default();

    const Listing* Find(std::string_view symbol) const; // case-insensitive
    const Instrument& At(int index) const { return m_instruments[index]; }
    std::size_t InstrumentCount() const { return m_instruments.size(); }
    std::vector<std::string> Symbols() const;

    // Index-futures symbols (NIFTY, BANKNIFTY...) and the quote symbol of their underlying.
    const std::unordered_map<std::string, std::string>& IndexFutureUnderlyings() const {
        return m_indexFutures;
    }

private:
    Universe();
    int AddInstrument(Instrument inst);
    void AddListing(const std::string& symbol, Listing listing);

    std::vector<Instrument> m_instruments;
    std::unordered_map<std::string, Listing> m_listings; // upper-cased symbol
    std::unordered_map<std::string, std::string> m_indexFutures;
};

} // namespace sim
