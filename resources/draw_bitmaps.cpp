// Draws the program's bitmaps and icon into resources/bitmaps. Run by hand after a
// change to the artwork: build the target koravel-draw-bitmaps, then
//   QT_QPA_PLATFORM=offscreen build/bin/koravel-draw-bitmaps resources/bitmaps
// The build runs it with --icons DIR for the desktop's icon theme: the same icon drawn at
// each size (DIR/hicolor/NxN/apps/koravel.png), so the small ones stay sharp.
#include <cmath>
#include <cstdio>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

const QColor kNavy(0x10, 0x3a, 0x78);
const QColor kSky(0x3f, 0x8f, 0xd8);
const QColor kPage(213, 247, 255);

// A rising price line with a few dips, across a rectangle.
QPainterPath TrendLine(const QRectF& r) {
    const double pts[] = {0.78, 0.70, 0.74, 0.58, 0.62, 0.46, 0.52, 0.36, 0.40, 0.22, 0.28, 0.12};
    QPainterPath path;
    const int n = static_cast<int>(sizeof pts / sizeof pts[0]);
    for (int i = 0; i < n; ++i) {
        const QPointF p(r.left() + r.width() * i / (n - 1), r.top() + r.height() * pts[i]);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    return path;
}

QImage Icon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size);
    g.setColorAt(0, kSky);
    g.setColorAt(1, kNavy);
    const double m = size * 0.04;
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(m, m, size - 2 * m, size - 2 * m), size * 0.18, size * 0.18);
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(static_cast<int>(size * 0.62));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, -size * 0.06, size, size), Qt::AlignCenter, "K");
    QPen trend(QColor(0x5c, 0xe0, 0x6a), std::max(1.5, size * 0.07), Qt::SolidLine, Qt::RoundCap,
               Qt::RoundJoin);
    p.setPen(trend);
    p.setBrush(Qt::NoBrush);
    p.drawPath(TrendLine(QRectF(size * 0.14, size * 0.58, size * 0.72, size * 0.28)));
    return img;
}

QImage Banner(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, kNavy);
    g.setColorAt(0.55, kSky);
    g.setColorAt(1, kPage);
    p.fillRect(img.rect(), g);
    p.drawImage(QRect(3, (h - 24) / 2, 24, 24), Icon(48));
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setItalic(true);
    f.setPixelSize(h - 12);
    p.setFont(f);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QRect(33, 1, w, h), Qt::AlignVCenter | Qt::AlignLeft, "Koravel");
    p.setPen(Qt::white);
    p.drawText(QRect(32, 0, w, h), Qt::AlignVCenter | Qt::AlignLeft, "Koravel");
    QFont small("DejaVu Sans");
    small.setPixelSize(10);
    p.setFont(small);
    p.setPen(QColor(255, 255, 255, 220));
    p.drawText(QRect(150, 0, w, h), Qt::AlignVCenter | Qt::AlignLeft,
               "NSE  \u2022  BSE  quote bar");
    return img;
}

QImage Dot(const QColor& c) {
    QImage img(13, 13, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(4.5, 4.0), 7.5);
    g.setColorAt(0, c.lighter(170));
    g.setColorAt(0.6, c);
    g.setColorAt(1, c.darker(150));
    p.setBrush(g);
    p.setPen(QPen(c.darker(200), 0.8));
    p.drawEllipse(QRectF(0.8, 0.8, 11.4, 11.4));
    return img;
}

QImage Splash(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, kNavy);
    g.setColorAt(1, kSky);
    p.fillRect(img.rect(), g);
    // Faint candles along the bottom.
    p.setPen(Qt::NoPen);
    double level = h * 0.80;
    for (int i = 0; i < 34; ++i) {
        const double x = 12 + i * 16.5;
        const double move = std::sin(i * 0.9) * 9 - 2.2;
        const QColor c = move < 0 ? QColor(120, 230, 140, 70) : QColor(255, 130, 130, 60);
        p.setBrush(c);
        p.drawRect(QRectF(x, std::min(level, level + move), 9, std::abs(move) + 3));
        p.drawRect(QRectF(x + 4, std::min(level, level + move) - 6, 1.2, std::abs(move) + 15));
        level += move;
    }
    QPen trend(QColor(0x5c, 0xe0, 0x6a), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(trend);
    p.setBrush(Qt::NoBrush);
    p.drawPath(TrendLine(QRectF(w * 0.70, h * 0.07, w * 0.25, h * 0.22)));
    p.drawImage(QRect(36, 42, 96, 96), Icon(192));
    QFont title("DejaVu Sans");
    title.setBold(true);
    title.setPixelSize(58);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(150, 40, w, 80), Qt::AlignVCenter | Qt::AlignLeft, "Koravel");
    QFont sub("DejaVu Sans");
    sub.setPixelSize(15);
    p.setFont(sub);
    p.drawText(QRect(154, 118, w, 30), Qt::AlignVCenter | Qt::AlignLeft,
               "Live NSE & BSE quotes, alerts, portfolio and charts");
    QFont tag("DejaVu Sans");
    tag.setPixelSize(12);
    p.setFont(tag);
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(QRect(0, h - 26, w - 14, 20), Qt::AlignVCenter | Qt::AlignRight,
               "Loading market data...");
    return img;
}

bool Save(const QImage& img, const QString& dir, const char* name) {
    const QString path = dir + "/" + name;
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

bool SaveIcons(const QString& dir) {
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1/hicolor/%2x%2/apps").arg(dir).arg(size);
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
            return false;
        }
        if (!Save(Icon(size), folder, "koravel.png"))
            return false;
    }
    return true;
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc > 2 && QString(argv[1]) == "--icons")
        return SaveIcons(argv[2]) ? 0 : 1;
    const QString dir = argc > 1 ? argv[1] : ".";
    bool ok = Save(Icon(256), dir, "128.png") && Save(Icon(32), dir, "128-32.png") &&
              Save(Banner(576, 32), dir, "129.png") &&
              Save(Dot(QColor(0xd8, 0x1e, 0x1e)), dir, "130.png") &&
              Save(Dot(QColor(0x1e, 0xb0, 0x3a)), dir, "131.png") &&
              Save(Splash(573, 267), dir, "167.png");
    return ok ? 0 : 1;
}
