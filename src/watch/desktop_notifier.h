#pragma once

#include <string>

#include <QObject>

// Alerts as one desktop notification, where the session offers a notification service.
// A new alert replaces the previous one instead of stacking up.
class CDesktopNotifier final : public QObject {
    Q_OBJECT
public:
    explicit CDesktopNotifier(QObject* parent = nullptr);
    // False when there is no notification service (nothing is shown then).
    bool Notify(const std::string& summary, const std::string& body);
    bool IsAvailable() const;

private:
    unsigned m_lastId = 0;
};
