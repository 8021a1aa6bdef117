#include "tests/support/removable_drive.h"

#include "base/handle.h"

#include <windows.h>
#include <winioctl.h>

namespace {

// Wine 8's struct mountmgr_unix_drive (MinGW-w64's ddk/mountmgr.h still has an older layout). The
// strings follow the structure; their offsets are counted from its start.
struct UnixDriveRequest {
    ULONG size;
    ULONG type;  // a DRIVE_* value
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};
static_assert(sizeof(UnixDriveRequest) == 32);

constexpr DWORD k_mountmgr_type = 0x6D;  // 'm'
constexpr DWORD k_define_unix_drive = CTL_CODE(k_mountmgr_type, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Defines the drive at `unix_path`, or removes it when the path is empty.
bool define_drive(wchar_t letter, const std::string& unix_path)
{
    UniqueFile manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!manager) return false;
    std::string buffer(sizeof(UnixDriveRequest), '\0');
    UnixDriveRequest request{};
    request.type = DRIVE_REMOVABLE;
    request.letter = static_cast<WCHAR>(letter - L'A' + L'a');
    if (!unix_path.empty()) {
        request.mount_point_offset = static_cast<USHORT>(buffer.size());
        buffer += unix_path;
        buffer += '\0';
    }
    request.size = static_cast<ULONG>(buffer.size());
    buffer.replace(0, sizeof request, reinterpret_cast<const char*>(&request), sizeof request);
    DWORD returned = 0;
    return DeviceIoControl(manager.get(), k_define_unix_drive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                           0, &returned, nullptr) != FALSE;
}

std::string unix_path_of(const std::wstring& folder)
{
    using GetUnixFileName = char*(CDECL*)(const wchar_t*);
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    // Through void* because FARPROC and the real signature are "incompatible" function types.
    auto get_unix_file_name = kernel32 ? reinterpret_cast<GetUnixFileName>(reinterpret_cast<void*>(
                                             GetProcAddress(kernel32, "wine_get_unix_file_name")))
                                       : nullptr;
    if (!get_unix_file_name) return {};  // not Wine
    char* name = get_unix_file_name(folder.c_str());
    if (!name) return {};
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

}  // namespace

RemovableTestDrive::RemovableTestDrive(const std::wstring& folder)
{
    const std::string unix_path = unix_path_of(folder);
    if (unix_path.empty()) return;
    const DWORD used = GetLogicalDrives();
    for (wchar_t letter = L'R'; letter <= L'Y'; ++letter) {
        if (used & (1u << (letter - L'A'))) continue;
        if (!define_drive(letter, unix_path)) return;
        if (GetDriveTypeW(std::wstring{letter, L':', L'\\'}.c_str()) == DRIVE_REMOVABLE) {
            letter_ = letter;
        } else {
            define_drive(letter, {});  // defined, but not as we need it: leave no trace
        }
        return;
    }
}

RemovableTestDrive::~RemovableTestDrive()
{
    if (letter_) define_drive(letter_, {});
}

std::wstring RemovableTestDrive::root() const { return letter_ ? std::wstring{letter_, L':', L'\\'} : std::wstring(); }
