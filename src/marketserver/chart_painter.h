#pragma once

// The chart renderer's parts: its look, its geometry and the renderer itself, whose
// preparation (slots, data, panes, legend, layout, time axis) and drawing live in two files.
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

#include "marketserver/chart_renderer.h"
#include "marketserver/chart_request.h"
#include "marketserver/chart_scale.h"
#include "marketserver/indicators.h"

namespace marketserver::chart {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

inline const QColor kInk(0x1d, 0x23, 0x2b);
inline const QColor kMuted(0x5f, 0x68, 0x73);
inline const QColor kGrid(0xe8, 0xeb, 0xef);
inline const QColor kFrame(0xa9, 0xb1, 0xba);
inline const QColor kGuide(0x8d, 0x97, 0xa3);
inline const QColor kMain(0x1f, 0x5f, 0xbf);
inline const QColor kUp(0x1a, 0x9a, 0x4b);
inline const QColor kDown(0xd3, 0x2f, 0x2f);
inline const QColor kUpSoft(0x8c, 0xc9, 0xa2);
inline const QColor kDownSoft(0xec, 0xa3, 0xa3);
inline const QColor kBand(0x7b, 0x6f, 0xa6);
inline const QColor kSar(0xc2, 0x18, 0x5b);
inline const QColor kOrange(0xe6, 0x7e, 0x22);
inline const QColor kPurple(0x8e, 0x44, 0xad);
inline const QColor kTeal(0x13, 0x8d, 0x75);

// Averages and comparison lines take colours in turn.
QColor AverageColour(int i);
QColor CompareColour(int i);

struct Geometry {
    int width = 0, height = 0, baseHeight = 0, paneHeight = 0;
    int fontPx = 11, titlePx = 12;
    int margin = 6, titleH = 18, legendRowH = 15, timeAxisH = 16, paneLabelH = 14;
    double lineWidth = 1.4;
};

Geometry GeometryFor(const ChartOptions& options, int panes);

QFont MakeFont(int px, bool bold = false);

// ---------------------------------------------------------------- drawing helpers

struct Series {
    std::vector<double> values; // one per slot, NaN for none
    QColor colour;
    double width = 1.2;
    Qt::PenStyle style = Qt::SolidLine;
};

void DrawLine(QPainter& p, const std::vector<double>& values, const std::vector<double>& positions,
              const QRectF& plot, double slotWidth, const YScale& scale, const QPen& pen);

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
    QString Title() const;
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

double SwatchWidth(const Geometry& g);

double ItemWidth(const LegendItem& item, const QFontMetricsF& fm, const QFontMetricsF& bold,
                 const Geometry& g);

} // namespace marketserver::chart
