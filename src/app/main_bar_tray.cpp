// The bar's tray icon, hiding and showing it with its pages, its context menu and the
// commands of both menus.
#include <map>
#include <string>

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/core/autostart.h"
#include "app/main_bar_dlg.h"
#include "platform/base/install_paths.h"
#include "platform/ui/message_box.h"

namespace {

constexpr const char* kNoTrayMessage =
    "This desktop has no notification area to keep Koravel in, so the bar is minimised "
    "instead.\nBring it back from the desktop's list of windows.";
constexpr const char* kTrayTip = "           Koravel !      \nDouble Click to Show/Hide";

} // namespace

void CMainBarDlg::AddTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        m_bIconAdded = false; // no tray in this session: nothing to remove at the end
        return;
    }
    m_tray = new QSystemTrayIcon(QIcon(":/bitmaps/128-32.png"), this);
    m_tray->setToolTip(kTrayTip);
    m_trayMenu = new QMenu(this);
    auto addCommand = [this](const char* text, int id) {
        QAction* a = m_trayMenu->addAction(text);
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        return a;
    };
    QAction* show = addCommand("Show", ID_TRAY_SHOW);
    addCommand("Hide", ID_TRAY_HIDE);
    m_trayMenu->addSeparator();
    addCommand("Exit", ID_TRAY_EXIT);
    m_trayMenu->setDefaultAction(show);
    connect(m_trayMenu, &QMenu::aboutToShow, this, [this] {
        const auto actions = m_trayMenu->actions();
        actions[0]->setEnabled(m_bHidden);
        actions[1]->setEnabled(!m_bHidden);
    });
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick)
                    OnTrayNotify(1, kTrayLeftDoubleClick);
            });
    m_tray->show();
    m_bIconAdded = true;
}

void CMainBarDlg::OnTrayNotify(int iconId, int mouseMessage) {
    if (iconId != 1)
        return;
    switch (mouseMessage) {
    case kTrayLeftDoubleClick:
        if (!m_bHidden) {
            HideToTray();
        } else {
            ShowAll();
            m_bHidden = false;
        }
        break;
    case kTrayRightDown:
    case kTrayContextMenu:
        if (m_trayMenu) {
            const int command = ui::trackPopupMenu(*m_trayMenu, QCursor::pos());
            if (command)
                OnCommand(command);
        }
        break;
    default:
        break;
    }
}

void CMainBarDlg::ShowAll() {
    show();
    for (auto& slot : m_pages)
        if (slot.window && slot.shown) {
            DockPage(slot.window);
            slot.window->show();
        }
}

void CMainBarDlg::HideToTray() {
    const bool trayThere =
        m_trayProbe ? m_trayProbe() : m_bIconAdded && QSystemTrayIcon::isSystemTrayAvailable();
    if (trayThere) {
        HideAll();
        m_bHidden = true;
        return;
    }
    // No notification area (or it went away): hidden, the bar could never be found again.
    // Minimised, the desktop's window list brings it back.
    ui::messageBox(kNoTrayMessage, ui::MB_OK | ui::MB_ICONINFORMATION, this);
    for (auto& slot : m_pages)
        if (slot.window && slot.shown)
            slot.window->hide();
    m_bHidden = true;
    m_bMinimisedForTray = true;
    showMinimized();
}

void CMainBarDlg::changeEvent(QEvent* e) {
    ui::CDialog::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && m_bMinimisedForTray && !isMinimized()) {
        m_bMinimisedForTray = false;
        ShowAll();
        m_bHidden = false;
    }
}

void CMainBarDlg::HideAll() {
    hide();
    for (auto& slot : m_pages)
        if (slot.window && slot.shown)
            slot.window->hide();
}

std::unique_ptr<QMenu> CMainBarDlg::BuildContextMenu() {
    auto menu = std::make_unique<QMenu>(this);
    auto add = [](QMenu* m, const char* text, int id) {
        QAction* a = m->addAction(text);
        a->setData(id);
        return a;
    };
    add(menu.get(), "Top    Left", ID_TOP_LEFT);
    add(menu.get(), "Top    Right", ID_TOP_RIGHT);
    add(menu.get(), "Bottom Left", ID_BOTTOM_LEFT);
    add(menu.get(), "Bottom Right", ID_BOTTOM_RIGHT);
    menu->addSeparator();
    add(menu.get(), "Top    Center", ID_TOP_CENTER);
    add(menu.get(), "Bottom Center", ID_BOTTOM_CENTER);
    menu->addSeparator();
    QMenu* speed = menu->addMenu("My Internet Speed");
    for (auto [text, id] : {std::pair{"Low", ID_SPEED_LOW},
                            {"Medium", ID_SPEED_MEDIUM},
                            {"High", ID_SPEED_HIGH},
                            {"Very High", ID_SPEED_VERY_HIGH}}) {
        QAction* a = add(speed, text, id);
        a->setCheckable(true);
        a->setChecked(id == m_nSpeedCommand);
    }
    menu->addSeparator();
    QAction* autostart = add(menu.get(), "Start with the desktop", ID_AUTOSTART);
    autostart->setCheckable(true);
    autostart->setChecked(autostart::IsEnabled());
    menu->addSeparator();
    add(menu.get(), "CLOSE ME!!!", ID_CLOSE_ME);
    return menu;
}

void CMainBarDlg::contextMenuEvent(QContextMenuEvent* e) {
    ShowContextMenu(e->globalPos(), e->reason() == QContextMenuEvent::Keyboard);
}

void CMainBarDlg::ShowContextMenu(const QPoint& screenPos, bool fromKeyboard) {
    // A menu asked for from the keyboard is left to the default handling (none).
    if (fromKeyboard || !frameGeometry().contains(screenPos))
        return;
    auto menu = BuildContextMenu();
    // Centred on the point, as the bar's menus always were.
    const QPoint at = screenPos - QPoint(menu->sizeHint().width() / 2, 0);
    const int command = ui::trackPopupMenu(*menu, at);
    if (command)
        OnCommand(command);
}

void CMainBarDlg::SetSpeed(int command) {
    // Slower connections refresh less often; "High" is the classic 15 seconds.
    static const std::map<int, int> kIntervals = {{ID_SPEED_LOW, 30000},
                                                  {ID_SPEED_MEDIUM, 20000},
                                                  {ID_SPEED_HIGH, 15000},
                                                  {ID_SPEED_VERY_HIGH, 10000}};
    m_nSpeedCommand = command;
    m_nRefreshInterval = kIntervals.at(command);
    if (m_bProbeDone && HasTimer(kRefreshTimer))
        SetTimer(kRefreshTimer, m_nRefreshInterval);
}

void CMainBarDlg::OnCommand(int command) {
    switch (command) {
    case ID_TOP_LEFT:
    case ID_TOP_RIGHT:
    case ID_BOTTOM_LEFT:
    case ID_BOTTOM_RIGHT:
    case ID_TOP_CENTER:
    case ID_BOTTOM_CENTER:
        PlaceBar(command);
        break;
    case ID_SPEED_LOW:
    case ID_SPEED_MEDIUM:
    case ID_SPEED_HIGH:
    case ID_SPEED_VERY_HIGH:
        SetSpeed(command);
        break;
    case ID_CLOSE_ME:
    case ID_TRAY_EXIT:
        CloseBar();
        break;
    case ID_TRAY_SHOW:
        ShowAll();
        m_bHidden = false;
        break;
    case ID_TRAY_HIDE:
        HideToTray();
        break;
    case ID_AUTOSTART:
        if (std::string error;
            !(autostart::IsEnabled() ? autostart::Disable(error)
                                     : autostart::Enable(install::ProgramPath(), error)))
            ui::messageBox(error, ui::MB_OK | ui::MB_ICONWARNING, this);
        break;
    default:
        break;
    }
}
