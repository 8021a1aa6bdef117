// The real window procedure on a real window under Wine: what each message does with the state
// present, absent or busy. Unit tests run without an X display, where Wine cannot make a top-level
// window, so the procedure runs in a message-only window of a class of its own; the end-to-end tests
// cover the visible window.

#include "app/messages.h"
#include "app/scan_control.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/window_proc.h"
#include "base/clock.h"
#include "gfx/hit_test.h"
#include "gfx/main_view.h"
#include "gfx/view_text.h"
#include "i18n/catalogue.h"
#include "npki/scan_thread.h"
#include "tests/support/der_writer.h"
#include "tests/support/main_window.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <dbt.h>

namespace {

constexpr wchar_t k_test_class[] = L"Vessop.WindowProcTest";

// Pumps this thread's messages until `done` holds or the time is up; true when it held.
bool pump_until(const std::function<bool()>& done, double seconds)
{
    const double deadline = monotonic_seconds() + seconds;
    for (;;) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        if (monotonic_seconds() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// A clock the test steps by hand.
double g_test_now = 0;
double test_clock() { return g_test_now; }

CertificateEntry entry(std::string issuer_dn, std::string serial_hex)
{
    CertificateEntry e;
    e.info.issuer_dn = std::move(issuer_dn);
    e.info.serial_hex = std::move(serial_hex);
    e.info.subject_cn = "Tester";
    return e;
}

class MainWindow : public testing::Test {
protected:
    void SetUp() override
    {
        hwnd_ = create_message_only_main_window(k_test_class);
        ASSERT_NE(hwnd_, nullptr);
        pending_scan_result().take();
    }

    void TearDown() override
    {
        if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
        window_state_slot().discard();
        // Let a scan thread of this test finish, so its result cannot reach the next test.
        pump_until([] { return false; }, 0.0);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}
        pending_scan_result().take();
    }

    // A state for this window, without drawing resources, put into the slot.
    void fill_state(std::function<void(WindowState&)> adjust = {})
    {
        WindowState state;
        state.hwnd = hwnd_;
        state.dpi = 96;
        if (adjust) adjust(state);
        ASSERT_TRUE(window_state_slot().fill(std::move(state)));
    }


    HWND hwnd_ = nullptr;
};

TEST_F(MainWindow, MinimumTrackSizeIsScaledDesignSize)
{
    MINMAXINFO limits{};
    limits.ptMaxTrackSize = {12345, 6789};
    SendMessageW(hwnd_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const LONG expected = static_cast<LONG>(640 * GetDpiForWindow(hwnd_) / 96);
    EXPECT_EQ(limits.ptMinTrackSize.x, expected);
    EXPECT_EQ(limits.ptMaxTrackSize.x, 12345);  // other fields untouched
    EXPECT_EQ(limits.ptMaxTrackSize.y, 6789);
}

TEST_F(MainWindow, PaintValidatesWhetherStateIsAbsentFreeOrBusy)
{
    // Absent.
    InvalidateRect(hwnd_, nullptr, FALSE);
    SendMessageW(hwnd_, WM_PAINT, 0, 0);
    EXPECT_FALSE(GetUpdateRect(hwnd_, nullptr, FALSE));
    // Present (no drawing resources: nothing is drawn, the window is still validated).
    fill_state();
    InvalidateRect(hwnd_, nullptr, FALSE);
    SendMessageW(hwnd_, WM_PAINT, 0, 0);
    EXPECT_FALSE(GetUpdateRect(hwnd_, nullptr, FALSE));
    // Busy: a paint from inside a handler that holds the state.
    auto held = window_state_slot().take();
    InvalidateRect(hwnd_, nullptr, FALSE);
    SendMessageW(hwnd_, WM_PAINT, 0, 0);
    EXPECT_FALSE(GetUpdateRect(hwnd_, nullptr, FALSE));
}

TEST_F(MainWindow, KeysActOnStateUnlessBusy)
{
    fill_state([](WindowState& s) {
        s.entries = std::vector<CertificateEntry>(10, entry("CN=A", "01"));
        s.selection = 3;
    });
    SendMessageW(hwnd_, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(with_state([](WindowState& s) { return s.selection.has_value(); }));

    SendMessageW(hwnd_, WM_KEYDOWN, VK_END, 0);
    const float largest = with_state([](WindowState& s) { return largest_list_scroll(s); });
    ASSERT_GT(largest, 0.0f);
    EXPECT_EQ(with_state([](WindowState& s) { return s.list_scroll; }), largest);
    SendMessageW(hwnd_, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.list_scroll; }), largest - 60);
    SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);  // away from the user: up
    EXPECT_EQ(with_state([](WindowState& s) { return s.list_scroll; }), largest - 180);
    SendMessageW(hwnd_, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.list_scroll; }), 0.0f);

    // Busy: the key is dropped.
    with_state([](WindowState& s) { s.selection = 1; return 0; });
    {
        auto held = window_state_slot().take();
        EXPECT_EQ(SendMessageW(hwnd_, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    }
    EXPECT_TRUE(with_state([](WindowState& s) { return s.selection.has_value(); }));
}

TEST_F(MainWindow, TabShowsTheFocusAndThenTheArrowsMoveItUntilTheMouseIsUsed)
{
    CertificateEntry valid = entry("CN=A", "01");
    valid.info.not_after = 4'000'000'000;  // nothing expired: no clean-up button before "Add folder"
    fill_state([&](WindowState& s) { s.entries = std::vector<CertificateEntry>(10, valid); });
    const auto focus = [&] { return with_state([](WindowState& s) { return s.focus; }); };
    const auto scroll = [&] { return with_state([](WindowState& s) { return s.list_scroll; }); };
    // Add folder, Refresh, Menu, then the first card; the ring shows.
    for (int i = 0; i < 4; ++i) SendMessageW(hwnd_, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(focus(), (HitTarget{HitKind::Card, CardAction::Copy, 0}));
    EXPECT_TRUE(with_state([](WindowState& s) { return s.focus_cues; }));

    // Down walks the cards and scrolls the focused one into view: card 9's bottom (152 + 106 * 9 + 96 =
    // 1202) ends a gap of 10 above the bottom edge.
    RECT client{};
    GetClientRect(hwnd_, &client);
    const float shown = 1202.0f - (static_cast<float>(client.bottom) - 10);
    ASSERT_GT(shown, 0.0f);
    for (int i = 0; i < 9; ++i) SendMessageW(hwnd_, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(focus(), (HitTarget{HitKind::Card, CardAction::Copy, 9}));
    EXPECT_FLOAT_EQ(scroll(), shown);
    SendMessageW(hwnd_, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(focus(), (HitTarget{HitKind::Card, CardAction::Copy, 8}));
    EXPECT_FLOAT_EQ(scroll(), shown);  // card 8 is in view already

    // Shift+Tab from the card goes back to its predecessor in the order: card 7's Recycle button.
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(hwnd_, WM_KEYDOWN, VK_TAB, 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(focus(), (HitTarget{HitKind::CardButton, CardAction::Recycle, 7}));

    // A mouse button hides the ring, not the focus; Up and Down scroll by their old amounts again.
    SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 700));
    EXPECT_FALSE(with_state([](WindowState& s) { return s.focus_cues; }));
    const float before = scroll();
    SendMessageW(hwnd_, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(focus(), (HitTarget{HitKind::CardButton, CardAction::Recycle, 7}));
    EXPECT_FLOAT_EQ(scroll(), before - 60);
    // The wheel hides it too.
    SendMessageW(hwnd_, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(with_state([](WindowState& s) { return s.focus_cues; }));
    SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_FALSE(with_state([](WindowState& s) { return s.focus_cues; }));
}

TEST_F(MainWindow, EnterOpensTheFocusedCardAndEscapeReturnsTheFocusToIt)
{
    fill_state([](WindowState& s) {
        s.entries = std::vector<CertificateEntry>{entry("CN=A", "01"), entry("CN=B", "02"), entry("CN=C", "03")};
        s.focus = HitTarget{HitKind::Card, CardAction::Copy, 1};
        s.focus_cues = true;
    });
    SendMessageW(hwnd_, WM_KEYDOWN, VK_RETURN, 1 << 30);  // an auto-repeat of a key held down: nothing
    EXPECT_FALSE(with_state([](WindowState& s) { return s.selection.has_value(); }));
    SendMessageW(hwnd_, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.selection; }), std::optional<size_t>(1));
    EXPECT_EQ(with_state([](WindowState& s) { return s.focus; }), (HitTarget{HitKind::DetailRow, CardAction::Copy, 0}));
    // Down to "Serial number" (the eleventh row); Space copies it, as a click on the row does.
    for (int i = 0; i < 10; ++i) SendMessageW(hwnd_, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.focus; }), (HitTarget{HitKind::DetailRow, CardAction::Copy, 10}));
    SendMessageW(hwnd_, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.notice ? s.notice->text : std::string(); }),
              copied_notice(tr({"일련번호", "Serial number"})));
    // Tab reaches Copy all, then Close; Escape closes and the card has the focus again.
    SendMessageW(hwnd_, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.focus.kind; }), HitKind::CopyAll);
    SendMessageW(hwnd_, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.focus.kind; }), HitKind::Close);
    SendMessageW(hwnd_, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(with_state([](WindowState& s) { return s.selection.has_value(); }));
    EXPECT_EQ(with_state([](WindowState& s) { return s.focus; }), (HitTarget{HitKind::Card, CardAction::Copy, 1}));
    // With nothing focused Enter does nothing.
    with_state([](WindowState& s) { s.focus = HitTarget{}; return 0; });
    SendMessageW(hwnd_, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(with_state([](WindowState& s) { return s.selection.has_value(); }));
}

TEST_F(MainWindow, ScrollingStaysOnWholePixels)
{
    // A page of a 549-pixel client is 439.2 pixels: the list moves 439, so outlines stay one pixel.
    fill_state([](WindowState& s) { s.entries = std::vector<CertificateEntry>(30, entry("CN=A", "01")); });
    const float offset = with_state([](WindowState& s) {
        scroll_by(s, 0.8f * 549);
        scroll_by(s, 10.4f);
        return s.list_scroll;
    });
    EXPECT_EQ(offset, 449.0f);
}

TEST_F(MainWindow, WheelWithPaneOpenScrollsThePaneNotTheList)
{
    fill_state([](WindowState& s) {
        s.entries = std::vector<CertificateEntry>(10, entry("CN=A", "01"));
        s.selection = 0;
        s.list_scroll = 50;
    });
    SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.list_scroll; }), 50.0f);
    EXPECT_EQ(with_state([](WindowState& s) { return s.detail_scroll; }), 0.0f);  // nothing to scroll yet
}

TEST_F(MainWindow, NoticeTimerRemovesOnlyANoticeOfFullAge)
{
    fill_state([](WindowState& s) { s.clock = &test_clock; });
    const auto notice_text = [&] {
        return with_state([](WindowState& s) { return s.notice ? s.notice->text : std::string("(none)"); });
    };
    g_test_now = 100.0;
    with_state([](WindowState& s) { show_notice(s, "first"); return 0; });
    g_test_now = 101.0;
    with_state([](WindowState& s) { show_notice(s, "second"); return 0; });
    // The first notice's three seconds are over, but the second one replaced it a second later: the
    // timer that fires now leaves it for its own full time.
    g_test_now = 103.0;
    SendMessageW(hwnd_, WM_TIMER, TIMER_NOTICE, 0);
    EXPECT_EQ(notice_text(), "second");
    g_test_now = 103.95;
    SendMessageW(hwnd_, WM_TIMER, TIMER_NOTICE, 0);
    EXPECT_EQ(notice_text(), "(none)");

    // show_notice arms the real timer: it fires by itself and removes a notice old enough.
    with_state([](WindowState& s) { show_notice(s, "third"); return 0; });
    g_test_now = 200.0;
    EXPECT_TRUE(pump_until([&] { return notice_text() == "(none)"; }, 10));
}

TEST_F(MainWindow, DpiChangeMovesTheWindowAlsoWithoutStateButNotWhenBusy)
{
    RECT suggested{10, 20, 810, 620};
    SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.right - rect.left, 800);

    fill_state();
    RECT busy_rect{30, 40, 730, 540};
    {
        auto held = window_state_slot().take();
        SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&busy_rect));
    }
    GetWindowRect(hwnd_, &rect);
    EXPECT_EQ(rect.left, 10);  // busy: nothing at all
    EXPECT_EQ(with_state([](WindowState& s) { return s.dpi; }), 96u);

    SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&busy_rect));
    GetWindowRect(hwnd_, &rect);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(with_state([](WindowState& s) { return s.dpi; }), 144u);
}

TEST_F(MainWindow, MouseLeaveClearsHoverAndDisarmsTracking)
{
    fill_state([](WindowState& s) {
        s.hover = HitTarget{HitKind::Card, CardAction::Copy, 2};
        s.leave_tracking = true;
    });
    SendMessageW(hwnd_, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.hover.kind; }), HitKind::None);
    EXPECT_FALSE(with_state([](WindowState& s) { return s.leave_tracking; }));
    SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(5, 300));
    EXPECT_TRUE(with_state([](WindowState& s) { return s.leave_tracking; }));  // armed again, even if tracking failed
}

TEST_F(MainWindow, DestroyTakesTheStateOutAndQuits)
{
    fill_state();
    DestroyWindow(hwnd_);
    EXPECT_FALSE(window_state_slot().filled());
    MSG message{};
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(MainWindow, CloseSavesAFortyFourBytePlacementAndDestroys)
{
    SetWindowPos(hwnd_, nullptr, 70, 80, 900, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd_));
    const std::optional<RestoredPlacement> saved = read_placement();
    ASSERT_TRUE(saved.has_value());
    WINDOWPLACEMENT placement{};
    std::memcpy(&placement, saved->bytes.data(), sizeof(placement));
    EXPECT_EQ(placement.length, 44u);
    EXPECT_EQ(placement.rcNormalPosition.left, 70);
    EXPECT_EQ(placement.rcNormalPosition.bottom, 780);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Vessop", L"Placement");
}

TEST_F(MainWindow, ScanResultKeepsTheOpenCertificateByIdentity)
{
    fill_state([](WindowState& s) {
        s.entries = std::vector<CertificateEntry>{entry("CN=A", "01"), entry("CN=B", "02")};
        s.selection = 1;
        s.focus = HitTarget{HitKind::DetailRow, CardAction::Copy, 5};
        s.scan_started = monotonic_seconds();
        s.list_scroll = 5000;
    });
    ScanOutcome outcome;
    outcome.completed = true;
    outcome.inventory.entries = {entry("CN=B", "02"), entry("CN=A", "01"), entry("CN=C", "03")};
    outcome.inventory.folders_checked = 4;
    pending_scan_result().put(std::move(outcome));
    SendMessageW(hwnd_, WM_APP_SCAN_DONE, 0, 0);
    with_state([](WindowState& s) {
        EXPECT_EQ(s.selection, std::optional<size_t>(0));
        EXPECT_EQ(s.entries->size(), 3u);
        EXPECT_EQ(s.folders_checked, 4u);
        EXPECT_FALSE(s.scan_started.has_value());
        EXPECT_EQ(s.list_scroll, largest_list_scroll(s));  // clamped to the new content
        EXPECT_EQ(s.focus, (HitTarget{HitKind::DetailRow, CardAction::Copy, 5}));  // the pane kept its row
        return 0;
    });
    // A second message finds the slot empty and changes nothing.
    SendMessageW(hwnd_, WM_APP_SCAN_DONE, 0, 0);
    EXPECT_EQ(with_state([](WindowState& s) { return s.entries->size(); }), 3u);
}

TEST_F(MainWindow, ScreenReadersAreToldOfFocusNoticesAndReplacedListsOnceTheMessageIsHandled)
{
    fill_state([](WindowState& s) {
        s.entries = std::vector<CertificateEntry>{entry("CN=A", "01"), entry("CN=B", "02")};
        s.keyboard_focus = true;
    });
    const auto queued = [&] { return with_state([](WindowState& s) { return s.uia_events; }); };
    with_state([](WindowState& s) {
        focus_on(s, HitTarget{HitKind::Card, CardAction::Copy, 1});
        show_notice(s, "Copied: Serial number");
        return 0;
    });
    UiaEventQueue events = queued();
    ASSERT_TRUE(events.focus.has_value());
    EXPECT_EQ(events.focus->key, (ElementKey{ElementKind::Card, 1}));
    EXPECT_EQ(events.notice, std::optional<std::string>("Copied: Serial number"));
    EXPECT_FALSE(events.structure.has_value());

    // A handled message sends what was queued and empties the queue.
    SendMessageW(hwnd_, WM_NULL, 0, 0);
    events = queued();
    EXPECT_FALSE(events.focus || events.notice || events.structure);

    // A scan result replaces the cards of a list shown before; with the pane open, the pane's rows.
    const auto apply = [&](std::vector<CertificateEntry> entries) {
        ScanOutcome outcome;
        outcome.completed = true;
        outcome.inventory.entries = std::move(entries);
        pending_scan_result().put(std::move(outcome));
        with_state([](WindowState& s) { on_scan_done(s); return 0; });
        return queued().structure;
    };
    auto structure = apply({entry("CN=B", "02"), entry("CN=C", "03")});
    ASSERT_TRUE(structure.has_value());
    EXPECT_EQ(structure->first.key.kind, ElementKind::List);
    EXPECT_EQ(structure->second, UiaEventQueue::Structure::ChildrenChanged);
    with_state([](WindowState& s) { s.selection = 0; s.uia_events = {}; return 0; });
    structure = apply({entry("CN=B", "02")});
    ASSERT_TRUE(structure.has_value());
    EXPECT_EQ(structure->first.key.kind, ElementKind::Pane);
    EXPECT_EQ(structure->second, UiaEventQueue::Structure::ChildrenChanged);
}

TEST_F(MainWindow, ScreenReadersFollowTheFocusOnlyWhileTheWindowHoldsTheKeyboard)
{
    fill_state([](WindowState& s) { s.entries = std::vector<CertificateEntry>{entry("CN=A", "01"), entry("CN=B", "02")}; });
    const HitTarget second{HitKind::Card, CardAction::Copy, 1};
    const struct {
        const char* what;
        bool window_has_keyboard;  // false: the search field or another program has it
        bool announced;
    } k_cases[] = {
        {"the window holds the keyboard", true, true},
        {"the user types in the search field, or works in another program", false, false},
    };
    for (const auto& c : k_cases) {
        const bool announced = with_state([&](WindowState& s) {
            s.uia_events = {};
            s.focus = {};
            s.keyboard_focus = c.window_has_keyboard;
            focus_on(s, second);
            return s.uia_events.focus.has_value();
        });
        EXPECT_EQ(announced, c.announced) << c.what;
    }
    // Leaving drops what was queued; coming back lets the next move be announced.
    with_state([&](WindowState& s) {
        s.keyboard_focus = true;
        s.focus = {};
        focus_on(s, second);
        on_keyboard_focus(s, false);
        EXPECT_FALSE(s.uia_events.focus.has_value());
        on_keyboard_focus(s, true);
        EXPECT_FALSE(s.uia_events.focus.has_value());
        focus_on(s, HitTarget{HitKind::Card, CardAction::Copy, 0});
        EXPECT_TRUE(s.uia_events.focus.has_value());
        return 0;
    });
}

TEST_F(MainWindow, UnfinishedScanEndsTheWaitAndKeepsTheList)
{
    fill_state([](WindowState& s) {
        s.entries = std::vector<CertificateEntry>{entry("CN=A", "01")};
        s.scan_started = monotonic_seconds();
    });
    pending_scan_result().put(ScanOutcome{});
    SendMessageW(hwnd_, WM_APP_SCAN_DONE, 0, 0);
    with_state([](WindowState& s) {
        EXPECT_FALSE(s.scan_started.has_value());
        EXPECT_EQ(s.entries->size(), 1u);
        return 0;
    });
}

TEST_F(MainWindow, RequestDuringAScanRunsExactlyOneMoreScan)
{
    TempFolder root;
    TestCertificate test_certificate;
    ASSERT_FALSE(add_certificate(root.path(), L"yessign", L"cn=one", make_certificate_der(test_certificate)).empty());
    fill_state([&](WindowState& s) { s.command_line_roots = {root.path()}; });

    with_state([](WindowState& s) {
        start_scan(s);
        EXPECT_TRUE(s.scan_started.has_value());
        start_scan(s);  // F5 during the scan
        start_scan(s);  // and again: the two collapse
        EXPECT_TRUE(s.rescan_pending);
        return 0;
    });
    // The first result starts the follow-up scan at once.
    ASSERT_TRUE(pump_until([&] { return with_state([](WindowState& s) { return s.entries.has_value(); }); }, 20));
    with_state([](WindowState& s) {
        EXPECT_EQ(s.entries->size(), 1u);
        EXPECT_TRUE(s.scan_started.has_value());
        EXPECT_FALSE(s.rescan_pending);
        return 0;
    });
    // The follow-up sees a certificate added meanwhile, and then everything is idle.
    test_certificate.serial = std::string("\x02", 1);
    ASSERT_FALSE(add_certificate(root.path(), L"yessign", L"cn=two", make_certificate_der(test_certificate)).empty());
    ASSERT_TRUE(pump_until([&] { return with_state([](WindowState& s) { return !s.scan_started; }); }, 20));
    EXPECT_FALSE(pump_until([&] { return with_state([](WindowState& s) { return s.scan_started.has_value(); }); }, 0.5));
}

TEST_F(MainWindow, DeviceBurstStartsOneScanAfterTheDebounce)
{
    TempFolder root;
    fill_state([&](WindowState& s) { s.command_line_roots = {root.path()}; });
    DEV_BROADCAST_HDR header{};
    header.dbch_size = sizeof(header);
    const auto scanning = [&] { return with_state([](WindowState& s) { return s.scan_started.has_value(); }); };
    for (int i = 0; i < 4; ++i) {
        SendMessageW(hwnd_, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&header));
        EXPECT_FALSE(scanning()) << "a device event only arms the timer";
    }
    // Other device events start nothing.
    EXPECT_EQ(SendMessageW(hwnd_, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), TRUE);
    ASSERT_TRUE(pump_until(scanning, 10));
    ASSERT_TRUE(pump_until([&] { return with_state([](WindowState& s) { return s.entries.has_value(); }); }, 20));
    EXPECT_EQ(with_state([](WindowState& s) { return s.folders_checked; }), 1u);
    // The burst armed one one-shot timer, so no second scan follows.
    EXPECT_FALSE(pump_until(scanning, 1.5));
}


TEST_F(MainWindow, ReleaseActsOnlyOnTheTargetOfItsOwnPress)
{
    fill_state([](WindowState& s) {
        s.entries = std::vector<CertificateEntry>{entry("CN=A", "01"), entry("CN=B", "02"), entry("CN=C", "03")};
    });
    const LPARAM first = MAKELPARAM(100, 200), second = MAKELPARAM(100, 306);
    ASSERT_EQ(with_state([](WindowState& s) { return hit_test(s, 100, 200); }), (HitTarget{HitKind::Card, CardAction::Copy, 0}));
    ASSERT_EQ(with_state([](WindowState& s) { return hit_test(s, 100, 306); }), (HitTarget{HitKind::Card, CardAction::Copy, 1}));
    const auto opened = [&] { return with_state([](WindowState& s) { return s.selection; }); };
    const struct {
        const char* name;
        std::vector<std::pair<UINT, LPARAM>> messages;
        std::optional<size_t> opened;
    } k_cases[] = {
        {"a release without a press", {{WM_LBUTTONUP, first}}, std::nullopt},
        {"pressed on one card, released on another", {{WM_LBUTTONDOWN, first}, {WM_LBUTTONUP, second}}, std::nullopt},
        {"the capture went elsewhere meanwhile",
         {{WM_LBUTTONDOWN, first}, {WM_CAPTURECHANGED, 0}, {WM_LBUTTONUP, first}}, std::nullopt},
        {"released outside the client area", {{WM_LBUTTONDOWN, first}, {WM_LBUTTONUP, MAKELPARAM(100, 30000)}},
         std::nullopt},
        {"a second release after the click", {{WM_LBUTTONDOWN, first}, {WM_LBUTTONUP, first}, {WM_KEYDOWN, VK_ESCAPE},
                                              {WM_LBUTTONUP, first}}, std::nullopt},
        {"pressed and released on the same card", {{WM_LBUTTONDOWN, second}, {WM_LBUTTONUP, second}}, 1},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        with_state([](WindowState& s) { s.selection.reset(); s.pressed.reset(); return 0; });
        for (const auto& [message, lparam] : c.messages) {
            if (message == WM_KEYDOWN) SendMessageW(hwnd_, message, static_cast<WPARAM>(lparam), 0);
            else SendMessageW(hwnd_, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, message == WM_KEYDOWN ? 0 : lparam);
        }
        EXPECT_EQ(opened(), c.opened);
        EXPECT_NE(GetCapture(), hwnd_) << "the mouse stays captured";
    }
}


TEST_F(MainWindow, EnterAndSpaceActOnlyOnAFocusThatShows)
{
    fill_state([](WindowState& s) { s.entries = std::vector<CertificateEntry>{entry("CN=A", "01"), entry("CN=B", "02")}; });
    // A click opens the pane: its first row holds the focus, but no ring shows.
    SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 200));
    SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(100, 200));
    ASSERT_EQ(with_state([](WindowState& s) { return s.selection; }), std::optional<size_t>(0));
    EXPECT_EQ(with_state([](WindowState& s) { return s.focus; }), (HitTarget{HitKind::DetailRow, CardAction::Copy, 0}));
    EXPECT_FALSE(with_state([](WindowState& s) { return s.focus_cues; }));
    for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_SPACE}}) {
        SendMessageW(hwnd_, WM_KEYDOWN, key, 0);
        EXPECT_FALSE(with_state([](WindowState& s) { return s.notice.has_value(); })) << "nothing copied for " << key;
    }
    // Once a key shows the ring, Enter acts on what it shows.
    SendMessageW(hwnd_, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(with_state([](WindowState& s) { return s.focus_cues; }));
    SendMessageW(hwnd_, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(with_state([](WindowState& s) { return s.notice.has_value(); }));
}

}  // namespace
