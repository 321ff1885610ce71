#pragma once

#include <memory>
#include <optional>
#include <string>

class CMainBarDlg;
class QSocketNotifier;

// How the program was started.
struct AppOptions {
    std::string market; // --market URL
    bool live = false;  // --live: the embedded market asks the public services
    std::optional<std::string>
        clock; // --clock "YYYY-MM-DD HH:MM:SS": the program's and the market's time
    unsigned long long seed = 7; // --seed N for the embedded market
    double speed = 1.0;          // --speed N for the embedded market
    std::string tourDir;         // --tour DIR
    bool noSplash = false;       // --nosplash (also /Embedding, /Automation)
    bool help = false;
    bool version = false; // --version
};

// Reads the command line; false with a message for bad usage.
bool ParseAppOptions(int argc, char** argv, AppOptions& options, std::string& error);
std::string AppUsage();

// While it lives, SIGTERM, SIGINT and SIGHUP end the program cleanly from wherever it
// stands: the pages save what they keep, then the bar closes, open dialogs and boxes first.
class TerminationSignals final {
public:
    explicit TerminationSignals(CMainBarDlg& bar);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// The application: start-up, the embedded market, the one-instance lock, clean ends on
// signals and at logout. Returns the exit status.
int RunKoravel(int argc, char** argv);
