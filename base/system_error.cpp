#include "base/system_error.h"

#include "base/handle.h"
#include "base/text.h"

#include <string_view>

#include <windows.h>

std::string system_error_text(uint32_t code)
{
    wchar_t* buffer = nullptr;
    // Inserts are ignored: the message of a code alone, with no arguments, would otherwise read
    // past them.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocalMem owner(buffer);
    const std::string message = length && buffer ? utf8_from_utf16(std::wstring_view(buffer, length)) : std::string();
    const std::string_view trimmed = trim_unicode_space(message);
    std::string text(trimmed);
    if (!text.empty()) text += ' ';
    text += "(os error " + std::to_string(code) + ")";
    return text;
}
