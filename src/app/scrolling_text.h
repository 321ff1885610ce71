#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include <QFont>
#include <QFrame>
#include <QPixmap>
#include <QTimer>

#include "app/core/ticker_rules.h"

// A font of the given face and weight whose line (ascent plus descent) is `cellHeight`
// pixels, the way a Windows font of a positive height is measured.
QFont FontWithCellHeight(QFont font, int cellHeight);

// A static text made of styled pieces drawn one after the other on one line.
class CTextItemStatic : public QFrame {
    Q_OBJECT
public:
    explicit CTextItemStatic(QWidget* parent = nullptr);

    // Puts an item at 0..count: an occupied place is replaced, count appends. An empty text
    // or a place out of range is refused.
    bool PutItem(int position, const TickerTextItem& item);
    bool AddItem(const TickerTextItem& item);
    bool AddItem(const std::string& text, std::uint32_t style,
                 std::int64_t background = kButtonFaceBackground);
    // An empty item for a place out of range.
    TickerTextItem GetItem(int position) const;
    bool RemoveItem(int position);
    void RemoveAllItems();
    int GetItemCount() const { return static_cast<int>(m_items.size()); }

    // -1 stands for the system button-face colour.
    void SetBkColor(std::int64_t color);
    COLORREF BkColor() const { return m_crBackground; }
    static COLORREF ButtonFaceColor();

    // Whether the items' font height follows the control's height (on at start).
    void SetFontFollowsHeight(bool on);
    int TotalWidth() const;
    // Where item `position` starts now (hit tests); -1 for a place out of range.
    int ItemLeft(int position) const;
    int Offset() const { return m_nOffset; }
    QFont ItemFont(std::uint32_t style) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    int ItemWidth(const TickerTextItem& item) const;
    // The item as it is painted, drawn once and kept until the item, the font, the height
    // or the background changes: a scrolling strip only copies pictures.
    const QPixmap& Picture(std::size_t index) const;
    // Widths follow the items, the font and the height; a hidden control gets its resize
    // only when shown, so the height is checked whenever a width is needed.
    void Fit() const;
    void Refit();

    int m_nOffset = 0;

private:
    std::vector<TickerTextItem> m_items;
    COLORREF m_crBackground;
    bool m_bFontFollowsHeight = true;
    mutable std::vector<int> m_widths;
    mutable std::vector<QPixmap> m_pictures;
    mutable std::map<std::uint32_t, QFont> m_fonts; // by style, for the fitted height
    mutable int m_nTotalWidth = 0;
    mutable int m_nFittedHeight = -1;
    mutable int m_nPixelSize = 0; // the items' font size while it follows the height
};

// The strip's moving text: one pixel per interval, left for a positive speed and right for
// a negative one. Each step starts the next one-shot timer, so a slow paint delays the text
// rather than piling steps up; a speed change starts a fresh timer and the old one's event,
// still on its way, is told apart by its id.
class CScrollingText final : public CTextItemStatic {
    Q_OBJECT
public:
    static constexpr int kMaxSpeed = 1000;

    explicit CScrollingText(QWidget* parent = nullptr);

    // -1000..1000; 0 stops the text where it stands; values outside are ignored.
    void SetSpeed(int speed);
    int Speed() const { return m_nSpeed; }
    int Interval() const { return m_nInterval; }
    // The running timer's id, 0 when stopped.
    int TimerId() const { return m_nTimerId; }
    // A timer's event: only the current timer's steps the text and starts the next.
    void OnTimer(int timerId);

protected:
    void resizeEvent(QResizeEvent* e) override;
    // Clicks belong to the strip (dragging): presses and releases go on to the parent.
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void StartTimer();
    void Step();

    int m_nSpeed = 0;
    int m_nTimerId = 0;
    QTimer* m_timer = nullptr;
    int m_nLastTimerId = 0;
    int m_nInterval = kInitialScrollInterval;
};
