#include "charts/image_view.h"

#include <QLabel>
#include <QPixmap>

#include "platform/base/text.h"
#include "platform/inet/internet_session.h"

CImageView::CImageView(QWidget* parent) : QScrollArea(parent), m_label(new QLabel) {
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setBackgroundRole(QPalette::Window);
    setAlignment(Qt::AlignCenter);
    setWidget(m_label);
    setWidgetResizable(true);
}

CImageView::~CImageView() {
    StopFetch();
}

void CImageView::StopFetch() {
    if (m_cancel)
        m_cancel->store(true);
    if (m_thread.joinable())
        m_thread.join();
}

QPixmap CImageView::Picture() const {
    return m_label->pixmap();
}

void CImageView::Navigate(const std::string& url) {
    StopFetch();
    m_url = url;
    const int generation = ++m_generation;
    m_busy = true;
    m_label->setPixmap(QPixmap());
    if (!text::StartsWith(text::ToLowerAscii(url), "http://") &&
        !text::StartsWith(text::ToLowerAscii(url), "https://")) {
        Show(generation, false, {}, "Only web addresses can be shown here.");
        return;
    }
    m_label->setText("Loading chart...");
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_thread = std::thread([this, url, generation, cancel = m_cancel] {
        bool ok = false;
        QByteArray data;
        QString error;
        try {
            CInternetSession session("Chart Viewer", 1);
            session.SetCancelFlag(cancel);
            const std::string body = session.OpenURL(url, 1, 0)->ReadAll();
            data = QByteArray(body.data(), static_cast<qsizetype>(body.size()));
            ok = true;
        } catch (const CInternetException& e) {
            error = QString::fromStdString(e.GetErrorMessage());
        }
        if (cancel->load())
            return;
        // Delivered on the window's thread; the destructor joins this thread first.
        QMetaObject::invokeMethod(
            this, [this, generation, ok, data, error] { Show(generation, ok, data, error); },
            Qt::QueuedConnection);
    });
}

void CImageView::Show(int generation, bool ok, const QByteArray& data, const QString& error) {
    if (generation != m_generation)
        return;
    m_busy = false;
    QPixmap picture;
    if (ok && picture.loadFromData(data)) {
        m_label->setPixmap(picture);
        emit loaded(true);
        return;
    }
    m_label->setPixmap(QPixmap());
    m_label->setText(ok ? "The chart service sent something that is not a picture."
                        : "The chart could not be loaded.\n" + error);
    emit loaded(false);
}
