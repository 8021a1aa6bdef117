#include "gfx/view_text.h"

#include <gtest/gtest.h>

namespace {

std::string_view in_english(Text text) { return text.english; }
std::string_view in_korean(Text text) { return text.korean; }

}  // namespace

TEST(ScanningText, SecondsGiveCyclingDots)
{
    const struct {
        double t;
        Translate translate;
        const char* expected;
    } k_cases[] = {
        {0, in_english, "Looking for certificates."},
        {0.4, in_english, "Looking for certificates.."},
        {0.7, in_english, "Looking for certificates..."},
        {1.1, in_english, "Looking for certificates."},
        {0.4, in_korean, "공동인증서를 찾고 있습니다.."},
    };
    for (const auto& c : k_cases) EXPECT_EQ(scanning_text(c.t, c.translate), c.expected) << c.t;
}

TEST(SummaryHeadline, CountGivesHeadline)
{
    const struct {
        size_t n;
        Translate translate;
        const char* expected;
    } k_cases[] = {
        {0, in_english, "No certificates found"},
        {1, in_english, "Certificates: 1"},
        {123, in_english, "Certificates: 123"},
        {0, in_korean, "공동인증서가 없습니다"},
        {3, in_korean, "공동인증서 3개"},
    };
    for (const auto& c : k_cases) EXPECT_EQ(summary_headline(c.n, c.translate), c.expected) << c.n;
}

TEST(SummarySecondLine, CountsAppearOnlyWhenNonZero)
{
    const struct {
        uint64_t folders;
        ExpirySummary summary;
        Translate translate;
        const char* expected;
    } k_cases[] = {
        {4, {0, 0}, in_english, "NPKI folders checked on hard disks and USB drives: 4"},
        {4, {1, 1}, in_english, "NPKI folders checked on hard disks and USB drives: 4 · 1 expiring soon · 1 expired"},
        {0, {0, 2}, in_english, "NPKI folders checked on hard disks and USB drives: 0 · 2 expired"},
        {7, {3, 0}, in_english, "NPKI folders checked on hard disks and USB drives: 7 · 3 expiring soon"},
        {18446744073709551615ull, {0, 0}, in_english,
         "NPKI folders checked on hard disks and USB drives: 18446744073709551615"},
        {2, {1, 1}, in_korean, "하드 디스크와 USB 드라이브의 NPKI 폴더 2곳을 살폈습니다 · 곧 만료 1 · 만료 1"},
    };
    for (const auto& c : k_cases) {
        EXPECT_EQ(summary_second_line(c.folders, c.summary, c.translate), c.expected);
    }
}

TEST(CleanUpLabel, CountFillsPlaceholder)
{
    EXPECT_EQ(clean_up_label(1, in_english), "Clean up expired (1)");
    EXPECT_EQ(clean_up_label(12, in_korean), "만료된 것 정리 (12)");
}
