#include "quote_fetcher.h"

#include "line_fetch.h"

QuoteFetcher::QuoteFetcher() : m_cancel(std::make_shared<std::atomic<bool>>(false)) {}

QuoteFetcher::~QuoteFetcher() {
    m_cancel->store(true);
    if (m_worker.joinable())
        m_worker.join();
}

bool QuoteFetcher::StartQuoteFetch(const std::function<std::string()>& buildUrl,
                                   msg::Poster poster) {
    if (m_bFetchBusy)
        return false;
    m_request = buildUrl();
    m_bFetchBusy = true;
    // The previous worker has posted its completion already; it is at most returning.
    if (m_worker.joinable())
        m_worker.join();
    auto job = std::make_unique<LineFetchJob>();
    job->url = m_request;
    job->poster = std::move(poster);
    job->cancel = m_cancel;
    m_worker = std::thread(QuoteFetchWorker, std::move(job));
    return true;
}
