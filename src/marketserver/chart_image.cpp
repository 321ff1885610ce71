#include "marketserver/chart_image.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "marketserver/indicators.h"

namespace marketserver {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------- what the address asks for

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

// ---------------------------------------------------------------- look

const QColor kInk(0x1d, 0x23, 0x2b);
const QColor kMuted(0x5f, 0x68, 0x73);
const QColor kGrid(0xe8, 0xeb, 0xef);
const QColor kFrame(0xa9, 0xb1, 0xba);
const QColor kGuide(0x8d, 0x97, 0xa3);
const QColor kMain(0x1f, 0x5f, 0xbf);
const QColor kUp(0x1a, 0x9a, 0x4b);
const QColor kDown(0xd3, 0x2f, 0x2f);
const QColor kUpSoft(0x8c, 0xc9, 0xa2);
const QColor kDownSoft(0xec, 0xa3, 0xa3);
const QColor kBand(0x7b, 0x6f, 0xa6);
const QColor kSar(0xc2, 0x18, 0x5b);
const QColor kOrange(0xe6, 0x7e, 0x22);
const QColor kPurple(0x8e, 0x44, 0xad);
const QColor kTeal(0x13, 0x8d, 0x75);

// Averages and comparison lines take colours in turn.
QColor AverageColour(int i) {
    static constexpr QRgb kColours[] = {0xe67e22, 0x8e44ad, 0x138d75, 0xb8860b, 0xd63384, 0x6d4c41};
    return QColor::fromRgb(kColours[i % 6]);
}
QColor CompareColour(int i) {
    static constexpr QRgb kColours[] = {0x1f5fbf, 0xe67e22, 0x1a9a4b, 0x8e44ad, 0xd63384, 0x6d4c41};
    return QColor::fromRgb(kColours[i % 6]);
}

struct Geometry {
    int width = 0, height = 0, baseHeight = 0, paneHeight = 0;
    int fontPx = 11, titlePx = 12;
    int margin = 6, titleH = 18, legendRowH = 15, timeAxisH = 16, paneLabelH = 14;
    double lineWidth = 1.4;
};

Geometry GeometryFor(const ChartOptions& options, int panes) {
    Geometry g;
    if (options.size == 'l') {
        g.width = 800;
        g.baseHeight = 448;
        g.paneHeight = 110;
        g.fontPx = 13;
        g.titlePx = 15;
        g.margin = 8;
        g.titleH = 23;
        g.legendRowH = 19;
        g.timeAxisH = 20;
        g.paneLabelH = 18;
        g.lineWidth = 1.7;
    } else {
        g.width = 512;
        g.baseHeight = 288;
        g.paneHeight = 72;
    }
    g.height = g.baseHeight + panes * g.paneHeight;
    return g;
}

QFont MakeFont(int px, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// ---------------------------------------------------------------- numbers and dates

bool AnyNonZeroDigit(const QString& s) {
    return std::any_of(s.begin(), s.end(),
                       [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); });
}

// Indian digit grouping: 1,23,45,678.50
QString Grouped(double v, int decimals) {
    QString s = QString::number(std::fabs(v), 'f', decimals);
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    qsizetype pos = dot < 0 ? s.size() : dot;
    if (pos > 3) {
        pos -= 3;
        s.insert(pos, QLatin1Char(','));
        while (pos > 2) {
            pos -= 2;
            s.insert(pos, QLatin1Char(','));
        }
    }
    return v < 0 && AnyNonZeroDigit(s) ? QLatin1Char('-') + s : s;
}

QString Signed(double v, int decimals) {
    const QString s = Grouped(v, decimals);
    return v > 0 && AnyNonZeroDigit(s) ? QLatin1Char('+') + s : s;
}

// Digits after the point that show every multiple of `step`.
int DecimalsFor(double step) {
    for (int d = 0; d < 6; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled))
            return d;
    }
    return 6;
}

enum class Format { Number, Percent, Volume };

QString Compact(double v) {
    const double a = std::fabs(v);
    auto trimmed = [](double x, const char* unit) {
        QString s = QString::number(x, 'f', x < 10 ? 1 : 0);
        if (s.endsWith(QLatin1String(".0")))
            s.chop(2);
        return s + QLatin1String(unit);
    };
    if (a >= 1e9)
        return trimmed(v / 1e9, "B");
    if (a >= 1e6)
        return trimmed(v / 1e6, "M");
    if (a >= 1e3)
        return trimmed(v / 1e3, "K");
    return QString::number(v, 'f', 0);
}

QString FormatValue(double v, Format format, int decimals) {
    switch (format) {
    case Format::Percent:
        return Signed(v, decimals) + QLatin1Char('%');
    case Format::Volume:
        return Compact(v);
    case Format::Number:
        break;
    }
    return Grouped(v, decimals);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

struct Civil {
    int year, month, day, weekday; // month 1..12, weekday 0 = Sunday
};

Civil CivilFromDays(std::int64_t days) {
    // Howard Hinnant's days_from_civil inverse.
    const std::int64_t z = days + 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    const int wd =
        static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7); // 1970-01-01 was a Thursday
    return {y, m, d, wd};
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

QString DayMonth(const Civil& c) {
    return QString::number(c.day) + QLatin1Char(' ') + QLatin1String(kMonths[c.month - 1]);
}
QString DayMonthYear(const Civil& c) {
    return DayMonth(c) + QLatin1Char(' ') + QString::number(c.year);
}

// ---------------------------------------------------------------- scales

double NiceStep(double rough) {
    if (!(rough > 0))
        return 1;
    const double unit = std::pow(10.0, std::floor(std::log10(rough)));
    const double f = rough / unit;
    return (f <= 1 ? 1 : f <= 2 ? 2 : f <= 2.5 ? 2.5 : f <= 5 ? 5 : 10) * unit;
}

std::vector<double> LinearTicks(double lo, double hi, double step) {
    std::vector<double> out;
    for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; k += 1)
        out.push_back(k * step == 0 ? 0 : k * step); // no "-0"
    return out;
}

struct YScale {
    double lo = 0, hi = 1;
    bool log = false;
    double top = 0, bottom = 1;

    double Y(double v) const {
        const double f = log ? (std::log(v) - std::log(lo)) / (std::log(hi) - std::log(lo))
                             : (v - lo) / (hi - lo);
        return bottom - f * (bottom - top);
    }
};

struct Axis {
    YScale scale;
    std::vector<double> ticks;
    int decimals = 0;
    Format format = Format::Number;
};

// The next round step (1, 2, 2.5, 5 times a power of ten) above `step`.
double NextStep(double step) {
    return NiceStep(step * 1.01);
}

// The finest round ticks at least `spacing` pixels apart; closer, down to `least`, rather than
// fewer than two.
void ChooseTicks(Axis& axis, double spacing, double least) {
    const YScale& s = axis.scale;
    const double span = s.hi - s.lo;
    auto gapsFit = [&](const std::vector<double>& ticks, double gap) {
        for (std::size_t i = 1; i < ticks.size(); ++i)
            if (s.Y(ticks[i - 1]) - s.Y(ticks[i]) < gap)
                return false;
        return true;
    };
    if (!s.log || s.hi / s.lo <= 3) {
        // On a log scale too while the range is narrow: the gaps only shrink towards the top.
        double fallback = 0;
        for (double step = NiceStep(span / 200);; step = NextStep(step)) {
            auto ticks = LinearTicks(s.lo, s.hi, step);
            if (ticks.size() >= 2 && gapsFit(ticks, least))
                fallback = step;
            if (gapsFit(ticks, spacing) || ticks.size() <= 1) {
                if (ticks.size() < 2 && fallback > 0) {
                    step = fallback;
                    ticks = LinearTicks(s.lo, s.hi, step);
                }
                axis.ticks = std::move(ticks);
                axis.decimals = DecimalsFor(step);
                return;
            }
        }
    }
    // Wide log ranges: round values of each decade, kept where they are far enough apart.
    std::vector<double> candidates;
    for (double decade = std::pow(10.0, std::floor(std::log10(s.lo))); decade <= s.hi; decade *= 10)
        for (double m : {1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0})
            if (m * decade >= s.lo && m * decade <= s.hi)
                candidates.push_back(m * decade);
    axis.ticks.clear();
    double lastY = std::numeric_limits<double>::infinity();
    int decimals = 0;
    for (double v : candidates) {
        const double y = s.Y(v);
        if (lastY - y >= spacing) {
            axis.ticks.push_back(v);
            lastY = y;
            decimals = std::max(decimals, DecimalsFor(v));
        }
    }
    axis.decimals = std::min(decimals, 4);
}

void Extend(double& lo, double& hi, double v) {
    if (std::isfinite(v)) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

// ---------------------------------------------------------------- drawing helpers

struct Series {
    std::vector<double> values; // one per slot, NaN for none
    QColor colour;
    double width = 1.2;
    Qt::PenStyle style = Qt::SolidLine;
};

void DrawLine(QPainter& p, const std::vector<double>& values, const std::vector<double>& positions,
              const QRectF& plot, double slotWidth, const YScale& scale, const QPen& pen) {
    QPainterPath path;
    bool open = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i]) || (scale.log && values[i] <= 0)) {
            open = false;
            continue;
        }
        const double s = positions.empty() ? static_cast<double>(i) : positions[i];
        const QPointF pt(plot.left() + (s + 0.5) * slotWidth, scale.Y(values[i]));
        if (open)
            path.lineTo(pt);
        else
            path.moveTo(pt);
        open = true;
    }
    p.strokePath(path, pen);
}

enum class Swatch { None, Line, Dashed, Dots, Block, Band, Diamond };
struct LegendItem {
    QString text;
    QColor colour;
    Swatch swatch = Swatch::Line;
    bool bold = false;
    QColor textColour = kInk;
};

// ---------------------------------------------------------------- indicator panes

struct Pane {
    QString title;
    std::vector<std::pair<QString, QColor>> readings;
    std::vector<Series> lines;
    std::vector<double> histogram; // MACD, coloured by sign
    std::vector<double> volume;    // volume bars, coloured by the bar's direction
    std::vector<double> guides;
    std::pair<double, double> shaded{kNaN, kNaN};
    bool zeroLine = false;
    Axis axis;
    QRectF plot;
};

class Renderer {
public:
    Renderer(const ChartSeries& main, const std::vector<ChartSeries>& compare,
             const ChartOptions& options)
        : m_main(main), m_compare(compare), m_options(options),
          m_type(options.type == 'b' || options.type == 'c' ? options.type : 'l'),
          m_overlays(ParseOverlays(options.overlays)),
          m_paneRequests(ParsePanes(options.indicators)),
          m_g(GeometryFor(options, static_cast<int>(m_paneRequests.size()))),
          m_font(MakeFont(m_g.fontPx)), m_bold(MakeFont(m_g.fontPx, true)),
          m_titleFont(MakeFont(m_g.titlePx, true)), m_fm(m_font), m_boldFm(m_bold) {}

    QImage Render();

private:
    bool HasOverlay(OverlayKind kind) const {
        return std::any_of(m_overlays.begin(), m_overlays.end(),
                           [&](const Overlay& o) { return o.kind == kind; });
    }
    const OhlcBar& Bar(std::size_t slot) const { return m_main.bars[m_main.firstVisible + slot]; }
    double X(double slot) const { return m_plotLeft + (slot + 0.5) * m_slotWidth; }
    // Values for the visible positions from a vector aligned with all bars.
    std::vector<double> Visible(const std::vector<double>& all) const;
    double Transform(double price) const {
        return m_comparing ? 100 * (price / m_base - 1) : price;
    }

    void PrepareSlots();
    void PreparePriceData();
    void PreparePanes();
    std::vector<LegendItem> Legend() const;
    void Layout(const std::vector<LegendItem>& legend);
    void PrepareTimeAxis();

    void DrawNoData(QPainter& p);
    void DrawHeader(QPainter& p, const std::vector<LegendItem>& legend);
    void DrawGrid(QPainter& p, const QRectF& plot, const Axis& axis);
    void DrawYLabels(QPainter& p, const QRectF& plot, const Axis& axis,
                     const std::vector<double>& avoid);
    void DrawPricePane(QPainter& p);
    void DrawBars(QPainter& p);
    void DrawVolumeBars(QPainter& p, const std::vector<double>& volume, const YScale& scale,
                        int alpha);
    void DrawPane(QPainter& p, const Pane& pane);
    void DrawTimeAxis(QPainter& p);
    void DrawTags(QPainter& p);

    const ChartSeries& m_main;
    const std::vector<ChartSeries>& m_compare;
    const ChartOptions& m_options;
    char m_type; // unknown types draw a line
    std::vector<Overlay> m_overlays;
    std::vector<PaneRequest> m_paneRequests;
    Geometry m_g;
    QFont m_font, m_bold, m_titleFont;
    QFontMetricsF m_fm, m_boldFm;

    // Time: one slot per visible bar, then empty positions up to axisEnd.
    std::size_t m_visible = 0;
    std::vector<std::int64_t> m_slotTime; // exchange-local seconds
    double m_plotLeft = 0, m_plotRight = 0, m_slotWidth = 1;
    std::vector<double> m_gridX;
    struct TimeLabel {
        double x;
        QString text;
    };
    std::vector<TimeLabel> m_timeLabels;

    // Price pane.
    bool m_comparing = false;
    double m_base = 1; // close the comparison percentages start from
    std::vector<double> m_closes;
    std::vector<Series> m_averages;
    std::vector<QString> m_averageNames;
    BollingerBands m_bands;
    std::vector<double> m_sar;
    std::vector<double> m_prevCloseLine;
    double m_prevClose = kNaN;
    struct CompareLine {
        QString name;
        std::vector<double> values, positions;
        QColor colour;
        double last = kNaN;
    };
    std::vector<CompareLine> m_compareLines;
    Axis m_priceAxis;
    QRectF m_pricePlot;
    double m_volumeTop = 0;
    double m_axisWidth = 40;
    std::vector<Pane> m_panes;
    int m_legendRows = 1;
};

std::vector<double> Renderer::Visible(const std::vector<double>& all) const {
    std::vector<double> out(m_slotTime.size(), kNaN);
    for (std::size_t i = 0; i < m_visible; ++i)
        out[i] = all[m_main.firstVisible + i];
    return out;
}

void Renderer::PrepareSlots() {
    const auto& bars = m_main.bars;
    m_visible = bars.size() - m_main.firstVisible;
    const std::int64_t offset = std::int64_t{m_main.tzOffsetMinutes} * 60;
    std::int64_t interval = 0;
    for (std::size_t i = std::max<std::size_t>(m_main.firstVisible, 1); i < bars.size(); ++i) {
        const std::int64_t d = bars[i].time - bars[i - 1].time;
        if (d > 0 && (interval == 0 || d < interval))
            interval = d;
    }
    if (interval == 0)
        interval = m_main.intraday ? 60 : 86400;
    for (std::size_t i = 0; i < m_visible; ++i)
        m_slotTime.push_back(Bar(i).time + offset);
    if (m_main.intraday && m_main.axisEnd > bars.back().time) {
        const std::int64_t extra =
            std::min<std::int64_t>((m_main.axisEnd - bars.back().time) / interval, 100000);
        for (std::int64_t k = 1; k <= extra; ++k)
            m_slotTime.push_back(bars.back().time + offset + k * interval);
    }
}

void Renderer::PreparePriceData() {
    const auto& bars = m_main.bars;
    const auto closes = Closes(bars);
    m_comparing = !m_compare.empty();
    m_base = Bar(0).close != 0 ? Bar(0).close : 1;
    if (m_main.intraday && m_options.range == "1d" && m_main.firstVisible > 0)
        m_prevClose = bars[m_main.firstVisible - 1].close;

    auto transformed = [&](const std::vector<double>& all) {
        auto v = Visible(all);
        for (double& x : v)
            x = Transform(x);
        return v;
    };
    m_closes = transformed(closes);

    int colour = 0;
    for (const auto& o : m_overlays) {
        if (o.kind != OverlayKind::Sma && o.kind != OverlayKind::Ema)
            continue;
        const bool sma = o.kind == OverlayKind::Sma;
        Series s;
        s.values = transformed(sma ? Sma(closes, o.period) : Ema(closes, o.period));
        s.colour = AverageColour(colour++);
        s.width = m_g.lineWidth * 0.8;
        m_averages.push_back(s);
        m_averageNames.push_back(QString::fromLatin1(sma ? "SMA %1" : "EMA %1").arg(o.period));
    }
    if (HasOverlay(OverlayKind::Bollinger)) {
        const auto b = Bollinger(closes);
        m_bands = {transformed(b.middle), transformed(b.upper), transformed(b.lower)};
    }
    if (HasOverlay(OverlayKind::Sar))
        m_sar = transformed(ParabolicSar(bars));

    // Comparison lines: each from its own first visible close, placed by time.
    for (std::size_t c = 0; c < m_compare.size(); ++c) {
        const auto& series = m_compare[c];
        CompareLine line;
        line.name = QString::fromStdString(series.symbol);
        line.colour = CompareColour(static_cast<int>(c + 1));
        if (series.firstVisible < series.bars.size()) {
            const double base = series.bars[series.firstVisible].close;
            const std::int64_t offset = std::int64_t{m_main.tzOffsetMinutes} * 60;
            for (std::size_t i = series.firstVisible; i < series.bars.size(); ++i) {
                const std::int64_t t = series.bars[i].time + offset;
                const auto it =
                    std::upper_bound(m_slotTime.begin(), m_slotTime.begin() + m_visible, t);
                if (it == m_slotTime.begin() || base == 0)
                    continue;
                line.positions.push_back(static_cast<double>(it - m_slotTime.begin() - 1));
                line.values.push_back(100 * (series.bars[i].close / base - 1));
            }
            if (!line.values.empty())
                line.last = line.values.back();
        }
        m_compareLines.push_back(line);
    }
}

void Renderer::PreparePanes() {
    const auto& bars = m_main.bars;
    const auto closes = Closes(bars);
    for (const auto& wanted : m_paneRequests) {
        Pane pane;
        auto line = [&](const std::vector<double>& all, const QColor& colour) {
            Series s;
            s.values = Visible(all);
            s.colour = colour;
            s.width = m_g.lineWidth * 0.85;
            pane.lines.push_back(s);
        };
        auto oscillator = [&](double lo, double hi, double g1, double g2) {
            pane.axis.scale.lo = lo;
            pane.axis.scale.hi = hi;
            pane.guides = {g1, g2};
            pane.shaded = {g1, g2};
            pane.axis.ticks = {g1, g2};
        };
        switch (wanted.kind) {
        case PaneKind::Macd: {
            const auto m = Macd(closes, wanted.a, wanted.b, wanted.c);
            pane.title =
                QString::fromLatin1("MACD (%1,%2,%3)").arg(wanted.a).arg(wanted.b).arg(wanted.c);
            pane.histogram = Visible(m.histogram);
            line(m.macd, kMain);
            line(m.signal, kOrange);
            pane.zeroLine = true;
            break;
        }
        case PaneKind::Mfi:
            pane.title = QString::fromLatin1("MFI (%1)").arg(wanted.a);
            line(MoneyFlowIndex(bars, wanted.a), kTeal);
            oscillator(0, 100, 20, 80);
            break;
        case PaneKind::Roc:
            pane.title = QString::fromLatin1("ROC (%1)").arg(wanted.a);
            line(RateOfChange(closes, wanted.a), kMain);
            pane.zeroLine = true;
            break;
        case PaneKind::Rsi:
            pane.title = QString::fromLatin1("RSI (%1)").arg(wanted.a);
            line(Rsi(closes, wanted.a), kPurple);
            oscillator(0, 100, 30, 70);
            break;
        case PaneKind::SlowStoch:
        case PaneKind::FastStoch: {
            const bool slow = wanted.kind == PaneKind::SlowStoch;
            const auto s = slow ? SlowStochastic(bars) : FastStochastic(bars);
            pane.title =
                slow ? QStringLiteral("Slow Stoch (14,3)") : QStringLiteral("Fast Stoch (14,3)");
            line(s.k, kMain);
            line(s.d, kOrange);
            oscillator(0, 100, 20, 80);
            break;
        }
        case PaneKind::Volume:
        case PaneKind::VolumeMa: {
            const auto v = VolumeWithAverage(bars);
            pane.title = QStringLiteral("Volume");
            pane.volume = Visible(v.volume);
            if (wanted.kind == PaneKind::VolumeMa) {
                pane.title = QStringLiteral("Volume, MA 20");
                line(v.average, kOrange);
            }
            pane.axis.format = Format::Volume;
            break;
        }
        case PaneKind::WilliamsR:
            pane.title = QString::fromLatin1("Williams %R (%1)").arg(wanted.a);
            line(WilliamsR(bars, wanted.a), kOrange);
            oscillator(-100, 0, -80, -20);
            break;
        }

        // Readings: the latest value of each line.
        auto latest = [&](const std::vector<double>& v) {
            for (std::size_t i = m_visible; i-- > 0;)
                if (std::isfinite(v[i]))
                    return v[i];
            return kNaN;
        };
        if (!pane.volume.empty()) {
            pane.readings.push_back({Compact(latest(pane.volume)), kMuted});
            for (const auto& s : pane.lines)
                if (std::isfinite(latest(s.values)))
                    pane.readings.push_back({Compact(latest(s.values)), s.colour});
        } else {
            for (const auto& s : pane.lines) {
                const double v = latest(s.values);
                pane.readings.push_back(
                    {std::isfinite(v) ? QString::number(v, 'f', 2) : QStringLiteral("–"),
                     s.colour});
            }
            if (!pane.histogram.empty() && std::isfinite(latest(pane.histogram)))
                pane.readings.push_back({QString::number(latest(pane.histogram), 'f', 2), kMuted});
        }
        m_panes.push_back(std::move(pane));
    }
}

std::vector<LegendItem> Renderer::Legend() const {
    std::vector<LegendItem> items;
    if (m_comparing) {
        auto change = [](double pct) {
            return std::isfinite(pct) ? Signed(pct, 2) + QLatin1Char('%')
                                      : QStringLiteral("no data");
        };
        double last = kNaN;
        for (std::size_t i = m_visible; i-- > 0 && !std::isfinite(last);)
            last = m_closes[i];
        items.push_back({QString::fromStdString(m_main.symbol) + QLatin1Char(' ') + change(last),
                         CompareColour(0), Swatch::Block});
        for (const auto& c : m_compareLines)
            items.push_back({c.name + QLatin1Char(' ') + change(c.last), c.colour, Swatch::Block});
    } else {
        const OhlcBar& last = Bar(m_visible - 1);
        const double base =
            m_main.firstVisible > 0 ? m_main.bars[m_main.firstVisible - 1].close : Bar(0).open;
        items.push_back({Grouped(last.close, m_main.decimals), QColor(), Swatch::None, true});
        if (base != 0) {
            const double change = last.close - base;
            items.push_back({Signed(change, m_main.decimals) + QStringLiteral(" (") +
                                 Signed(100 * change / base, 2) + QStringLiteral("%)"),
                             QColor(), Swatch::None, false,
                             change > 0   ? kUp
                             : change < 0 ? kDown
                                          : kMuted});
        }
        if (std::isfinite(m_prevClose))
            items.push_back({QStringLiteral("Prev close ") + Grouped(m_prevClose, m_main.decimals),
                             kGuide, Swatch::Dashed});
    }
    std::size_t average = 0;
    for (const auto& o : m_overlays) {
        switch (o.kind) {
        case OverlayKind::Sma:
        case OverlayKind::Ema:
            items.push_back({m_averageNames[average], m_averages[average].colour, Swatch::Line});
            ++average;
            break;
        case OverlayKind::Bollinger:
            items.push_back({QStringLiteral("Bollinger (20,2)"), kBand, Swatch::Band});
            break;
        case OverlayKind::Sar:
            items.push_back({QStringLiteral("Parabolic SAR"), kSar, Swatch::Dots});
            break;
        case OverlayKind::Splits:
            items.push_back({QStringLiteral("Splits"), kMuted, Swatch::Diamond});
            break;
        case OverlayKind::Volume:
            items.push_back({QStringLiteral("Volume"), kUpSoft, Swatch::Block});
            break;
        }
    }
    return items;
}

double SwatchWidth(const Geometry& g) {
    return g.fontPx * 1.4;
}

double ItemWidth(const LegendItem& item, const QFontMetricsF& fm, const QFontMetricsF& bold,
                 const Geometry& g) {
    const double text = (item.bold ? bold : fm).horizontalAdvance(item.text);
    return (item.swatch == Swatch::None ? 0 : SwatchWidth(g) + 4) + text;
}

void Renderer::Layout(const std::vector<LegendItem>& legend) {
    // Legend rows: wrap when the entries do not fit one line.
    const double gap = m_g.fontPx;
    double x = 0;
    m_legendRows = 1;
    for (const auto& item : legend) {
        const double w = ItemWidth(item, m_fm, m_boldFm, m_g);
        if (x > 0 && x + w > m_g.width - 2 * m_g.margin) {
            ++m_legendRows;
            x = 0;
        }
        x += w + gap;
    }
    m_legendRows = std::min(m_legendRows, 3);

    const double top = 2 + m_g.titleH + m_legendRows * m_g.legendRowH + 2;
    const double bottom = m_g.baseHeight - m_g.timeAxisH - 2;
    m_pricePlot = QRectF(0, top, 0, bottom - top);
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const double paneTop = bottom + i * m_g.paneHeight;
        m_panes[i].plot =
            QRectF(0, paneTop + m_g.paneLabelH, 0, m_g.paneHeight - m_g.paneLabelH - 2);
    }

    // Price range.
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    const bool ranges = !m_comparing && m_type != 'l';
    for (std::size_t i = 0; i < m_visible; ++i) {
        if (ranges) {
            Extend(lo, hi, Bar(i).low);
            Extend(lo, hi, Bar(i).high);
        } else {
            Extend(lo, hi, m_closes[i]);
        }
        for (const auto& s : m_averages)
            Extend(lo, hi, s.values[i]);
        if (!m_bands.upper.empty()) {
            Extend(lo, hi, m_bands.upper[i]);
            Extend(lo, hi, m_bands.lower[i]);
        }
        if (!m_sar.empty())
            Extend(lo, hi, m_sar[i]);
    }
    for (const auto& c : m_compareLines)
        for (double v : c.values)
            Extend(lo, hi, v);
    if (!m_comparing)
        Extend(lo, hi, m_prevClose);
    if (m_comparing)
        Extend(lo, hi, 0);
    if (!(hi > lo)) {
        const double pad = std::max(std::fabs(lo) * 0.01, 1.0);
        lo -= pad;
        hi += pad;
    }
    YScale& s = m_priceAxis.scale;
    s.log = m_options.logScale && !m_comparing && lo > 0;
    // Volume along the bottom keeps the prices clear of it.
    const bool volume = HasOverlay(OverlayKind::Volume);
    const double padBottom = volume ? 0.22 : 0.06, padTop = 0.06;
    if (s.log) {
        const double a = std::log(lo), b = std::log(hi), span = b - a;
        s.lo = std::exp(a - span * padBottom);
        s.hi = std::exp(b + span * padTop);
    } else {
        const double span = hi - lo;
        s.lo = lo - span * padBottom;
        s.hi = hi + span * padTop;
    }
    s.top = m_pricePlot.top();
    s.bottom = m_pricePlot.bottom();
    m_priceAxis.format = m_comparing ? Format::Percent : Format::Number;
    ChooseTicks(m_priceAxis, m_g.fontPx * 2.8, m_fm.height() + 1);
    m_volumeTop = m_pricePlot.bottom() - m_pricePlot.height() * 0.18;

    // Pane ranges.
    for (auto& pane : m_panes) {
        Axis& axis = pane.axis;
        axis.scale.top = pane.plot.top();
        axis.scale.bottom = pane.plot.bottom();
        if (!pane.guides.empty()) {
            // Oscillators have a fixed range; the middle is marked when there is room.
            const double mid = (axis.scale.lo + axis.scale.hi) / 2;
            if (std::fabs(axis.scale.Y(mid) - axis.scale.Y(pane.guides[0])) >= m_g.fontPx * 1.6)
                axis.ticks.insert(axis.ticks.begin() + 1, mid);
            continue;
        }
        double plo = std::numeric_limits<double>::infinity(), phi = -plo;
        for (std::size_t i = 0; i < m_visible; ++i) {
            for (const auto& l : pane.lines)
                Extend(plo, phi, l.values[i]);
            if (!pane.histogram.empty())
                Extend(plo, phi, pane.histogram[i]);
            if (!pane.volume.empty())
                Extend(plo, phi, pane.volume[i]);
        }
        if (!pane.volume.empty() || pane.zeroLine)
            Extend(plo, phi, 0);
        if (!(phi > plo)) {
            plo = std::isfinite(plo) ? plo - 1 : 0;
            phi = plo + 2;
        }
        const double span = phi - plo;
        axis.scale.lo = pane.volume.empty() ? plo - span * 0.08 : 0;
        axis.scale.hi = phi + span * 0.08;
        ChooseTicks(axis, m_g.fontPx * 1.8, m_fm.height() + 1);
    }

    // The axis is as wide as its widest label.
    double widest = m_boldFm.horizontalAdvance(
        Grouped(m_comparing ? 0 : Bar(m_visible - 1).close, m_main.decimals));
    for (double v : m_priceAxis.ticks)
        widest = std::max(widest, m_fm.horizontalAdvance(
                                      FormatValue(v, m_priceAxis.format, m_priceAxis.decimals)));
    if (m_comparing)
        for (const auto& c : m_compareLines)
            if (std::isfinite(c.last))
                widest = std::max(widest, m_boldFm.horizontalAdvance(Signed(c.last, 2) + "%"));
    for (const auto& pane : m_panes)
        for (double v : pane.axis.ticks)
            widest = std::max(widest, m_fm.horizontalAdvance(
                                          FormatValue(v, pane.axis.format, pane.axis.decimals)));
    m_axisWidth = std::ceil(widest) + 14;
    m_plotLeft = m_g.margin;
    m_plotRight = m_g.width - m_axisWidth;
    m_slotWidth = (m_plotRight - m_plotLeft) / std::max<std::size_t>(m_slotTime.size(), 1);
    m_pricePlot.setLeft(m_plotLeft);
    m_pricePlot.setRight(m_plotRight);
    for (auto& pane : m_panes) {
        pane.plot.setLeft(m_plotLeft);
        pane.plot.setRight(m_plotRight);
    }
}

void Renderer::PrepareTimeAxis() {
    const std::size_t n = m_slotTime.size();
    const double gap = m_g.fontPx * 1.2;
    auto localDay = [&](std::size_t i) { return FloorDiv(m_slotTime[i], 86400); };
    auto fits = [&](const std::vector<std::size_t>& ticks, const std::vector<QString>& labels) {
        for (std::size_t k = 1; k < ticks.size(); ++k) {
            const double need =
                (m_fm.horizontalAdvance(labels[k - 1]) + m_fm.horizontalAdvance(labels[k])) / 2 +
                gap;
            if (X(ticks[k]) - X(ticks[k - 1]) < need)
                return false;
        }
        return true;
    };
    auto accept = [&](const std::vector<std::size_t>& ticks, const std::vector<QString>& labels) {
        double lastRight = -1e9;
        for (std::size_t k = 0; k < ticks.size(); ++k) {
            const double x = X(ticks[k]);
            m_gridX.push_back(x);
            const double w = m_fm.horizontalAdvance(labels[k]);
            // Labels stay inside the plot's width and clear of each other.
            const double cx = std::clamp(x, m_plotLeft + w / 2, m_plotRight - w / 2);
            if (cx - w / 2 < lastRight + gap / 2)
                continue;
            m_timeLabels.push_back({cx, labels[k]});
            lastRight = cx + w / 2;
        }
    };
    // Ticks where a unit (an hour, a week, a month...) begins.
    auto unitTicks = [&](auto unitOf, auto labelOf, std::vector<std::size_t>& ticks,
                         std::vector<QString>& labels) {
        ticks.clear();
        labels.clear();
        for (std::size_t i = 1; i < n; ++i) {
            if (unitOf(i) != unitOf(i - 1)) {
                ticks.push_back(i);
                labels.push_back(labelOf(i));
            }
        }
    };

    std::vector<std::size_t> ticks;
    std::vector<QString> labels;
    const bool oneDay = localDay(0) == localDay(n - 1);
    if (m_main.intraday && oneDay) {
        for (int minutes : {15, 30, 60, 120, 180, 240, 360}) {
            unitTicks([&](std::size_t i) { return FloorDiv(m_slotTime[i], minutes * 60); },
                      [&](std::size_t i) {
                          const std::int64_t m = FloorDiv(m_slotTime[i], 60) - localDay(i) * 1440;
                          const std::int64_t rounded = m - m % minutes;
                          return QString::asprintf("%d:%02d", static_cast<int>(rounded / 60),
                                                   static_cast<int>(rounded % 60));
                      },
                      ticks, labels);
            if (fits(ticks, labels))
                break;
        }
        accept(ticks, labels);
        return;
    }
    if (m_main.intraday) {
        // Sessions side by side: a separator between days, the date centred in each.
        std::vector<std::size_t> starts{0};
        for (std::size_t i = 1; i < n; ++i)
            if (localDay(i) != localDay(i - 1))
                starts.push_back(i);
        double narrowest = 1e9;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : n;
            narrowest = std::min(narrowest, (end - starts[k]) * m_slotWidth);
        }
        const Civil sample = CivilFromDays(localDay(0));
        if (narrowest >= m_fm.horizontalAdvance(DayMonth(sample)) + 8) {
            const bool weekday =
                narrowest >= m_fm.horizontalAdvance(QStringLiteral("Wed 28 Sep")) + 10;
            for (std::size_t k = 0; k < starts.size(); ++k) {
                const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : n;
                if (k > 0)
                    m_gridX.push_back(m_plotLeft + starts[k] * m_slotWidth);
                const Civil c = CivilFromDays(localDay(starts[k]));
                const QString text =
                    weekday ? QLatin1String(kWeekdays[c.weekday]) + QLatin1Char(' ') + DayMonth(c)
                            : DayMonth(c);
                m_timeLabels.push_back({m_plotLeft + (starts[k] + end) / 2.0 * m_slotWidth, text});
            }
            return;
        }
    }
    // Daily bars (or many sessions): weeks, months, quarters or years.
    auto monthLabel = [&](std::size_t i) {
        const Civil c = CivilFromDays(localDay(i));
        return c.month == 1 ? QString::number(c.year) : QLatin1String(kMonths[c.month - 1]);
    };
    auto dayLabel = [&](std::size_t i) { return DayMonth(CivilFromDays(localDay(i))); };
    auto months = [&](int per) {
        return [&, per](std::size_t i) {
            const Civil c = CivilFromDays(localDay(i));
            return (std::int64_t{c.year} * 12 + c.month - 1) / per;
        };
    };
    for (int unit = 0; unit < 6; ++unit) {
        switch (unit) {
        case 0:
            unitTicks([&](std::size_t i) { return FloorDiv(localDay(i) + 3, 7); }, dayLabel, ticks,
                      labels);
            break;
        case 1:
            unitTicks([&](std::size_t i) { return FloorDiv(localDay(i) + 3, 14); }, dayLabel, ticks,
                      labels);
            break;
        case 2:
            unitTicks(months(1), monthLabel, ticks, labels);
            break;
        case 3:
            unitTicks(months(3), monthLabel, ticks, labels);
            break;
        case 4:
            unitTicks(months(6), monthLabel, ticks, labels);
            break;
        default:
            unitTicks(months(12), monthLabel, ticks, labels);
            break;
        }
        if (fits(ticks, labels))
            break;
    }
    accept(ticks, labels);
}

// ---------------------------------------------------------------- drawing

void Renderer::DrawHeader(QPainter& p, const std::vector<LegendItem>& legend) {
    const double left = m_g.margin, right = m_g.width - m_g.margin;
    // Right: the dates shown.
    QString when;
    if (m_visible > 0) {
        const Civil first = CivilFromDays(FloorDiv(m_slotTime.front(), 86400));
        const Civil last = CivilFromDays(FloorDiv(m_slotTime[m_visible - 1], 86400));
        if (first.year == last.year && first.month == last.month && first.day == last.day)
            when = QLatin1String(kWeekdays[first.weekday]) + QLatin1Char(' ') + DayMonthYear(first);
        else
            when = (first.year == last.year ? DayMonth(first) : DayMonthYear(first)) +
                   QStringLiteral(" – ") + DayMonthYear(last);
    }
    const double whenWidth = m_fm.horizontalAdvance(when);
    p.setFont(m_font);
    p.setPen(kMuted);
    const QRectF titleRow(left, 2, right - left, m_g.titleH);
    p.drawText(titleRow, Qt::AlignRight | Qt::AlignVCenter, when);

    QString title = QString::fromStdString(m_main.symbol);
    if (!m_main.name.empty())
        title =
            QString::fromStdString(m_main.name) + QStringLiteral(" (") + title + QLatin1Char(')');
    p.setFont(m_titleFont);
    p.setPen(kInk);
    const QFontMetricsF tfm(m_titleFont);
    p.drawText(titleRow, Qt::AlignLeft | Qt::AlignVCenter,
               tfm.elidedText(title, Qt::ElideRight, titleRow.width() - whenWidth - m_g.fontPx));

    // Legend rows.
    double x = left, y = 2 + m_g.titleH;
    int row = 0;
    const double sw = SwatchWidth(m_g);
    for (const auto& item : legend) {
        const double w = ItemWidth(item, m_fm, m_boldFm, m_g);
        if (x > left && x + w > right) {
            if (++row >= m_legendRows)
                break;
            x = left;
            y += m_g.legendRowH;
        }
        const double cy = y + m_g.legendRowH / 2.0;
        double tx = x;
        if (item.swatch != Swatch::None) {
            const QRectF box(x, cy - m_g.fontPx * 0.35, sw, m_g.fontPx * 0.7);
            p.setPen(Qt::NoPen);
            switch (item.swatch) {
            case Swatch::Line:
            case Swatch::Dashed:
                p.setPen(QPen(item.colour, m_g.lineWidth,
                              item.swatch == Swatch::Dashed ? Qt::DashLine : Qt::SolidLine));
                p.drawLine(QPointF(box.left(), cy), QPointF(box.right(), cy));
                break;
            case Swatch::Dots:
                p.setBrush(item.colour);
                for (int k = 0; k < 3; ++k)
                    p.drawEllipse(QPointF(box.left() + sw * (k + 0.5) / 3, cy), 1.6, 1.6);
                break;
            case Swatch::Block:
                p.setBrush(item.colour);
                p.drawRect(box);
                break;
            case Swatch::Band: {
                QColor fill = item.colour;
                fill.setAlpha(50);
                p.setBrush(fill);
                p.setPen(QPen(item.colour, 1));
                p.drawRect(box);
                break;
            }
            case Swatch::Diamond: {
                p.setBrush(item.colour);
                const double r = m_g.fontPx * 0.35;
                const QPointF c(box.center());
                p.drawPolygon(QPolygonF({c + QPointF(0, -r), c + QPointF(r, 0), c + QPointF(0, r),
                                         c + QPointF(-r, 0)}));
                break;
            }
            case Swatch::None:
                break;
            }
            p.setBrush(Qt::NoBrush);
            tx += sw + 4;
        }
        p.setFont(item.bold ? m_bold : m_font);
        p.setPen(item.textColour);
        p.drawText(QRectF(tx, y, right - tx, m_g.legendRowH), Qt::AlignLeft | Qt::AlignVCenter,
                   item.text);
        x += w + m_g.fontPx;
    }
}

void Renderer::DrawGrid(QPainter& p, const QRectF& plot, const Axis& axis) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kGrid, 1));
    for (double v : axis.ticks) {
        const double y = std::round(axis.scale.Y(v));
        if (y > plot.top() + 1 && y < plot.bottom() - 1)
            p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    for (double x : m_gridX)
        p.drawLine(QPointF(std::round(x), plot.top()), QPointF(std::round(x), plot.bottom()));
    p.restore();
}

void Renderer::DrawYLabels(QPainter& p, const QRectF& plot, const Axis& axis,
                           const std::vector<double>& avoid) {
    p.setFont(m_font);
    const double h = m_fm.height();
    for (double v : axis.ticks) {
        const double y = axis.scale.Y(v);
        if (y < plot.top() - 2 || y > plot.bottom() + 2)
            continue;
        p.setPen(QPen(kFrame, 1));
        p.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 3, y));
        if (std::any_of(avoid.begin(), avoid.end(), [&](double a) { return std::fabs(a - y) < h; }))
            continue;
        // Keep labels inside their own pane's band.
        const double cy = std::clamp(y, plot.top() - 2 + h / 2, plot.bottom() + 2 - h / 2);
        p.setPen(kMuted);
        p.drawText(QRectF(plot.right() + 6, cy - h / 2, m_axisWidth - 6, h),
                   Qt::AlignLeft | Qt::AlignVCenter, FormatValue(v, axis.format, axis.decimals));
    }
}

void Renderer::DrawVolumeBars(QPainter& p, const std::vector<double>& volume, const YScale& scale,
                              int alpha) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const double w = std::max(1.0, std::floor(m_slotWidth * 0.7));
    QColor up = kUpSoft, down = kDownSoft;
    up.setAlpha(alpha);
    down.setAlpha(alpha);
    for (std::size_t i = 0; i < m_visible; ++i) {
        if (!(volume[i] > 0))
            continue;
        const OhlcBar& b = Bar(i);
        const bool rising = i > 0 ? b.close >= Bar(i - 1).close : b.close >= b.open;
        const double x = std::round(X(i) - w / 2);
        const double top = std::round(scale.Y(volume[i]));
        p.fillRect(QRectF(x, top, w, std::max(1.0, std::round(scale.bottom) - top)),
                   rising ? up : down);
    }
    p.restore();
}

void Renderer::DrawBars(QPainter& p) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const YScale& s = m_priceAxis.scale;
    const bool candles = m_type == 'c';
    const double body = std::clamp(std::floor(m_slotWidth * 0.7), 1.0, 13.0);
    const double tick = std::clamp(std::floor(m_slotWidth * 0.4), 1.0, 6.0);
    for (std::size_t i = 0; i < m_visible; ++i) {
        const OhlcBar& b = Bar(i);
        const bool rising = b.close >= b.open;
        const QColor colour = rising ? kUp : kDown;
        const double cx = std::floor(X(i)) + 0.5;
        const double high = s.Y(b.high), low = s.Y(b.low);
        p.setPen(QPen(colour, 1));
        p.drawLine(QPointF(cx, high), QPointF(cx, std::max(low, high + 1)));
        if (candles) {
            const double top = std::round(s.Y(std::max(b.open, b.close)));
            const double bottom = std::max(top + 1, std::round(s.Y(std::min(b.open, b.close))));
            const double left = std::floor(cx - body / 2);
            if (body >= 3) {
                // Hollow when the price rose, filled when it fell.
                p.setBrush(rising ? QBrush(Qt::white) : QBrush(colour));
                p.drawRect(QRectF(left, top, body - 1, bottom - top));
            } else {
                p.fillRect(QRectF(left, top, body, bottom - top + 1), colour);
            }
        } else if (m_slotWidth >= 3) {
            const double open = std::round(s.Y(b.open)), close = std::round(s.Y(b.close));
            p.drawLine(QPointF(cx - tick, open), QPointF(cx, open));
            p.drawLine(QPointF(cx, close), QPointF(cx + tick, close));
        }
    }
    p.restore();
}

void Renderer::DrawPricePane(QPainter& p) {
    const QRectF& plot = m_pricePlot;
    const YScale& s = m_priceAxis.scale;
    DrawGrid(p, plot, m_priceAxis);
    p.save();
    p.setClipRect(plot);

    if (HasOverlay(OverlayKind::Volume)) {
        std::vector<double> volume(m_slotTime.size(), kNaN);
        double top = 0;
        for (std::size_t i = 0; i < m_visible; ++i) {
            volume[i] = Bar(i).volume;
            top = std::max(top, volume[i]);
        }
        YScale vs;
        vs.lo = 0;
        vs.hi = top > 0 ? top : 1;
        vs.top = m_volumeTop;
        vs.bottom = plot.bottom();
        DrawVolumeBars(p, volume, vs, 170);
    }
    if (!m_bands.upper.empty()) {
        // Fill between the bands, then their edges and middle.
        QPainterPath band;
        bool open = false;
        std::vector<QPointF> lower;
        auto flush = [&] {
            for (auto it = lower.rbegin(); it != lower.rend(); ++it)
                band.lineTo(*it);
            if (!lower.empty())
                band.closeSubpath();
            lower.clear();
            open = false;
        };
        for (std::size_t i = 0; i < m_visible; ++i) {
            if (!std::isfinite(m_bands.upper[i]) || (s.log && m_bands.lower[i] <= 0)) {
                flush();
                continue;
            }
            const QPointF up(X(i), s.Y(m_bands.upper[i]));
            if (open)
                band.lineTo(up);
            else
                band.moveTo(up);
            open = true;
            lower.emplace_back(X(i), s.Y(m_bands.lower[i]));
        }
        flush();
        QColor fill = kBand;
        fill.setAlpha(26);
        p.fillPath(band, fill);
        const QPen edge(kBand, m_g.lineWidth * 0.7);
        DrawLine(p, m_bands.upper, {}, plot, m_slotWidth, s, edge);
        DrawLine(p, m_bands.lower, {}, plot, m_slotWidth, s, edge);
        DrawLine(p, m_bands.middle, {}, plot, m_slotWidth, s,
                 QPen(kBand, m_g.lineWidth * 0.7, Qt::DashLine));
    }
    if (std::isfinite(m_prevClose)) {
        const double y = std::round(s.Y(m_prevClose)) + 0.5;
        p.setPen(QPen(kGuide, 1, Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    if (m_comparing) {
        const double y = std::round(s.Y(0)) + 0.5;
        p.setPen(QPen(kGuide, 1, Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        // Comparisons under the main line so it stays on top.
        for (const auto& c : m_compareLines)
            DrawLine(
                p, c.values, c.positions, plot, m_slotWidth, s,
                QPen(c.colour, m_g.lineWidth * 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        DrawLine(p, m_closes, {}, plot, m_slotWidth, s,
                 QPen(CompareColour(0), m_g.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else if (m_type != 'l') {
        DrawBars(p);
    } else {
        // Close line over a faint wash.
        QPainterPath area;
        bool open = false;
        double lastX = 0, firstX = 0;
        for (std::size_t i = 0; i < m_visible; ++i) {
            const QPointF pt(X(i), s.Y(m_closes[i]));
            if (!open) {
                area.moveTo(pt.x(), plot.bottom());
                firstX = pt.x();
            }
            area.lineTo(pt);
            lastX = pt.x();
            open = true;
        }
        area.lineTo(lastX, plot.bottom());
        area.lineTo(firstX, plot.bottom());
        QColor wash = kMain;
        wash.setAlpha(22);
        p.fillPath(area, wash);
        DrawLine(p, m_closes, {}, plot, m_slotWidth, s,
                 QPen(kMain, m_g.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    for (const auto& a : m_averages)
        DrawLine(p, a.values, {}, plot, m_slotWidth, s,
                 QPen(a.colour, a.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (!m_sar.empty()) {
        p.setPen(Qt::NoPen);
        p.setBrush(kSar);
        const double r = std::clamp(m_slotWidth * 0.3, 0.9, 2.2);
        for (std::size_t i = 0; i < m_visible; ++i)
            if (std::isfinite(m_sar[i]) && (!s.log || m_sar[i] > 0))
                p.drawEllipse(QPointF(X(i), s.Y(m_sar[i])), r, r);
        p.setBrush(Qt::NoBrush);
    }
    p.restore();

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kFrame, 1));
    p.drawRect(plot.adjusted(0, 0, -1, -1));
    p.restore();
}

void Renderer::DrawTags(QPainter& p) {
    // The latest value of each line, on the axis in the line's colour.
    struct Tag {
        double y;
        QString text;
        QColor colour;
    };
    std::vector<Tag> tags;
    const YScale& s = m_priceAxis.scale;
    auto lastFinite = [&](const std::vector<double>& v) {
        for (std::size_t i = v.size(); i-- > 0;)
            if (std::isfinite(v[i]))
                return v[i];
        return kNaN;
    };
    if (m_comparing) {
        const double main = lastFinite(m_closes);
        if (std::isfinite(main))
            tags.push_back({s.Y(main), Signed(main, 2) + "%", CompareColour(0)});
        for (const auto& c : m_compareLines)
            if (std::isfinite(c.last))
                tags.push_back({s.Y(c.last), Signed(c.last, 2) + "%", c.colour});
    } else {
        tags.push_back({s.Y(Bar(m_visible - 1).close),
                        Grouped(Bar(m_visible - 1).close, m_main.decimals), kMain});
    }
    const double h = m_boldFm.height() + 2;
    std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.y < b.y; });
    // Push overlapping tags apart, then keep them inside the pane.
    for (std::size_t i = 1; i < tags.size(); ++i)
        tags[i].y = std::max(tags[i].y, tags[i - 1].y + h);
    const double limit = m_pricePlot.bottom() - h / 2;
    for (std::size_t i = tags.size(); i-- > 0;) {
        tags[i].y = std::min(tags[i].y, i + 1 < tags.size() ? tags[i + 1].y - h : limit);
        tags[i].y = std::max(tags[i].y, m_pricePlot.top() + h / 2);
    }

    std::vector<double> avoid;
    for (const auto& t : tags)
        avoid.push_back(t.y);
    DrawYLabels(p, m_pricePlot, m_priceAxis, avoid);

    p.setFont(m_bold);
    for (const auto& t : tags) {
        const double w = m_boldFm.horizontalAdvance(t.text) + 8;
        const QRectF box(m_plotRight + 1, t.y - h / 2, w, h);
        QPainterPath shape;
        shape.moveTo(box.left() - 4, t.y);
        shape.lineTo(box.left(), box.top());
        shape.lineTo(box.right(), box.top());
        shape.lineTo(box.right(), box.bottom());
        shape.lineTo(box.left(), box.bottom());
        shape.closeSubpath();
        p.fillPath(shape, t.colour);
        p.setPen(Qt::white);
        p.drawText(box.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, t.text);
    }
}

void Renderer::DrawPane(QPainter& p, const Pane& pane) {
    const QRectF& plot = pane.plot;
    const YScale& s = pane.axis.scale;

    // Label strip: name, then the latest readings in their lines' colours.
    const double labelTop = plot.top() - m_g.paneLabelH;
    double x = plot.left() + 1;
    p.setFont(m_bold);
    p.setPen(kInk);
    const QRectF strip(x, labelTop, plot.width(), m_g.paneLabelH);
    p.drawText(strip, Qt::AlignLeft | Qt::AlignVCenter, pane.title);
    x += m_boldFm.horizontalAdvance(pane.title) + m_g.fontPx * 0.8;
    p.setFont(m_font);
    for (const auto& [text, colour] : pane.readings) {
        const double w = m_fm.horizontalAdvance(text);
        if (x + w > plot.right())
            break;
        p.setPen(colour);
        p.drawText(QRectF(x, labelTop, w + 2, m_g.paneLabelH), Qt::AlignLeft | Qt::AlignVCenter,
                   text);
        x += w + m_g.fontPx * 0.7;
    }

    if (std::isfinite(pane.shaded.first)) {
        const double y1 = s.Y(pane.shaded.second), y2 = s.Y(pane.shaded.first);
        p.fillRect(QRectF(plot.left(), y1, plot.width(), y2 - y1), QColor(0xf4, 0xf2, 0xfa));
    }
    DrawGrid(p, plot, pane.axis);
    p.save();
    p.setClipRect(plot);
    for (double g : pane.guides) {
        const double y = std::round(s.Y(g)) + 0.5;
        p.setPen(QPen(kGuide, 1, Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    if (pane.zeroLine) {
        const double y = std::round(s.Y(0)) + 0.5;
        p.setPen(QPen(kGuide, 1));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    if (!pane.volume.empty())
        DrawVolumeBars(p, pane.volume, s, 255);
    if (!pane.histogram.empty()) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        const double w = std::max(1.0, std::floor(m_slotWidth * 0.7));
        const double zero = std::round(s.Y(0));
        for (std::size_t i = 0; i < m_visible; ++i) {
            const double v = pane.histogram[i];
            if (!std::isfinite(v))
                continue;
            const double y = std::round(s.Y(v));
            p.fillRect(QRectF(std::round(X(i) - w / 2), std::min(y, zero), w,
                              std::max(1.0, std::fabs(zero - y))),
                       v >= 0 ? kUpSoft : kDownSoft);
        }
        p.restore();
    }
    for (const auto& l : pane.lines)
        DrawLine(p, l.values, {}, plot, m_slotWidth, s,
                 QPen(l.colour, l.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.restore();

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kFrame, 1));
    p.drawRect(plot.adjusted(0, 0, -1, -1));
    p.restore();
    DrawYLabels(p, plot, pane.axis, {});
}

void Renderer::DrawTimeAxis(QPainter& p) {
    const double bottom = m_panes.empty() ? m_pricePlot.bottom() : m_panes.back().plot.bottom();
    p.setPen(QPen(kFrame, 1));
    for (double x : m_gridX)
        p.drawLine(QPointF(std::round(x), bottom), QPointF(std::round(x), bottom + 3));
    p.setFont(m_font);
    p.setPen(kMuted);
    for (const auto& l : m_timeLabels) {
        const double w = m_fm.horizontalAdvance(l.text) + 2;
        p.drawText(QRectF(l.x - w / 2, bottom + 2, w, m_g.timeAxisH),
                   Qt::AlignHCenter | Qt::AlignVCenter, l.text);
    }
}

void Renderer::DrawNoData(QPainter& p) {
    QString title = QString::fromStdString(m_main.symbol);
    if (!m_main.name.empty())
        title =
            QString::fromStdString(m_main.name) + QStringLiteral(" (") + title + QLatin1Char(')');
    p.setFont(m_titleFont);
    p.setPen(kInk);
    const QRectF titleRow(m_g.margin, 2, m_g.width - 2 * m_g.margin, m_g.titleH);
    p.drawText(titleRow, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(m_titleFont).elidedText(title, Qt::ElideRight, titleRow.width()));

    const QRectF area(m_g.margin, 2 + m_g.titleH + m_g.legendRowH, m_g.width - 2 * m_g.margin,
                      m_g.height - (2 + m_g.titleH + m_g.legendRowH) - m_g.margin);
    p.fillRect(area, QColor(0xf7, 0xf8, 0xfa));
    p.setPen(QPen(kFrame, 1));
    p.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setFont(MakeFont(m_g.titlePx, true));
    p.setPen(kMuted);
    const QString symbol = m_main.symbol.empty() ? QStringLiteral("this symbol")
                                                 : QString::fromStdString(m_main.symbol);
    p.drawText(area, Qt::AlignCenter, QStringLiteral("No data for ") + symbol);
}

QImage Renderer::Render() {
    QImage image(m_g.width, m_g.height, QImage::Format_RGB32);
    // Fixed resolution so the PNG does not depend on the screen.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    if (m_main.firstVisible >= m_main.bars.size()) {
        DrawNoData(p);
        p.end();
        return image;
    }
    PrepareSlots();
    PreparePriceData();
    PreparePanes();
    const auto legend = Legend();
    Layout(legend);
    PrepareTimeAxis();

    DrawHeader(p, legend);
    DrawPricePane(p);
    for (const auto& pane : m_panes)
        DrawPane(p, pane);
    DrawTags(p);
    DrawTimeAxis(p);
    p.end();
    return image;
}

} // namespace

ChartImageSize ChartSize(const ChartOptions& options) {
    const Geometry g =
        GeometryFor(options, static_cast<int>(ParsePanes(options.indicators).size()));
    return {g.width, g.height};
}

std::string RenderChartPng(const ChartSeries& main, const std::vector<ChartSeries>& compare,
                           const ChartOptions& options) {
    const QImage image = Renderer(main, compare, options).Render();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

} // namespace marketserver
