#include "catalogue/catalogue.h"

#include <fstream>
#include <sstream>

#include "platform/base/paths.h"
#include "platform/base/symbol_name.h"
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
            // The symbols become rows of the data source and, later, names of files.
            const auto badSymbol = [](const std::string& symbol) {
                return !symbol.empty() && !symbols::IsValidSymbol(symbol);
            };
            if (c.name.empty() || (c.nseName.empty() && c.bseName.empty()) ||
                badSymbol(c.nseName) || badSymbol(c.bseName)) {
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
            if (f.underlying.empty() || !symbols::IsValidSymbol(f.symbol)) {
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

namespace {

bool ReadText(const std::string& path, const char* what, std::string& text, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string("The ") + what + " " + path + " is missing or cannot be read.";
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        error = std::string("The ") + what + " " + path + " cannot be read.";
        return false;
    }
    text = ss.str();
    return true;
}

} // namespace

bool ReadFiles(const std::string& folder, std::vector<Company>& companies,
               std::vector<Future>& futures, std::string& error, int* skipped) {
    const std::string companiesPath = paths::Join(folder, kCompaniesFile);
    const std::string futuresPath = paths::Join(folder, kFuturesFile);
    std::string companiesCsv;
    std::string futuresCsv;
    if (!ReadText(companiesPath, "company catalogue", companiesCsv, error) ||
        !ReadText(futuresPath, "futures list", futuresCsv, error))
        return false;
    int badCompanies = 0;
    int badFutures = 0;
    std::vector<Company> c = ParseCompanies(companiesCsv, &badCompanies);
    std::vector<Future> f = ParseFutures(futuresCsv, &badFutures);
    // An empty list is a damaged file, not a market without companies.
    if (c.empty()) {
        error = "The company catalogue " + companiesPath + " holds no companies.";
        return false;
    }
    if (f.empty()) {
        error = "The futures list " + futuresPath + " holds no futures.";
        return false;
    }
    companies = std::move(c);
    futures = std::move(f);
    if (skipped)
        *skipped = badCompanies + badFutures;
    return true;
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
