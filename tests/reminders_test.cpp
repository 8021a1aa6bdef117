#include "app/reminder_delivery.h"
#include "app/reminder_task.h"
#include "base/settings_store.h"
#include "base/text.h"
#include "npki/reminders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string k_sha_a(64, 'A');
const std::string k_sha_b(64, 'B');

ReminderStanding standing(const std::string& sha, bool ended, int64_t days, std::string holder = "홍길동")
{
    return {sha, ended, days, std::move(holder), "KFTC (yessign)", "2026-12-16"};
}

std::string_view korean(Text text) { return text.korean; }
std::string_view english(Text text) { return text.english; }

TEST(Reminders, ThresholdDueByDaysLeftAndWhatWasTold)
{
    const std::vector<std::string> none;
    const std::vector<std::string> told_30_14_7 = {k_sha_a + " 30", k_sha_a + " 14", k_sha_a + " 7"};
    const struct {
        bool ended;
        int64_t days;
        const std::vector<std::string>* told;
        std::optional<int> due;
    } k_cases[] = {
        {false, 31, &none, std::nullopt}, {false, 30, &none, 30},  {false, 29, &none, 30},
        {false, 14, &none, 14},           {false, 8, &none, 14},   {false, 7, &none, 7},
        {false, 3, &none, 3},             {false, 1, &none, 1},    {false, 0, &none, 0},
        {true, 1, &none, -1},             {true, 7, &none, -1},    {true, 8, &none, std::nullopt},
        {false, 29, &told_30_14_7, std::nullopt}, {false, 8, &told_30_14_7, std::nullopt},
        {false, 6, &told_30_14_7, std::nullopt},  // 7 was told; 3 is not reached yet
        {false, 3, &told_30_14_7, 3},             {false, 0, &told_30_14_7, 0},
        {true, 1, &told_30_14_7, -1},
    };
    for (const auto& c : k_cases)
        EXPECT_EQ(due_threshold(standing(k_sha_a, c.ended, c.days), *c.told), c.due)
            << (c.ended ? "ended " : "left ") << c.days << " told " << c.told->size();
}

TEST(Reminders, AThresholdMissedWhileThePcWasOffIsToldOnce)
{
    // 35 days left on the last run, 6 on this one: one reminder, for 7; the next run says nothing.
    std::vector<std::string> reminded;
    ReminderPlan plan = plan_reminders({standing(k_sha_a, false, 35)}, reminded);
    EXPECT_TRUE(plan.due.empty());
    plan = plan_reminders({standing(k_sha_a, false, 6)}, plan.reminded);
    ASSERT_EQ(plan.due.size(), 1u);
    EXPECT_EQ(plan.due[0].threshold, 7);
    EXPECT_EQ(plan.reminded, std::vector<std::string>{k_sha_a + " 7"});
    EXPECT_TRUE(plan_reminders({standing(k_sha_a, false, 6)}, plan.reminded).due.empty());
}

TEST(Reminders, PlanPrunesLinesOfCertificatesGoneAndMalformedLines)
{
    const std::vector<std::string> reminded = {k_sha_a + " 30", k_sha_b + " 14", "junk", k_sha_a + " 12",
                                               std::string(64, 'a') + " 7", k_sha_a + " 30"};
    const ReminderPlan plan = plan_reminders({standing(k_sha_a, false, 20)}, reminded);
    EXPECT_TRUE(plan.due.empty());
    EXPECT_EQ(plan.reminded, std::vector<std::string>{k_sha_a + " 30"});
}

TEST(Reminders, SeveralCertificatesMakeOneMessageSoonestFirst)
{
    const ReminderPlan plan = plan_reminders(
        {standing(k_sha_a, false, 12, "Later"), standing(k_sha_b, false, 2, "Sooner"), standing(k_sha_b, false, 2, "Sooner")},
        {});
    ASSERT_EQ(plan.due.size(), 2u);  // the second copy of B is told once
    EXPECT_EQ(plan.due[0].standing.holder, "Sooner");
    EXPECT_EQ(reminder_message(plan.due, &english), "2 certificates end within 12 days. The first: Sooner, on 2026-12-16.");
    EXPECT_EQ(reminder_message(plan.due, &korean), "공동인증서 2개가 12일 안에 만료됩니다. 가장 먼저 만료: Sooner, 2026-12-16");
    const ReminderPlan ending = plan_reminders({standing(k_sha_a, true, 1), standing(k_sha_b, false, 0)}, {});
    EXPECT_EQ(reminder_message(ending.due, &english),
              "2 certificates have ended or end by tomorrow. The first: 홍길동, on 2026-12-16.");
    // One ended, one ending in 10 days: the ended one comes first, and the sentence says some have ended.
    const ReminderPlan mixed = plan_reminders({standing(k_sha_a, false, 10, "Later"), standing(k_sha_b, true, 3, "Ended")}, {});
    ASSERT_EQ(mixed.due.size(), 2u);
    EXPECT_EQ(reminder_message(mixed.due, &english),
              "2 certificates have ended or end within 10 days. The first: Ended, on 2026-12-16.");
    EXPECT_EQ(reminder_message(mixed.due, &korean),
              "공동인증서 2개가 만료되었거나 10일 안에 만료됩니다. 가장 먼저 만료: Ended, 2026-12-16");
}

TEST(Reminders, OneCertificateMessagesInKoreanAndEnglish)
{
    const struct {
        bool ended;
        int64_t days;
        const char* english;
        const char* korean;
    } k_cases[] = {
        {false, 7, "홍길동's certificate (KFTC (yessign)) ends in 7 days, on 2026-12-16.",
         "홍길동의 공동인증서(KFTC (yessign))가 7일 뒤인 2026-12-16에 만료됩니다."},
        {false, 1, "홍길동's certificate (KFTC (yessign)) ends tomorrow, on 2026-12-16.",
         "홍길동의 공동인증서(KFTC (yessign))가 내일(2026-12-16) 만료됩니다."},
        {false, 0, "홍길동's certificate (KFTC (yessign)) ends today.", "홍길동의 공동인증서(KFTC (yessign))가 오늘 만료됩니다."},
        {true, 2, "홍길동's certificate (KFTC (yessign)) ended on 2026-12-16.",
         "홍길동의 공동인증서(KFTC (yessign))가 2026-12-16에 만료되었습니다."},
    };
    for (const auto& c : k_cases) {
        const std::vector<DueReminder> due = {{standing(k_sha_a, c.ended, c.days), 0}};
        EXPECT_EQ(reminder_message(due, &english), c.english);
        EXPECT_EQ(reminder_message(due, &korean), c.korean);
    }
    EXPECT_EQ(reminder_message({}, &english), "");
}

TEST(MultiString, LinesRoundTripAndToleratesMissingNuls)
{
    EXPECT_EQ(multi_string_of({"a", "", "bc"}), std::wstring(L"a\0bc\0\0", 6));
    EXPECT_EQ(multi_string_of({}), std::wstring(L"\0", 1));
    const struct {
        std::wstring data;
        std::vector<std::string> lines;
    } k_cases[] = {
        {std::wstring(L"a\0bc\0\0", 6), {"a", "bc"}},
        {std::wstring(L"a\0bc", 4), {"a", "bc"}},  // written without its final NULs
        {std::wstring(L"a\0\0b\0\0", 6), {"a"}},   // the empty string ends the list
        {std::wstring(), {}},
    };
    for (const auto& c : k_cases) EXPECT_EQ(lines_of_multi_string(c.data), c.lines);
}

}  // namespace

TEST(ReminderTask, OneTaskPerUserAndOnlyOwnSharedTaskRemoved)
{
    EXPECT_EQ(reminder_task_name(L"S-1-5-21-1-2-3-1001"), L"Vessop reminder S-1-5-21-1-2-3-1001");
    EXPECT_EQ(reminder_task_name(L""), L"Vessop reminder");  // the SID unknown: the shared name as before

    const struct {
        const wchar_t* xml;
        const wchar_t* user;
    } k_xml[] = {
        {L"<Task><Triggers><LogonTrigger><UserId>S-1-5-21-9</UserId></LogonTrigger></Triggers>"
         L"<Principals><Principal id=\"Author\"><UserId>\n  S-1-5-21-1-2-3-1001 </UserId><LogonType>InteractiveToken"
         L"</LogonType></Principal></Principals></Task>",
         L"S-1-5-21-1-2-3-1001"},
        {L"<Principals><Principal><UserId>PC\\kim</UserId></Principal></Principals>", L"PC\\kim"},
        {L"<Principals><Principal id=\"Author\"><LogonType>InteractiveToken</LogonType></Principal></Principals>"
         L"<Triggers><LogonTrigger><UserId>S-1-5-21-9</UserId></LogonTrigger></Triggers>",
         L""},  // only the trigger names a user: no principal's
        {L"<Task/>", L""},
        {L"<Principals><Principal id=\"Author\"><UserId>S-1-5-21", L""},
    };
    for (const auto& c : k_xml) EXPECT_EQ(principal_user_of_task_xml(c.xml), c.user) << utf8_from_utf16(c.xml);

    const struct {
        const wchar_t* principal;
        bool own;
    } k_principals[] = {
        {L"S-1-5-21-1-2-3-1001", true}, {L"s-1-5-21-1-2-3-1001", true}, {L"PC\\Kim", true}, {L"kim", true},
        {L"S-1-5-21-1-2-3-1002", false}, {L"OTHER\\kim", false},        {L"lee", false},   {L"", false},
    };
    for (const auto& c : k_principals)
        EXPECT_EQ(is_own_principal(c.principal, L"S-1-5-21-1-2-3-1001", L"PC\\kim"), c.own) << utf8_from_utf16(c.principal);
}

TEST(ReminderDelivery, RecordedOnlyOnceTheNotificationWasSeen)
{
    using enum TrayEvent;
    using enum TrayStep;
    struct Case {
        const char* what;
        bool locked_at_start;
        TrayStep first;
        std::vector<std::pair<TrayEvent, TrayStep>> events;
        bool seen;
    };
    std::vector<std::pair<TrayEvent, TrayStep>> six_failures;
    for (int i = 1; i < k_add_attempts; ++i) six_failures.push_back({AddFailed, RetryLater});
    std::vector<std::pair<TrayEvent, TrayStep>> never_added = six_failures;
    never_added.push_back({AddFailed, End});
    std::vector<std::pair<TrayEvent, TrayStep>> late_taskbar = six_failures;
    late_taskbar.insert(late_taskbar.end(), {{Added, Wait}, {Shown, Wait}, {TimedOut, End}});
    const Case k_cases[] = {
        {"shown, then gone unclicked", false, AddIcon, {{Added, Wait}, {Shown, Wait}, {TimedOut, End}}, true},
        {"clicked", false, AddIcon, {{Added, Wait}, {Shown, Wait}, {Clicked, End}}, true},
        {"clicked in the notification centre, never shown", false, AddIcon, {{Added, Wait}, {Clicked, End}}, true},
        {"dropped by Windows (Focus Assist)", false, AddIcon, {{Added, Wait}, {TimedOut, End}}, false},
        {"never shown before the time was up", false, AddIcon, {{Added, Wait}, {TimeUp, End}}, false},
        {"no notification area, ever", false, AddIcon, never_added, false},
        {"the taskbar comes late", false, AddIcon, late_taskbar, true},
        {"locked at start, then unlocked", true, Wait, {{Unlocked, AddIcon}, {Added, Wait}, {Shown, Wait}}, true},
        {"locked all the time", true, Wait, {{TimeUp, End}}, false},
        {"locked after the icon came", false, AddIcon, {{Added, Wait}, {Locked, Wait}, {Unlocked, Wait}, {Shown, Wait}}, true},
        {"an add fails while locked: tried again at the unlock", false, AddIcon,
         {{Locked, Wait}, {AddFailed, Wait}, {Unlocked, AddIcon}, {Added, Wait}}, false},
    };
    for (const Case& c : k_cases) {
        SCOPED_TRACE(c.what);
        ReminderDelivery delivery(c.locked_at_start);
        EXPECT_EQ(delivery.start(), c.first);
        for (size_t i = 0; i < c.events.size(); ++i)
            EXPECT_EQ(delivery.on(c.events[i].first), c.events[i].second) << "event " << i;
        EXPECT_EQ(delivery.seen(), c.seen);
    }
}
