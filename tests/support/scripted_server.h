#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "support/loopback_server.h"

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
    mutable std::mutex m_mutex;
    Reply m_reply;
    std::vector<Seen> m_seen;
    LoopbackServer m_http; // last: it stops before the rest goes
};

} // namespace testsupport
