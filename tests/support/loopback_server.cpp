#include "support/loopback_server.h"

#include <chrono>

#include <httplib.h>

namespace testsupport {

LoopbackServer::LoopbackServer() : m_server(std::make_unique<httplib::Server>()) {}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

void LoopbackServer::Start() {
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    for (int i = 0; i < 2000 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::string LoopbackServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

bool LoopbackServer::Pause(int ms) {
    std::unique_lock lock(m_mutex);
    return m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

void SendHalfAndHangUp(httplib::Response& res, const std::string& body,
                       const std::string& contentType) {
    auto held = std::make_shared<std::string>(body);
    res.set_content_provider(held->size(), contentType,
                             [held](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                 const std::size_t half = held->size() / 2;
                                 if (offset >= half)
                                     return false;
                                 sink.write(held->data() + offset, half - offset);
                                 return true;
                             });
}

} // namespace testsupport
