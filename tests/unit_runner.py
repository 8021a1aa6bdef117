#!/usr/bin/env python3
"""Runs the unit tests for CTest, each still reported by its own name, without a Wine process per test.

CTest starts every discovered unit test as `unit_runner.py --batch-filter=F EMULATOR EXE --gtest_filter=Suite.Name
[ARGS...]`. A Wine process costs about a second on a busy 2-core machine, and the tests themselves take
milliseconds: so the first test of a CTest run runs every unit test (filter F) in one process, and each test
then reports its own part of that run. Only a pass is taken from the shared process: a test that did not
pass there (failed, skipped, cut short by a crash, or missing) is run again alone, and that run is its result,
since the tests are written for a process each (the language, for one, is chosen once per process). The
output then shows both.

Anything else (the test list, several tests, VESSOP_UNIT_BATCH=0) is passed to the emulator unchanged.
A shared run belongs to one CTest run (its process id and start time), so a later run never sees old results.
"""
import fcntl
import os
import re
import subprocess
import sys
import time

BATCH_DEADLINE = 90  # seconds, below the unit tests' 120: a shared run that hangs gives way to single runs
RESULT = re.compile(r"^\[ +(OK|FAILED|SKIPPED) +\] (\S+)")
START = re.compile(r"^\[ RUN +\] (\S+)")


def single_test(args):
    """The one test a command line names, or None."""
    filters = [a for a in args if a.startswith("--gtest_filter=")]
    if len(filters) != 1:
        return None
    name = filters[0].split("=", 1)[1]
    return name if re.fullmatch(r"[A-Za-z0-9_/]+\.[A-Za-z0-9_/]+", name) else None


def run_key():
    """The CTest run this process belongs to: its parent's process id and start time."""
    parent = os.getppid()
    try:
        with open("/proc/%d/stat" % parent) as stat:
            started = stat.read().rsplit(")", 1)[1].split()[19]
    except OSError:
        return None
    return "%d-%s" % (parent, started)


def alive(key):
    pid, started = key.split("-", 1)
    try:
        with open("/proc/%s/stat" % pid) as stat:
            return stat.read().rsplit(")", 1)[1].split()[19] == started
    except OSError:
        return False


def segments(output):
    """Each test's lines of a shared run, and how it ended (None when the run stopped inside it)."""
    parts, ends, current = {}, {}, None
    for line in output.splitlines(keepends=True):
        started = START.match(line)
        if started:
            current = started.group(1)
            parts[current] = [line]
            ends[current] = None
            continue
        if current is None:
            continue
        parts[current].append(line)
        ended = RESULT.match(line)
        if ended and ended.group(2) == current:
            ends[current] = ended.group(1)
            current = None
    return {name: ("".join(lines), ends[name]) for name, lines in parts.items()}


def shared_run(folder, emulator, exe, batch_filter, extra):
    """The output of the shared run, made by whichever test comes first; None when there is none."""
    done, failed = os.path.join(folder, "output.txt"), os.path.join(folder, "no-shared-run")
    with open(os.path.join(folder, "lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(done):
            with open(done, encoding="utf-8", errors="replace") as f:
                return f.read()
        if os.path.exists(failed):
            return None
        command = [emulator, exe, "--gtest_filter=" + batch_filter] + extra
        started = time.monotonic()
        try:
            result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL, timeout=BATCH_DEADLINE)
        except subprocess.TimeoutExpired as e:
            # What it printed is still used for the tests it finished; the rest run alone.
            output = (e.stdout or b"").decode("utf-8", "replace")
            output += "\nunit_runner: the shared run did not end within %d s\n" % BATCH_DEADLINE
        else:
            output = result.stdout.decode("utf-8", "replace")
        with open(done + ".part", "w", encoding="utf-8") as f:
            f.write(output)
        os.replace(done + ".part", done)
        with open(os.path.join(folder, "took.txt"), "w") as f:
            f.write("%.1f\n" % (time.monotonic() - started))
        return output


def forget_old_runs(root, key):
    for name in os.listdir(root):
        if name != key and re.fullmatch(r"\d+-\d+", name) and not alive(name):
            folder = os.path.join(root, name)
            for file in os.listdir(folder):
                os.remove(os.path.join(folder, file))
            os.rmdir(folder)


def main():
    args = sys.argv[1:]
    batch_filter = None
    if args and args[0].startswith("--batch-filter="):
        batch_filter = args.pop(0).split("=", 1)[1]
    emulator, exe, rest = args[0], args[1], args[2:]
    name = single_test(rest)
    key = run_key()
    if name is None or batch_filter is None or key is None or os.environ.get("VESSOP_UNIT_BATCH") == "0":
        os.execv(emulator, [emulator, exe] + rest)

    root = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(exe))), "unit-batch")
    folder = os.path.join(root, key)
    os.makedirs(folder, exist_ok=True)
    if not os.path.exists(os.path.join(folder, "lock")):
        forget_old_runs(root, key)
    extra = [a for a in rest if not a.startswith("--gtest_filter=")]
    output = shared_run(folder, emulator, exe, batch_filter, extra)
    part, end = segments(output).get(name, ("", None)) if output is not None else ("", None)
    if end == "OK":
        sys.stdout.write(part)
        return 0
    if output is not None:
        # Only a line: its part of the shared run would carry the skip or crash text CTest reads.
        said = {None: "did not finish", "FAILED": "failed", "SKIPPED": "was skipped"}[end] if part else "did not run"
        sys.stdout.write("unit_runner: %s %s in the shared process (%s); its own run:\n"
                         % (name, said, os.path.join(folder, "output.txt")))
    sys.stdout.flush()
    os.execv(emulator, [emulator, exe] + rest)


if __name__ == "__main__":
    sys.exit(main())
