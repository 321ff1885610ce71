#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/base/messages.h"

namespace testsupport {

// Stands in for a window's message queue: a poster for worker code, and a wait for
// what it posted.
class PostedMessages final {
public:
    struct Message {
        unsigned message;
        msg::WPARAM wParam;
        msg::LPARAM lParam;
    };

    msg::Poster Poster() {
        return [this](unsigned m, msg::WPARAM w, msg::LPARAM l) {
            {
                std::lock_guard lock(m_mutex);
                m_messages.push_back({m, w, l});
            }
            m_cv.notify_all();
        };
    }

    // The next message not yet taken, waiting up to the timeout.
    std::optional<Message> Next(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_for(lock, timeout, [this] { return m_taken < m_messages.size(); }))
            return std::nullopt;
        return m_messages[m_taken++];
    }

    std::size_t Count() {
        std::lock_guard lock(m_mutex);
        return m_messages.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Message> m_messages;
    std::size_t m_taken = 0;
};

} // namespace testsupport
