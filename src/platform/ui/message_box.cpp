#include "platform/ui/message_box.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QThread>

namespace ui {

namespace {

std::mutex g_hookMutex;
std::atomic<bool> g_nonInteractive{false};
MessageBoxHook g_messageBoxHook;
ModalHook g_modalHook;
MenuHook g_menuHook;

template <class Hook> Hook Current(const Hook& hook) {
    std::lock_guard lock(g_hookMutex);
    return hook;
}

int ShowBox(const std::string& text, unsigned type, QWidget* parent) {
    if (auto hook = Current(g_messageBoxHook))
        return hook({text, type});
    if (g_nonInteractive.load()) {
        std::fprintf(stderr, "koravel: %s\n", text.c_str());
        return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
    QMessageBox box(parent);
    box.setWindowTitle(kAppTitle);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    switch (type & 0xF0) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon((type & 0xF) == MB_YESNO ? QMessageBox::Question : QMessageBox::Warning);
    }
    switch (type & 0xF) {
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
}

} // namespace

int messageBox(const std::string& text, unsigned type, QWidget* parent) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return ShowBox(text, type, parent);
    int result = IDOK;
    QMetaObject::invokeMethod(
        app, [&] { result = ShowBox(text, type, nullptr); }, Qt::BlockingQueuedConnection);
    return result;
}

int runModal(QDialog& dialog) {
    if (auto hook = Current(g_modalHook))
        return hook(dialog);
    return dialog.exec();
}

int trackPopupMenu(QMenu& menu, const QPoint& screenPos) {
    if (auto hook = Current(g_menuHook))
        return hook(menu, screenPos);
    QAction* chosen = menu.exec(screenPos);
    return chosen ? chosen->data().toInt() : 0;
}

void SetNonInteractive(bool on) {
    g_nonInteractive.store(on);
}

void SetMessageBoxHook(MessageBoxHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_messageBoxHook = std::move(hook);
}

void SetModalHook(ModalHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_modalHook = std::move(hook);
}

void SetMenuHook(MenuHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_menuHook = std::move(hook);
}

} // namespace ui
