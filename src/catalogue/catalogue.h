#pragma once

#include <string>
#include <string_view>
#include <vector>

// The companies and futures the program ships with: setup loads them into the data
// source, the simulated market quotes them.
namespace catalogue {

struct Company {
    std::string name;    // COMPNAME
    std::string nseName; // NSE trading symbol, empty when not listed there
    std::string bseName; // BSE scrip ID, empty when not listed there
    double price = 0;    // a typical price level in rupees (only the simulated market uses it)
};

struct Future {
    std::string underlying; // name as the exchange lists it
    std::string symbol;     // futures symbol
};

// The CSV texts compiled into the program.
std::string_view CompaniesCsv();
std::string_view FuturesCsv();

// Parse the CSV texts (header line first). Malformed rows, and rows whose symbols are not
// symbols by the one rule (symbols::IsValidSymbol), are skipped and counted.
std::vector<Company> ParseCompanies(std::string_view csv, int* skipped = nullptr);
std::vector<Future> ParseFutures(std::string_view csv, int* skipped = nullptr);

// The files an installed program keeps the lists in, in its catalogue folder.
inline constexpr const char* kCompaniesFile = "companies.csv";
inline constexpr const char* kFuturesFile = "futures.csv";

// Reads both lists from the files of a folder. False with a message naming the file when
// one cannot be read or holds no usable row; skipped rows are counted into *skipped.
bool ReadFiles(const std::string& folder, std::vector<Company>& companies,
               std::vector<Future>& futures, std::string& error, int* skipped = nullptr);

// The compiled-in lists, parsed once.
const std::vector<Company>& Companies();
const std::vector<Future>& Futures();

} // namespace catalogue
