// The settings menu's ids and the About text, the clipboard's text; the commands themselves run
// against the real window in the end-to-end tests.

#include "app/settings_menu.h"
#include "base/version.h"
#include "gfx/clipboard.h"
#include "tests/support/translations.h"

#include <gtest/gtest.h>

TEST(MenuChoice, IdsGiveTheirCommands)
{
    const struct {
        UINT id;
        size_t folders;
        MenuAction action;
        std::string_view language;
        size_t folder;
    } k_cases[] = {
        {0, 2, MenuAction::None, "", 0},  // dismissed
        {1, 0, MenuAction::ToggleAutoUpdate, "", 0},
        {2, 0, MenuAction::CheckForUpdates, "", 0},
        {3, 0, MenuAction::MoreApps, "", 0},
        {4, 0, MenuAction::About, "", 0},
        {100, 0, MenuAction::SetLanguage, "", 0},  // "Follow Windows" stores the empty text
        {101, 0, MenuAction::SetLanguage, "en", 0},
        {102, 0, MenuAction::SetLanguage, "ko", 0},
        {104, 0, MenuAction::SetLanguage, "zh-Hans", 0},
        {110, 0, MenuAction::SetLanguage, "ru", 0},
        {111, 0, MenuAction::None, "", 0},
        {5, 0, MenuAction::ToggleReminders, "", 0},
        {6, 0, MenuAction::ExportList, "", 0},
        {7, 0, MenuAction::CheckRevocation, "", 0},
        {8, 0, MenuAction::None, "", 0},
        {200, 3, MenuAction::RemoveAddedFolder, "", 0},
        {202, 3, MenuAction::RemoveAddedFolder, "", 2},
        {203, 3, MenuAction::None, "", 0},  // past the list the menu showed
        {200, 0, MenuAction::None, "", 0},
    };
    for (const auto& c : k_cases) {
        const MenuChoice choice = menu_choice(c.id, c.folders);
        EXPECT_EQ(choice.action, c.action) << c.id;
        EXPECT_EQ(choice.language, c.language) << c.id;
        EXPECT_EQ(choice.folder, c.folder) << c.id;
    }
}

TEST(AboutText, NamesVersionPromiseAndPage)
{
    const std::string expected = std::string("Vessop ") + VESSOP_VERSION +
                                 "\n\nA free app to see and manage Korean joint certificates (NPKI) on one screen"
                                 "\n\nIt reads only the public certificate. It never opens private key files or asks "
                                 "for passwords.\n\nhttps://" VESSOP_MAKER_HOST "/Vessop/\n";
    const std::string about = about_text(in_english);
    EXPECT_EQ(about.substr(0, expected.size()), expected);
    const std::string legal = about.substr(expected.size());
    EXPECT_NE(legal.find("Tamsel Works Co., Ltd."), std::string::npos) << legal;
    EXPECT_EQ(legal.find('\n'), std::string::npos) << "the legal notice is one last line";
}

TEST(ClipboardUnits, LineFeedsBecomeCrLfAndAZeroEnds)
{
    EXPECT_EQ(clipboard_units("a\nb"), std::wstring(L"a\r\nb\0", 5));
    EXPECT_EQ(clipboard_units(""), std::wstring(L"\0", 1));
    EXPECT_EQ(clipboard_units("\xED\x99\x8D\n"), std::wstring(L"\uD64D\r\n\0", 4));
}
