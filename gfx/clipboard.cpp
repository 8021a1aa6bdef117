#include "gfx/clipboard.h"

#include "base/handle.h"
#include "base/text.h"

#include <cstring>

namespace {

// OpenClipboard's pairing call, made on every path once it succeeded.
struct ClipboardCloser {
    ~ClipboardCloser() { CloseClipboard(); }
};

using UniqueGlobal = UniqueHandle<NullHandleTraits<HGLOBAL, &::GlobalFree>>;

}  // namespace

std::wstring clipboard_units(std::string_view text)
{
    std::wstring units;
    const std::wstring wide = utf16_from_utf8(text);
    units.reserve(wide.size() + 8);
    for (wchar_t c : wide) {
        if (c == L'\n') units += L'\r';
        units += c;
    }
    units += L'\0';
    return units;
}

bool copy_to_clipboard(HWND hwnd, std::string_view text)
{
    const std::wstring units = clipboard_units(text);
    const size_t bytes = units.size() * sizeof(wchar_t);
    if (!OpenClipboard(hwnd)) return false;
    ClipboardCloser closer;
    EmptyClipboard();  // a failure leaves the old content, which SetClipboardData replaces anyway
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return false;
    void* target = GlobalLock(memory.get());
    if (!target) return false;
    std::memcpy(target, units.data(), bytes);
    GlobalUnlock(memory.get());
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
    memory.release();  // the clipboard owns it now
    return true;
}
