#pragma once

#include <string>

// What the historical chart page shows, and the chart address built from it. Every
// button of the page is one call here; the page only redraws its button texts.
class HistChartChoices final {
public:
    // Range index -> code: 0 "1d", 2 "5d", 4 "1m", 5 "3m", 6 "6m", 7 "1y", 8 "2y"; others "".
    static std::string RangeCode(int rangeIndex);
    // The symbol charted: + ".NS" for index name "NSE", + ".BO" for "BSE", else unchanged.
    static std::string ChartSymbol(const std::string& symbol, const std::string& indexName);

    void SetRange(int rangeIndex) { m_rangeIndex = rangeIndex; }
    void SetType(const std::string& code) { m_type = code; }
    void SetScale(const std::string& value) { m_scale = value; }
    void SetSize(const std::string& code) { m_size = code; }
    // A moving average or EMA button (value like ",m50" or ",e20"): the shared count grows
    // first; the value is taken only while the count is below 6. True when taken.
    bool AddAverage(const std::string& value);
    // An overlay or indicator button: appended every time.
    void AddOverlay(const std::string& value) { m_averages += value; }
    void AddIndicator(const std::string& value) { m_indicators += value; }
    // The comparison check box.
    void SetCompare(bool withIndices) { m_compare = withIndices ? "^BSESN,^NSEI" : ""; }

    // base + "/z?s=" + chart symbol + "&t=" ... "&c=", in that order.
    std::string Address(const std::string& base, const std::string& chartSymbol) const;

    int rangeIndex() const { return m_rangeIndex; }
    const std::string& type() const { return m_type; }
    const std::string& scale() const { return m_scale; }
    const std::string& size() const { return m_size; }
    const std::string& averages() const { return m_averages; }
    const std::string& indicators() const { return m_indicators; }
    const std::string& compare() const { return m_compare; }
    int averageCount() const { return m_averageCount; }

private:
    int m_rangeIndex = 0;
    std::string m_type = "l";
    std::string m_scale = "off";
    std::string m_size = "m";
    std::string m_averages;   // sent under p
    std::string m_indicators; // sent under a
    std::string m_compare;    // sent under c
    int m_averageCount = 0;
};

// The 52-week range text from the first line of a "w" quote: trimmed, quotes removed.
std::string YearRangeText(const std::string& firstLine);
