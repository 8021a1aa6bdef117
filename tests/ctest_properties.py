#!/usr/bin/env python3
"""Every test that runs the program's own code under Wine carries the environment and the time limit
it was given: TZ=Asia/Seoul and LANG=C.UTF-8 (Seoul's dates, UTF-8 output whatever the caller's locale)
and a TIMEOUT of its own, so that a hung test ends at its own limit and not at the run's.

It reads what CTest will really apply (ctest --show-only=json-v1), not the CMake files: a property
lost on the way from them to CTest, as a list value split at its ';', is caught here.
Usage: ctest_properties.py BUILD_DIR
"""
import json
import subprocess
import sys

REQUIRED_ENVIRONMENT = ("TZ=Asia/Seoul", "LANG=C.UTF-8")
LONGEST_UNIT_TEST = 120  # seconds


def faults(test):
    """What is missing from one test's properties, as a list of sentences."""
    props = {p["name"]: p["value"] for p in test.get("properties", [])}
    environment = props.get("ENVIRONMENT", [])
    found = [need for need in REQUIRED_ENVIRONMENT if need in environment]
    missing = [need for need in REQUIRED_ENVIRONMENT if need not in found]
    said = ["lacks " + need for need in missing]
    timeout = props.get("TIMEOUT")
    if not isinstance(timeout, (int, float)) or timeout <= 0:
        said.append("has no TIMEOUT of its own")
    elif is_unit_test(test) and timeout > LONGEST_UNIT_TEST:
        said.append("may run %g s (at most %d)" % (timeout, LONGEST_UNIT_TEST))
    return said


def is_unit_test(test):
    """A test gtest_discover_tests made: it runs vessop_tests.exe on itself alone."""
    command = test.get("command") or []
    return runs_under_wine(test) and any(part.endswith("vessop_tests.exe") for part in command) and \
        "--gtest_filter=" + test["name"] in command


def runs_under_wine(test):
    """The tests CTest starts through the cross build's emulator (scripts/wine-run)."""
    command = test.get("command") or []
    return any(part.endswith("wine-run") for part in command)


def main():
    build = sys.argv[1]
    shown = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"],
                           capture_output=True, text=True, check=True).stdout
    tests = json.loads(shown)["tests"]
    units = [t for t in tests if is_unit_test(t)]
    if not units:
        print("FAIL: no unit test found in %s" % build)
        return 1
    bad = 0
    for test in tests:
        if not (is_unit_test(test) or runs_under_wine(test)):
            continue
        for fault in faults(test):
            bad += 1
            if bad <= 20:
                print("FAIL: %s %s" % (test["name"], fault))
    if bad > 20:
        print("FAIL: ... and %d more" % (bad - 20))
    print("%d unit tests and %d other tests under Wine checked" %
          (len(units), len([t for t in tests if runs_under_wine(t) and not is_unit_test(t)])))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
