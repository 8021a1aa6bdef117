#!/usr/bin/env python3
"""Each program binds at start-up only DLLs that Windows never looks for beside it: KnownDLLs (mapped
from \\KnownDLLs), ntdll, api-ms-win-* sets, and comctl32 (bound from WinSxS through the manifest's
dependency). Any other DLL in the static import table would be looked for in the program's own folder
first, before its first statement runs, so a DLL planted beside a copy in Downloads would run.
Delay-loaded DLLs are bound after the program limits the search to System32, and are not listed here.
Usage: import_tables.py OBJDUMP PROGRAM...
"""
import re
import subprocess
import sys

# The KnownDLLs of Windows 10 (HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs).
KNOWN_DLLS = {
    "advapi32", "clbcatq", "combase", "comdlg32", "coml2", "gdi32", "gdiplus", "imagehlp", "imm32",
    "kernel32", "msctf", "msvcrt", "normaliz", "nsi", "ole32", "oleaut32", "psapi", "rpcrt4", "sechost",
    "setupapi", "shcore", "shell32", "shlwapi", "user32", "wldap32", "ws2_32",
}
ALSO_SAFE = {"ntdll", "comctl32"}


def is_safe(dll):
    stem = dll.lower().removesuffix(".dll")
    return stem in KNOWN_DLLS or stem in ALSO_SAFE or stem.startswith("api-ms-win-")


def static_imports(objdump, program):
    text = subprocess.run([objdump, "-p", program], check=True, capture_output=True, text=True).stdout
    return re.findall(r"^\s*DLL Name: (\S+)", text, re.MULTILINE)


def main(objdump, programs):
    failed = False
    # The rule itself, so that a mistake in it cannot pass every program.
    for dll, safe in (("KERNEL32.dll", True), ("api-ms-win-core-path-l1-1-0.dll", True), ("COMCTL32.dll", True),
                      ("CRYPT32.dll", False), ("bcrypt.dll", False), ("uiautomationcore.dll", False)):
        if is_safe(dll) != safe:
            print("FAIL: the rule calls %s %s" % (dll, "unsafe" if safe else "safe"))
            failed = True
    for program in programs:
        imports = static_imports(objdump, program)
        if not imports:
            print("FAIL: %s has no import table objdump could read" % program)
            failed = True
        for dll in imports:
            if not is_safe(dll):
                print("FAIL: %s binds %s at start-up; it is no KnownDLL and would be looked for beside the program"
                      % (program, dll))
                failed = True
        print("%s: %s" % (program, ", ".join(imports)))
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2:]))
