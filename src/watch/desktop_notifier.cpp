#include "watch/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";

} // namespace

CDesktopNotifier::CDesktopNotifier(QObject* parent) : QObject(parent) {}

bool CDesktopNotifier::IsAvailable() const {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kService);
}

bool CDesktopNotifier::Notify(const std::string& summary, const std::string& body) {
    if (!IsAvailable())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
    call << QString("Koravel") << m_lastId << QString("dialog-information")
         << QString::fromStdString(summary) << QString::fromStdString(body) << QStringList()
         << QVariantMap() << -1;
    // Asynchronous: a slow notification service never holds up the refresh.
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<unsigned> reply = *w;
        if (!reply.isError())
            m_lastId = reply.value();
        w->deleteLater();
    });
    return true;
}
