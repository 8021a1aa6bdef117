#include "npki/scan_thread.h"

#include "base/handle.h"
#include "i18n/catalogue.h"
#include "npki/folder_watch.h"
#include "npki/scanner.h"

#include <memory>
#include <utility>

namespace {

// Everything the scan thread works on, owned by it: it outlives anything of the window.
struct ScanJob {
    std::vector<Path> roots;
    HWND hwnd = nullptr;
    UINT message = 0;
    UniqueKernelHandle watches_armed;
};

// The window waits for this message before it can start another scan, so a post refused because the
// thread's queue is full is tried again for a while; a window that is gone needs nothing.
void post_scan_done(const ScanJob& job)
{
    constexpr int k_attempts = 50;
    constexpr DWORD k_retry_ms = 100;
    for (int attempt = 0; attempt < k_attempts; ++attempt) {
        if (PostMessageW(job.hwnd, job.message, 0, 0) || !IsWindow(job.hwnd)) return;
        Sleep(k_retry_ms);
    }
    // Given up: the outcome waits in the slot for the next message of its kind.
}

DWORD WINAPI scan_thread_main(void* parameter)
{
    std::unique_ptr<ScanJob> job(static_cast<ScanJob*>(parameter));  // adopted: freed when the thread ends
    if (job->watches_armed) WaitForSingleObject(job->watches_armed.get(), k_watch_arm_wait_ms);
    try {
        ScanOutcome outcome;
        try {
            outcome.inventory = run_scan(job->roots);
            outcome.search_keys = search_keys(outcome.inventory.entries, &tr, current_language());
            outcome.completed = true;
        } catch (...) {
            outcome = ScanOutcome{};  // reported as unfinished below
        }
        pending_scan_result().put(std::move(outcome));
    } catch (...) {
        // The slot's lock failed: there is nothing to hand over, and no way to report it.
    }
    post_scan_done(*job);
    return 0;
}

}  // namespace

Slot<ScanOutcome>& pending_scan_result()
{
    static Slot<ScanOutcome> slot;
    return slot;
}

bool start_scan_thread(std::vector<Path> roots, HWND hwnd, UINT message, UniqueKernelHandle watches_armed)
{
    try {
        auto job = std::make_unique<ScanJob>(ScanJob{std::move(roots), hwnd, message, std::move(watches_armed)});
        UniqueKernelHandle thread(CreateThread(nullptr, 0, scan_thread_main, job.get(), 0, nullptr));
        if (!thread) return false;  // the job is still ours and freed here
        job.release();               // now owned by the thread; closing our handle detaches it
        return true;
    } catch (...) {
        return false;
    }
}
