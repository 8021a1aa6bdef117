#include "gfx/menu_items.h"

#include "tests/support/translations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

CertificateCopy copy_at(const wchar_t* folder, const char* drive, bool removable)
{
    CertificateCopy copy;
    copy.folder = folder;
    copy.drive = drive;
    copy.removable = removable;
    return copy;
}

}  // namespace

TEST(PlaceMenu, CopiesThenAllPlacesWhenOffered)
{
    const std::vector<CertificateCopy> copies = {
        copy_at(L"C:\\Users\\kim\\AppData\\LocalLow\\NPKI\\yessign\\USER\\cn=a", "C:", false),
        copy_at(L"E:\\NPKI\\yessign\\USER\\cn=a", "E:", true),
    };
    const std::vector<MenuItem> with_all = {
        {"Hard disk (C:) \xE2\x80\x94 C:\\Users\\kim\\AppData\\LocalLow\\NPKI\\yessign\\USER\\cn=a"},
        {"USB drive (E:) \xE2\x80\x94 E:\\NPKI\\yessign\\USER\\cn=a"},
        menu_separator(),
        {"All places (2)"},
    };
    EXPECT_EQ(place_menu_items(copies, true, in_english), with_all);
    EXPECT_EQ(place_menu_items(copies, false, in_english),
              std::vector<MenuItem>(with_all.begin(), with_all.begin() + 2));

    const std::vector<MenuItem> korean = place_menu_items({copies[1], copies[1], copies[0]}, true, in_korean);
    ASSERT_EQ(korean.size(), 5u);
    EXPECT_EQ(korean[0].text, "USB 드라이브 (E:) \xE2\x80\x94 E:\\NPKI\\yessign\\USER\\cn=a");
    EXPECT_EQ(korean[4].text, "모든 곳 (3)");
}

TEST(PlaceMenu, IdGivesCopies)
{
    const struct {
        uint32_t id;
        size_t copies;
        std::vector<size_t> expected;
    } k_cases[] = {
        {0, 3, {}},               // dismissed
        {1, 3, {0}},   {3, 3, {2}},
        {5, 3, {0, 1, 2}},        // All places, after the separator's id 4
        {4, 3, {0, 1, 2}},        // a separator is never chosen; anything past the copies means all
        {1, 1, {0}},
    };
    for (const auto& c : k_cases) EXPECT_EQ(places_for_menu_id(c.id, c.copies), c.expected) << c.id;
}

TEST(MenuText, AmpersandsShowLiterally)
{
    EXPECT_EQ(literal_menu_text(L"D:\\R&D\\NPKI"), L"D:\\R&&D\\NPKI");
    EXPECT_EQ(literal_menu_text(L"&&"), L"&&&&");
    EXPECT_EQ(literal_menu_text(L"C:\\plain"), L"C:\\plain");
}
