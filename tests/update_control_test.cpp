// The shell's side of updating on a real (message-only) window: which outcomes of a check and of a
// download become notices, and that an installer that cannot start leaves the program running. The
// offer's message box, the download and the installer start are driven end to end in tests/e2e.

#include "app/messages.h"
#include "app/update_control.h"
#include "app/updater/download.h"
#include "app/updater/update_check.h"
#include "app/window_proc.h"
#include "base/version.h"
#include "tests/support/main_window.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include <windows.h>

namespace {

constexpr wchar_t k_test_class[] = L"Vessop.UpdateControlTest";

class UpdateShell : public testing::Test {
protected:
    void SetUp() override
    {
        hwnd_ = create_message_only_main_window(k_test_class);
        ASSERT_NE(hwnd_, nullptr);
        WindowState state;
        state.hwnd = hwnd_;
        ASSERT_TRUE(window_state_slot().fill(std::move(state)));
        pending_update_check().take();
        pending_installer().take();
    }

    void TearDown() override
    {
        if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
        window_state_slot().discard();
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}
    }

    std::string notice()
    {
        auto state = window_state_slot().take();
        if (!state) return "(no state)";
        std::string text = state->notice ? state->notice->text : "(none)";
        state->notice.reset();
        return text;
    }

    HWND hwnd_ = nullptr;
};

TEST_F(UpdateShell, OnlyChecksTheUserAskedForAreReported)
{
    struct Case {
        UpdateCheckOutcome outcome;
        bool user_initiated;
        std::string notice;
    };
    const Case cases[] = {
        {UpToDate{}, true, "You're up to date (" + std::string(k_version) + ")"},
        {UpToDate{}, false, "(none)"},
        {CheckFailed{"manifest"}, true, "manifest"},
        {CheckFailed{"Download failed"}, false, "(none)"},
    };
    for (const Case& c : cases) {
        pending_update_check().put(PendingUpdateCheck{c.outcome, c.user_initiated});
        SendMessageW(hwnd_, WM_APP_UPDATE_CHECKED, 0, 0);
        EXPECT_EQ(notice(), c.notice);
        // Taken: a second message finds the slot empty and does nothing.
        SendMessageW(hwnd_, WM_APP_UPDATE_CHECKED, 0, 0);
        EXPECT_EQ(notice(), "(none)");
    }
}

TEST_F(UpdateShell, NewestCheckOutcomeWins)
{
    pending_update_check().put(PendingUpdateCheck{CheckFailed{"first"}, true});
    pending_update_check().put(PendingUpdateCheck{CheckFailed{"second"}, true});
    SendMessageW(hwnd_, WM_APP_UPDATE_CHECKED, 0, 0);
    EXPECT_EQ(notice(), "second");
}

TEST_F(UpdateShell, DownloadFailureIsShownAndAnInstallerThatCannotStartKeepsTheProgram)
{
    pending_installer().put(DownloadFailed{"Downloaded size mismatch"});
    SendMessageW(hwnd_, WM_APP_UPDATE_READY, 0, 0);
    EXPECT_EQ(notice(), "Downloaded size mismatch");

    pending_installer().put(VerifiedInstaller{L"C:\\no\\such\\folder\\Vessop-Setup-9.exe", UniqueFile()});
    SendMessageW(hwnd_, WM_APP_UPDATE_READY, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd_));
    EXPECT_EQ(notice(), "(none)");
}

}  // namespace
