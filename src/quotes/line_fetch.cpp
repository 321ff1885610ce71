#include "line_fetch.h"

#include "platform/base/text.h"
#include "platform/inet/internet_session.h"

QuoteLineArray QuoteLines;

void QuoteLineArray::RemoveAll() {
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

void QuoteLineArray::Add(std::string line) {
    std::lock_guard lock(m_mutex);
    m_lines.push_back(std::move(line));
}

std::size_t QuoteLineArray::GetSize() const {
    std::lock_guard lock(m_mutex);
    return m_lines.size();
}

std::vector<std::string> QuoteLineArray::Copy() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

std::vector<std::string> QuoteLineArray::Take() {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    out.swap(m_lines);
    return out;
}

int QuoteFetchWorker(std::unique_ptr<LineFetchJob> job) {
    const std::string url = job->url;
    const msg::Poster poster = job->poster;

    int result = 0;
    {
        CInternetSession session(kMainSessionAgent, 1);
        session.SetCancelFlag(job->cancel);
        try {
            auto file = session.OpenURL(url, 1, INTERNET_FLAG_TRANSFER_ASCII);
            QuoteLines.RemoveAll();
            std::string line;
            while (file->ReadString(line))
                QuoteLines.Add(text::Trim(line));
            result = 1;
        } catch (const CInternetException&) {
            result = 0;
        }
        session.Close();
    }
    if (poster)
        poster(msg::WM_QUOTES_READY, static_cast<msg::WPARAM>(result), 0);
    job.reset();
    return 1;
}
