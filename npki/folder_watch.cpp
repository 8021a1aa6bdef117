#include "npki/folder_watch.h"

#include "base/files.h"
#include "base/handle.h"

#include <algorithm>
#include <array>
#include <utility>

Path parent_folder(const Path& folder)
{
    Path trimmed = folder;
    while (trimmed.size() > 1 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) trimmed.pop_back();
    if (trimmed.size() <= 2 || (trimmed.starts_with(L"\\\\") && std::count(trimmed.begin(), trimmed.end(), L'\\') <= 3))
        return {};  // "C:" or a share's root
    const size_t slash = trimmed.find_last_of(L"\\/");
    if (slash == Path::npos) return {};
    if (slash == 2 && trimmed[1] == L':') return trimmed.substr(0, 3);  // "C:\"
    return trimmed.substr(0, slash);
}

bool inside_folder(const Path& folder, const Path& outer)
{
    std::string outer_key = path_key(outer);
    if (!outer_key.ends_with('\\')) outer_key += '\\';
    return path_key(folder).starts_with(outer_key);
}

namespace {

constexpr DWORD k_buffer_bytes = 16 * 1024;
constexpr DWORD k_notify_subtree = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

struct Watch {
    UniqueFile folder;
    UniqueKernelHandle event;
    OVERLAPPED overlapped{};
    alignas(DWORD) std::array<BYTE, k_buffer_bytes> buffer{};
    bool subtree = true;
    bool pending = false;
};

bool arm(Watch& watch)
{
    watch.overlapped = OVERLAPPED{};
    watch.overlapped.hEvent = watch.event.get();
    watch.pending = ReadDirectoryChangesW(watch.folder.get(), watch.buffer.data(), k_buffer_bytes, watch.subtree,
                                          watch.subtree ? k_notify_subtree : FILE_NOTIFY_CHANGE_DIR_NAME, nullptr,
                                          &watch.overlapped, nullptr) != FALSE;
    return watch.pending;
}

struct WatchJob {
    std::vector<WatchTarget> targets;
    HWND hwnd = nullptr;
    UINT message = 0;
    HANDLE stop = nullptr;   // owned by the watcher, which outlives the thread
    HANDLE armed = nullptr;  // likewise
};

constexpr DWORD k_arm_wait_ms = 2000;

DWORD WINAPI watch_thread_main(void* parameter)
{
    std::unique_ptr<WatchJob> job(static_cast<WatchJob*>(parameter));
    try {
        std::vector<std::unique_ptr<Watch>> watches;
        for (const WatchTarget& target : job->targets) {
            if (watches.size() + 1 >= MAXIMUM_WAIT_OBJECTS) break;  // the stop event takes one slot
            auto watch = std::make_unique<Watch>();
            watch->subtree = target.subtree;
            // FILE_SHARE_DELETE: a watched folder can still be renamed or deleted by anyone.
            watch->folder.reset(CreateFileW(target.folder.c_str(), FILE_LIST_DIRECTORY,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
            watch->event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            if (!watch->folder || !watch->event || !arm(*watch)) continue;  // that folder goes unwatched
            watches.push_back(std::move(watch));
        }
        SetEvent(job->armed);
        std::vector<HANDLE> waits{job->stop};
        for (const auto& watch : watches) waits.push_back(watch->event.get());
        for (;;) {
            const DWORD woke = WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, INFINITE);
            if (woke == WAIT_OBJECT_0 || woke < WAIT_OBJECT_0 || woke >= WAIT_OBJECT_0 + waits.size()) break;
            Watch& watch = *watches[woke - WAIT_OBJECT_0 - 1];
            DWORD bytes = 0;
            GetOverlappedResult(watch.folder.get(), &watch.overlapped, &bytes, FALSE);
            watch.pending = false;
            ResetEvent(watch.event.get());
            // What changed does not matter, only that something did (0 bytes: more than the buffer held).
            PostMessageW(job->hwnd, job->message, 0, 0);
            if (!arm(watch)) {
                // A folder that went away stops being watched; the rescan it causes watches anew.
                waits.erase(waits.begin() + static_cast<std::ptrdiff_t>(woke - WAIT_OBJECT_0));
                watches.erase(watches.begin() + static_cast<std::ptrdiff_t>(woke - WAIT_OBJECT_0 - 1));
            }
        }
        // The system must be done with every buffer before it is freed.
        for (const auto& watch : watches) {
            if (!watch->pending) continue;
            CancelIoEx(watch->folder.get(), &watch->overlapped);
            DWORD bytes = 0;
            GetOverlappedResult(watch->folder.get(), &watch->overlapped, &bytes, TRUE);
        }
    } catch (...) {
        // Out of memory while setting up: the list is refreshed by hand until the next scan tries again.
    }
    SetEvent(job->armed);  // also when setting up failed: nobody waits longer than needed
    return 0;
}

}  // namespace

std::unique_ptr<FolderWatcher> FolderWatcher::start(std::vector<WatchTarget> targets, HWND hwnd, UINT message)
{
    if (targets.empty()) return nullptr;
    try {
        auto watcher = std::make_unique<FolderWatcher>(Made{});
        watcher->targets_ = targets;
        watcher->stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        watcher->armed_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!watcher->stop_ || !watcher->armed_) return nullptr;
        auto job = std::make_unique<WatchJob>(
            WatchJob{std::move(targets), hwnd, message, watcher->stop_.get(), watcher->armed_.get()});
        watcher->thread_.reset(CreateThread(nullptr, 0, watch_thread_main, job.get(), 0, nullptr));
        if (!watcher->thread_) return nullptr;  // the job is still ours and freed here
        job.release();
        // Opening a few local folders takes milliseconds; a disk still spinning up is not waited
        // for long, and then the scan may simply start first.
        const HANDLE started[] = {watcher->armed_.get(), watcher->thread_.get()};
        WaitForMultipleObjects(2, started, FALSE, k_arm_wait_ms);
        return watcher;
    } catch (...) {
        return nullptr;
    }
}

FolderWatcher::~FolderWatcher()
{
    if (!thread_) return;
    SetEvent(stop_.get());
    WaitForSingleObject(thread_.get(), INFINITE);  // it wakes on the stop event at once
}

std::vector<WatchTarget> watch_targets_for(const std::vector<Path>& roots)
{
    const auto on_fixed_drive = [](const Path& root) {
        if (root.size() < 2 || root[1] != L':') return false;  // shares and relative paths: not watched
        const wchar_t drive[] = {root[0], L':', L'\\', L'\0'};
        return GetDriveTypeW(drive) == DRIVE_FIXED;
    };
    return watch_targets(roots, &is_folder, on_fixed_drive);
}
