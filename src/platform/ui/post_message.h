#pragma once

#include <memory>
#include <mutex>

#include <QEvent>
#include <QObject>

#include "platform/base/messages.h"

namespace ui {

// A posted window message, delivered through the receiver's event queue.
class UserMessageEvent final : public QEvent {
public:
    static QEvent::Type EventType();
    UserMessageEvent(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam)
        : QEvent(EventType()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}
    unsigned message() const { return m_message; }
    msg::WPARAM wParam() const { return m_wParam; }
    msg::LPARAM lParam() const { return m_lParam; }

private:
    unsigned m_message;
    msg::WPARAM m_wParam;
    msg::LPARAM m_lParam;
};

// Posts a message to a window: it is handled later, on the window's thread. Safe from any
// thread, as long as the target lives.
void postMessage(QObject* target, unsigned message, msg::WPARAM wParam = 0, msg::LPARAM lParam = 0);

// The address of a window for code that may outlive it (worker threads): posting after the
// window has gone does nothing. The window calls Close() in its destructor.
class Mailbox final {
public:
    explicit Mailbox(QObject* target) : m_target(target) {}
    void Post(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam);
    void Close();

private:
    std::mutex m_mutex;
    QObject* m_target;
};

// A poster bound to a mailbox, for core code that posts.
msg::Poster MakePoster(const std::shared_ptr<Mailbox>& mailbox);

} // namespace ui
