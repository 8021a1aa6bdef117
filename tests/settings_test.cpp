#include "app/settings.h"
#include "app/settings_format.h"
#include "npki/search_roots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr wchar_t k_key[] = L"Software\\Vessop";
constexpr wchar_t k_personalize_key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
};

// Writes any type straight through the registry, so the tests can plant values the program never writes.
void put_raw(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, size_t size)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, type, data, static_cast<DWORD>(size)), ERROR_SUCCESS);
}
void put_text(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
{
    put_raw(k_key, name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}
void put_dword(const wchar_t* key, const wchar_t* name, DWORD value)
{
    put_raw(key, name, REG_DWORD, &value, sizeof(value));
}

std::optional<RawValue> get_raw(const wchar_t* key, const wchar_t* name)
{
    RawValue value;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.bytes.resize(size);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, value.bytes.data(),
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.bytes.resize(size);
    return value;
}

bool key_exists(const wchar_t* key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

std::vector<uint8_t> bytes_of(const std::wstring& text)
{
    std::vector<uint8_t> bytes((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

// Every test starts and ends without the settings key.
class SettingsStore : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, k_key); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, k_key); }
};

TEST_F(SettingsStore, MissingKeyGivesDefaultsAndFirstWriteCreatesIt)
{
    EXPECT_FALSE(read_text_setting("Language"));
    EXPECT_TRUE(read_auto_update());
    EXPECT_FALSE(read_placement());
    EXPECT_EQ(read_last_update_check(), 0u);
    EXPECT_FALSE(key_exists(k_key));  // reading creates nothing

    write_last_update_check(1767225600);
    const auto raw = get_raw(k_key, L"LastUpdateCheck");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->bytes, bytes_of(L"1767225600"));
    EXPECT_EQ(read_last_update_check(), 1767225600u);
}

TEST_F(SettingsStore, TextRoundTripsWithItsTerminator)
{
    const std::string k_texts[] = {
        "", "ko", "zh-Hans", "한국어", "C:\\Users\\홍길동\\NPKI\nE:\\NPKI", "\xF0\x9F\x98\x80 emoji",
    };
    for (const std::string& text : k_texts) {
        write_text_setting("Language", text);
        EXPECT_EQ(read_text_setting("Language"), text);
    }
    const auto raw = get_raw(k_key, L"Language");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->bytes.size(), (2 + 6 + 1) * sizeof(wchar_t));  // two surrogates, " emoji", NUL
}

TEST_F(SettingsStore, TextEndsAtFirstNulAndSurvivesOddData)
{
    struct Case {
        std::vector<uint8_t> bytes;
        std::string expected;
    };
    const Case k_cases[] = {
        {{'a', 0, 'b', 0, 0, 0, 'c', 0, 0, 0}, "ab"},  // embedded NUL
        {{'a', 0, 'b', 0}, "ab"},                       // stored without a terminator
        {{}, ""},
        {{0x00, 0xD8, 'x', 0, 0, 0}, "\xEF\xBF\xBDx"},  // unpaired surrogate
    };
    for (const Case& c : k_cases) {
        put_raw(k_key, L"Language", REG_SZ, c.bytes.data(), c.bytes.size());
        const std::optional<std::string> text = read_text_setting("Language");
        ASSERT_TRUE(text) << c.expected;
        EXPECT_EQ(*text, c.expected);
    }
    // An odd byte count: the half unit lands in the zero-filled buffer; nothing beyond it is read.
    const uint8_t odd[] = {'a', 0, 'b'};
    put_raw(k_key, L"Language", REG_SZ, odd, sizeof(odd));
    const std::optional<std::string> text = read_text_setting("Language");
    ASSERT_TRUE(text);
    EXPECT_TRUE(*text == "a" || *text == "ab") << *text;
}

TEST_F(SettingsStore, WrongTypesCountAsMissing)
{
    const DWORD zero = 0;
    const uint64_t qword = 0;
    const uint8_t four_bytes[4] = {};
    put_raw(k_key, L"Language", REG_DWORD, &zero, sizeof(zero));
    put_raw(k_key, L"Folders", REG_BINARY, four_bytes, sizeof(four_bytes));
    put_raw(k_key, L"LastUpdateCheck", REG_DWORD, &zero, sizeof(zero));
    put_text(L"Text", L"0", REG_MULTI_SZ);
    put_raw(k_key, L"Binary4", REG_BINARY, four_bytes, sizeof(four_bytes));
    put_raw(k_key, L"Qword", REG_QWORD, &qword, sizeof(qword));
    put_text(L"Sz", L"0");

    EXPECT_FALSE(read_text_setting("Language"));
    EXPECT_FALSE(read_text_setting("Folders"));
    EXPECT_FALSE(read_text_setting("Text"));
    EXPECT_EQ(read_last_update_check(), 0u);
    for (const char* name : {"Binary4", "Qword", "Sz"}) EXPECT_FALSE(read_dword_setting(name)) << name;
}

TEST_F(SettingsStore, AutoUpdateIsOffOnlyAsDwordZero)
{
    struct Case {
        std::optional<DWORD> dword;
        std::optional<std::wstring> text;
        bool on;
    };
    const Case k_cases[] = {
        {std::nullopt, std::nullopt, true},
        {0, std::nullopt, false},
        {1, std::nullopt, true},
        {7, std::nullopt, true},
        {0xFFFFFFFF, std::nullopt, true},
        {std::nullopt, L"0", true},  // a REG_SZ "0" is no REG_DWORD: missing, so on
    };
    for (const Case& c : k_cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, k_key);
        if (c.dword) put_dword(k_key, L"AutoUpdate", *c.dword);
        if (c.text) put_text(L"AutoUpdate", *c.text);
        EXPECT_EQ(read_auto_update(), c.on) << (c.dword ? *c.dword : 0xDEAD);
    }
    for (const bool on : {false, true}) {  // the toggle stores a 4-byte REG_DWORD 0 or 1
        write_auto_update(on);
        const auto raw = get_raw(k_key, L"AutoUpdate");
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(raw->bytes, (std::vector<uint8_t>{on ? uint8_t{1} : uint8_t{0}, 0, 0, 0}));
        EXPECT_EQ(read_auto_update(), on);
    }
}

TEST_F(SettingsStore, DwordOfAnyOtherSizeCountsAsMissing)
{
    // A zero-length REG_DWORD "AutoUpdate" must not read as 0 (checks silently off); nor any size
    // but four.
    const uint8_t bytes[8] = {};
    for (const size_t size : {size_t{0}, size_t{2}, size_t{3}}) {
        put_raw(k_key, L"AutoUpdate", REG_DWORD, bytes, size);
        EXPECT_FALSE(read_dword_setting("AutoUpdate")) << size;
        EXPECT_TRUE(read_auto_update()) << size;
    }
}

TEST_F(SettingsStore, PlacementCountsOnlyAtExactly44Bytes)
{
    struct Case {
        size_t size;
        DWORD type;
        bool accepted;
    };
    const Case k_cases[] = {
        {43, REG_BINARY, false}, {44, REG_BINARY, true}, {45, REG_BINARY, false},
        {0, REG_BINARY, false},  {88, REG_BINARY, false}, {44, REG_SZ, false},
    };
    for (const Case& c : k_cases) {
        std::vector<uint8_t> bytes(c.size);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i + 1);
        put_raw(k_key, L"Placement", c.type, bytes.data(), bytes.size());
        const std::optional<RestoredPlacement> placement = read_placement();
        EXPECT_EQ(placement.has_value(), c.accepted) << c.size;
        if (placement) {  // everything from the minimised position on is kept as stored
            EXPECT_EQ(std::memcmp(placement->bytes.data() + 12, bytes.data() + 12, 32), 0);
        }
    }
}

TEST_F(SettingsStore, PlacementRoundTripsEveryField)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    placement.flags = WPF_RESTORETOMAXIMIZED;
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.ptMinPosition = {-32000, -32000};
    placement.ptMaxPosition = {-8, -8};
    placement.rcNormalPosition = {-1900, 40, -100, 1000};  // a monitor left of the primary one
    write_placement(placement);

    const auto raw = get_raw(k_key, L"Placement");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(raw->bytes.size(), 44u);
    EXPECT_EQ(raw->bytes[0], 44);  // length, little-endian
    EXPECT_EQ(raw->bytes[8], 3);   // showCmd at offset 8
    const std::optional<RestoredPlacement> back = read_placement();
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->maximised);
    EXPECT_EQ(std::memcmp(back->bytes.data(), &placement, 4), 0);  // length
    EXPECT_EQ(std::memcmp(back->bytes.data() + 12, reinterpret_cast<const uint8_t*>(&placement) + 12, 32), 0);
}

TEST_F(SettingsStore, LastUpdateCheckReadsOnlyPlainNumbers)
{
    struct Case {
        const wchar_t* stored;
        uint64_t expected;
    };
    const Case k_cases[] = {
        {L"123", 123},
        {L"+123", 123},
        {L"123 ", 0},
        {L"-1", 0},
        {L"", 0},
        {L"+", 0},
        {L"18446744073709551615", 18446744073709551615u},
        {L"18446744073709551616", 0},
        {L"\uFF11\uFF12", 0},  // full-width digits are not digits here
    };
    for (const Case& c : k_cases) {
        put_text(L"LastUpdateCheck", c.stored);
        EXPECT_EQ(read_last_update_check(), c.expected);
    }
}

TEST_F(SettingsStore, FoldersJoinWithLineFeedsAndEmptyListStaysPresent)
{
    const std::vector<std::wstring> folders = {L"C:\\NPKI", L"D:\\인증서 백업", L"\\\\server\\share"};
    write_added_folders(folders);
    const auto raw = get_raw(k_key, L"Folders");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->bytes, bytes_of(L"C:\\NPKI\nD:\\인증서 백업\n\\\\server\\share"));
    EXPECT_EQ(read_added_folders(), folders);

    write_added_folders({});
    EXPECT_EQ(read_text_setting("Folders"), "");  // present and empty, not missing

    put_text(L"Folders", L"C:\\A\r\n\r\n   \r\nD:\\B\r\n");  // edited by hand
    EXPECT_EQ(read_added_folders(), (std::vector<std::wstring>{L"C:\\A", L"D:\\B"}));
}

TEST_F(SettingsStore, DeleteRemovesKeyAndIgnoresMissingKey)
{
    delete_settings();  // no key: nothing happens
    EXPECT_FALSE(key_exists(k_key));

    write_text_setting("Language", "ko");
    put_dword(L"Software\\Vessop\\Nested", L"x", 1);
    delete_settings();
    EXPECT_FALSE(key_exists(k_key));
    EXPECT_TRUE(key_exists(L"Software"));
}

// Saves Windows' own light-theme value and puts it back exactly, whatever the test does to it.
class DarkMode : public testing::Test {
protected:
    void SetUp() override { saved_ = get_raw(k_personalize_key, L"AppsUseLightTheme"); }
    void TearDown() override
    {
        if (saved_)
            put_raw(k_personalize_key, L"AppsUseLightTheme", saved_->type, saved_->bytes.data(), saved_->bytes.size());
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, k_personalize_key, L"AppsUseLightTheme");
    }
    std::optional<RawValue> saved_;
};

TEST_F(DarkMode, OnlyDwordZeroMeansDark)
{
    struct Case {
        std::optional<DWORD> dword;
        const wchar_t* text;
        bool dark;
    };
    const Case k_cases[] = {
        {0, nullptr, true},
        {1, nullptr, false},
        {2, nullptr, false},
        {std::nullopt, nullptr, false},  // missing
        {std::nullopt, L"0", false},     // REG_SZ "0" is the wrong type
    };
    const uint8_t empty[4] = {};
    put_raw(k_personalize_key, L"AppsUseLightTheme", REG_DWORD, empty, 0);
    EXPECT_FALSE(read_dark_mode()) << "a zero-length REG_DWORD is no setting, so light";
    for (const Case& c : k_cases) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, k_personalize_key, L"AppsUseLightTheme");
        if (c.dword) put_dword(k_personalize_key, L"AppsUseLightTheme", *c.dword);
        if (c.text)
            put_raw(k_personalize_key, L"AppsUseLightTheme", REG_SZ, c.text, (std::wcslen(c.text) + 1) * sizeof(wchar_t));
        EXPECT_EQ(read_dark_mode(), c.dark) << (c.dword ? *c.dword : 0xDEAD);
    }
}

// --- The pure formats ---------------------------------------------------------------------------

TEST(LastUpdateCheckFormat, ParsesUnsignedDecimalWithOptionalPlus)
{
    struct Case {
        std::string_view text;
        uint64_t expected;
    };
    const Case k_cases[] = {
        {"0001", 1},  // leading zeros are never written, but read fine
        {"++1", 0},
        {"+-1", 0},
        {" 1", 0},
        {"1e9", 0},
        {std::string_view("12\0", 3), 0},
        {"18446744073709551620", 0},  // passes the limit only in the last digit
        {"184467440737095516150", 0},
    };
    for (const Case& c : k_cases) EXPECT_EQ(parse_last_update_check(c.text), c.expected) << c.text;
}

TEST(FoldersFormat, SplitsAtLineFeedsAndSkipsBlankLines)
{
    struct Case {
        std::string_view value;
        std::vector<std::string> folders;
    };
    const Case k_cases[] = {
        {"", {}},
        {"C:\\A", {"C:\\A"}},
        {"C:\\A\nD:\\B", {"C:\\A", "D:\\B"}},
        {"C:\\A\r\nD:\\B\r\n", {"C:\\A", "D:\\B"}},
        {"\n\n C:\\A \n", {" C:\\A "}},                           // kept whole, untrimmed
        {"C:\\A\r\r\nD", {"C:\\A\r", "D"}},                       // only the CR right before the LF goes
        {"C:\\A\r", {"C:\\A\r"}},                                 // no LF after it: the CR stays
        {"C:\\A\rD:\\B", {"C:\\A\rD:\\B"}},                       // a lone CR does not split
        {"\t\n\xE3\x80\x80\n\xC2\xA0\n\xE2\x80\x83\nX", {"X"}},   // tab, ideographic, no-break, em space
        {"\xE2\x80\x8B\n", {"\xE2\x80\x8B"}},                     // zero-width space is not white space
        {"C:\\\xED\x99\x8D\n", {"C:\\\xED\x99\x8D"}},
    };
    for (const Case& c : k_cases) EXPECT_EQ(split_folders_value(c.value), c.folders) << c.value;
}

}  // namespace
