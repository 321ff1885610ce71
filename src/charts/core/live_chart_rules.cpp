#include "charts/core/live_chart_rules.h"

#include <charconv>
#include <cstdio>
#include <memory>

#include "platform/base/text.h"

namespace {

constexpr int kBarFields = 8;
constexpr std::size_t kTimeField = 2; // counted from 0
constexpr std::size_t kCloseField = 6;
constexpr std::size_t kVolumeField = 7;

// The whole text must be a number; from_chars never looks at the locale.
bool ParseNumber(std::string_view s, double& value) {
    const std::string t = text::Trim(s);
    if (t.empty())
        return false;
    const char* end = t.data() + t.size();
    const auto [ptr, ec] = std::from_chars(t.data(), end, value);
    return ec == std::errc() && ptr == end;
}

double CloseValue(const LivePoint& p) {
    double v = 0;
    ParseNumber(p.close, v);
    return v;
}

AxisScale Widened(const LiveSeries& s, double share) {
    const double margin = (s.maximum - s.minimum) * share;
    return {s.minimum - margin, s.maximum + margin, 5};
}

} // namespace

std::optional<LivePoint> ParseLivePoint(std::string_view line) {
    std::vector<std::string> fields = text::Split(line, ',');
    if (fields.size() < kBarFields)
        return std::nullopt;
    for (std::string& f : fields)
        f = text::RemoveChar(f, '"');
    LivePoint p{fields[kTimeField], fields[kCloseField], fields[kVolumeField]};
    double number = 0;
    if (text::Trim(p.time).empty() || !ParseNumber(p.close, number) ||
        !ParseNumber(p.volume, number))
        return std::nullopt;
    return p;
}

void LiveSeries::Clear() {
    points.clear();
    maximum = 0;
    minimum = 0;
}

bool LiveSeries::Add(std::string_view line) {
    std::optional<LivePoint> p = ParseLivePoint(line);
    if (!p)
        return false;
    UpdateRange(*this, CloseValue(*p));
    points.push_back(std::move(*p));
    return true;
}

void UpdateRange(LiveSeries& series, double close) {
    if (close > series.maximum)
        series.maximum = close;
    else if (close < series.minimum || series.minimum == 0)
        series.minimum = close;
}

std::vector<LineRow> LineChartRows(const LiveSeries& stock, const LiveSeries& nifty) {
    std::vector<LineRow> rows;
    rows.reserve(stock.points.size());
    for (const LivePoint& p : stock.points) {
        LineRow row{p.time, p.close, {}};
        for (const LivePoint& n : nifty.points) {
            if (n.time == p.time) {
                row.niftyPrice = n.close;
                break;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

AxisScale StockAxisScale(const LiveSeries& stock) {
    return Widened(stock, 0.1);
}

AxisScale NiftyAxisScale(const LiveSeries& nifty) {
    return Widened(nifty, 0.05);
}

AxisScale DrawableScale(AxisScale scale) {
    if (scale.maximum > scale.minimum)
        return scale;
    const double middle = (scale.minimum + scale.maximum) / 2;
    scale.minimum = middle - 1;
    scale.maximum = middle + 1;
    return scale;
}

std::vector<int> TimeLabelRows(int count, int maxLabels) {
    std::vector<int> rows;
    if (count <= 0 || maxLabels <= 0)
        return rows;
    const int step = (count + maxLabels - 1) / maxLabels;
    for (int i = 0; i < count; i += step)
        rows.push_back(i);
    return rows;
}

LiveLines PickLiveLines(const std::vector<std::string>& lines, std::string_view symbol) {
    LiveLines picked;
    if (lines.empty())
        return picked;
    if (lines.front().find("NIFTY") != std::string::npos)
        picked.nifty = lines.front();
    if (symbol.empty())
        return picked;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].find(symbol) != std::string::npos) {
            picked.stock = lines[i];
            break;
        }
    }
    return picked;
}

std::optional<int> RefreshRateInterval(std::string_view rate) {
    if (rate == "High")
        return 10000;
    if (rate == "Medium")
        return 15000;
    if (rate == "Low")
        return 20000;
    return std::nullopt;
}

bool ReadLogLines(const std::string& path, std::vector<std::string>& lines) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file)
        return false;
    std::string content;
    char buffer[8192];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        content.append(buffer, n);
    if (std::ferror(file.get()))
        return false;
    lines = text::SplitLines(content);
    return true;
}
