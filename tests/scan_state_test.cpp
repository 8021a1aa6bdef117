#include "npki/scan_state.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

enum class Event { Request, Result };

// Runs events through the machine the way start_scan and the result handler use it and counts the
// scan threads started.
struct ScanRun {
    ScanPhase phase = ScanPhase::Idle;
    int threads = 0;
    void apply(Event event)
    {
        const ScanStep step = event == Event::Request ? on_scan_requested(phase) : on_scan_result(phase);
        phase = step.next;
        threads += step.start_thread ? 1 : 0;
    }
};

TEST(ScanMachine, RequestsDuringAScanCollapseIntoOneMoreScan)
{
    using enum Event;
    const struct {
        const char* name;
        std::vector<Event> events;
        int threads;
        ScanPhase end;
    } k_cases[] = {
        {"start-up scan", {Request}, 1, ScanPhase::Scanning},
        {"scan and result", {Request, Result}, 1, ScanPhase::Idle},
        {"f5 during a scan", {Request, Request, Result}, 2, ScanPhase::Scanning},
        {"f5 during a scan, both done", {Request, Request, Result, Result}, 2, ScanPhase::Idle},
        {"two requests during a scan", {Request, Request, Request, Result, Result}, 2, ScanPhase::Idle},
        {"five requests during a scan", {Request, Request, Request, Request, Request, Request, Result, Result}, 2,
         ScanPhase::Idle},
        {"request while the follow-up runs", {Request, Request, Result, Request, Result, Result}, 3, ScanPhase::Idle},
        {"stray result while idle", {Result}, 0, ScanPhase::Idle},
        {"separate scans", {Request, Result, Request, Result}, 2, ScanPhase::Idle},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        ScanRun run;
        for (Event e : c.events) run.apply(e);
        EXPECT_EQ(run.threads, c.threads);
        EXPECT_EQ(run.phase, c.end);
    }
}

TEST(ScanMachine, PhaseFollowsTheTwoFlags)
{
    EXPECT_EQ(scan_phase(false, false), ScanPhase::Idle);
    EXPECT_EQ(scan_phase(true, false), ScanPhase::Scanning);
    EXPECT_EQ(scan_phase(true, true), ScanPhase::ScanningPending);
    EXPECT_EQ(scan_phase(false, true), ScanPhase::Idle);  // nothing runs, so a request starts one
}

CertificateEntry listed_entry(std::string issuer_dn, std::string serial_hex)
{
    CertificateEntry e;
    e.info.issuer_dn = std::move(issuer_dn);
    e.info.serial_hex = std::move(serial_hex);
    return e;
}

TEST(KeepSelection, SameIssuerAndSerialBytesKeepThePaneOpen)
{
    const std::vector<CertificateEntry> old_entries = {
        listed_entry("CN=yessignCA Class 2, O=yessign, C=kr", "01AB"),
        listed_entry("CN=CrossCertCA4, O=CrossCert, C=KR", "7F"),
    };
    const struct {
        const char* name;
        std::optional<size_t> selection;
        std::vector<CertificateEntry> new_entries;
        std::optional<size_t> expected;
    } k_cases[] = {
        {"nothing selected", std::nullopt, old_entries, std::nullopt},
        {"same place", 1, old_entries, 1},
        {"moved in the list",
         1,
         {listed_entry("CN=A", "01"), listed_entry("CN=A", "02"), listed_entry("CN=CrossCertCA4, O=CrossCert, C=KR", "7F")},
         2},
        {"gone", 1, {old_entries[0]}, std::nullopt},
        {"issuer differs only in case", 0, {listed_entry("CN=YESSIGNCA Class 2, O=yessign, C=kr", "01AB")}, std::nullopt},
        {"serial differs", 0, {listed_entry("CN=yessignCA Class 2, O=yessign, C=kr", "01AC")}, std::nullopt},
        {"first of two matches",
         0,
         {listed_entry("CN=x", "00"), old_entries[0], old_entries[0]},
         1},
        {"old index out of range", 5, old_entries, std::nullopt},
        {"empty new inventory", 0, {}, std::nullopt},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(keep_selection(c.selection, old_entries, c.new_entries), c.expected);
    }
}

TEST(KeepSelection, NoOldInventoryKeepsNothing)
{
    const std::vector<CertificateEntry> fresh = {listed_entry("CN=A", "01")};
    EXPECT_EQ(keep_selection(0, std::nullopt, fresh), std::nullopt);
}

}  // namespace
