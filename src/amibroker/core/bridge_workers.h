#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "bridge/pellar.h"
#include "platform/base/messages.h"
#include "platform/com/dispatch.h"

namespace amilink {

using Reporter = std::function<void(const std::string& message)>;

inline constexpr const char* kComDllProblem =
    "SORRY !!! Problem with COM DLL!!!\nAmiBroker related functionality "
    "will not be available without proper installation of this Dll";
inline constexpr const char* kFeedError = "Error occured in Data fetching to AmiBroker";
// When the text could not even be handed over (no memory for it).
inline constexpr const char* kFeedPrepareError = "Error  occured in Data fetching to AmiBroker";
inline constexpr int kStillActive = 259;

// Creates the bridge by its ProgID as an in-process server.
HRESULT CreateBridge(com::ComPtr<_clsdll>& bridge);

// A bridge some workers share, made by the first that needs it; a worker that finds it
// broken leaves it to the next to try again. A worker holds the mutex while it uses it;
// anyone may clear `ready` to have the next worker make it again.
struct SharedBridge {
    std::mutex mutex;
    com::ComPtr<_clsdll> bridge;
    std::atomic<bool> ready{false};
};

// The bridge every feed worker of the process uses, and the one the back-fill's use.
SharedBridge& FeedBridge();
SharedBridge& BackfillBridge();

// The live feed of one watch list: one worker at a time sends a refresh's text to the
// charting program through a bridge that feed workers share for the life of the process.
class LiveFeed final {
public:
    explicit LiveFeed(Reporter report);
    ~LiveFeed(); // waits for a worker still sending
    LiveFeed(const LiveFeed&) = delete;
    LiveFeed& operator=(const LiveFeed&) = delete;

    // The previous cycle's worker is still sending: this refresh is not fed.
    bool IsStillActive() const { return m_exitCode.load() == kStillActive; }
    void Start(std::string text);
    int Cycles() const { return m_cycles; }

private:
    Reporter m_report;
    std::thread m_worker;
    std::atomic<int> m_exitCode{0};
    int m_cycles = 0;
};

// The back-fill's workers: each hands one company's bars to the charting program through
// a bridge they share, then asks the dialog for the next step; a cleared run flag makes
// a worker report that the back-fill stopped instead.
class BackfillWorkers final {
public:
    explicit BackfillWorkers(Reporter report) : m_report(std::move(report)) {}
    ~BackfillWorkers() { Join(); }
    BackfillWorkers(const BackfillWorkers&) = delete;
    BackfillWorkers& operator=(const BackfillWorkers&) = delete;

    static std::atomic<int>& RunFlag();
    void Start(std::string name, std::string text, msg::Poster poster);
    // Waits for the running worker (if any) to end.
    void Join();
    bool IsRunning() const { return m_running.load(); }

private:
    Reporter m_report;
    std::thread m_worker;
    std::atomic<bool> m_running{false};
};

} // namespace amilink
