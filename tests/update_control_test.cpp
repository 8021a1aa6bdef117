// The shell's side of updating on a real (message-only) window: which outcomes of a check and of a
// download become notices, and that an installer that cannot start leaves the program running. The
// offer's message box, the download and the installer start are driven end to end in tests/e2e.

#include "app/messages.h"
#include "app/shell.h"
#include "app/update_control.h"
#include "app/updater/download.h"
#include "app/updater/held_file.h"
#include "app/updater/update_check.h"
#include "base/version.h"
#include "tests/support/main_window.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include <windows.h>

namespace {

constexpr wchar_t k_update_test_class[] = L"Vessop.UpdateControlTest";

class UpdateShell : public testing::Test {
protected:
    void SetUp() override
    {
        hwnd_ = create_message_only_main_window(k_update_test_class);
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

    // A held file that is no program: CreateProcessW fails, nothing is shown, the program goes on.
    TempFolder folder;
    const std::wstring installer = folder / L"Vessop-Setup-9.exe";
    const std::wstring other = folder / L"other.exe";
    ASSERT_TRUE(write_file(installer, "not a program"));
    ASSERT_TRUE(write_file(other, "someone else's"));
    DWORD error = 0;
    std::optional<UniqueFile> held = hold_plain_file(installer, error);
    ASSERT_TRUE(held);
    pending_installer().put(VerifiedInstaller{installer, std::move(*held), UniqueFile()});
    SendMessageW(hwnd_, WM_APP_UPDATE_READY, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd_));
    EXPECT_EQ(notice(), "(none)");

    // The path leads to another file than the one verified (re-pointed meanwhile): nothing starts,
    // nothing is deleted, and the user is told the signature could not be verified.
    held = hold_plain_file(other, error);
    ASSERT_TRUE(held);
    pending_installer().put(VerifiedInstaller{installer, std::move(*held), UniqueFile()});
    SendMessageW(hwnd_, WM_APP_UPDATE_READY, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd_));
    EXPECT_EQ(notice(), signature_failure_text());
    EXPECT_NE(GetFileAttributesW(installer.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(other.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(HeldFile, HeldNamesKeepNamingWhatWasChecked)
{
    TempFolder root;
    const std::wstring folder = root / L"Vessop";
    const std::wstring file = root / L"Vessop\\Vessop-Setup-9.exe";
    ASSERT_TRUE(write_file(file, "installer"));
    ASSERT_TRUE(write_file(root / L"elsewhere.exe", "other"));

    EXPECT_FALSE(names_reparse_point(folder));
    EXPECT_FALSE(names_reparse_point(root / L"missing"));
    EXPECT_FALSE(hold_plain_folder(file)) << "a file is no folder";
    DWORD error = 0;
    EXPECT_FALSE(hold_plain_file(folder, error)) << "a folder is no installer";
    EXPECT_FALSE(hold_plain_file(root / L"missing.exe", error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    std::optional<UniqueFile> held_folder = hold_plain_folder(folder);
    ASSERT_TRUE(held_folder);
    std::optional<UniqueFile> held_file = hold_plain_file(file, error);
    ASSERT_TRUE(held_file);
    EXPECT_TRUE(path_names_held_file(file, held_file->get()));
    EXPECT_FALSE(path_names_held_file(root / L"elsewhere.exe", held_file->get()));
    EXPECT_FALSE(path_names_held_file(root / L"missing.exe", held_file->get()));
    // While held, neither can be deleted, renamed or replaced, so their names keep naming them.
    EXPECT_FALSE(DeleteFileW(file.c_str()));
    EXPECT_FALSE(MoveFileExW(file.c_str(), (root / L"moved.exe").c_str(), 0));
    EXPECT_FALSE(MoveFileExW((root / L"elsewhere.exe").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(MoveFileExW(folder.c_str(), (root / L"moved").c_str(), 0));
    held_file.reset();
    held_folder.reset();
    EXPECT_TRUE(MoveFileExW(folder.c_str(), (root / L"moved").c_str(), 0)) << "let go, they can";
}

}  // namespace
