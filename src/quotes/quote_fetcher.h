#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/base/messages.h"

// Keeps at most one bar fetch in flight. The owner calls StartQuoteFetch from its timer
// and OnQuotesReady as the first step of its WM_QUOTES_READY handler.
class QuoteFetcher final {
public:
    QuoteFetcher();
    // Cancels a fetch in flight and waits for its worker.
    ~QuoteFetcher();
    QuoteFetcher(const QuoteFetcher&) = delete;
    QuoteFetcher& operator=(const QuoteFetcher&) = delete;

    // Does nothing while a fetch is in flight (nothing is queued). Otherwise builds the
    // URL, marks the fetch busy and starts a worker that posts WM_QUOTES_READY through
    // the poster. Returns whether a worker was started.
    bool StartQuoteFetch(const std::function<std::string()>& buildUrl, msg::Poster poster);
    // Clears the busy flag, whatever the result of the fetch.
    void OnQuotesReady() { m_bFetchBusy = false; }
    bool IsBusy() const { return m_bFetchBusy; }

private:
    bool m_bFetchBusy = false; // touched only on the owner's thread
    std::string m_request;
    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};
