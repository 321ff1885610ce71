#include "controls/core/bevel.h"

#include <cstdlib>
#include <utility>

namespace {

constexpr COLORREF Grey(int level) {
    return RGB(level, level, level);
}

constexpr COLORREF kInnermostSunken = 0x010101;

} // namespace

std::vector<BevelRing> BevelRings(int w) {
    const int n = std::abs(w);
    std::vector<BevelRing> rings;
    rings.reserve(n);
    for (int i = 0; i < n; ++i) {
        COLORREF light = Grey(63 / (i + 1) + 192);
        COLORREF dark = Grey(255 / (i + 2));
        if (n == 1) {
            light = colors::kWhite;
            dark = 0x808080;
        }
        if (w < 0)
            std::swap(light, dark);
        if (w < 0 && n >= 2 && i == n - 1)
            rings.push_back({light, kInnermostSunken});
        else
            rings.push_back({light, dark});
    }
    return rings;
}

std::vector<BevelLine> BevelLines(int left, int top, int right, int bottom, int w) {
    std::vector<BevelLine> lines;
    for (const BevelRing& ring : BevelRings(w)) {
        const int width = right - left;
        const int height = bottom - top;
        if (width <= 0 || height <= 0)
            break;
        lines.push_back({left, top, width, 1, ring.topLeft});
        lines.push_back({left, top, 1, height, ring.topLeft});
        if (width > 1)
            lines.push_back({left + 1, bottom - 1, width - 1, 1, ring.bottomRight});
        if (height > 1)
            lines.push_back({right - 1, top + 1, 1, height - 1, ring.bottomRight});
        ++left;
        ++top;
        --right;
        --bottom;
    }
    return lines;
}
