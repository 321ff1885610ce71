// Request targets as the simulated market routes them: every service path with any query,
// answered as the server would answer it (faults aside).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <QGuiApplication>

#include "fuzz_check.h"
#include "marketserver/market_server.h"

namespace {

std::unique_ptr<marketserver::MarketServer> g_market;

// Quote lines end in CR LF, and nothing a request names can break one.
void CheckLines(const std::string& body) {
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r')
            FUZZ_CHECK(i + 1 < body.size() && body[i + 1] == '\n');
        if (body[i] == '\n')
            FUZZ_CHECK(i > 0 && body[i - 1] == '\r');
    }
    FUZZ_CHECK(body.empty() || body.back() == '\n');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Chart images are drawn with fonts, which need a GUI application.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int appArgc = 1;
    static QGuiApplication app(appArgc, *argv);
    (void)argc;
    marketserver::MarketOptions options;
    options.seed = 7;
    sim::CivilSeconds start = 0;
    sim::VirtualClock::Parse("2026-12-07 11:00:00", start);
    options.clock = start;
    options.speed = 0; // the same answer for the same input
    g_market = std::make_unique<marketserver::MarketServer>(options);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string target(fuzz::AsText(data, size));
    int status = 0;
    std::string body, type;
    g_market->Answer(target, status, body, type);
    FUZZ_CHECK(status == 200 || status == 400 || status == 404);
    FUZZ_CHECK(type == "text/plain" || type == "text/html" || type == "image/png");
    if (type == "image/png")
        FUZZ_CHECK(body.compare(0, 4, "\x89PNG") == 0);
    if (status == 200 && target.compare(0, 14, "/d/quotes.csv?") == 0)
        CheckLines(body);
    return 0;
}
