#include "support/upstream_fake.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <zip.h>

#include <httplib.h>

namespace testsupport {

namespace {

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
        s.replace(p, from.size(), to);
    return s;
}

} // namespace

std::string UpstreamFake::Fixture(const std::string& name) {
    std::ifstream in(std::string(KORAVEL_UPSTREAM_FIXTURES) + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string UpstreamFake::Zip(const std::string& name, const std::string& content) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(out);
    zip_t* archive = zip_open_from_source(out, ZIP_TRUNCATE, &error);
    zip_source_t* file = zip_source_buffer_create(content.data(), content.size(), 0, &error);
    zip_file_add(archive, name.c_str(), file, ZIP_FL_OVERWRITE);
    zip_close(archive);
    std::string bytes;
    if (zip_source_open(out) == 0) {
        char buf[4096];
        zip_int64_t n = 0;
        while ((n = zip_source_read(out, buf, sizeof buf)) > 0)
            bytes.append(buf, static_cast<std::size_t>(n));
        zip_source_close(out);
    }
    zip_source_free(out);
    zip_error_fini(&error);
    return bytes;
}

std::string UpstreamFake::ChartFor(const std::string& symbol) {
    return ReplaceAll(Fixture("yahoo_chart_quote_RELIANCE.NS_1d_1d.json"), "\"RELIANCE.NS\"",
                      "\"" + symbol + "\"");
}

UpstreamFake::Reply UpstreamFake::TooMany(int retryAfterSeconds) {
    Reply r{429, Fixture("yahoo_429_body.txt"), "text/plain"};
    if (retryAfterSeconds >= 0)
        r.headers.emplace_back("Retry-After", std::to_string(retryAfterSeconds));
    return r;
}

UpstreamFake::Reply UpstreamFake::Forbidden() {
    return Reply{403, Fixture("nse_403_akamai.html"), "text/html"};
}

UpstreamFake::Reply UpstreamFake::Unauthorized() {
    return Reply{401, Fixture("yahoo_quote_v7_unauthorized.json")};
}

UpstreamFake::UpstreamFake() {
    Route(std::string(kChartPath) + "RELIANCE.NS",
          {200, Fixture("yahoo_chart_quote_RELIANCE.NS_1d_1d.json")});
    Route(std::string(kChartPath) + "^NSEI",
          {200, Fixture("yahoo_chart_intraday_NSEI_1d_1m.json")});
    Route(std::string(kChartPath) + "NOSUCH.NS", {404, Fixture("yahoo_chart_notfound.json")});
    Route("/v1/finance/search", {200, Fixture("yahoo_search_tata_steel.json")});
    Route(kFoFile,
          {200,
           Zip("BhavCopy_NSE_FO_0_0_0_20260312_F_0000.csv", Fixture("nse_fo_udiff_20260312.csv")),
           "application/zip"});
    Route(kNseCmFile,
          {200,
           Zip("BhavCopy_NSE_CM_0_0_0_20260312_F_0000.csv", Fixture("nse_cm_udiff_20260312.csv")),
           "application/zip"});
    Route(kBseCmFile, {200, Fixture("bse_cm_udiff_20260312.csv"), "text/csv"});

    m_http.Http().Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        const std::size_t q = req.target.find('?');
        int latencyMs = 0;
        {
            std::lock_guard lock(m_mutex);
            m_log.push_back({req.path, q == std::string::npos ? "" : req.target.substr(q + 1),
                             req.get_header_value("User-Agent")});
            latencyMs = m_latencyMs;
        }
        const Reply reply = Answer(req.path);
        if (reply.delayMs > 0 || latencyMs > 0)
            m_http.Pause(reply.delayMs + latencyMs);
        res.status = reply.status;
        for (const auto& [name, value] : reply.headers)
            res.set_header(name.c_str(), value);
        if (reply.dropHalf)
            SendHalfAndHangUp(res, reply.body, reply.type);
        else
            res.set_content(reply.body, reply.type.c_str());
    });
    m_http.Start();
}

UpstreamFake::~UpstreamFake() = default;

UpstreamFake::Reply UpstreamFake::Answer(const std::string& path) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_injections.begin(); it != m_injections.end(); ++it) {
        if (path.compare(0, it->prefix.size(), it->prefix) != 0)
            continue;
        Reply r = it->reply;
        if (it->count > 0 && --it->count == 0)
            m_injections.erase(it);
        return r;
    }
    if (auto it = m_routes.find(path); it != m_routes.end())
        return it->second;
    if (path.compare(0, std::char_traits<char>::length(kChartPath), kChartPath) == 0)
        return Reply{200, ChartFor(path.substr(std::char_traits<char>::length(kChartPath)))};
    return Reply{404, "<html><body><h1>404 Not Found</h1></body></html>", "text/html"};
}

std::string UpstreamFake::BaseUrl() const {
    return m_http.BaseUrl();
}

std::string UpstreamFake::Bases() const {
    return "yahoo=" + BaseUrl() + ",nsearchives=" + BaseUrl() + ",bse=" + BaseUrl();
}

void UpstreamFake::Route(const std::string& path, Reply reply) {
    std::lock_guard lock(m_mutex);
    m_routes[path] = std::move(reply);
}

void UpstreamFake::Inject(const std::string& prefix, Reply reply, int count) {
    std::lock_guard lock(m_mutex);
    m_injections.push_back({prefix, std::move(reply), count});
}

void UpstreamFake::SetLatency(int ms) {
    std::lock_guard lock(m_mutex);
    m_latencyMs = ms;
}

void UpstreamFake::ClearInjections() {
    std::lock_guard lock(m_mutex);
    m_injections.clear();
}

std::vector<UpstreamFake::Request> UpstreamFake::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

int UpstreamFake::Count(const std::string& prefix) const {
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const auto& r : m_log)
        n += r.path.compare(0, prefix.size(), prefix) == 0;
    return n;
}

void UpstreamFake::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

} // namespace testsupport
