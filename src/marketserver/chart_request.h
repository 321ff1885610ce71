#pragma once

#include <string>
#include <vector>

// What a chart address asks for beyond the range, type, scale and size: the overlays of p
// and the indicator panes of a, as codes the program sends (m50, e20, b, m26-12-9, r14...).
namespace marketserver::chart {

enum class OverlayKind { Sma, Ema, Bollinger, Sar, Splits, Volume };
struct Overlay {
    OverlayKind kind;
    int period = 0;
    bool operator==(const Overlay&) const = default;
};

enum class PaneKind { Macd, Mfi, Roc, Rsi, SlowStoch, FastStoch, Volume, VolumeMa, WilliamsR };
struct PaneRequest {
    PaneKind kind;
    int a = 0, b = 0, c = 0;
    bool operator==(const PaneRequest&) const = default;
};

// The overlays the codes name, each once, in the order first named; codes no overlay has
// are left out.
std::vector<Overlay> ParseOverlays(const std::vector<std::string>& codes);
// The indicator panes the codes name, each once; an unknown code adds no pane.
std::vector<PaneRequest> ParsePanes(const std::vector<std::string>& codes);

} // namespace marketserver::chart
