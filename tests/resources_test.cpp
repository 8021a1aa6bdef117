// Reads the resources of the built Vessop.exe the way Windows does: as a data file, without running it.

#include "base/text.h"
#include "base/version.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

#ifdef VESSOP_EXE_NAME

namespace {

std::wstring exe_path()
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + utf16_from_utf8(VESSOP_EXE_NAME);
}

// The module loaded as resources only, freed at the end of the test.
class ExeResources {
public:
    ExeResources()
        : module_(LoadLibraryExW(exe_path().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {
    }
    ~ExeResources()
    {
        if (module_) FreeLibrary(module_);
    }
    ExeResources(const ExeResources&) = delete;
    ExeResources& operator=(const ExeResources&) = delete;
    HMODULE get() const { return module_; }

    std::vector<uint8_t> bytes(const wchar_t* type, const wchar_t* name) const
    {
        HRSRC info = FindResourceW(module_, name, type);
        if (!info) return {};
        HGLOBAL loaded = LoadResource(module_, info);
        const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
        if (!data) return {};
        return {data, data + SizeofResource(module_, info)};
    }

private:
    HMODULE module_;
};

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colour_count;
    BYTE reserved;
    WORD planes;
    WORD bit_count;
    DWORD bytes_in_resource;
    WORD id;
};
#pragma pack(pop)

std::wstring version_string(const std::vector<uint8_t>& block, const wchar_t* name)
{
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    std::vector<uint8_t> copy = block;  // VerQueryValueW wants a writable block
    if (!VerQueryValueW(copy.data(), query.c_str(), &value, &length) || !value) return L"<missing>";
    return std::wstring(static_cast<const wchar_t*>(value));
}

}  // namespace

TEST(ExeResources, IconGroupOneHoldsNineThirtyTwoBitSizes)
{
    ExeResources exe;
    ASSERT_TRUE(exe.get()) << "cannot load " << utf8_from_utf16(exe_path());
    const std::vector<uint8_t> group = exe.bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_GE(group.size(), sizeof(GroupIconHeader));
    GroupIconHeader header;
    std::memcpy(&header, group.data(), sizeof header);
    EXPECT_EQ(header.type, 1);
    ASSERT_EQ(group.size(), sizeof(GroupIconHeader) + header.count * sizeof(GroupIconEntry));

    std::set<int> sizes;
    for (size_t i = 0; i < header.count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
        const int size = entry.width == 0 ? 256 : entry.width;  // 0 stands for 256
        EXPECT_EQ(entry.width, entry.height) << "image " << i;
        EXPECT_EQ(entry.bit_count, 32) << size << " px";
        // Every image the group names must exist with the size it claims.
        const std::vector<uint8_t> image = exe.bytes(RT_ICON, MAKEINTRESOURCEW(entry.id));
        EXPECT_EQ(image.size(), entry.bytes_in_resource) << size << " px";
        // From 48 px on the images are PNG, which keeps the program small; Windows must read each at its size.
        const bool png = image.size() > 8 && std::memcmp(image.data(), "\x89PNG\r\n\x1a\n", 8) == 0;
        EXPECT_EQ(png, size >= 48) << size << " px";
        const HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image.data()), static_cast<DWORD>(image.size()),
                                                    TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
        EXPECT_NE(icon, nullptr) << size << " px";
        if (icon) DestroyIcon(icon);
        sizes.insert(size);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 128, 256}));
}

TEST(ExeResources, VersionBlockNamesProductAndMaker)
{
    const std::wstring path = exe_path();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } k_strings[] = {
        {L"FileDescription", L"Vessop"},   {L"InternalName", L"Vessop"},
        {L"ProductName", L"Vessop"},       {L"OriginalFilename", L"Vessop.exe"},
        {L"FileVersion", L"" VESSOP_VERSION}, {L"ProductVersion", L"" VESSOP_VERSION},
        {L"CompanyName", L"Tamsel Works Co., Ltd."},
    };
    for (const auto& s : k_strings) {
        EXPECT_EQ(version_string(block, s.name), s.value) << utf8_from_utf16(s.name);
    }

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, (VESSOP_VERSION_MAJOR << 16u) | VESSOP_VERSION_MINOR);
    EXPECT_EQ(fixed->dwFileVersionLS, VESSOP_VERSION_PATCH << 16u);

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);
}

TEST(ExeResources, ManifestAsksForPerMonitorDpiAndUtf8)
{
    ExeResources exe;
    ASSERT_TRUE(exe.get());
    const std::vector<uint8_t> bytes = exe.bytes(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    const std::string manifest(bytes.begin(), bytes.end());
    const std::string identity =
        std::string(R"(name="TamselWorks.Vessop" version=")") + VESSOP_VERSION + R"(.0" processorArchitecture="amd64")";
    const char* k_required[] = {
        identity.c_str(),
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
        ">true/pm</dpiAware>",
        ">PerMonitorV2</dpiAwareness>",
        ">UTF-8</activeCodePage>",
        ">true</longPathAware>",
        R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",  // Windows 10 and 11
        R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)",  // 8.1
        R"(<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>)",  // 8: layered child windows
        R"(level="asInvoker")",
    };
    for (const char* part : k_required) EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

#endif  // VESSOP_EXE_NAME
