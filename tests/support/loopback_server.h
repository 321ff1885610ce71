#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Response;
} // namespace httplib

namespace testsupport {

// An HTTP server on 127.0.0.1, on a port of its own, that serves on a thread of its own
// from Start until it dies. Its owner declares it last, so the handlers' data outlives it.
class LoopbackServer final {
public:
    // Neither copied nor moved: the serving thread holds its address.
    LoopbackServer();
    ~LoopbackServer();

    // Where the handlers go before Start.
    httplib::Server& Http() { return *m_server; }
    // Binds and listens; returns once it serves.
    void Start();
    std::string BaseUrl() const;

    // Waits in a handler; a stop cuts the wait short. True when the server is stopping.
    bool Pause(int ms);

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
};

// Announces the whole body, sends half of it and hangs up.
void SendHalfAndHangUp(httplib::Response& res, const std::string& body,
                       const std::string& contentType);

} // namespace testsupport
