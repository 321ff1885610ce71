#include "support/scripted_server.h"

#include <httplib.h>

namespace testsupport {

ScriptedServer::ScriptedServer() {
    m_http.Http().Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        Reply reply;
        {
            std::lock_guard lock(m_mutex);
            reply = m_reply;
            m_seen.push_back({req.target, req.get_header_value("User-Agent")});
        }
        if (reply.delayMs > 0)
            m_http.Pause(reply.delayMs);
        res.status = reply.status;
        if (reply.dropHalf) {
            SendHalfAndHangUp(res, reply.body, reply.contentType);
        } else if (reply.trickleMs > 0) {
            auto body = std::make_shared<std::string>(reply.body);
            res.set_content_provider(body->size(), reply.contentType,
                                     [this, body, pause = reply.trickleMs](
                                         std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         if (m_http.Pause(pause))
                                             return false;
                                         sink.write(body->data() + offset, 1);
                                         return true;
                                     });
        } else {
            res.set_content(reply.body, reply.contentType);
        }
    });
    m_http.Start();
}

ScriptedServer::~ScriptedServer() = default;

void ScriptedServer::SetReply(Reply reply) {
    std::lock_guard lock(m_mutex);
    m_reply = std::move(reply);
}

std::string ScriptedServer::BaseUrl() const {
    return m_http.BaseUrl();
}

std::vector<ScriptedServer::Seen> ScriptedServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_seen;
}

} // namespace testsupport
