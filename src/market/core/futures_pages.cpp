#include "market/core/futures_pages.h"

#include <memory>
#include <optional>

#include "platform/base/text.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"

namespace market {

namespace {

constexpr auto npos = std::string_view::npos;

// Walks forward through a page by markers. Once a marker is missing the cursor is lost and
// every later cell is empty: a page that is not the one we know never yields texts taken
// from the wrong place or from outside the page.
class PageCursor final {
public:
    explicit PageCursor(std::string_view page) : m_page(page) {}

    // Moves one past the next marker; the position of the marker, or npos.
    std::size_t SkipPast(std::string_view marker) {
        const std::size_t at = Find(marker, m_pos);
        m_pos = at == npos ? npos : at + 1;
        return at;
    }
    // The text from `from` to the next '<'.
    std::optional<std::string> TextFrom(std::size_t from) {
        const std::size_t lt = Find("<", from);
        if (lt == npos) {
            m_pos = npos;
            return std::nullopt;
        }
        return std::string(m_page.substr(from, lt - from));
    }
    // A plain cell: the text after the '>' that closes the next cell marker.
    std::optional<std::string> Plain(std::string_view marker = "<td") {
        const std::size_t td = Find(marker, m_pos);
        return CellAfter(Find(">", Next(td)));
    }
    // A linked cell: the third "<td" on, past the cell's '>' and the link's '>'.
    std::optional<std::string> Linked() {
        std::size_t td = Find("<td", m_pos);
        td = Find("<td", Next(td));
        td = Find("<td", Next(td));
        const std::size_t gt = Find(">", Next(td));
        return CellAfter(Find(">", Next(gt)));
    }

private:
    static std::size_t Next(std::size_t at) { return at == npos ? npos : at + 1; }
    std::size_t Find(std::string_view what, std::size_t from) const {
        return from == npos ? npos : m_page.find(what, from);
    }
    std::optional<std::string> CellAfter(std::size_t gt) {
        if (gt == npos) {
            m_pos = npos;
            return std::nullopt;
        }
        std::optional<std::string> cell = TextFrom(gt + 1);
        if (cell)
            m_pos = gt + 1;
        return cell;
    }

    std::string_view m_page;
    std::size_t m_pos = 0;
};

std::string ValueOf(const std::optional<std::string>& cell) {
    return cell ? FutureValueText(*cell) : std::string();
}

ContractCells ContractRow(PageCursor& cursor) {
    ContractCells row;
    row.expiry = cursor.Linked().value_or("");
    cursor.Plain(); // option type and strike price: not for futures
    cursor.Plain();
    for (std::string& value : row.values)
        value = ValueOf(cursor.Plain());
    return row;
}

FutureStatsRow StatsRow(PageCursor& cursor) {
    FutureStatsRow row;
    row.product = cursor.Plain("<TD").value_or("");
    row.contracts = ValueOf(cursor.Plain("<TD"));
    row.turnover = ValueOf(cursor.Plain("<TD"));
    return row;
}

std::string ReadPageText(const std::string& sessionName, const std::string& url) {
    CInternetSession session(sessionName);
    std::unique_ptr<CInternetFile> file =
        session.OpenURL(url, 1, INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD);
    std::string page;
    std::string line;
    while (file->ReadString(line))
        page += line;
    file->Close();
    session.Close();
    return page;
}

} // namespace

std::string FutureCellText(const FutureRow& row, int column) {
    if (column == 0)
        return row.name;
    if (column == 1)
        return row.symbol;
    if (column >= 2 && column < 2 + kContractValues)
        return row.values[column - 2];
    return {};
}

bool FutureSlots::Contains(std::string_view symbol) const {
    for (int i = 0; i < m_count; ++i)
        if (m_tables[0][i].symbol == symbol)
            return true;
    return false;
}

bool FutureSlots::Append(const FutureChoice& choice) {
    if (m_count >= kMaxChosenFutures)
        return false;
    for (auto& table : m_tables) {
        table[m_count] = FutureRow{};
        table[m_count].name = choice.name;
        table[m_count].symbol = choice.symbol;
    }
    ++m_count;
    return true;
}

void FutureSlots::Load(const std::vector<FutureChoice>& chosen) {
    const auto before = m_tables;
    const int countBefore = m_count;
    m_count = 0;
    for (const FutureChoice& choice : chosen) {
        if (!Append(choice))
            break;
        const int slot = m_count - 1;
        for (int old = 0; old < countBefore; ++old) {
            if (before[0][old].symbol != choice.symbol)
                continue;
            for (int t = 0; t < kContractRows; ++t) {
                m_tables[t][slot].expiry = before[t][old].expiry;
                m_tables[t][slot].values = before[t][old].values;
            }
            break;
        }
    }
}

AddPlan PlanFutureAdd(const FutureSlots& slots, const std::vector<FutureChoice>& selected) {
    AddPlan plan;
    if (selected.empty()) {
        plan.refusal = AddRefusal::NothingSelected;
        return plan;
    }
    if (slots.Count() + static_cast<int>(selected.size()) > kMaxChosenFutures) {
        plan.refusal = AddRefusal::TooMany;
        return plan;
    }
    for (const FutureChoice& choice : selected) {
        if (slots.Contains(choice.symbol))
            continue;
        bool twice = false;
        for (const FutureChoice& earlier : plan.added)
            twice = twice || earlier.symbol == choice.symbol;
        if (!twice)
            plan.added.push_back(choice);
    }
    return plan;
}

std::string FutureValueText(std::string_view cell) {
    if (cell == "-" || text::CStrToD(cell) == 0)
        return "-";
    return std::string(cell);
}

std::string ExpiryDisplay(std::string_view expiry) {
    if (expiry.size() != 9)
        return std::string(expiry);
    return std::string(expiry.substr(0, 2)) + "-" + std::string(expiry.substr(2, 3)) + "-" +
           std::string(expiry.substr(5));
}

std::array<ContractCells, kContractRows> ExtractContracts(std::string_view page) {
    std::array<ContractCells, kContractRows> rows;
    PageCursor cursor(page);
    cursor.SkipPast("Instrument Type");
    cursor.SkipPast("<tr>");
    rows[0] = ContractRow(cursor);
    cursor.SkipPast("<tr>");
    rows[1] = ContractRow(cursor);
    rows[2] = ContractRow(cursor); // the far month follows on without a "<tr>" of its own
    return rows;
}

FutureStats ExtractStatistics(std::string_view page) {
    FutureStats stats;
    PageCursor cursor(page);
    const std::size_t at = cursor.SkipPast("Trade Statistics");
    if (at == npos)
        return stats;
    stats.title = cursor.TextFrom(at).value_or("");
    cursor.SkipPast("<TR>"); // the heading row
    cursor.SkipPast("<TR>");
    stats.rows[0] = StatsRow(cursor);
    cursor.SkipPast("<TR>");
    stats.rows[1] = StatsRow(cursor);
    return stats;
}

std::string ReadContractsPage(const std::string& symbol) {
    return ReadPageText(kFutureDataSession,
                        inet::BuildServiceUrl(inet::Service::Nse,
                                              "/marketinfo/fo/fomwatchsymbol.jsp",
                                              {{"key", symbol}, {"Fut_Opt", "Futures"}}));
}

std::string ReadStatisticsPage() {
    return ReadPageText(
        kFutureStatSession,
        inet::BuildServiceUrl(inet::Service::Nse, "/content/fo/fo_markettoday.htm"));
}

} // namespace market
