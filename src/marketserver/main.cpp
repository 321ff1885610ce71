// koravel-market: the market server as a program of its own.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>

#include <QGuiApplication>
#include <curl/curl.h>

#include "marketserver/market_server.h"
#include "marketserver/upstream/upstream_check.h"
#include "platform/base/install_paths.h"
#include "platform/base/text.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

void Usage(std::FILE* out) {
    std::fputs(
        "Usage: koravel-market [options]\n"
        "Serves the Indian share market over HTTP in the protocols Koravel reads: by default\n"
        "a simulated market, for every catalogue company on NSE (.NS) and BSE (.BO), NIFTY\n"
        "(^NSEI), SENSEX (^BSESN), the dollar rate (USDINR=X), sector and world indices,\n"
        "Indian ADRs and NSE futures; with --upstream, real (delayed) market data:\n"
        "  /d/quotes.csv?s=SYMBOLS&f=CODES       quote CSV (codes s l1 d1 t1 c1 o h g v j k w\n"
        "                                        p p2 n x; unknown symbols give N/A lines)\n"
        "  /instrument/1.0/SYMBOL/chartdata;type=quote;range=1d/csv/   1-minute bars of the\n"
        "                                        last session (range=5d: 5-minute bars of five)\n"
        "  /z?s=SYMBOL&t=&q=&l=&z=&p=&a=&c=      PNG chart (t 1d 5d 1m 3m 6m 1y 2y; q l b c;\n"
        "                                        l off on; z m l; p averages and overlays;\n"
        "                                        a indicator panes; c comparison symbols)\n"
        "  /lookup?s=TEXT                        symbol lookup page\n"
        "  /marketinfo/fo/fomwatchsymbol.jsp?key=SYMBOL&Fut_Opt=Futures   futures contracts\n"
        "  /content/fo/fo_markettoday.htm        futures trade statistics of the day\n"
        "Simulated prices are deterministic for a seed and clock and move only during each\n"
        "exchange's hours (NSE 09:15-15:30 IST, Monday to Friday).\n"
        "\n"
        "Upstream mode (--upstream) answers from Yahoo Finance's chart and search services\n"
        "(quotes, bars, chart pictures, lookup) and from the exchanges' daily files (NSE F&O\n"
        "and cash-market, BSE cash-market) for futures, trade statistics and toppers. The\n"
        "data is delayed, for personal use only, and must not be passed on: keep the server\n"
        "on 127.0.0.1. Requests keep to a budget per service (Yahoo: 30 a minute, 8 at once\n"
        "after a pause, 4 in flight) and answers are cached on disk.\n"
        "\n"
        "Options:\n"
        "  --host ADDR        address to listen on (default 127.0.0.1)\n"
        "  --port N           port to listen on; 0 picks a free one (default 0)\n"
        "  --upstream         answer from the public services instead of the simulation\n"
        "  --upstream-base yahoo=URL,nsearchives=URL,bse=URL\n"
        "                     where each service is asked (default: the services' own hosts)\n"
        "  --cache-dir DIR    where upstream answers are kept across restarts\n"
        "                     (default $XDG_CACHE_HOME/koravel/upstream)\n"
        "  --user-agent TEXT  User-Agent of requests to the services (default: a current\n"
        "                     desktop browser's)\n"
        "  --upstream-check   ask each service once, list the fields this program reads\n"
        "                     that its answer lacks, and exit (0 when none is missing)\n"
        "  --seed N           random seed of the price paths (default 1)\n"
        "  --clock TIME       market time at start, \"YYYY-MM-DD HH:MM:SS\" in IST\n"
        "                     (default: this machine's local time read as IST)\n"
        "  --speed N          simulated seconds per real second (default 1; 0 stops the clock)\n"
        "  --log FILE         append every request (time, path, query, User-Agent, status)\n"
        "  --help             this text\n"
        "  --version          the version\n"
        "\n"
        "It prints the base URL it serves on, then runs until interrupted.\n"
        "Admin paths (loopback only):\n"
        "  /_sim/fault?kind=delay|drop|short|500|garbage[&count=N][&symbol=S][&path=P][&ms=M]\n"
        "  /_sim/clear        remove every pending fault\n"
        "  /_sim/log          the request log\n"
        "  /_sim/clock[?set=YYYY-MM-DD HH:MM:SS][&speed=N]   read or set the market clock\n",
        out);
}

bool NeedValue(int i, int argc, const char* opt) {
    if (i + 1 < argc)
        return true;
    std::fprintf(stderr, "koravel-market: %s needs a value (see --help)\n", opt);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    marketserver::MarketOptions options;
    upstream::UpstreamOptions upstreamOptions;
    bool useUpstream = false, check = false;
    std::string host = "127.0.0.1";
    int port = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else if (a == "--version") {
            std::fputs(install::VersionText("koravel-market").c_str(), stdout);
            return 0;
        } else if (a == "--host") {
            if (!NeedValue(i, argc, "--host"))
                return 2;
            host = argv[++i];
        } else if (a == "--port") {
            if (!NeedValue(i, argc, "--port"))
                return 2;
            port = static_cast<int>(text::CStrToL32(argv[++i]));
            if (port < 0 || port > 65535) {
                std::fprintf(stderr, "koravel-market: --port must be 0..65535\n");
                return 2;
            }
        } else if (a == "--seed") {
            if (!NeedValue(i, argc, "--seed"))
                return 2;
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (a == "--clock") {
            if (!NeedValue(i, argc, "--clock"))
                return 2;
            marketserver::CivilSeconds t = 0;
            if (!sim::VirtualClock::Parse(argv[++i], t)) {
                std::fprintf(stderr, "koravel-market: --clock must be \"YYYY-MM-DD HH:MM:SS\"\n");
                return 2;
            }
            options.clock = t;
        } else if (a == "--speed") {
            if (!NeedValue(i, argc, "--speed"))
                return 2;
            options.speed = text::CStrToD(argv[++i]);
            if (!(options.speed >= 0 && options.speed <= 100000)) {
                std::fprintf(stderr, "koravel-market: --speed must be between 0 and 100000\n");
                return 2;
            }
        } else if (a == "--log") {
            if (!NeedValue(i, argc, "--log"))
                return 2;
            options.logFile = argv[++i];
        } else if (a == "--upstream") {
            useUpstream = true;
        } else if (a == "--upstream-check") {
            check = true;
        } else if (a == "--upstream-base") {
            if (!NeedValue(i, argc, "--upstream-base"))
                return 2;
            std::string error;
            if (!upstream::ParseUpstreamBases(argv[++i], upstreamOptions, error)) {
                std::fprintf(stderr, "koravel-market: --upstream-base: %s\n", error.c_str());
                return 2;
            }
        } else if (a == "--cache-dir") {
            if (!NeedValue(i, argc, "--cache-dir"))
                return 2;
            upstreamOptions.cacheDir = argv[++i];
        } else if (a == "--user-agent") {
            if (!NeedValue(i, argc, "--user-agent"))
                return 2;
            upstreamOptions.userAgent = argv[++i];
        } else {
            std::fprintf(stderr, "koravel-market: unknown option %s (see --help)\n", a.c_str());
            return 2;
        }
    }

    if (check)
        return upstream::RunUpstreamCheck(upstreamOptions, std::cout);
    if (useUpstream) {
        options.upstream = std::move(upstreamOptions);
        if (host != "127.0.0.1" && host != "::1" && host != "localhost")
            std::fprintf(stderr,
                         "koravel-market: warning: the upstream data is for personal use only; "
                         "serving it on %s can pass it on to others\n",
                         host.c_str());
    }

    // Chart images are drawn with fonts, which need a GUI application; the market has no
    // window, so it never needs a display.
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    marketserver::MarketServer market(options);
    if (market.Listen(host, port) <= 0) {
        std::fprintf(stderr, "koravel-market: cannot listen on %s:%d\n", host.c_str(), port);
        return 1;
    }
    std::printf("%s\n", market.BaseUrl().c_str());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!g_stop)
        pause();
    market.Stop();
    curl_global_cleanup();
    return 0;
}
