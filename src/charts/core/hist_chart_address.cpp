#include "charts/core/hist_chart_address.h"

#include "platform/base/text.h"
#include "platform/inet/service_url.h"

std::string HistChartChoices::RangeCode(int rangeIndex) {
    switch (rangeIndex) {
    case 0:
        return "1d";
    case 2:
        return "5d";
    case 4:
        return "1m";
    case 5:
        return "3m";
    case 6:
        return "6m";
    case 7:
        return "1y";
    case 8:
        return "2y";
    default:
        return "";
    }
}

std::string HistChartChoices::ChartSymbol(const std::string& symbol, const std::string& indexName) {
    if (indexName == "NSE")
        return symbol + ".NS";
    if (indexName == "BSE")
        return symbol + ".BO";
    return symbol;
}

bool HistChartChoices::AddAverage(const std::string& value) {
    ++m_averageCount;
    if (m_averageCount >= 6)
        return false;
    m_averages += value;
    return true;
}

std::string HistChartChoices::Address(const std::string& base,
                                      const std::string& chartSymbol) const {
    return inet::BuildUrl(base, "/z",
                          {{"s", chartSymbol},
                           {"t", RangeCode(m_rangeIndex)},
                           {"q", m_type},
                           {"l", m_scale},
                           {"z", m_size},
                           {"p", m_averages},
                           {"a", m_indicators},
                           {"c", m_compare}});
}

std::string YearRangeText(const std::string& firstLine) {
    return text::RemoveChar(text::Trim(firstLine), '"');
}
