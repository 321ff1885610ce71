#include "catalogue/catalogue.h"

#include "platform/base/text.h"

namespace catalogue {

namespace {

// Column positions by header name, so the files may carry more columns later.
int ColumnOf(const std::vector<std::string>& header, std::string_view name) {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (text::IEquals(text::Trim(header[i]), name))
            return static_cast<int>(i);
    return -1;
}

std::string Field(const std::vector<std::string>& row, int col) {
    if (col < 0 || col >= static_cast<int>(row.size()))
        return {};
    return text::Trim(row[col]);
}

} // namespace

std::vector<Company> ParseCompanies(std::string_view csv, int* skipped) {
    std::vector<Company> out;
    int bad = 0;
    const auto lines = text::SplitLines(csv);
    if (!lines.empty()) {
        const auto header = text::ParseCsvRecord(lines[0]);
        const int cName = ColumnOf(header, "COMPNAME");
        const int cNse = ColumnOf(header, "NSENAME");
        const int cBse = ColumnOf(header, "BSENAME");
        const int cPrice = ColumnOf(header, "PRICE");
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (text::Trim(lines[i]).empty())
                continue;
            const auto row = text::ParseCsvRecord(lines[i]);
            Company c;
            c.name = Field(row, cName);
            c.nseName = Field(row, cNse);
            c.bseName = Field(row, cBse);
            c.price = text::CStrToD(Field(row, cPrice));
            if (c.name.empty() || (c.nseName.empty() && c.bseName.empty())) {
                ++bad;
                continue;
            }
            out.push_back(std::move(c));
        }
    }
    if (skipped)
        *skipped = bad;
    return out;
}

std::vector<Future> ParseFutures(std::string_view csv, int* skipped) {
    std::vector<Future> out;
    int bad = 0;
    const auto lines = text::SplitLines(csv);
    if (!lines.empty()) {
        const auto header = text::ParseCsvRecord(lines[0]);
        const int cUnderlying = ColumnOf(header, "Underlying");
        const int cSymbol = ColumnOf(header, "Symbol");
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (text::Trim(lines[i]).empty())
                continue;
            const auto row = text::ParseCsvRecord(lines[i]);
            Future f{Field(row, cUnderlying), Field(row, cSymbol)};
            if (f.underlying.empty() || f.symbol.empty()) {
                ++bad;
                continue;
            }
            out.push_back(std::move(f));
        }
    }
    if (skipped)
        *skipped = bad;
    return out;
}

const std::vector<Company>& Companies() {
    static const std::vector<Company> list = ParseCompanies(CompaniesCsv());
    return list;
}

const std::vector<Future>& Futures() {
    static const std::vector<Future> list = ParseFutures(FuturesCsv());
    return list;
}

} // namespace catalogue
