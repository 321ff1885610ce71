#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QImage>
#include <QObject>
#include <QString>

class CMainBarDlg;

// `koravel --tour DIR`: once the first refresh is in, it writes pictures of what a user
// sees (the bar, its menu, the About box, the chart page, every page docked under the bar,
// and the dialogs later libraries add) and ends the program.
class CTour final : public QObject {
    Q_OBJECT
public:
    // `advanceMarket` moves the market's clock on, so a second refresh shows movement.
    CTour(CMainBarDlg& bar, QString dir, std::function<void(int seconds)> advanceMarket = {});
    void Start();
    const QStringList& Written() const { return m_written; }

    // A picture a library adds to the tour: it may open its dialog on the bar and return
    // what it shows.
    using Step = std::function<QImage(CMainBarDlg& bar)>;
    static void AddStep(const std::string& name, Step step);
    // Data a library puts into the tour's own data source before the bar starts (lots,
    // brokers, chosen futures...).
    static void AddDataFiller(std::function<void()> filler);
    static void RunDataFillers();

    // The bar with a window docked under it, as one picture.
    static QImage Docked(QWidget& bar, QWidget& page);
    // Lets queued work run (paints, fetch completions) for up to `ms`, or until `done`.
    static bool Wait(int ms, const std::function<bool()>& done = {});

private:
    void Run();
    bool Save(const QImage& image, const QString& name);
    void Finish(int exitCode);

    CMainBarDlg& m_bar;
    QString m_dir;
    std::function<void(int)> m_advanceMarket;
    QStringList m_written;
    bool m_started = false;
};
