#include "portfolio/core/profile_export.h"

#include "platform/base/text.h"

namespace {

std::string Fixed2(double v) {
    return text::FormatFixed(v, 2);
}

void AppendSection(std::string& out, const char* title, const ProfileExportSection& section) {
    if (!section.rows || section.rows->empty())
        return;
    out += title;
    out += "Stock Name,Index,Quantity,Average CP,Market Price,%Change,Cost Price+Brkrge,You'll "
           "get,Net Profit/Loss,Net %P/L\n";
    for (const ProfileRow& r : *section.rows) {
        // A comma in a name would shift every later column.
        out += text::RemoveChar(r.companyName, ',') + "," + r.index + "," +
               std::to_string(r.quantity) + "," + Fixed2(r.avgCost) + "," + Fixed2(r.marketPrice) +
               "," + Fixed2(r.changePercent) + "," + Fixed2(r.costPlusBrokerage) + "," +
               Fixed2(r.youllGet) + "," + Fixed2(r.netPL) + "," + Fixed2(r.netPLPercent) + "\n";
    }
    out += "\nTotal Cost Price," + text::RemoveChar(section.costTotal, ',');
    out += "\nOn selling all now you'll get," + text::RemoveChar(section.youllGetTotal, ',');
    out += "\nNet Profit/Loss after deducting all Brokerage," +
           text::RemoveChar(section.netPLTotal, ',');
}

} // namespace

std::string ProfileExportText(const ProfileExportSection& delivery,
                              const ProfileExportSection& intraday) {
    std::string out = "My PROFILE for Current Stocks in My Hand";
    AppendSection(out, "\n\nDELIVERY STOCKS\n\n", delivery);
    AppendSection(out, "\n\nINTRADAY STOCKS\n\n", intraday);
    // Written as a text-mode file always has been: every line break as CR LF.
    return text::ReplaceAll(out, "\n", "\r\n");
}
