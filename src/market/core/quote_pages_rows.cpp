#include "market/core/quote_pages_rows.h"

#include "platform/base/text.h"
#include "quotes/indian_number.h"

namespace market {

namespace {

const IndexEntry kIndices[] = {
    {"S&P CNX DEFTY", "^NSED"},           {"CNX NIFTY", "^NSMIDCP"},
    {"S&P CNX 500", "^CRSLDX"},           {"CNX MIDCAP 200", "^CRSMID"},
    {"BANK NIFTY", "^NSEBANK"},           {"CNX IT", "^CNXIT"},
    {"AUTO INDEX", "BSE-AUTO.BO"},        {"BANKEX", "BSE-BANK.BO"},
    {"BSE - 100", "BSE-100.BO"},          {"BSE - 200", "BSE-200.BO"},
    {"BSE - 500", "BSE-500.BO"},          {"BSE - Capital Goods", "BSE-CG.BO"},
    {"BSE - Cons.Durables", "BSE-CD.BO"}, {"BSE - FMCG", "BSE-FMCG.BO"},
    {"BSE - HEALTHCARE", "BSE-HC.BO"},    {"BSE - INFOTECH", "BSE-IT.BO"},
    {"BSE Mid-Cap", "BSE-MIDCAP.BO"},     {"BSE Public Sector", "BSE-PSU.BO"},
    {"BSE Small-Cap", "BSE-SMLCAP.BO"},   {"BSE TECH INDEX", "BSE-TECK.BO"},
    {"METAL INDEX", "BSE-METAL.BO"},      {"OIL & GAS INDEX", "BSE-OILGAS.BO"},
};

const IndexEntry kWorld[] = {
    {"Dow (DJIA)", "^DJI"},
    {"Nasdaq", "^IXIC"},
    {"S & P 500", "^GSPC"},
    {"FTSE 100", "^FTSE "},
    {"DAX", "^GDAXI"},
    {"CAC 40", "^FCHI"},
    {"MIBTel", "^MIBTEL"},
    {"Swiss Market", "^SSMI"},
    {"Nikkei", "^N225"},
    {"Hang Seng", "^HSI"},
    {"Shanghai", "^SSEC"},
    {"Straits Times", "^STI"},
    {"Taiwan", "^TWII"},
    {"Jakarta Composite", "^JKSE"},
    {"Kospi", "^KS11"},
    {"Infosys Technology Ltd", "INFY"},
    {"HDFC Bank Ltd.", "HDB"},
    {"ICICI Bank Ltd.", "IBN"},
    {"MTNL", "MTE"},
    {"Patni Computers Sys", "PTI"},
    {"Dr Reddys Labs", "RDY"},
    {"Satyam Computers", "SAY"},
    {"Sterlite Industries", "SLT"},
    {"Tata Motors Ltd.", "TTM"},
    {"Sify", "SIFY"},
    {"Wipro Ltd.", "WIT"},
};

} // namespace

std::span<const IndexEntry> IndicesTable() {
    return kIndices;
}

std::span<const IndexEntry> WorldTable() {
    return kWorld;
}

QuotePageRow MakeQuotePageRow(const IndexEntry& entry, const QuoteRecord& quote) {
    QuotePageRow row;
    row.name = entry.name;
    row.symbol = entry.symbol;
    row.last = quote.last;
    row.date = quote.date;
    row.change = quote.change;
    row.changePercent = ChangePercent(quote.last, quote.change);
    row.open = quote.open;
    row.high = quote.high;
    row.low = quote.low;
    return row;
}

std::string QuotePageCellText(const QuotePageRow& row, int column, bool worldRule) {
    switch (column) {
    case 0:
        return row.name;
    case 1:
        return row.symbol;
    case 2:
        return FormatIndianNumber(row.last);
    case 3:
        return row.date;
    case 4:
        return FormatIndianNumber(row.change);
    case 5: {
        // The rule looks at the percentage in full precision: rounded to a float first, a
        // change just over 100 % would pass as exactly 100.
        const double base = row.last - row.change;
        const double exact = base == 0 ? 0 : static_cast<double>(row.change) * 100 / base;
        if (worldRule && (exact > 100 || exact < -100))
            return "0.00";
        return FormatIndianNumber(row.changePercent);
    }
    case 6:
        return FormatIndianNumber(row.open);
    case 7:
        return FormatIndianNumber(row.high);
    case 8:
        return FormatIndianNumber(row.low);
    default:
        return {};
    }
}

std::string DollarRateText(double rupees) {
    return text::FormatFixed(rupees, 3); // "%2.3f": the width never pads a three-decimal text
}

} // namespace market
