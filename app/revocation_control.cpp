#include "app/revocation_control.h"

#include "app/settings.h"
#include "app/shell.h"
#include "app/messages.h"
#include "app/updater/platform.h"
#include "base/slot.h"
#include "base/text.h"
#include "i18n/catalogue.h"
#include "x509/dates.h"

#include <utility>
#include <vector>

namespace {

struct RevocationAnswers {
    std::vector<CertificateEntry> entries;  // as they were when the check began
    std::vector<RevocationOutcome> outcomes;
};

Slot<RevocationAnswers>& pending_answers()
{
    static Slot<RevocationAnswers> slot;
    return slot;
}

// Asks once, remembering a yes; a no is not remembered, so the question comes again next time.
bool user_consents(HWND hwnd)
{
    if (read_revocation_consent()) return true;
    const std::wstring text = utf16_from_utf8(
        tr({"Vessop 는 인증서를 발급한 기관의 서버에 폐기된 인증서 목록을 요청합니다. 사용자에 관한 정보는 보내지 않지만, "
            "그 서버에는 이 PC 의 주소가 보입니다. 지금 확인할까요?",
            "Vessop will ask the issuing authorities' directories for their lists of revoked certificates. Nothing "
            "about you is sent, but the directories see this PC's address. Check now?"}));
    const std::wstring caption = utf16_from_utf8(tr({"발급 기관에 확인", "Check with issuers"}));
    // No is the default button: a stray Enter must not send anything out.
    if (MessageBoxW(hwnd, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return false;
    write_revocation_consent();
    return true;
}

// Applies the session's results to the list the window keeps (the search lists it by index).
void show_results(WindowState& state)
{
    if (state.entries) state.revocation_results.apply(*state.entries);
}

}  // namespace

void request_revocation_check(HWND hwnd)
{
    {
        auto state = window_state_slot().take();
        if (!state || state->revocation_checking || !state->whole_entries()) return;  // one check at a time; no list yet
    }
    if (!user_consents(hwnd)) return;

    auto state = window_state_slot().take();
    if (!state || state->revocation_checking || !state->whole_entries()) return;
    std::vector<CertificateEntry> entries = *state->whole_entries();
    const int64_t now = now_seconds();
    const bool started = start_detached_thread([entries = std::move(entries), now, hwnd]() mutable {
        RevocationAnswers answers;
        try {
            answers.outcomes = check_entries(entries, built_in_issuer_check(), &fetch_from_issuer, now);
        } catch (...) {
            answers.outcomes.clear();  // out of memory: nothing learnt, the rows say "not checked" again
        }
        answers.entries = std::move(entries);
        pending_answers().put(std::move(answers));
        post_result(hwnd, WM_APP_REVOCATION_DONE);
    });
    if (!started) return;
    state->revocation_checking = true;
    show_notice(*state, std::string(tr({"발급 기관에 확인하는 중…", "Asking the issuers…"})));
    repaint(hwnd);
}

void on_revocation_done(WindowState& state)
{
    std::optional<RevocationAnswers> answers = pending_answers().take();
    if (!answers) return;
    state.revocation_checking = false;
    state.revocation_results.record(answers->entries, answers->outcomes);
    show_results(state);
    repaint(state.hwnd);
}
