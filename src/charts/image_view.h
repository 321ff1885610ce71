#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <QScrollArea>

class QLabel;

// Shows the picture at an address, fetched in the background through the program's own
// HTTP layer (only http and https addresses).
class CImageView final : public QScrollArea {
    Q_OBJECT
public:
    explicit CImageView(QWidget* parent = nullptr);
    ~CImageView() override;

    void Navigate(const std::string& url);
    const std::string& LocationURL() const { return m_url; }
    bool IsBusy() const { return m_busy; }
    // The picture shown, null while loading or after a failure.
    QPixmap Picture() const;

signals:
    void loaded(bool ok);

private:
    void Show(int generation, bool ok, const QByteArray& data, const QString& error);
    void StopFetch();

    QLabel* m_label;
    std::string m_url;
    int m_generation = 0;
    bool m_busy = false;
    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};
