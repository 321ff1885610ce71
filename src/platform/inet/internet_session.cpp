#include "platform/inet/internet_session.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include <curl/curl.h>

#include "platform/base/capped_body.h"
#include "platform/base/text.h"

namespace {

std::atomic<bool> g_cancelAll{false};

struct EasyHandle {
    CURL* h = curl_easy_init();
    ~EasyHandle() {
        if (h)
            curl_easy_cleanup(h);
    }
};

struct Transfer : CappedBody {
    bool cancelled = false;
    const std::atomic<bool>* cancel = nullptr;
};

std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* user) {
    const std::size_t n = size * count;
    // Less than n makes curl stop with a write error.
    return static_cast<Transfer*>(user)->Append(data, n) ? n : 0;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    if (g_cancelAll.load(std::memory_order_relaxed) ||
        (t->cancel && t->cancel->load(std::memory_order_relaxed))) {
        t->cancelled = true;
        return 1;
    }
    return 0;
}

DWORD ErrorFor(CURLcode rc, const Transfer& t) {
    if (t.cancelled)
        return ERROR_INTERNET_OPERATION_CANCELLED;
    if (t.tooLarge)
        return ERROR_INTERNET_BODY_TOO_LARGE;
    switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return ERROR_INTERNET_CONNECTION_RESET;
    default:
        return ERROR_INTERNET_CONNECTION_ABORTED;
    }
}

} // namespace

CInternetException::CInternetException(DWORD error, std::uintptr_t context, std::string message,
                                       long httpStatus)
    : m_dwError(error), m_dwContext(context), m_strMessage(std::move(message)),
      m_nHttpStatus(httpStatus) {}

CInternetFile::~CInternetFile() = default;

bool CInternetFile::ReadString(std::string& line) {
    if (m_pos < m_body.size() && m_maxLines != 0 && m_linesRead >= m_maxLines) {
        m_pos = m_body.size();
        m_error.reset();
        throw CInternetException(ERROR_INTERNET_BODY_TOO_LARGE, 1,
                                 "The response has more than " + std::to_string(m_maxLines) +
                                     " lines");
    }
    if (m_pos >= m_body.size()) {
        if (m_error) {
            auto error = std::move(m_error);
            throw CInternetException(*error);
        }
        return false;
    }
    std::size_t end = m_body.find('\n', m_pos);
    std::size_t next = end == std::string::npos ? m_body.size() : end + 1;
    if (end == std::string::npos)
        end = m_body.size();
    std::size_t stop = end;
    if (stop > m_pos && m_body[stop - 1] == '\r')
        --stop;
    line.assign(m_body, m_pos, stop - m_pos);
    m_pos = next;
    ++m_linesRead;
    return true;
}

std::string CInternetFile::ReadAll() {
    std::string rest = m_body.substr(std::min(m_pos, m_body.size()));
    m_pos = m_body.size();
    if (m_error) {
        auto error = std::move(m_error);
        throw CInternetException(*error);
    }
    return rest;
}

void CInternetFile::Close() {
    m_body.clear();
    m_pos = 0;
    m_error.reset();
}

CInternetSession::CInternetSession(std::string agent, std::uintptr_t context)
    : m_agent(std::move(agent)), m_context(context), m_deadlineMs(inet::DefaultDeadlineMs()) {
    inet::GlobalInit();
}

CInternetSession::~CInternetSession() = default;

void CInternetSession::Close() {}

void CInternetSession::SetOption(InternetOption option, long value) {
    switch (option) {
    case InternetOption::ConnectTimeoutMs:
        m_connectTimeoutMs = value;
        break;
    case InternetOption::ReceiveTimeoutMs:
        m_receiveTimeoutMs = value;
        break;
    case InternetOption::MaxBodyBytes:
        m_maxBodyBytes = value;
        break;
    case InternetOption::DeadlineMs:
        m_deadlineMs = value;
        break;
    case InternetOption::MaxLines:
        m_maxLines = value;
        break;
    }
}

void CInternetSession::CancelAll() {
    g_cancelAll.store(true);
}
void CInternetSession::ResetCancelAll() {
    g_cancelAll.store(false);
}

std::unique_ptr<CInternetFile> CInternetSession::OpenURL(const std::string& url,
                                                         std::uintptr_t context, DWORD /*flags*/) {
    EasyHandle easy;
    if (!easy.h)
        throw CInternetException(ERROR_INTERNET_CANNOT_CONNECT, context, "Cannot start a transfer");
    Transfer t;
    t.maxBody = static_cast<std::size_t>(m_maxBodyBytes);
    t.cancel = m_cancel.get();
    char errbuf[CURL_ERROR_SIZE] = {0};

    CURL* h = easy.h;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_USERAGENT, m_agent.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, m_connectTimeoutMs);
    // No data at all for the receive timeout fails the transfer.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, std::max(1L, (m_receiveTimeoutMs + 999) / 1000));
    // A server that trickles a few bytes at a time still has to finish by the deadline.
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, m_deadlineMs);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // The system's proxy settings apply, but never to this machine's own services.
    curl_easy_setopt(h, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");

    const CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    char* ctype = nullptr;
    curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &ctype);

    auto message = [&](CURLcode code) {
        std::string m = errbuf[0] ? std::string(errbuf) : std::string(curl_easy_strerror(code));
        if (t.tooLarge)
            m = "The response is larger than " + std::to_string(m_maxBodyBytes) + " bytes";
        return m;
    };

    if (status >= 400)
        throw CInternetException(ERROR_HTTP_STATUS_FAILURE, context,
                                 "The server answered with HTTP status " + std::to_string(status),
                                 status);
    if (rc != CURLE_OK && (status == 0 || t.cancelled))
        throw CInternetException(ErrorFor(rc, t), context, message(rc));

    auto file = std::unique_ptr<CInternetFile>(new CInternetFile());
    file->m_status = status;
    file->m_maxLines = static_cast<std::size_t>(std::max(0L, m_maxLines));
    if (ctype)
        file->m_contentType = ctype;
    if (rc != CURLE_OK) {
        // The answer started but broke off: the complete lines are readable, then the
        // reader sees the failure.
        const std::size_t lastBreak = t.body.rfind('\n');
        t.body.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
        file->m_error = std::make_unique<CInternetException>(ErrorFor(rc, t), context, message(rc));
    }
    file->m_body = std::move(t.body);
    return file;
}

namespace inet {

long DefaultDeadlineMs() {
    static const long deadline = [] {
        const char* v = std::getenv("KORAVEL_READ_DEADLINE");
        const long seconds = v ? std::strtol(v, nullptr, 10) : 0;
        return seconds >= 1 && seconds <= 3600 ? seconds * 1000 : 120000L;
    }();
    return deadline;
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::vector<std::string> ReadAllLines(CInternetSession& session, const std::string& url) {
    auto file = session.OpenURL(url, 1, INTERNET_FLAG_TRANSFER_ASCII);
    std::vector<std::string> lines;
    std::string line;
    while (file->ReadString(line))
        lines.push_back(text::Trim(line));
    return lines;
}

} // namespace inet
