#include "platform/ui/post_message.h"

#include <QCoreApplication>

namespace ui {

QEvent::Type UserMessageEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void postMessage(QObject* target, unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) {
    if (target)
        QCoreApplication::postEvent(target, new UserMessageEvent(message, wParam, lParam));
}

void Mailbox::Post(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) {
    std::lock_guard lock(m_mutex);
    postMessage(m_target, message, wParam, lParam);
}

void Mailbox::Close() {
    std::lock_guard lock(m_mutex);
    m_target = nullptr;
}

msg::Poster MakePoster(const std::shared_ptr<Mailbox>& mailbox) {
    return [mailbox](unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) {
        mailbox->Post(message, wParam, lParam);
    };
}

} // namespace ui
