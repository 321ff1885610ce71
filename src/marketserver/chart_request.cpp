#include "marketserver/chart_request.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

namespace marketserver::chart {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool ParseCount(std::string_view text, int& out) {
    int v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || ptr != end || v < 1 || v > 500)
        return false;
    out = v;
    return true;
}

// The program may send a code twice; each is drawn once.
template <typename T> void AddOnce(std::vector<T>& list, const T& item) {
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

} // namespace

std::vector<Overlay> ParseOverlays(const std::vector<std::string>& codes) {
    std::vector<Overlay> out;
    for (const auto& raw : codes) {
        const std::string c = Lower(raw);
        int n = 0;
        if (c == "b")
            AddOnce(out, {OverlayKind::Bollinger});
        else if (c == "p")
            AddOnce(out, {OverlayKind::Sar});
        else if (c == "s")
            AddOnce(out, {OverlayKind::Splits});
        else if (c == "v")
            AddOnce(out, {OverlayKind::Volume});
        else if (c.size() > 1 && (c[0] == 'm' || c[0] == 'e') && ParseCount(c.substr(1), n) &&
                 n >= 2)
            AddOnce(out, {c[0] == 'm' ? OverlayKind::Sma : OverlayKind::Ema, n});
    }
    return out;
}

std::vector<PaneRequest> ParsePanes(const std::vector<std::string>& codes) {
    std::vector<PaneRequest> out;
    for (const auto& raw : codes) {
        const std::string c = Lower(raw);
        const std::string_view rest = c.size() > 1 ? std::string_view(c).substr(1) : "";
        int n = 0;
        if (c == "ss")
            AddOnce(out, {PaneKind::SlowStoch});
        else if (c == "fs")
            AddOnce(out, {PaneKind::FastStoch});
        else if (c == "v")
            AddOnce(out, {PaneKind::Volume});
        else if (c == "vm")
            AddOnce(out, {PaneKind::VolumeMa});
        else if (c[0] == 'm') {
            // m<slow>-<fast>-<signal>
            const auto d1 = rest.find('-');
            const auto d2 = d1 == std::string_view::npos ? d1 : rest.find('-', d1 + 1);
            int slow = 0, fast = 0, signal = 0;
            if (d2 != std::string_view::npos && ParseCount(rest.substr(0, d1), slow) &&
                ParseCount(rest.substr(d1 + 1, d2 - d1 - 1), fast) &&
                ParseCount(rest.substr(d2 + 1), signal))
                AddOnce(out, {PaneKind::Macd, slow, fast, signal});
        } else if (!rest.empty() && ParseCount(rest, n)) {
            switch (c[0]) {
            case 'f':
                AddOnce(out, {PaneKind::Mfi, n});
                break;
            case 'p':
                AddOnce(out, {PaneKind::Roc, n});
                break;
            case 'r':
                AddOnce(out, {PaneKind::Rsi, n});
                break;
            case 'w':
                AddOnce(out, {PaneKind::WilliamsR, n});
                break;
            default:
                break;
            }
        }
    }
    return out;
}

} // namespace marketserver::chart
