#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace testsupport {

// A loopback HTTP server that answers with whatever a test scripts, for the corner cases
// a real service would rarely produce on demand.
class ScriptedServer final {
public:
    struct Reply {
        int status = 200;
        std::string body;
        std::string contentType = "text/plain";
        int delayMs = 0;       // wait before answering
        bool dropHalf = false; // announce the whole body, send half, hang up
        int trickleMs = 0;     // send the body a byte at a time, this long between bytes
    };
    struct Seen {
        std::string target;
        std::string userAgent;
    };

    ScriptedServer();
    ~ScriptedServer();

    // Every request gets this reply until changed.
    void SetReply(Reply reply);
    std::string BaseUrl() const;
    std::vector<Seen> Requests() const;

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    Reply m_reply;
    std::vector<Seen> m_seen;
    std::condition_variable m_wake;
    bool m_stopping = false;
};

} // namespace testsupport
