#include "npki/folder_watch.h"

#include "base/files.h"
#include "base/handle.h"
#include "base/text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include <dbt.h>
#include <winioctl.h>

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

bool watchable_drive(unsigned drive_type, const std::optional<StorageFacts>& facts)
{
    if (drive_type != DRIVE_FIXED) return false;
    if (!facts) return true;
    if (facts->removable_media) return false;
    switch (facts->bus_type) {
    case BusType1394:
    case BusTypeUsb:
    case BusTypeSd:
    case BusTypeMmc: return false;
    default: return true;
    }
}

WatchedDeviceAction watched_device_action(uintptr_t event)
{
    switch (event) {
    case DBT_DEVICEQUERYREMOVE:
    case DBT_DEVICEREMOVEPENDING:
    case DBT_DEVICEREMOVECOMPLETE: return WatchedDeviceAction::ReleaseWatches;
    case DBT_DEVICEQUERYREMOVEFAILED: return WatchedDeviceAction::WatchAgain;
    default: return WatchedDeviceAction::None;
    }
}

bool file_change_matters(std::wstring_view name)
{
    if (name.size() < 4) return false;
    const std::wstring_view tail = name.substr(name.size() - 4);
    return CompareStringOrdinal(tail.data(), 4, L".der", 4, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(tail.data(), 4, L".key", 4, TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> changed_names(const void* buffer, size_t bytes)
{
    std::vector<std::wstring> names;
    const auto* base = static_cast<const BYTE*>(buffer);
    constexpr size_t k_header = offsetof(FILE_NOTIFY_INFORMATION, FileName);
    size_t at = 0;
    while (at + k_header <= bytes) {
        FILE_NOTIFY_INFORMATION record;
        std::memcpy(&record, base + at, k_header);
        if (record.FileNameLength % sizeof(wchar_t) != 0 || record.FileNameLength > bytes - at - k_header) break;
        std::wstring name(record.FileNameLength / sizeof(wchar_t), L'\0');
        std::memcpy(name.data(), base + at + k_header, record.FileNameLength);
        names.push_back(std::move(name));
        if (record.NextEntryOffset == 0 || record.NextEntryOffset % sizeof(DWORD) != 0) break;
        at += record.NextEntryOffset;
    }
    return names;
}

namespace {

constexpr DWORD k_buffer_bytes = 16 * 1024;

// A watch asks either for folders made, removed or renamed, or for files: one handle each, since a
// handle keeps the filter of its first request.
enum class WatchKind : uint8_t { Folders, Files };

// Device events about a handle, for as long as it is open.
using UniqueDeviceNotify = UniqueHandle<NullHandleTraits<HDEVNOTIFY, &::UnregisterDeviceNotification>>;

struct Watch {
    UniqueFile folder;
    UniqueDeviceNotify device_events;  // declared after the handle: unregistered before it closes
    UniqueKernelHandle event;
    OVERLAPPED overlapped{};
    alignas(DWORD) std::array<BYTE, k_buffer_bytes> buffer{};
    WatchKind kind = WatchKind::Folders;
    bool subtree = true;
    bool pending = false;
};

bool arm(Watch& watch)
{
    watch.overlapped = OVERLAPPED{};
    watch.overlapped.hEvent = watch.event.get();
    const DWORD filter = watch.kind == WatchKind::Folders ? FILE_NOTIFY_CHANGE_DIR_NAME
                                                          : FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
    watch.pending = ReadDirectoryChangesW(watch.folder.get(), watch.buffer.data(), k_buffer_bytes, watch.subtree, filter,
                                          nullptr, &watch.overlapped, nullptr) != FALSE;
    return watch.pending;
}

// Whether what a completed watch read can change the list.
bool change_matters(const Watch& watch, DWORD bytes)
{
    if (watch.kind == WatchKind::Folders || bytes == 0) return true;  // 0: more changed than the buffer held
    const std::vector<std::wstring> names = changed_names(watch.buffer.data(), std::min<size_t>(bytes, k_buffer_bytes));
    return std::any_of(names.begin(), names.end(), [](const std::wstring& name) { return file_change_matters(name); });
}

std::unique_ptr<Watch> open_watch(const WatchTarget& target, WatchKind kind, HWND hwnd)
{
    auto watch = std::make_unique<Watch>();
    watch->kind = kind;
    watch->subtree = target.subtree;
    // FILE_SHARE_DELETE: a watched folder can still be renamed or deleted by anyone.
    watch->folder.reset(CreateFileW(target.folder.c_str(), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    watch->event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!watch->folder || !watch->event || !arm(*watch)) return nullptr;  // that folder goes unwatched
    // So that the window hears when the user asks to remove the disk, and lets go of the handle.
    DEV_BROADCAST_HANDLE filter{};
    filter.dbch_size = sizeof(filter);
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = watch->folder.get();
    watch->device_events.reset(RegisterDeviceNotificationW(hwnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    return watch;
}

struct WatchJob {
    std::vector<WatchTarget> targets;
    HWND hwnd = nullptr;
    UINT message = 0;
    HANDLE stop = nullptr;   // owned by the watcher, which outlives the thread
    HANDLE armed = nullptr;  // likewise
};

DWORD WINAPI watch_thread_main(void* parameter)
{
    std::unique_ptr<WatchJob> job(static_cast<WatchJob*>(parameter));
    try {
        std::vector<std::unique_ptr<Watch>> watches;
        for (const WatchTarget& target : job->targets) {
            // Folders made, removed or renamed; and, below a root itself, its certificate files. A root
            // still awaited is watched only for the folder that makes it.
            for (const WatchKind kind : {WatchKind::Folders, WatchKind::Files}) {
                if (kind == WatchKind::Files && !target.subtree) continue;
                if (watches.size() + 1 >= MAXIMUM_WAIT_OBJECTS) break;  // the stop event takes one slot
                if (std::unique_ptr<Watch> watch = open_watch(target, kind, job->hwnd)) watches.push_back(std::move(watch));
            }
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
            if (change_matters(watch, bytes)) PostMessageW(job->hwnd, job->message, 0, 0);
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
        return watcher;
    } catch (...) {
        return nullptr;
    }
}

UniqueKernelHandle FolderWatcher::armed_event() const
{
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), armed_.get(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
        return {};
    return UniqueKernelHandle(copy);
}

FolderWatcher::~FolderWatcher()
{
    if (!thread_) return;
    SetEvent(stop_.get());
    WaitForSingleObject(thread_.get(), INFINITE);  // it wakes on the stop event at once
}

namespace {

// The bus and media of the device a drive letter's volume lies on; none when it cannot be asked.
std::optional<StorageFacts> storage_facts(wchar_t letter)
{
    const wchar_t volume[] = {L'\\', L'\\', L'.', L'\\', letter, L':', L'\0'};
    // No access rights are needed for the query; nothing on the volume is opened.
    const UniqueFile device(CreateFileW(volume, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device) return std::nullopt;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DEVICE_DESCRIPTOR descriptor{};
    DWORD got = 0;
    if (!DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &descriptor,
                         sizeof(descriptor), &got, nullptr) ||
        got < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(descriptor.BusType))
        return std::nullopt;
    return StorageFacts{static_cast<uint32_t>(descriptor.BusType), descriptor.RemovableMedia != FALSE};
}

}  // namespace

std::vector<WatchTarget> watch_targets_for(const std::vector<Path>& roots)
{
    // Most roots lie on one drive: each letter's device is asked once per watch list.
    std::array<std::optional<bool>, 26> watchable_letter;
    const auto on_fixed_drive = [&](const Path& root) {
        if (root.size() < 2 || root[1] != L':' || !is_ascii_letter(root[0])) return false;  // shares, relative paths
        std::optional<bool>& known = watchable_letter[(root[0] | 0x20) - L'a'];
        if (!known) {
            const wchar_t drive[] = {root[0], L':', L'\\', L'\0'};
            const UINT type = GetDriveTypeW(drive);
            known = watchable_drive(type, type == DRIVE_FIXED ? storage_facts(root[0]) : std::nullopt);
        }
        return *known;
    };
    return watch_targets(roots, &is_folder, on_fixed_drive);
}
