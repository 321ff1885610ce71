#include "marketserver/market_server.h"

#include <chrono>
#include <fstream>
#include <sys/socket.h>

#include <httplib.h>

#include "marketserver/chart_data.h"
#include "marketserver/chart_renderer.h"
#include "marketserver/html_pages.h"
#include "marketserver/quote_csv.h"
#include "marketserver/upstream/upstream_source.h"
#include "platform/base/text.h"

namespace marketserver {

namespace {

constexpr const char* kDefaultCodes = "sl1d1t1c1ohgv";

const char* kGarbagePage =
    "<html><head><title>Service Unavailable</title></head>\r\n"
    "<body><h1>We're sorry</h1>\r\n"
    "<p>The service is temporarily unavailable. Please try again later.</p></body></html>\r\n";

bool IsLoopback(const std::string& addr) {
    return addr == "127.0.0.1" || addr == "::1" || text::StartsWith(addr, "::ffff:127.") ||
           text::StartsWith(addr, "127.");
}

std::optional<FaultKind> FaultKindFromText(const std::string& t) {
    const std::string k = text::ToLowerAscii(t);
    if (k == "delay")
        return FaultKind::Delay;
    if (k == "drop")
        return FaultKind::Drop;
    if (k == "short")
        return FaultKind::Short;
    if (k == "500" || k == "http500")
        return FaultKind::Http500;
    if (k == "garbage" || k == "html")
        return FaultKind::Garbage;
    return std::nullopt;
}

std::string LeaveOutLastLines(const std::string& body) {
    auto lines = text::SplitLines(body);
    const std::size_t keep = lines.size() / 2; // at least the last line goes
    std::string out;
    for (std::size_t i = 0; i < keep; ++i)
        out += lines[i] + "\r\n";
    return out;
}

} // namespace

MarketServer::MarketServer(MarketOptions options) : m_logFile(std::move(options.logFile)) {
    if (options.upstream) {
        m_source = std::make_unique<upstream::UpstreamSource>(std::move(*options.upstream));
    } else {
        auto simulation =
            std::make_unique<sim::SimulatedSource>(options.seed, options.clock, options.speed);
        m_simulation = simulation.get();
        m_source = std::move(simulation);
    }
}

MarketServer::MarketServer(std::unique_ptr<MarketSource> source, std::string logFile)
    : m_logFile(std::move(logFile)), m_source(std::move(source)) {}

MarketServer::~MarketServer() {
    Stop();
}

int MarketServer::Listen(const std::string& host, int port) {
    m_server = std::make_unique<httplib::Server>();
    m_server->set_keep_alive_max_count(100);
    m_server->set_tcp_nodelay(true); // small answers would otherwise wait on delayed ACKs
    // Toppers ask for a whole exchange in parallel batches (the program runs up to 40 at
    // once) while the bar goes on refreshing: one worker per connection they may hold.
    m_server->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    m_server->Get(".*",
                  [this](const httplib::Request& req, httplib::Response& res) { Route(req, res); });
    // The library listens with a queue of five connections: a toppers fetch opens a dozen
    // or more at once, and a refused connection waits a whole second to try again. The
    // listening socket is caught as it is made and given a proper queue.
    int listening = -1;
    m_server->set_socket_options([&listening](int sock) {
        httplib::default_socket_options(sock);
        listening = sock;
    });
    const int bound = port == 0 ? m_server->bind_to_any_port(host)
                                : (m_server->bind_to_port(host, port) ? port : -1);
    if (bound <= 0)
        return -1;
    if (listening >= 0)
        ::listen(listening, SOMAXCONN);
    m_host = host;
    m_port = bound;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    for (int i = 0; i < 2000 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return m_port;
}

void MarketServer::Stop() {
    m_stopping = true;
    m_source->Stop(); // a request in progress gives up, so the server's workers end soon
    m_sleepCv.notify_all();
    if (m_server)
        m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

std::string MarketServer::BaseUrl() const {
    return "http://" + m_host + ":" + std::to_string(m_port);
}

void MarketServer::AddFault(const Fault& fault) {
    std::lock_guard lock(m_mutex);
    m_faults.push_back(fault);
}

void MarketServer::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

std::vector<RequestLogEntry> MarketServer::RequestLog() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

void MarketServer::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

void MarketServer::SleepFor(int ms) {
    std::unique_lock lock(m_sleepMutex);
    m_sleepCv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping.load(); });
}

std::optional<Fault> MarketServer::TakeFault(const std::string& path, const std::string& target) {
    const std::string upperTarget = text::ToUpperAscii(PercentDecode(target));
    std::lock_guard lock(m_mutex);
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        if (!it->pathPrefix.empty() && !text::StartsWith(path, it->pathPrefix))
            continue;
        if (!it->symbol.empty() &&
            upperTarget.find(text::ToUpperAscii(it->symbol)) == std::string::npos)
            continue;
        Fault f = *it;
        if (it->count > 0 && --it->count == 0)
            m_faults.erase(it);
        return f;
    }
    return std::nullopt;
}

void MarketServer::Record(const httplib::Request& req, int status) {
    RequestLogEntry e;
    e.wallEpochMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    e.marketTime = m_source->NowIst();
    e.method = req.method;
    e.path = req.path;
    const std::size_t q = req.target.find('?');
    e.query = q == std::string::npos ? std::string() : req.target.substr(q + 1);
    e.userAgent = req.get_header_value("User-Agent");
    e.status = status;
    std::lock_guard lock(m_mutex);
    if (m_log.size() >= 100000)
        m_log.erase(m_log.begin(), m_log.begin() + 50000);
    if (!m_logFile.empty()) {
        std::ofstream out(m_logFile, std::ios::app);
        out << e.wallEpochMs << '\t' << e.marketTime << '\t' << e.method << '\t' << e.path << '\t'
            << e.query << '\t' << e.userAgent << '\t' << e.status << '\n';
    }
    m_log.push_back(std::move(e));
}

std::string MarketServer::QuoteResponse(const std::string& rawTarget, int* status) const {
    std::string rawSymbols, rawCodes;
    if (!RawQueryValue(rawTarget, "s", rawSymbols)) {
        if (status)
            *status = 400;
        return "Missing parameter s\r\n";
    }
    std::vector<std::string> codes;
    if (RawQueryValue(rawTarget, "f", rawCodes))
        codes = ParseFormatCodes(PercentDecode(rawCodes));
    if (codes.empty())
        codes = ParseFormatCodes(kDefaultCodes);
    const std::vector<std::string> symbols = SplitSymbolList(rawSymbols);
    const QuoteAnswer answer = m_source->Quotes(symbols, codes);
    if (answer.unavailable || answer.quotes.size() != symbols.size()) {
        // Nothing is known for any symbol, for now: the program reads this as "offline".
        if (status)
            *status = 503;
        return "Service Unavailable\r\n";
    }
    std::string body;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const auto& q = answer.quotes[i];
        body += QuoteLine(symbols[i], q ? &*q : nullptr, codes);
        body += "\r\n";
    }
    if (status)
        *status = 200;
    return body;
}

void MarketServer::Admin(const httplib::Request& req, httplib::Response& res) {
    if (!IsLoopback(req.remote_addr)) {
        res.status = 403;
        res.set_content("Forbidden\n", "text/plain");
        return;
    }
    auto param = [&](const char* key) {
        std::string v;
        return RawQueryValue(req.target, key, v) ? PercentDecode(v) : std::string();
    };
    if (req.path == "/_sim/fault") {
        const auto kind = FaultKindFromText(param("kind"));
        if (!kind) {
            res.status = 400;
            res.set_content("kind must be delay, drop, short, 500 or garbage\n", "text/plain");
            return;
        }
        Fault f;
        f.kind = *kind;
        const std::string count = param("count");
        f.count = count.empty() ? 1 : static_cast<int>(text::CStrToL32(count));
        if (f.count == 0)
            f.count = 1;
        f.symbol = param("symbol");
        f.pathPrefix = param("path");
        f.delayMs = static_cast<int>(text::CStrToL32(param("ms")));
        AddFault(f);
        res.set_content("OK\n", "text/plain");
    } else if (req.path == "/_sim/clear") {
        ClearFaults();
        res.set_content("OK\n", "text/plain");
    } else if (req.path == "/_sim/log") {
        std::string out;
        for (const auto& e : RequestLog())
            out += std::to_string(e.marketTime) + '\t' + e.path + '\t' + e.query + '\t' +
                   e.userAgent + '\t' + std::to_string(e.status) + '\n';
        res.set_content(out, "text/plain");
    } else if (req.path == "/_sim/clock" && m_simulation) {
        sim::VirtualClock& clock = m_simulation->Clock();
        const std::string set = param("set");
        if (!set.empty()) {
            CivilSeconds t = 0;
            if (!sim::VirtualClock::Parse(set, t)) {
                res.status = 400;
                res.set_content("set must be YYYY-MM-DD HH:MM:SS\n", "text/plain");
                return;
            }
            clock.Set(t);
        }
        const std::string speed = param("speed");
        if (!speed.empty()) {
            const double s = text::CStrToD(speed);
            if (!(s >= 0 && s <= 100000)) {
                res.status = 400;
                res.set_content("speed must be between 0 and 100000\n", "text/plain");
                return;
            }
            clock.SetSpeed(s);
        }
        const CivilSeconds now = clock.Now();
        const std::int64_t day = sim::FloorDiv(now, sim::kSecondsPerDay);
        const int minute = static_cast<int>((now - day * sim::kSecondsPerDay) / 60);
        res.set_content(ServiceDate(day) + " " + ServiceTime(minute) + "\n", "text/plain");
    } else {
        res.status = 404;
        res.set_content("Not Found\n", "text/plain");
    }
}

namespace {

// "/instrument/1.0/<symbol>/chartdata;type=quote;range=<1d|5d>/csv/" -> symbol and days.
bool ParseChartDataPath(const std::string& rawPath, std::string& symbol, int& days) {
    static const std::string kPrefix = "/instrument/1.0/";
    if (!text::StartsWith(rawPath, kPrefix))
        return false;
    const std::size_t mark = rawPath.find("/chartdata;", kPrefix.size());
    if (mark == std::string::npos)
        return false;
    symbol = PercentDecode(rawPath.substr(kPrefix.size(), mark - kPrefix.size()));
    const std::size_t r = rawPath.find("range=", mark);
    if (r == std::string::npos)
        return false;
    const std::string range = rawPath.substr(r + 6, rawPath.find_first_of("/;", r + 6) - (r + 6));
    days = range == "1d" ? 1 : range == "5d" ? 5 : 0;
    return days != 0 && !symbol.empty();
}

std::vector<std::string> CodeList(const std::string& value) {
    std::vector<std::string> out;
    for (const std::string& code : text::Split(value, ','))
        if (!text::Trim(code).empty())
            out.push_back(text::ToLowerAscii(text::Trim(code)));
    return out;
}

} // namespace

void MarketServer::Serve(const httplib::Request& req, int& status, std::string& body,
                         std::string& type) {
    const std::string rawPath = req.target.substr(0, req.target.find('?'));
    auto param = [&](const char* key, bool plusIsBlank = false) {
        std::string v;
        if (!RawQueryValue(req.target, key, v))
            return std::string();
        if (plusIsBlank)
            v = text::ReplaceAll(v, "+", " ");
        return PercentDecode(v);
    };

    if (req.path == "/d/quotes.csv") {
        body = QuoteResponse(req.target, &status);
    } else if (std::string symbol; text::StartsWith(rawPath, "/instrument/1.0/")) {
        int days = 0;
        ChartDataSheet sheet;
        if (!ParseChartDataPath(rawPath, symbol, days)) {
            status = 400;
            body = "Bad chart-data request\n";
        } else if (const Outcome o = m_source->ChartData(symbol, days, sheet); o == Outcome::Ok) {
            status = 200;
            body = ChartDataCsv(symbol, days, sheet);
        } else if (o == Outcome::NotFound) {
            status = 404;
            body = "No data for " + symbol + "\n";
        } else {
            status = 503;
            body = "Service Unavailable\n";
        }
    } else if (req.path == "/z") {
        std::string symbol;
        if (!RawQueryValue(req.target, "s", symbol) || (symbol = PercentDecode(symbol)).empty()) {
            status = 400;
            body = "Missing parameter s\n";
            return;
        }
        ChartOptions options;
        options.range = param("t").empty() ? "1d" : text::ToLowerAscii(param("t"));
        const std::string q = text::ToLowerAscii(param("q"));
        options.type = (q == "b" || q == "c") ? q[0] : 'l';
        options.logScale = text::ToLowerAscii(param("l")) == "on";
        options.size = text::ToLowerAscii(param("z")) == "l" ? 'l' : 'm';
        options.overlays = CodeList(param("p"));
        options.indicators = CodeList(param("a"));
        ChartSeries main;
        const Outcome o = m_source->Chart(symbol, options.range, main);
        if (o == Outcome::Unavailable) {
            status = 503;
            body = "Service Unavailable\n";
            return;
        }
        if (o == Outcome::NotFound) // an empty chart, named after the symbol asked
            main = ChartSeries{};
        main.symbol = symbol;
        std::vector<ChartSeries> compare;
        for (const std::string& other : SplitSymbolList(param("c"))) {
            ChartSeries series;
            if (!text::IEquals(other, symbol) &&
                m_source->Chart(other, options.range, series) == Outcome::Ok) {
                series.symbol = other;
                compare.push_back(std::move(series));
            }
        }
        status = 200;
        type = "image/png";
        body = RenderChartPng(main, compare, options);
    } else if (req.path == "/lookup") {
        const std::string query = param("s", true);
        status = 200;
        type = "text/html";
        body = LookupPage(query, m_source->Lookup(query));
    } else if (req.path == "/marketinfo/fo/fomwatchsymbol.jsp") {
        const std::string key = param("key");
        FuturesTable table;
        const Outcome o = m_source->Futures(key, table);
        status = o == Outcome::Unavailable ? 503 : 200;
        type = "text/html";
        body = o == Outcome::Unavailable ? "<html><body>Service Unavailable</body></html>\n"
                                         : FuturesPage(key, o == Outcome::Ok ? &table : nullptr);
    } else if (req.path == "/content/fo/fo_markettoday.htm") {
        TradeStatistics stats;
        const Outcome o = m_source->Statistics(stats);
        status = o == Outcome::Ok ? 200 : 503;
        type = "text/html";
        body = o == Outcome::Ok ? MarketTodayPage(stats)
                                : "<html><body>Service Unavailable</body></html>\n";
    }
}

void MarketServer::Answer(const std::string& rawTarget, int& status, std::string& body,
                          std::string& type) {
    // The request as the HTTP layer hands it over: the path decoded, the target raw.
    httplib::Request req;
    req.method = "GET";
    req.target = rawTarget;
    req.path = httplib::detail::decode_url(rawTarget.substr(0, rawTarget.find('?')), false);
    status = 404;
    body = "Not Found\r\n";
    type = "text/plain";
    Serve(req, status, body, type);
}

void MarketServer::Route(const httplib::Request& req, httplib::Response& res) {
    if (text::StartsWith(req.path, "/_sim/")) {
        Admin(req, res);
        if (res.status == -1) // set_content leaves it to the library to say 200
            res.status = 200;
        Record(req, res.status);
        return;
    }
    const std::optional<Fault> fault = TakeFault(req.path, req.target);
    if (fault && fault->kind == FaultKind::Delay)
        SleepFor(fault->delayMs);
    if (fault && fault->kind == FaultKind::Http500) {
        res.status = 500;
        res.set_content("<html><body><h1>500 Internal Server Error</h1></body></html>\r\n",
                        "text/html");
        Record(req, 500);
        return;
    }
    if (fault && fault->kind == FaultKind::Garbage) {
        res.status = 200;
        res.set_content(kGarbagePage, "text/html");
        Record(req, 200);
        return;
    }

    int status = 404;
    std::string body = "Not Found\r\n";
    std::string type = "text/plain";
    Serve(req, status, body, type);

    if (fault && fault->kind == FaultKind::Short && type != "image/png")
        body = LeaveOutLastLines(body);
    res.status = status;
    if (fault && fault->kind == FaultKind::Drop && status == 200) {
        // Announce the whole body, send half of it, then hang up.
        auto shared = std::make_shared<std::string>(std::move(body));
        res.set_content_provider(
            shared->size(), type,
            [shared](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                const std::size_t half = shared->size() / 2;
                if (offset < half)
                    sink.write(shared->data() + offset, half - offset);
                return offset < half ? true : false;
            });
    } else {
        res.set_content(body, type);
    }
    Record(req, status);
}

std::unique_ptr<MarketServer> StartEmbeddedMarket(MarketOptions options) {
    auto market = std::make_unique<MarketServer>(std::move(options));
    if (market->Listen("127.0.0.1", 0) <= 0)
        return nullptr;
    return market;
}

} // namespace marketserver
