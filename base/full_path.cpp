#include "base/full_path.h"

#include <windows.h>

Path full_path(const Path& path)
{
    // The call reads up to the first NUL; a path with one inside names nothing as a whole.
    if (path.empty() || path.find(L'\0') != Path::npos) return path;
    std::wstring buffer(MAX_PATH, L'\0');
    // A relative path may resolve longer on the next try when another thread changed the current
    // folder in between.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (n == 0) return path;
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(n);  // too small: n counts the terminator
    }
    return path;
}
