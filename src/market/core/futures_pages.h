#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The futures page's rules without a window: the chosen symbols and their slots, the Add
// rule, and reading the exchange's two pages by their fixed markers and cell counts.
namespace market {

inline constexpr int kMaxChosenFutures = 25;
inline constexpr int kContractRows = 3; // near, next and far month: one list each
inline constexpr int kContractValues = 7;
inline constexpr int kFutureColumns = 9;

struct FutureChoice {
    std::string name;
    std::string symbol;
};

// One contract row of one chosen symbol.
struct FutureRow {
    std::string name;
    std::string symbol;
    std::string expiry; // as read, e.g. 26JUN2008
    // High, low, previous close, last, contracts, turnover, underlying value.
    std::array<std::string, kContractValues> values;
};

// Columns: name, hidden symbol, then the seven values.
std::string FutureCellText(const FutureRow& row, int column);

// Slot i of each contract table belongs to the i-th chosen symbol.
class FutureSlots final {
public:
    int Count() const { return m_count; }
    const FutureRow& Row(int table, int slot) const { return m_tables[table][slot]; }
    FutureRow& Row(int table, int slot) { return m_tables[table][slot]; }
    bool Contains(std::string_view symbol) const;
    // Puts the choice into the next free slot; false when all are taken.
    bool Append(const FutureChoice& choice);
    // Takes the chosen list as the table now holds it (its first 25). A symbol still chosen
    // keeps what was read for it, so no row shows another symbol's figures.
    void Load(const std::vector<FutureChoice>& chosen);

private:
    std::array<std::array<FutureRow, kMaxChosenFutures>, kContractRows> m_tables{};
    int m_count = 0;
};

enum class AddRefusal { None, NothingSelected, TooMany };

// What Add does with the list box's selection: refused as a whole, or the choices that are
// new, in selection order (a symbol chosen already, or twice in the selection, once only).
struct AddPlan {
    AddRefusal refusal = AddRefusal::None;
    std::vector<FutureChoice> added;
};
AddPlan PlanFutureAdd(const FutureSlots& slots, const std::vector<FutureChoice>& selected);

// "-" for a value the exchange leaves empty: "-" itself, or any text that reads as 0.
std::string FutureValueText(std::string_view cell);
// 26JUN2008 -> 26-JUN-2008; any text that is not nine characters long stays as it is.
std::string ExpiryDisplay(std::string_view expiry);

struct ContractCells {
    std::string expiry;
    std::array<std::string, kContractValues> values;
};
// The three contract rows of a symbol's page. Cells the markers do not lead to stay empty.
std::array<ContractCells, kContractRows> ExtractContracts(std::string_view page);

struct FutureStatsRow {
    std::string product;
    std::string contracts;
    std::string turnover;
};
struct FutureStats {
    std::string title; // "Trade Statistics for ..."
    std::array<FutureStatsRow, 2> rows;
};
// The index futures and stock futures totals of the market statistics page.
FutureStats ExtractStatistics(std::string_view page);

// The two pages, read whole in a session of their own: the lines joined without separators.
// Throws CInternetException.
inline constexpr const char* kFutureDataSession = "Future Data Session";
inline constexpr const char* kFutureStatSession = "Future Stat Data Session";
std::string ReadContractsPage(const std::string& symbol);
std::string ReadStatisticsPage();

} // namespace market
