#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// An HTTP client shaped like the classic internet-session classes: a session named
// after its user opens a URL and hands back a file that is read line by line.
//
// Differences from a bare HTTP GET that callers rely on:
// - the session's agent name goes out as the User-Agent;
// - an HTTP status of 400 or above is a failure, like a connection failure;
// - connect and no-data timeouts, an overall deadline, a body size cap and a cap on the
//   number of lines are always set, so a stalled, trickling or runaway server can never
//   freeze a reader or fill the memory;
// - every line read loses its line break and a trailing CR.

using DWORD = std::uint32_t;

constexpr DWORD INTERNET_FLAG_TRANSFER_ASCII = 0x00000001;
constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;

// Error numbers carried by CInternetException (the classic ones where one exists).
constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr DWORD ERROR_HTTP_STATUS_FAILURE = 12200;     // status >= 400 (our own number)
constexpr DWORD ERROR_INTERNET_BODY_TOO_LARGE = 12201; // body over the cap (our own number)

class CInternetException : public std::exception {
public:
    CInternetException(DWORD error, std::uintptr_t context, std::string message,
                       long httpStatus = 0);
    const char* what() const noexcept override { return m_strMessage.c_str(); }
    const std::string& GetErrorMessage() const { return m_strMessage; }

    DWORD m_dwError;
    std::uintptr_t m_dwContext;
    std::string m_strMessage;
    long m_nHttpStatus; // the status when the failure was an HTTP status, else 0
};

// The response of OpenURL: the body, read as text lines.
class CInternetFile final {
public:
    ~CInternetFile();
    // Next line without its line break (and without a trailing CR). False at the end
    // of the body. Throws CInternetException when the transfer broke off before the end.
    bool ReadString(std::string& line);
    // The whole remaining body (for binary readers such as images). Throws like ReadString.
    std::string ReadAll();
    long GetStatusCode() const { return m_status; }
    const std::string& GetContentType() const { return m_contentType; }
    void Close();

private:
    friend class CInternetSession;
    CInternetFile() = default;

    std::string m_body;
    std::size_t m_pos = 0;
    std::size_t m_linesRead = 0;
    std::size_t m_maxLines = 0;
    long m_status = 0;
    std::string m_contentType;
    std::unique_ptr<CInternetException> m_error; // thrown once the good part is read
};

enum class InternetOption {
    ConnectTimeoutMs, // default 60000
    ReceiveTimeoutMs, // no data at all for this long fails the transfer; default 60000
    MaxBodyBytes,     // default 16 MiB
    // The whole transfer must end within this; what arrived by then is readable (complete
    // lines), then the reader sees a timeout. Default DefaultDeadlineMs().
    DeadlineMs,
    // More lines than this in one answer is no answer any reader here expects: the reader
    // gets the first ones, then a failure. Default 100000.
    MaxLines,
};

class CInternetSession final {
public:
    explicit CInternetSession(std::string agent, std::uintptr_t context = 1);
    ~CInternetSession();
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // Performs a GET. Throws CInternetException when the server cannot be reached,
    // answers with a status >= 400, or sends nothing usable. The returned file holds
    // the body; if the transfer broke off part-way, it yields the complete lines that
    // arrived and then throws.
    std::unique_ptr<CInternetFile> OpenURL(const std::string& url, std::uintptr_t context = 1,
                                           DWORD flags = INTERNET_FLAG_TRANSFER_ASCII);

    void SetOption(InternetOption option, long value);
    // A transfer in flight stops soon after the flag becomes true (program exit).
    void SetCancelFlag(std::shared_ptr<const std::atomic<bool>> flag) {
        m_cancel = std::move(flag);
    }
    void Close();

    const std::string& GetAgent() const { return m_agent; }
    // The context the session was opened with; exceptions carry their transfer's own.
    std::uintptr_t GetContext() const { return m_context; }

    // Stops every transfer of every session, now and later (program exit).
    static void CancelAll();
    // Undoes CancelAll (tests).
    static void ResetCancelAll();

private:
    std::string m_agent;
    std::uintptr_t m_context;
    long m_connectTimeoutMs = 60000;
    long m_receiveTimeoutMs = 60000;
    long m_maxBodyBytes = 16L * 1024 * 1024;
    long m_deadlineMs;
    long m_maxLines = 100000;
    std::shared_ptr<const std::atomic<bool>> m_cancel;
};

namespace inet {

// curl_global_init, once per process; main() calls it before any thread starts.
void GlobalInit();

// The overall deadline of a transfer: $KORAVEL_READ_DEADLINE seconds when set (1 to 3600),
// else 120 seconds.
long DefaultDeadlineMs();

// Opens the URL in a session named `agent` and reads every line, trimmed of blanks at
// both ends (empty lines kept). Throws CInternetException like OpenURL and ReadString.
std::vector<std::string> ReadAllLines(CInternetSession& session, const std::string& url);

} // namespace inet
