#include "app/settings.h"

namespace {

constexpr wchar_t k_personalize_key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t k_light_theme_value[] = L"AppsUseLightTheme";

static_assert(sizeof(WINDOWPLACEMENT) == k_placement_size, "Placement is stored as the raw structure");

}  // namespace

bool read_auto_update()
{
    return auto_update_on(read_dword_setting(k_setting_auto_update));
}

void write_auto_update(bool on)
{
    write_dword_setting(k_setting_auto_update, on ? 1 : 0);
}

bool read_reminders()
{
    return auto_update_on(read_dword_setting(k_setting_reminders));  // the same rule for a switch
}

bool read_revocation_consent()
{
    return read_dword_setting(k_setting_revocation_consent) == 1u;
}

void write_revocation_consent()
{
    write_dword_setting(k_setting_revocation_consent, 1);
}

void write_reminders(bool on)
{
    write_dword_setting(k_setting_reminders, on ? 1 : 0);
}

std::optional<RestoredPlacement> read_placement()
{
    const std::optional<std::vector<uint8_t>> bytes = read_binary_setting(k_setting_placement);
    if (!bytes) return std::nullopt;
    return restored_placement(*bytes);
}

void write_placement(const WINDOWPLACEMENT& placement)
{
    write_binary_setting(k_setting_placement, &placement, sizeof(placement));
}

uint64_t read_last_update_check()
{
    const std::optional<std::string> text = read_text_setting(k_setting_last_update_check);
    return text ? parse_last_update_check(*text) : 0;
}

void write_last_update_check(uint64_t seconds)
{
    write_text_setting(k_setting_last_update_check, format_last_update_check(seconds));
}

bool read_dark_mode()
{
    const std::optional<uint32_t> light = read_user_dword(k_personalize_key, k_light_theme_value);
    return light && *light == 0;
}
