#include "app/scrolling_text.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include "platform/ui/ui_helpers.h"

QFont FontWithCellHeight(QFont font, int cellHeight) {
    if (cellHeight <= 0)
        return font;
    // Qt sizes a font by its em; the line is a little taller, so scale down to fit it.
    font.setPixelSize(cellHeight);
    const int line = QFontMetrics(font).height();
    int pixels = line > 0 ? std::max(1, cellHeight * cellHeight / line) : cellHeight;
    font.setPixelSize(pixels);
    while (pixels > 1 && QFontMetrics(font).height() > cellHeight)
        font.setPixelSize(--pixels);
    return font;
}

// ---- CTextItemStatic -------------------------------------------------------------------

CTextItemStatic::CTextItemStatic(QWidget* parent)
    : QFrame(parent), m_crBackground(ButtonFaceColor()) {
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted by us
}

COLORREF CTextItemStatic::ButtonFaceColor() {
    return ui::FromQColor(QApplication::palette().color(QPalette::Button));
}

bool CTextItemStatic::PutItem(int position, const TickerTextItem& item) {
    if (item.text.empty() || position < 0 || position > GetItemCount())
        return false;
    Fit();
    const int width = ItemWidth(item);
    if (position == GetItemCount()) {
        m_items.push_back(item);
        m_widths.push_back(width);
        m_pictures.emplace_back();
    } else {
        m_nTotalWidth -= m_widths[position];
        m_items[position] = item;
        m_widths[position] = width;
        m_pictures[position] = QPixmap();
    }
    m_nTotalWidth += width;
    update();
    return true;
}

bool CTextItemStatic::AddItem(const TickerTextItem& item) {
    return PutItem(GetItemCount(), item);
}

bool CTextItemStatic::AddItem(const std::string& text, std::uint32_t style,
                              std::int64_t background) {
    return AddItem(TickerTextItem{text, style, background});
}

TickerTextItem CTextItemStatic::GetItem(int position) const {
    if (position < 0 || position >= GetItemCount())
        return {};
    return m_items[position];
}

bool CTextItemStatic::RemoveItem(int position) {
    if (position < 0 || position >= GetItemCount())
        return false;
    Fit();
    m_nTotalWidth -= m_widths[position];
    m_items.erase(m_items.begin() + position);
    m_widths.erase(m_widths.begin() + position);
    m_pictures.erase(m_pictures.begin() + position);
    update();
    return true;
}

void CTextItemStatic::RemoveAllItems() {
    m_items.clear();
    m_widths.clear();
    m_pictures.clear();
    m_nTotalWidth = 0;
    update();
}

void CTextItemStatic::SetBkColor(std::int64_t color) {
    m_crBackground = color == kButtonFaceBackground ? ButtonFaceColor()
                                                    : static_cast<COLORREF>(color) & 0xFFFFFF;
    std::fill(m_pictures.begin(), m_pictures.end(), QPixmap());
    update();
}

void CTextItemStatic::SetFontFollowsHeight(bool on) {
    m_bFontFollowsHeight = on;
    Refit();
}

int CTextItemStatic::TotalWidth() const {
    Fit();
    return m_nTotalWidth;
}

int CTextItemStatic::ItemLeft(int position) const {
    if (position < 0 || position >= GetItemCount())
        return -1;
    Fit();
    int x = m_nOffset;
    for (int i = 0; i < position; ++i)
        x += m_widths[i];
    return x;
}

QFont CTextItemStatic::ItemFont(std::uint32_t style) const {
    Fit();
    if (const auto it = m_fonts.find(style); it != m_fonts.end())
        return it->second;
    QFont f = font();
    f.setWeight(IsTickerBold(style) ? QFont::Black : QFont::Normal);
    f.setItalic(IsTickerItalic(style));
    f.setUnderline(IsTickerUnderline(style));
    if (m_nPixelSize > 0)
        f.setPixelSize(m_nPixelSize);
    m_fonts.emplace(style, f);
    return f;
}

int CTextItemStatic::ItemWidth(const TickerTextItem& item) const {
    return QFontMetrics(ItemFont(item.style)).horizontalAdvance(QString::fromStdString(item.text));
}

void CTextItemStatic::Fit() const {
    const int height = m_bFontFollowsHeight ? contentsRect().height() : 0;
    if (height == m_nFittedHeight)
        return;
    m_nFittedHeight = height;
    m_nPixelSize = height > 0 ? FontWithCellHeight(font(), height).pixelSize() : 0;
    m_fonts.clear();
    m_pictures.assign(m_items.size(), QPixmap());
    m_widths.clear();
    m_nTotalWidth = 0;
    for (const TickerTextItem& item : m_items) {
        m_widths.push_back(ItemWidth(item));
        m_nTotalWidth += m_widths.back();
    }
}

void CTextItemStatic::Refit() {
    m_nFittedHeight = -1;
    Fit();
    update();
}

const QPixmap& CTextItemStatic::Picture(std::size_t index) const {
    QPixmap& picture = m_pictures[index];
    if (!picture.isNull())
        return picture;
    const TickerTextItem& item = m_items[index];
    const QRect client = contentsRect();
    picture = QPixmap(std::max(1, m_widths[index]), std::max(1, client.height()));
    picture.fill(
        ui::ToQColor(TickerItemBackground(item.background, ButtonFaceColor(), m_crBackground)));
    QPainter p(&picture);
    p.setFont(ItemFont(item.style));
    p.setPen(ui::ToQColor(TickerStyleColor(item.style)));
    p.drawText(QRect(0, 0, m_widths[index], client.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QString::fromStdString(item.text));
    return picture;
}

void CTextItemStatic::paintEvent(QPaintEvent* e) {
    Fit();
    QPainter p(this);
    const QRect client = contentsRect();
    // Only what needs painting: a scroll step asks for the column it uncovered.
    const QRect dirty = e->rect();
    p.fillRect(dirty, ui::ToQColor(m_crBackground));
    p.setClipRect(client.intersected(dirty));
    int x = client.left() + m_nOffset;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int w = m_widths[i];
        if (x + w >= dirty.left() && x <= dirty.right() && w > 0)
            p.drawPixmap(x, client.top(), Picture(i));
        x += w;
    }
}

void CTextItemStatic::changeEvent(QEvent* e) {
    QFrame::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        Refit();
}

// ---- CScrollingText --------------------------------------------------------------------

CScrollingText::CScrollingText(QWidget* parent) : CTextItemStatic(parent) {
    setCursor(Qt::ArrowCursor);
}

void CScrollingText::SetSpeed(int speed) {
    if (speed < -kMaxSpeed || speed > kMaxSpeed)
        return;
    m_nTimerId = 0; // whatever is still on its way from the old timer is ignored
    if (m_timer)
        m_timer->stop();
    m_nSpeed = speed;
    if (speed == 0)
        return;
    m_nInterval = ScrollInterval(speed);
    StartTimer();
}

void CScrollingText::StartTimer() {
    if (m_nLastTimerId == std::numeric_limits<int>::max())
        m_nLastTimerId = 0;
    const int id = ++m_nLastTimerId;
    m_nTimerId = id;
    // One timer of the control's own, started again for each step: its event carries the
    // id of the step it was started for, and a restart drops the one still on its way.
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, [this] { OnTimer(m_nTimerId); });
    }
    m_timer->start(m_nInterval);
}

void CScrollingText::OnTimer(int timerId) {
    if (timerId == 0 || timerId != m_nTimerId)
        return;
    Step();
    StartTimer();
}

void CScrollingText::Step() {
    if (GetItemCount() == 0)
        return;
    const int before = m_nOffset;
    m_nOffset = NextScrollOffset(m_nOffset, m_nSpeed, TotalWidth(), 0, contentsRect().width());
    const int moved = m_nOffset - before;
    // A step moves the pixels on screen and paints only the column it uncovers; the jump
    // back to the start repaints everything.
    if (moved != 0 && std::abs(moved) < contentsRect().width())
        scroll(moved, 0, contentsRect());
    else
        update();
}

void CScrollingText::resizeEvent(QResizeEvent* e) {
    CTextItemStatic::resizeEvent(e);
    if (m_nSpeed != 0)
        m_nInterval = ScrollInterval(m_nSpeed);
    update();
}

void CScrollingText::mousePressEvent(QMouseEvent* e) {
    e->ignore();
}

void CScrollingText::mouseReleaseEvent(QMouseEvent* e) {
    e->ignore();
}
