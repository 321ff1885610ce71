#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/messages.h"

// What the bar hands its fetch worker: the request and the way back to the bar.
struct LineFetchJob {
    std::string url;
    msg::Poster poster; // delivers WM_QUOTES_READY to the requester's window
    std::shared_ptr<const std::atomic<bool>> cancel; // set when the program ends
};

// The lines of the bar's most recent response, trimmed, blank lines kept. Written only
// by the fetch worker between a successful open and its completion message; read by the
// bar's completion handler, which takes them out before distributing them.
class QuoteLineArray final {
public:
    void RemoveAll();
    void Add(std::string line);
    std::size_t GetSize() const;
    std::vector<std::string> Copy() const;
    // Moves the lines out, leaving the array empty.
    std::vector<std::string> Take();

private:
    mutable std::mutex m_mutex; // belt and braces: the fetch protocol already keeps them apart
    std::vector<std::string> m_lines;
};

extern QuoteLineArray QuoteLines;

// The agent name of the bar's session: every request of the bar carries it.
inline constexpr const char* kMainSessionAgent = "Main session";

// Thread procedure: opens the job's URL, and only once it has opened, replaces
// QuoteLines with the response lines; posts WM_QUOTES_READY with wParam 1 when the body
// was read to its end, 0 when an internet error ended the fetch. Returns 1.
int QuoteFetchWorker(std::unique_ptr<LineFetchJob> job);
