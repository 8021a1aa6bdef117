#include "app/settings_format.h"
#include "app/startup_logic.h"
#include "base/error_mode.h"
#include "support/source_tree.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <windows.h>

namespace {

TEST(CommandLine, OptionsGiveUnregisterAndRootsInOrder)
{
    struct Case {
        const char* name;
        std::vector<std::wstring> args;
        bool unregister;
        std::vector<std::wstring> roots;
    };
    const Case k_cases[] = {
        {"nothing", {L"Vessop.exe"}, false, {}},
        {"unregister first", {L"Vessop.exe", L"--unregister"}, true, {}},
        {"unregister after others", {L"Vessop.exe", L"--root", L"C:\\a", L"x", L"--unregister"}, true, {L"C:\\a"}},
        {"unregister as the program path", {L"--unregister"}, true, {}},
        {"case matters", {L"Vessop.exe", L"--UNREGISTER", L"--Root", L"C:\\a"}, false, {}},
        {"no partial match", {L"Vessop.exe", L"--unregister=1", L"--rooted", L"C:\\a"}, false, {}},
        {"two roots keep their order", {L"Vessop.exe", L"--root", L"B:\\", L"--root", L"A:\\"}, false, {L"B:\\", L"A:\\"}},
        {"final root adds nothing", {L"Vessop.exe", L"--root", L"C:\\a", L"--root"}, false, {L"C:\\a"}},
        {"root after root", {L"Vessop.exe", L"--root", L"--root", L"C:\\a"}, false, {L"--root", L"C:\\a"}},
        {"unregister named as a root", {L"Vessop.exe", L"--root", L"--unregister"}, true, {L"--unregister"}},
        {"program path may be the option", {L"--root", L"C:\\a"}, false, {L"C:\\a"}},
        {"empty folder text is kept", {L"Vessop.exe", L"--root", L""}, false, {L""}},
        {"empty vector", {}, false, {}},
    };
    for (const Case& c : k_cases) {
        SCOPED_TRACE(c.name);
        const CommandLineOptions options = parse_command_line(c.args);
        EXPECT_EQ(options.unregister, c.unregister);
        EXPECT_EQ(options.roots, c.roots);
    }
}

TEST(SaturatingTrunc, ValuesOutsideTheRangeSaturate)
{
    constexpr int32_t k_max = std::numeric_limits<int32_t>::max();
    constexpr int32_t k_min = std::numeric_limits<int32_t>::min();
    const struct {
        double value;
        int32_t expected;
    } k_cases[] = {
        {0.0, 0},
        {1499.999, 1499},
        {-1.9, -1},  // toward zero, not floor
        {std::nan(""), 0},
        {2147483646.9, 2147483646},
        {2147483647.0, k_max},
        {2147483648.0, k_max},
        {1e300, k_max},
        {std::numeric_limits<double>::infinity(), k_max},
        {-2147483648.0, k_min},
        {-1e300, k_min},
        {-std::numeric_limits<double>::infinity(), k_min},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(saturating_trunc(c.value), c.expected);
    }
}

TEST(DefaultWindowBox, WorkAreaAndDpiGiveCentredBox)
{
    const struct {
        const char* name;
        ScreenRect work;
        uint32_t dpi;
        WindowBox expected;
    } k_cases[] = {
        {"150 % caps the width", {0, 0, 1280, 720}, 144, {0, 72, 1280, 576}},
        {"96 dpi", {0, 0, 1280, 720}, 96, {140, 72, 1000, 576}},
        {"below 96 counts as 96", {0, 0, 1280, 720}, 72, {140, 72, 1000, 576}},
        {"125 % truncates", {0, 0, 1920, 1040}, 120, {335, 104, 1250, 832}},
        {"odd remainder truncates", {0, 0, 1001, 101}, 96, {0, 10, 1000, 80}},
        {"offset work area", {-1920, 40, 0, 1080}, 96, {-1460, 144, 1000, 832}},
        {"taskbar on the left", {48, 0, 1328, 1024}, 96, {188, 102, 1000, 819}},
        {"absurd dpi saturates then caps", {0, 0, 1280, 720}, 0xFFFFFFFFu, {0, 72, 1280, 576}},
        {"empty work area", {0, 0, 0, 0}, 96, {0, 0, 0, 0}},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(default_window_box(c.work, c.dpi), c.expected);
    }
}

TEST(MinimumTrackSize, DpiScalesTheSmallestWindow)
{
    const struct {
        uint32_t dpi;
        int32_t width;
        int32_t height;
    } k_cases[] = {
        {96, 640, 440}, {144, 960, 660}, {192, 1280, 880}, {120, 800, 550}, {0, 640, 440}, {97, 646, 444},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.dpi);
        const TrackSize size = minimum_track_size(c.dpi);
        EXPECT_EQ(size.width, c.width);
        EXPECT_EQ(size.height, c.height);
    }
}

std::vector<uint8_t> placement_bytes(uint32_t flags, uint32_t show_cmd)
{
    std::vector<uint8_t> bytes(k_placement_size);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0xA0 + i);
    auto put32 = [&](size_t offset, uint32_t v) {
        for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(0, 44);
    put32(4, flags);
    put32(8, show_cmd);
    return bytes;
}

TEST(RestoredPlacement, OnlyFortyFourBytesAreAccepted)
{
    for (size_t size : {size_t{0}, size_t{1}, size_t{43}, size_t{45}, size_t{88}}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> bytes = placement_bytes(0, 1);
        bytes.resize(size);
        EXPECT_FALSE(restored_placement(bytes).has_value());
    }
    EXPECT_TRUE(restored_placement(placement_bytes(0, 1)).has_value());
}

TEST(RestoredPlacement, ShowCommandAndFlagsAreClearedTheRestKept)
{
    const struct {
        uint32_t flags;
        uint32_t show_cmd;
        bool maximised;
    } k_cases[] = {
        {0, 1, false},
        {2, 3, true},        // WPF_RESTORETOMAXIMIZED with a maximised window
        {0, 2, false},       // minimised opens normal
        {0, 0x103, false},   // only the exact value 3 means maximised
        {0xFFFFFFFF, 3, true},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.show_cmd);
        const std::vector<uint8_t> stored = placement_bytes(c.flags, c.show_cmd);
        const std::optional<RestoredPlacement> restored = restored_placement(stored);
        ASSERT_TRUE(restored.has_value());
        EXPECT_EQ(restored->maximised, c.maximised);
        for (size_t i = 0; i < k_placement_size; ++i) {
            const bool cleared = i >= 4 && i < 12;
            EXPECT_EQ(restored->bytes[i], cleared ? 0 : stored[i]) << "byte " << i;
        }
    }
}

TEST(AutomaticCheck, DayRuleAndSwitchDecideWhetherItRuns)
{
    constexpr uint64_t now = 1'700'000'000;
    const struct {
        const char* name;
        bool on;
        uint64_t now;
        uint64_t last;
        bool due;
    } k_cases[] = {
        {"never checked", true, now, 0, true},
        {"one second short of a day", true, now, now - 86399, false},
        {"exactly a day", true, now, now - 86400, true},
        {"long ago", true, now, 1, true},
        {"just now", true, now, now, false},
        {"last is later than now", true, now, now + 5, false},
        {"far future last", true, now, UINT64_MAX, false},
        {"switched off", false, now, 0, false},
        {"switched off and due", false, now, now - 86400, false},
        {"clock before 1970 reads 0", true, 0, 0, false},
        {"huge now", true, UINT64_MAX, 0, true},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(automatic_check_due(c.on, c.now, c.last), c.due);
    }
}


TEST(PlacementToStore, ActualRectangleAndRestoreToMaximisedAreKept)
{
    const std::array<int32_t, 4> reported_rect{100, 100, 1100, 860};  // the size before a snap
    const std::array<int32_t, 4> actual{0, 0, 960, 1040};               // snapped to the left half
    const struct {
        const char* name;
        uint32_t flags;
        uint32_t show_cmd;
        ClosingWindow window;
        uint32_t stored_show_cmd;
        std::array<int32_t, 4> stored_rect;
    } k_cases[] = {
        {"normal window stores where it is", 0, 1, {false, false, actual}, 1, actual},
        {"maximised keeps the normal rectangle", 0, 3, {false, true, actual}, 3, reported_rect},
        {"minimised from normal reopens normal", 0, 2, {true, false, actual}, 2, reported_rect},
        {"minimised from maximised reopens maximised", 2, 2, {true, false, actual}, 3, reported_rect},
        {"restore-to-maximised of a normal window is moot", 2, 1, {false, false, actual}, 1, actual},
        {"negative coordinates on a left monitor", 0, 1, {false, false, {-1920, -8, -960, 1032}}, 1,
         {-1920, -8, -960, 1032}},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = placement_bytes(c.flags, c.show_cmd);
        auto put = [&](size_t offset, int32_t v) {
            for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
        };
        for (size_t i = 0; i < 4; ++i) put(28 + 4 * i, reported_rect[i]);
        put(12, -32000);  // minimised position, kept as reported
        std::array<uint8_t, k_placement_size> reported{};
        std::copy(bytes.begin(), bytes.end(), reported.begin());

        const std::array<uint8_t, k_placement_size> stored = placement_to_store(reported, c.window);
        auto get = [&](size_t offset) {
            uint32_t v = 0;
            for (size_t i = 0; i < 4; ++i) v |= uint32_t{stored[offset + i]} << (8 * i);
            return static_cast<int32_t>(v);
        };
        EXPECT_EQ(get(0), 44);
        EXPECT_EQ(static_cast<uint32_t>(get(4)), c.flags);
        EXPECT_EQ(static_cast<uint32_t>(get(8)), c.stored_show_cmd);
        EXPECT_EQ(get(12), -32000);
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(get(28 + 4 * i), c.stored_rect[i]) << "rect " << i;
        // What is stored reads back as the window it was.
        ASSERT_TRUE(restored_placement(stored).has_value());
        EXPECT_EQ(restored_placement(stored)->maximised, c.stored_show_cmd == 3);
    }
}

TEST(ErrorMode, StartUpStepFailsCriticalErrorsQuietly)
{
    // The test runner itself does not set it, so a program that forgot to would be caught by the
    // tests that start it as a child.
    const UINT before = GetErrorMode();
    EXPECT_EQ(before & SEM_FAILCRITICALERRORS, 0u);
    fail_critical_errors_quietly();
    const UINT after = GetErrorMode();
    SetErrorMode(before);
    EXPECT_NE(after & SEM_FAILCRITICALERRORS, 0u);
    EXPECT_EQ(after & ~UINT{SEM_FAILCRITICALERRORS}, before & ~UINT{SEM_FAILCRITICALERRORS});  // the rest kept
}

TEST(ErrorMode, BothProgramsSetItBeforeAnythingElse)
{
    const struct {
        const char* file;
        const char* entry;
    } k_programs[] = {{"app/main.cpp", "int WINAPI wWinMain("}, {"npki/scan_tool.cpp", "int main("}};
    for (const auto& program : k_programs) {
        SCOPED_TRACE(program.file);
        std::ifstream in(source_tree() / program.file);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const size_t entry = text.find(program.entry);
        ASSERT_NE(entry, std::string::npos);
        const size_t body = text.find('{', entry);
        ASSERT_NE(body, std::string::npos);
        // DLLs from System32 only before anything can load one; then no "no disk" box before a drive is touched.
        size_t at = body + 1;
        for (const std::string_view statement : {"load_libraries_from_system32_only();", "fail_critical_errors_quietly();"}) {
            at = text.find_first_not_of(" \r\n\t", at);
            ASSERT_NE(at, std::string::npos);
            EXPECT_EQ(text.compare(at, statement.size(), statement), 0) << text.substr(at, 40);
            at = text.find('\n', at);
        }
    }
}

}  // namespace
