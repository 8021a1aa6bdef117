#include "trust/anchors.h"

#include "base/handle.h"
#include "base/text.h"

#include <cstdlib>

#include <windows.h>

namespace {

#ifdef VESSOP_TEST_TRUST
// The test build's extra certificates: the tests sign their fixtures with keys of their own, under
// the names of real CAs.
void add_test_anchors(std::vector<AnchorCertificate>& anchors)
{
    const DWORD size = GetEnvironmentVariableW(L"VESSOP_TEST_ROOTS", nullptr, 0);
    if (size == 0) return;
    std::wstring folder(size, L'\0');
    folder.resize(GetEnvironmentVariableW(L"VESSOP_TEST_ROOTS", folder.data(), size));
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW((folder + L"\\*.der").c_str(), &data));
    if (!find) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring path = folder + L"\\" + data.cFileName;
        const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file || data.nFileSizeHigh != 0 || data.nFileSizeLow >= (1u << 20)) continue;
        std::vector<uint8_t> der(data.nFileSizeLow);
        DWORD got = 0;
        if (!ReadFile(file.get(), der.data(), static_cast<DWORD>(der.size()), &got, nullptr) || got != der.size()) continue;
        anchors.push_back({anchor_kind_of_file(data.cFileName), utf8_from_utf16(data.cFileName), std::move(der)});
    } while (FindNextFileW(find.get(), &data));
}
#endif

}  // namespace

AnchorKind anchor_kind_of_file(std::wstring_view file_name)
{
    if (starts_with_ignoring_ascii_case(file_name, L"testroot")) return AnchorKind::TestRoot;
    if (starts_with_ignoring_ascii_case(file_name, L"root")) return AnchorKind::Root;
    return AnchorKind::Ca;
}

std::vector<AnchorCertificate> anchor_certificates()
{
    std::vector<AnchorCertificate> anchors;
    for (const EmbeddedAnchor& anchor : embedded_anchors())
        anchors.push_back({anchor.kind, std::string(anchor.name), std::vector<uint8_t>(anchor.der.begin(), anchor.der.end())});
#ifdef VESSOP_TEST_TRUST
    add_test_anchors(anchors);
#endif
    return anchors;
}
