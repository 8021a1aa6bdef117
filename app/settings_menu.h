#pragma once

// The settings menu behind the toolbar's menu button, built afresh on every click: the language
// submenu, the list's export, the added folders to remove, automatic updates, the update check, the maker's other
// programs, the About box and, last, the question to the issuers about revoked certificates.

#include "x509/translate.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

// Command ids of the menu items.
inline constexpr UINT k_menu_auto_update = 1;
inline constexpr UINT k_menu_check_for_updates = 2;
inline constexpr UINT k_menu_more_apps = 3;
inline constexpr UINT k_menu_about = 4;
inline constexpr UINT k_menu_reminders = 5;  // shown right after automatic updates
inline constexpr UINT k_menu_export = 6;     // shown right after the language submenu
inline constexpr UINT k_menu_check_revocation = 7;  // the last item, after a separator
inline constexpr UINT k_menu_follow_windows = 100;  // then 101 to 110: the languages in menu order
inline constexpr UINT k_menu_first_added_folder = 200;  // 200 + the folder's position

enum class MenuAction {
    None,
    ToggleAutoUpdate,
    CheckForUpdates,
    MoreApps,
    About,
    SetLanguage,
    RemoveAddedFolder,
    ToggleReminders,
    ExportList,
    CheckRevocation,
};

struct MenuChoice {
    MenuAction action = MenuAction::None;
    std::string_view language;  // SetLanguage: the code to store, empty for "Follow Windows"
    size_t folder = 0;          // RemoveAddedFolder: the position in the list the menu showed
};

// What a chosen id means, given how many added folders the menu listed; 0 (dismissed) and unknown ids
// mean nothing.
MenuChoice menu_choice(UINT id, size_t added_folder_count);

// The About box's text: name and version, the description, what the program never does, its web page
// and the maker's legal notice.
std::string about_text(Translate translate = &tr);

// Shows the menu at a client point and carries out the chosen command. The window's state must not
// be held: the menu and the About box are modal.
void run_settings_menu(HWND hwnd, float x, float y);
