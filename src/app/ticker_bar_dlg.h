#pragma once

#include <string>

#include "platform/ui/dialog.h"

class CLinkLabel;
class CMainBarDlg;
class CScrollingText;
class QSlider;

// The ticker strip: a thin strip at the top of the screen with NIFTY in a small box and the
// watched NSE shares scrolling by. It fetches nothing; the bar refills it after a refresh.
class CTickerBarDlg final : public ui::CDialog {
    Q_OBJECT
public:
    enum ControlId {
        IDC_NIFTY_VALUE = 1146,
        IDC_NIFTY_CHANGE = 1147,
        IDC_SCROLLER = 1153,
        IDC_SPEED = 1023,
        IDC_BACK_TO_BAR = 1151,
    };
    static constexpr int kInitialSpeed = 500;

    explicit CTickerBarDlg(CMainBarDlg& bar);
    // Refills the strip from the bar's NIFTY record and the watch list's quotes.
    void UpdateTicker();
    int Speed() const { return m_nSpeed; }

protected:
    bool OnInitDialog() override;
    // Enter does nothing here; Esc (or the window manager's close) goes back to the bar, so
    // the strip can never vanish with the bar still hidden.
    void OnOK() override {}
    void OnCancel() override { OnBackToBar(); }
    void mousePressEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void BuildTemplate();
    void OnBackToBar();
    void OnSpeedReleased();

    CMainBarDlg& m_bar;
    std::string m_strNiftyValue;
    std::string m_strNiftyChange;
    int m_nSpeed = kInitialSpeed;
    bool m_bClosing = false;

    CLinkLabel* m_niftyValue = nullptr;
    QLabel* m_niftyChange = nullptr;
    CScrollingText* m_scroller = nullptr;
    QSlider* m_speed = nullptr;
};
