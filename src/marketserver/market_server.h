#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "marketserver/market_source.h"
#include "marketserver/simulated/simulated_source.h"
#include "marketserver/upstream/upstream_options.h"

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace marketserver {

struct MarketOptions {
    // The simulation:
    std::uint64_t seed = 1;
    std::optional<CivilSeconds> clock; // IST; the local wall clock read as IST when absent
    double speed = 1.0;
    // Set: answers come from today's public services instead of the simulation.
    std::optional<upstream::UpstreamOptions> upstream;
    std::string logFile; // every request appended here when set
};

enum class FaultKind {
    Delay,   // answer late
    Drop,    // close the connection part-way through the body
    Short,   // leave out the last lines (fewer lines than symbols)
    Http500, // HTTP 500
    Garbage, // an HTML error page with status 200 instead of data
};

struct Fault {
    FaultKind kind = FaultKind::Http500;
    int count = 1;          // requests it applies to; -1 = until cleared
    std::string symbol;     // only requests naming this symbol (empty: any)
    std::string pathPrefix; // only paths starting with this (empty: any service path)
    int delayMs = 0;        // for Delay

    static Fault Make(FaultKind kind, int count = 1, std::string symbol = {}, int delayMs = 0) {
        Fault f;
        f.kind = kind;
        f.count = count;
        f.symbol = std::move(symbol);
        f.delayMs = delayMs;
        return f;
    }
};

struct RequestLogEntry {
    std::int64_t wallEpochMs = 0;
    CivilSeconds marketTime = 0;
    std::string method;
    std::string path;
    std::string query; // raw, as sent
    std::string userAgent;
    int status = 0;
};

// The market server: one HTTP server that answers every service the program reads, in the
// protocols the program speaks, from the simulation or from the upstream services.
class MarketServer final {
public:
    // Connections answered at once: the program's parallel toppers batches and its
    // other requests.
    static constexpr int kWorkerThreads = 48;

    explicit MarketServer(MarketOptions options = {});
    // Serves the answers of a source of the caller's own.
    MarketServer(std::unique_ptr<MarketSource> source, std::string logFile = {});
    ~MarketServer();
    MarketServer(const MarketServer&) = delete;
    MarketServer& operator=(const MarketServer&) = delete;

    // Binds host:port (0 = any free port) and serves on a thread of its own. Returns the
    // port, or -1 when it cannot bind.
    int Listen(const std::string& host = "127.0.0.1", int port = 0);
    // Returns promptly: a request still being computed is given up, not waited for.
    void Stop();
    std::string BaseUrl() const;

    void AddFault(const Fault& fault);
    void ClearFaults();
    std::vector<RequestLogEntry> RequestLog() const;
    void ClearLog();

    MarketSource& Source() { return *m_source; }
    // The simulation, or null when the answers come from upstream.
    sim::SimulatedSource* Simulation() { return m_simulation; }
    bool IsUpstream() const { return m_simulation == nullptr; }
    // The simulation's engine and clock (only when it is the simulation that answers).
    const sim::PriceEngine& Engine() const { return m_simulation->Engine(); }
    sim::VirtualClock& Clock() { return m_simulation->Clock(); }

    // The body the quote service answers for a raw request target (tests and benchmarks).
    std::string QuoteResponse(const std::string& rawTarget, int* status = nullptr) const;
    // What a service path answers to a raw request target, faults aside: the server's
    // routing without a socket (tests and fuzzing).
    void Answer(const std::string& rawTarget, int& status, std::string& body, std::string& type);

private:
    void Route(const httplib::Request& req, httplib::Response& res);
    void Serve(const httplib::Request& req, int& status, std::string& body, std::string& type);
    void Record(const httplib::Request& req, int status);
    std::optional<Fault> TakeFault(const std::string& path, const std::string& target);
    void Admin(const httplib::Request& req, httplib::Response& res);
    void SleepFor(int ms);

    std::string m_logFile;
    std::unique_ptr<MarketSource> m_source;
    sim::SimulatedSource* m_simulation = nullptr;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::string m_host;
    int m_port = -1;

    mutable std::mutex m_mutex;
    std::vector<Fault> m_faults;
    std::vector<RequestLogEntry> m_log;

    std::mutex m_sleepMutex;
    std::condition_variable m_sleepCv;
    std::atomic<bool> m_stopping{false};
};

// Starts a market on 127.0.0.1 with a free port; returns null when it cannot bind.
std::unique_ptr<MarketServer> StartEmbeddedMarket(MarketOptions options = {});

} // namespace marketserver
