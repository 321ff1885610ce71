#include "app/shell/program.h"

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include "app/main_bar_dlg.h"
#include "app/shell/program_help.h"
#include "app/shell/tour_data.h"
#include "app/tour.h"
#include "charts/hist_chart_dlg.h"
#include "charts/live_chart_dlg.h"
#include "marketserver/market_server.h"
#include "platform/base/clock.h"
#include "platform/base/install_paths.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "platform/com/com.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "setup/first_start.h"
#include "setup/setup.h"

namespace {

// Where a pinned tour shows the market: a Monday, in the session.
constexpr const char* kTourClock = "2026-12-07 11:00:00";

int g_signalPipe[2] = {-1, -1};
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnSignal(int signal) {
    const char c = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &c, 1);
}

bool HaveDisplay() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* s = std::getenv(v); s && *s)
            return true;
    return false;
}

// One bar per user: a second one would rewrite the same watch table.
class InstanceLock final {
public:
    bool Acquire() {
        const std::string dir =
            std::getenv("XDG_RUNTIME_DIR") ? paths::RuntimeDir() : paths::ConfigDir();
        paths::MakeDirs(dir);
        m_path = paths::Join(dir, "koravel.lock");
        m_fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return true; // nowhere to lock: do not stop the user over it
        return flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~InstanceLock() {
        if (m_fd >= 0)
            close(m_fd);
    }

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace

TerminationSignals::TerminationSignals(CMainBarDlg& bar) {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    // The handler runs wherever the event loop stands, inside a dialog or a box too: it
    // saves first, then the bar's end closes whatever is open before the pages go.
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &bar, [&bar] {
        char c = 0;
        while (read(g_signalPipe[0], &c, 1) == 1) {
        }
        ui::SetNonInteractive(true); // a box now could hold the end up
        bar.SaveAll();
        bar.CloseBar(0);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : kEndSignals)
        sigaction(s, &sa, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    for (int s : kEndSignals)
        signal(s, SIG_DFL);
    m_notifier.reset();
    close(g_signalPipe[0]);
    close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

std::string AppUsage() {
    return KoravelHelp();
}

bool ParseAppOptions(int argc, char** argv, AppOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--market") {
            if (!value(o.market))
                return false;
        } else if (a == "--live") {
            o.live = true;
        } else if (a == "--clock") {
            if (!value(v))
                return false;
            if (!ParseLocalTime(v)) {
                error = "--clock must be \"YYYY-MM-DD HH:MM:SS\"";
                return false;
            }
            o.clock = v;
        } else if (a == "--seed") {
            if (!value(v))
                return false;
            o.seed = std::strtoull(v.c_str(), nullptr, 10);
        } else if (a == "--speed") {
            if (!value(v))
                return false;
            o.speed = text::CStrToD(v);
            if (!(o.speed >= 0 && o.speed <= 100000)) {
                error = "--speed must be between 0 and 100000";
                return false;
            }
        } else if (a == "--tour") {
            if (!value(o.tourDir))
                return false;
        } else if (a == "--nosplash" || a == "/Embedding" || a == "-Embedding" ||
                   a == "/Automation" || a == "-Automation") {
            o.noSplash = true;
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    return true;
}

namespace {

// The program from its command line to its end, one step after another.
class Program final {
public:
    // Reads the command line: an exit status when there is nothing more to do (help, bad
    // usage, no display), else nothing.
    std::optional<int> ReadCommandLine(int argc, char** argv);
    // The tour keeps to a data root of its own, so it never touches the user's lists.
    void PrepareTourData();
    // One bar per user; false (with a message) when another one runs.
    bool AcquireInstance();
    // The first start sets up the data folder, the data source and the components; false
    // (with a message naming the path and what to do) when it cannot.
    bool SetUpFirstStart();
    void SetClock();
    // The market: configured services, or the embedded market server in this process. An
    // exit status when it cannot start.
    std::optional<int> StartMarket();
    // The bar, in the main event loop until it closes; its exit status.
    int RunBar(QApplication& app);
    // The embedded market goes while the application still stands.
    void StopMarket() { m_market.reset(); }

    bool Tour() const { return !m_options.tourDir.empty(); }

private:
    void AdvanceTourClock(int seconds);

    AppOptions m_options;
    QTemporaryDir m_tourData;
    InstanceLock m_lock;
    std::unique_ptr<marketserver::MarketServer> m_market;
    PriceSource m_priceSource = PriceSource::Configured;
};

std::optional<int> Program::ReadCommandLine(int argc, char** argv) {
    std::string error;
    if (!ParseAppOptions(argc, argv, m_options, error)) {
        std::fprintf(stderr, "koravel: %s\n%s", error.c_str(), AppUsage().c_str());
        return 2;
    }
    if (m_options.help || m_options.version) {
        std::fputs((m_options.help ? AppUsage() : install::VersionText("koravel")).c_str(), stdout);
        return 0;
    }
    if (!HaveDisplay()) {
        if (!Tour()) {
            std::fprintf(
                stderr,
                "koravel: there is no display to show the bar on (DISPLAY and WAYLAND_DISPLAY are "
                "unset); run it in a desktop session, or see it in pictures with: koravel --tour "
                "DIR\n");
            return 1;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    if (Tour() && !m_options.clock)
        m_options.clock = kTourClock;
    return std::nullopt;
}

void Program::PrepareTourData() {
    const std::string root = m_tourData.path().toStdString();
    setenv("KORAVEL_ROOT", root.c_str(), 1);
    setenv("ODBCINI", (root + "/odbc.ini").c_str(), 1);
    setup::Options so;
    so.root = root;
    so.dbFile = root + "/CompanyList.db";
    so.odbcIni = root + "/odbc.ini";
    // Its own data source even where the system names a shared CompanyList.
    so.replaceDsn = true;
    // The bridge and the charting-program stand-in beside the program, registered in the
    // tour's own registry.
    setenv("KORAVEL_COM_REGISTRY", (root + "/registry.ini").c_str(), 1);
    for (const char* lib : {"libpellar.so", "libkoravel-chartstore.so"})
        RegisterServerLibrary(paths::Join(install::ComponentDir(), lib));
    std::ostringstream out, err;
    if (setup::Run(so, out, err) != 0)
        std::fprintf(stderr, "koravel: the tour's data source could not be set up: %s",
                     err.str().c_str());
}

bool Program::AcquireInstance() {
    if (Tour() || m_lock.Acquire())
        return true;
    std::fprintf(stderr, "koravel: Koravel is already running for this user.\n");
    if (QGuiApplication::platformName() != "offscreen") // nobody could answer a box there
        ui::messageBox("Koravel is already running.", ui::MB_OK | ui::MB_ICONINFORMATION);
    return false;
}

bool Program::SetUpFirstStart() {
    std::string problem;
    if (Tour() || setup::PrepareFirstStart(install::ComponentDir(), std::cout, problem))
        return true;
    std::fprintf(stderr, "koravel: %s\n", problem.c_str());
    if (QGuiApplication::platformName() != "offscreen")
        ui::messageBox(problem, ui::MB_OK | ui::MB_ICONERROR);
    return false;
}

void Program::SetClock() {
    // A given clock runs on from its moment; the tour's stands still.
    if (!m_options.clock)
        return;
    const LocalTime start = *ParseLocalTime(*m_options.clock);
    if (Tour())
        Clock::SetFixed(start);
    else
        Clock::SetRunningFrom(start);
}

std::optional<int> Program::StartMarket() {
    if (!m_options.market.empty())
        inet::SetCommandLineMarket(m_options.market);
    if (!inet::NeedsEmbeddedMarket())
        return std::nullopt;
    marketserver::MarketOptions mo;
    if (m_options.live && !Tour()) {
        upstream::UpstreamOptions& u = mo.upstream.emplace();
        // The services' hosts can be moved, as koravel-market --upstream-base does.
        std::string error;
        if (const char* bases = std::getenv("KORAVEL_UPSTREAM_BASE");
            bases && *bases && !upstream::ParseUpstreamBases(bases, u, error)) {
            std::fprintf(stderr, "koravel: KORAVEL_UPSTREAM_BASE: %s\n", error.c_str());
            return 2;
        }
    }
    mo.seed = m_options.seed;
    mo.speed = Tour() ? 0 : m_options.speed;
    if (m_options.clock) {
        sim::CivilSeconds t = 0;
        sim::VirtualClock::Parse(*m_options.clock, t);
        mo.clock = t;
    }
    m_market = marketserver::StartEmbeddedMarket(mo);
    if (!m_market) {
        std::fprintf(stderr, "koravel: the embedded market could not start on 127.0.0.1\n");
        return 1;
    }
    inet::SetEmbeddedMarket(m_market->BaseUrl());
    if (inet::ServiceBase(inet::Service::Quote) == m_market->BaseUrl())
        m_priceSource = m_market->IsUpstream() ? PriceSource::Live : PriceSource::Simulated;
    if (Tour()) {
        FillTourWatchList(m_market->Engine(), m_market->Clock().Now());
        CTour::RunDataFillers();
    }
    return std::nullopt;
}

void Program::AdvanceTourClock(int seconds) {
    // The tour's time stands still unless the tour moves it: the market's and the
    // program's clocks together.
    if (m_market && m_market->Simulation())
        m_market->Clock().Set(m_market->Clock().Now() + seconds);
    const LocalTime now = Clock::Now();
    const std::int64_t t =
        DaysFromCivil(now.year, now.month, now.day) * 86400 + now.SecondsOfDay() + seconds;
    int y = 0, m = 0, d = 0;
    CivilFromDays(t / 86400, y, m, d);
    Clock::SetFixed(MakeLocalTime(y, m, d, static_cast<int>(t % 86400 / 3600),
                                  static_cast<int>(t % 3600 / 60), static_cast<int>(t % 60)));
}

int Program::RunBar(QApplication& app) {
    InstallHistChartOpener();
    RegisterBarAction(IDC_LIVE_CHART, [](CMainBarDlg& bar) { CLiveChartDlg::Open(&bar); });

    CMainBarDlg bar;
    bar.SetShowSplash(!m_options.noSplash && !Tour());
    bar.SetPriceSource(m_priceSource);
    int exitCode = 0;
    QObject::connect(&bar, &CMainBarDlg::closed, &app, [&](int code) {
        exitCode = code;
        app.exit(code);
    });

    // Termination signals end the program cleanly: pages save what they keep.
    TerminationSignals signalsEnd(bar);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &bar,
                     [&bar](QSessionManager&) { bar.SaveAll(); });
    // However the loop ends, no worker may be left waiting on a box nobody will show.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &bar, [] { ui::EndProgram(nullptr); });

    // The bar starts inside the main event loop: a message box during its start-up (a
    // missing data source, say) then runs nested in that loop, and the end of the program
    // ends them both.
    std::unique_ptr<CTour> tourRun;
    QTimer::singleShot(0, &bar, [&] {
        bar.Create(true);
        if (Tour()) {
            tourRun = std::make_unique<CTour>(bar, QString::fromStdString(m_options.tourDir),
                                              [this](int seconds) { AdvanceTourClock(seconds); });
            tourRun->Start();
        }
    });
    app.exec();
    CInternetSession::CancelAll(); // no transfer outlives the program
    return exitCode;
}

} // namespace

int RunKoravel(int argc, char** argv) {
    Program program;
    if (const auto exit = program.ReadCommandLine(argc, argv))
        return *exit;

    // The data source manager reads the user's DSN file from the password database's home,
    // setup writes it under $HOME: name the file, so both mean the same one.
    if (!std::getenv("ODBCINI"))
        setenv("ODBCINI", paths::Join(paths::HomeDir(), ".odbc.ini").c_str(), 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Koravel");
    QGuiApplication::setDesktopFileName("koravel"); // the menu entry's icon on Wayland
    QApplication::setQuitOnLastWindowClosed(false); // the bar hidden in the tray is still running
    std::setlocale(LC_NUMERIC, "C");                // files and protocols use the decimal point
    inet::GlobalInit();

    if (program.Tour()) {
        ui::SetNonInteractive(true); // the tour answers to nobody: messages go to stderr
        program.PrepareTourData();
    }
    if (!program.AcquireInstance() || !program.SetUpFirstStart())
        return 1;
    program.SetClock();
    if (const auto exit = program.StartMarket())
        return *exit;
    const int exitCode = program.RunBar(app);
    program.StopMarket();
    return exitCode;
}
