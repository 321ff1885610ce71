#include "amibroker/core/bridge_workers.h"

#include <cstdint>
#include <mutex>

namespace amilink {

SharedBridge& FeedBridge() {
    static SharedBridge b;
    return b;
}

SharedBridge& BackfillBridge() {
    static SharedBridge b;
    return b;
}

HRESULT CreateBridge(com::ComPtr<_clsdll>& bridge) {
    return com::CreateByProgId(kPellarProgId, IID__clsdll, bridge.PutVoid());
}

LiveFeed::LiveFeed(Reporter report) : m_report(std::move(report)) {}

LiveFeed::~LiveFeed() {
    if (m_worker.joinable())
        m_worker.join();
}

void LiveFeed::Start(std::string text) {
    if (m_worker.joinable())
        m_worker.join(); // it has ended: its exit code said so
    ++m_cycles;
    m_exitCode = kStillActive;
    m_worker = std::thread([this, text = std::move(text)] {
        CoInitialize(nullptr);
        SharedBridge& shared = FeedBridge();
        {
            std::lock_guard lock(shared.mutex);
            if (!shared.ready) {
                shared.ready = true;
                if (FAILED(CreateBridge(shared.bridge))) {
                    shared.ready = false; // no message: the call below reports it
                    shared.bridge.Reset();
                } else {
                    com::Variant r;
                    if (FAILED(shared.bridge->fnInitialize(&r))) {
                        m_report(kComDllProblem);
                        shared.ready = false;
                        shared.bridge.Reset();
                    }
                }
            }
            // The text as the bridge takes it; without memory for it nothing is sent.
            bool prepared = false, ok = false;
            try {
                com::Bstr data(text);
                prepared = data.Get() != nullptr && text.size() <= UINT32_MAX;
                if (prepared && shared.bridge) {
                    com::Variant r;
                    ok = SUCCEEDED(shared.bridge->fnAddQuotations(data.Address(), &r));
                }
            } catch (const std::exception&) {
                prepared = false;
            }
            if (!prepared)
                m_report(kFeedPrepareError);
            else if (!ok)
                m_report(kFeedError);
        }
        CoUninitialize();
        m_exitCode = 0;
    });
}

std::atomic<int>& BackfillWorkers::RunFlag() {
    static std::atomic<int> flag{0};
    return flag;
}

void BackfillWorkers::Join() {
    if (m_worker.joinable())
        m_worker.join();
    m_running = false;
}

void BackfillWorkers::Start(std::string name, std::string text, msg::Poster poster) {
    Join();
    m_running = true;
    m_worker = std::thread(
        [this, name = std::move(name), text = std::move(text), poster = std::move(poster)] {
            if (RunFlag().load() == 0) {
                m_running = false;
                poster(msg::WM_BACKFILL_STOPPED, 0, 0);
                return;
            }
            CoInitialize(nullptr);
            SharedBridge& shared = BackfillBridge();
            {
                std::lock_guard lock(shared.mutex);
                if (!shared.ready) {
                    shared.ready = true;
                    com::Variant r;
                    if (FAILED(CreateBridge(shared.bridge)) ||
                        FAILED(shared.bridge->fnInitialize(&r))) {
                        m_report(kComDllProblem);
                        shared.ready = false;
                        shared.bridge.Reset();
                    }
                }
                if (shared.bridge) {
                    try {
                        com::Bstr n(name), t(text);
                        com::Variant r;
                        shared.bridge->fnAddQuotationsforBackFill(n.Address(), t.Address(),
                                                                  &r); // a failure ends nothing
                    } catch (const std::exception&) {
                        // Nor does a text too large to hand over: the next step goes on.
                    }
                }
            }
            CoUninitialize();
            m_running = false;
            poster(msg::WM_BACKFILL_NEXT, 0, 0);
        });
}

} // namespace amilink
