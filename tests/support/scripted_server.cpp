#include "support/scripted_server.h"

#include <chrono>

#include <httplib.h>

namespace testsupport {

ScriptedServer::ScriptedServer() : m_server(std::make_unique<httplib::Server>()) {
    m_server->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        Reply reply;
        {
            std::lock_guard lock(m_mutex);
            reply = m_reply;
            m_seen.push_back({req.target, req.get_header_value("User-Agent")});
        }
        if (reply.delayMs > 0) {
            std::unique_lock lock(m_mutex);
            m_wake.wait_for(lock, std::chrono::milliseconds(reply.delayMs),
                            [this] { return m_stopping; });
        }
        res.status = reply.status;
        if (reply.dropHalf) {
            auto body = std::make_shared<std::string>(reply.body);
            res.set_content_provider(
                body->size(), reply.contentType,
                [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    const std::size_t half = body->size() / 2;
                    if (offset >= half)
                        return false;
                    sink.write(body->data() + offset, half - offset);
                    return true;
                });
        } else if (reply.trickleMs > 0) {
            auto body = std::make_shared<std::string>(reply.body);
            res.set_content_provider(body->size(), reply.contentType,
                                     [this, body, pause = reply.trickleMs](
                                         std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         std::unique_lock lock(m_mutex);
                                         if (m_wake.wait_for(lock, std::chrono::milliseconds(pause),
                                                             [this] { return m_stopping; }))
                                             return false;
                                         lock.unlock();
                                         sink.write(body->data() + offset, 1);
                                         return true;
                                     });
        } else {
            res.set_content(reply.body, reply.contentType);
        }
    });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    for (int i = 0; i < 2000 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

ScriptedServer::~ScriptedServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

void ScriptedServer::SetReply(Reply reply) {
    std::lock_guard lock(m_mutex);
    m_reply = std::move(reply);
}

std::string ScriptedServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

std::vector<ScriptedServer::Seen> ScriptedServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_seen;
}

} // namespace testsupport
