#include "app/ticker_bar_dlg.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <QWindow>

#include "app/core/bar_rules.h"
#include "app/core/ticker_rules.h"
#include "app/main_bar_dlg.h"
#include "app/scrolling_text.h"
#include "controls/color_button.h"
#include "controls/link_label.h"

namespace {

// The NIFTY value's font: its face names no installed font, so the system's substitute
// for a bold face of that height is what shows.
constexpr const char* kTickerFontFace = "Ticker Font";
constexpr int kTickerFontHeight = 18;

// NIFTY has grown to five digits and its daily change to three: at these sizes they no
// longer fit their places in the box, so the face is narrowed rather than digits cut off.
void NarrowToFit(QLabel* label) {
    QFont font = label->font();
    const int room = label->contentsRect().width();
    for (int stretch = 100; stretch >= 60; stretch -= 5) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= room)
            break;
    }
    label->setFont(font);
}

} // namespace

CTickerBarDlg::CTickerBarDlg(CMainBarDlg& bar) : ui::CDialog(182, &bar), m_bar(bar) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    BuildTemplate();
}

void CTickerBarDlg::BuildTemplate() {
    SetTemplateSize(602, 21);
    AddGroup(-1, "Nifty", 1, 0, 83, 20);
    m_niftyValue = Add<CLinkLabel>(IDC_NIFTY_VALUE, 3, 8, 44, 10);
    m_niftyChange = AddStatic(IDC_NIFTY_CHANGE, "", 51, 9, 32, 8);
    m_niftyChange->setWordWrap(false);
    m_scroller = Add<CScrollingText>(IDC_SCROLLER, 87, 3, 473, 16);
    m_speed = Add<QSlider>(IDC_SPEED, 562, 2, 22, 9, Qt::Horizontal);
    AddStatic(-1, "Speed", 563, 10, 22, 8);
    auto* back = Add<CColorButton>(IDC_BACK_TO_BAR, 586, 3, 14, 15, std::string("M"));
    connect(back, &QPushButton::clicked, this, &CTickerBarDlg::OnBackToBar);
}

bool CTickerBarDlg::OnInitDialog() {
    // Top centre of the screen, above other windows.
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect desk = s->geometry();
        const BarRect desktop{desk.left(), desk.top(), desk.left() + desk.width(),
                              desk.top() + desk.height()};
        const BarPoint pt = PlaceBarPosition(ID_TOP_CENTER, desktop, 0, width(), height(), {});
        move(pt.x, pt.y);
    }
    SetPageColor(colors::kPage);
    CColorButton::Attach(IDC_BACK_TO_BAR, this, colors::kPage, colors::kButtonText,
                         colors::kDisabledText, colors::kBevel);
    m_niftyValue->SetTextColor(colors::kBlue);
    // The speed control.
    m_speed->setRange(0, 600);
    m_speed->setValue(kInitialSpeed);
    m_nSpeed = m_speed->value();
    // The scroller.
    m_scroller->SetBkColor(colors::kWhite);
    m_scroller->SetSpeed(m_nSpeed);
    // Drags start on the free surface; the speed is taken when the mouse lets go of it.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    // 5.
    UpdateTicker();
    return true;
}

void CTickerBarDlg::UpdateTicker() {
    const QuoteRecord& nifty = m_bar.NiftyRecord();
    m_strNiftyValue = NiftyValueText(nifty);
    QFont font{QString::fromLatin1(kTickerFontFace)};
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    m_niftyValue->setFont(FontWithCellHeight(font, kTickerFontHeight));
    m_niftyValue->SetText(m_strNiftyValue);
    NarrowToFit(m_niftyValue);

    m_strNiftyChange = NiftyChangeText(nifty);
    QPalette pal = m_niftyChange->palette();
    pal.setColor(QPalette::WindowText, ui::ToQColor(NiftyChangeColor(nifty)));
    m_niftyChange->setPalette(pal);
    m_niftyChange->setText(ui::Q(m_strNiftyChange));
    NarrowToFit(m_niftyChange);

    m_scroller->RemoveAllItems();
    for (const TickerTextItem& item : TickerItems(m_bar.WatchQuotes()))
        m_scroller->AddItem(item);
}

void CTickerBarDlg::OnBackToBar() {
    if (m_bClosing)
        return;
    m_bClosing = true;
    m_scroller->SetSpeed(0);
    m_bar.OnTickerClosed();
    hide();
    deleteLater();
}

void CTickerBarDlg::OnSpeedReleased() {
    m_nSpeed = m_speed->value();
    m_scroller->SetSpeed(m_nSpeed);
}

void CTickerBarDlg::paintEvent(QPaintEvent* e) {
    ui::CDialog::paintEvent(e);
    QPainter p(this);
    p.setPen(QColor(0x64, 0x64, 0x64)); // the thin border of a caption-less window
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CTickerBarDlg::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
    ui::CDialog::mousePressEvent(e);
}

bool CTickerBarDlg::eventFilter(QObject* watched, QEvent* e) {
    if (ui::DragOnPress(this, watched, e))
        return true;
    if (e->type() == QEvent::MouseButtonRelease && watched == m_speed) {
        // A drag of the thumb or a click on the groove has set the value by now.
        OnSpeedReleased();
    }
    return ui::CDialog::eventFilter(watched, e);
}
