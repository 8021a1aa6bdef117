// The automatic update check's schedule at start-up, run for real against the registry under Wine.
// Only the decision and what it records: starting the check itself (threads, the proxy, curl) is left
// to the end-to-end tests, which give it curl's stand-in.

#include "app/settings.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include <windows.h>

namespace {

constexpr wchar_t k_settings_key[] = L"Software\\Vessop";

void store_value(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, k_settings_key, name, type, data, size), ERROR_SUCCESS);
}

void store_text(const wchar_t* name, const std::wstring& text)
{
    store_value(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void store_dword(const wchar_t* name, DWORD value)
{
    store_value(name, REG_DWORD, &value, sizeof(value));
}

std::optional<std::string> last_check_text()
{
    return read_text_setting(k_setting_last_update_check);
}

class StartupRegistry : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, k_settings_key); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, k_settings_key); }
};

TEST_F(StartupRegistry, AutomaticCheckRecordsTheTimeOnlyWhenDue)
{
    const uint64_t now = 1'800'000'000;  // a fixed moment: the decision is given its time
    const std::wstring day_ago = std::to_wstring(now - 86400 - 5);
    const std::wstring almost_day = std::to_wstring(now - 86399);
    const std::wstring future = std::to_wstring(now + 3600);
    enum class AutoUpdate { Missing, Off, On, TextZero };
    const struct {
        const char* name;
        AutoUpdate auto_update;
        std::optional<std::wstring> last;  // empty: value missing
        bool due;
    } k_cases[] = {
        {"nothing stored", AutoUpdate::Missing, std::nullopt, true},
        {"a day ago", AutoUpdate::On, day_ago, true},
        {"short of a day", AutoUpdate::On, almost_day, false},
        {"in the future", AutoUpdate::Missing, future, false},
        {"not a number", AutoUpdate::Missing, L"12x", true},
        {"switched off", AutoUpdate::Off, day_ago, false},
        {"switched off, nothing stored", AutoUpdate::Off, std::nullopt, false},
        {"zero stored as text is not off", AutoUpdate::TextZero, day_ago, true},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeW(HKEY_CURRENT_USER, k_settings_key);
        switch (c.auto_update) {
        case AutoUpdate::Missing: break;
        case AutoUpdate::Off: store_dword(L"AutoUpdate", 0); break;
        case AutoUpdate::On: store_dword(L"AutoUpdate", 7); break;
        case AutoUpdate::TextZero: store_text(L"AutoUpdate", L"0"); break;
        }
        if (c.last) store_text(L"LastUpdateCheck", *c.last);
        const std::optional<std::string> before = last_check_text();

        EXPECT_EQ(claim_automatic_update_check(now), c.due);

        const std::optional<std::string> after = last_check_text();
        if (c.due) {
            EXPECT_EQ(after, std::to_string(now));
        } else {
            EXPECT_EQ(after, before);
        }
    }
}

}  // namespace
