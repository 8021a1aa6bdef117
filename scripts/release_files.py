#!/usr/bin/env python3
"""Writes the descriptive files of a release folder for scripts/release: the SPDX 2.3 SBOM
(Vessop-X.Y.Z.spdx.json) and the winget manifests under winget/. Every date comes from --epoch
(SOURCE_DATE_EPOCH), so two runs for one commit write the same bytes."""

import argparse
import datetime
import json
import os

WINGET_SCHEMA = "1.6.0"
PACKAGE_ID = "TamselWorks.Vessop"


def sbom(a):
    created = datetime.datetime.fromtimestamp(int(a.epoch), datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")

    def package(spdx_id, name, version, licence, supplier, location, comment):
        return {
            "SPDXID": spdx_id,
            "name": name,
            "versionInfo": version,
            "supplier": supplier,
            "downloadLocation": location,
            "filesAnalyzed": False,
            "licenseConcluded": licence,
            "licenseDeclared": licence,
            "copyrightText": "NOASSERTION",
            "comment": comment,
        }

    packages = [
        dict(package("SPDXRef-Vessop", "Vessop", a.version, "LicenseRef-Vessop", f"Organization: {a.company}",
                     a.url, "Vessop.exe and vessop-scan.exe in their installer"),
             checksums=[{"algorithm": "SHA256", "checksumValue": a.sha256}],
             packageFileName=a.installer),
        package("SPDXRef-nlohmann-json", "nlohmann/json", a.json_version, "MIT", "Person: Niels Lohmann",
                "https://github.com/nlohmann/json", "JSON library, compiled in (header-only)"),
        package("SPDXRef-mingw-w64-runtime", "MinGW-w64 runtime", a.runtime_version,
                "ZPL-2.1 AND MIT AND LicenseRef-MinGW-w64-public-domain", "Organization: MinGW-w64 project",
                "https://www.mingw-w64.org/", "C runtime start-up code and winpthreads, linked statically"),
        package("SPDXRef-gcc-runtime", "GCC runtime libraries (libstdc++, libgcc)", a.compiler_version,
                "GPL-3.0-or-later WITH GCC-exception-3.1", "Organization: GNU Project", "https://gcc.gnu.org/",
                f"linked statically; compiled with x86_64-w64-mingw32-g++ {a.compiler_version}"),
    ]
    return {
        "spdxVersion": "SPDX-2.3",
        "dataLicense": "CC0-1.0",
        "SPDXID": "SPDXRef-DOCUMENT",
        "name": f"Vessop-{a.version}",
        "documentNamespace": f"https://{a.host}/Vessop/spdx/Vessop-{a.version}-{a.sha256}",
        "creationInfo": {
            "created": created,
            "creators": ["Tool: scripts/release", f"Organization: {a.company}"],
        },
        "documentDescribes": ["SPDXRef-Vessop"],
        "packages": packages,
        "relationships": [{"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES",
                           "relatedSpdxElement": "SPDXRef-Vessop"}]
        + [{"spdxElementId": "SPDXRef-Vessop", "relationshipType": "STATIC_LINK",
            "relatedSpdxElement": p["SPDXID"]} for p in packages[1:]],
        "hasExtractedLicensingInfos": [
            {"licenseId": "LicenseRef-Vessop", "name": "Vessop licence",
             "extractedText": f"\u00a9 {a.company}. Free to use; provided as is, without warranty."},
            {"licenseId": "LicenseRef-MinGW-w64-public-domain", "name": "MinGW-w64 public-domain parts",
             "extractedText": "Parts of the MinGW-w64 runtime are in the public domain."},
        ],
    }


def yaml_text(value):
    """A YAML scalar in double quotes (JSON's escaping is valid YAML)."""
    return json.dumps(value, ensure_ascii=False)


def write_manifest(path, kind, fields):
    lines = [f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{WINGET_SCHEMA}.schema.json", ""]
    lines += fields
    lines += [f"ManifestType: {kind}", f"ManifestVersion: {WINGET_SCHEMA}", ""]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines))


def winget(a):
    folder = os.path.join(a.out, "winget", "manifests", "t", "TamselWorks", "Vessop", a.version)
    os.makedirs(folder, exist_ok=True)
    head = [f"PackageIdentifier: {PACKAGE_ID}", f"PackageVersion: {a.version}"]
    write_manifest(os.path.join(folder, f"{PACKAGE_ID}.yaml"), "version", head + ["DefaultLocale: en-US"])
    write_manifest(os.path.join(folder, f"{PACKAGE_ID}.installer.yaml"), "installer", head + [
        "InstallerType: nullsoft",
        "Scope: user",
        "InstallModes:",
        "  - silent",
        "  - silentWithProgress",
        "InstallerSwitches:",
        "  Silent: /SILENT /SUPPRESSMSGBOXES /NORESTART",
        "  SilentWithProgress: /SILENT /SUPPRESSMSGBOXES /NORESTART",
        "UpgradeBehavior: install",
        "Installers:",
        "  - Architecture: x64",
        f"    InstallerUrl: {a.url}",
        f"    InstallerSha256: {a.sha256.upper()}",
    ])
    common = [f"Publisher: {yaml_text(a.company)}", "PackageName: Vessop", "License: Freeware",
              f"PackageUrl: https://{a.host}/Vessop/"]
    write_manifest(os.path.join(folder, f"{PACKAGE_ID}.locale.en-US.yaml"), "defaultLocale", head + [
        "PackageLocale: en-US"] + common + [
        "ShortDescription: " + yaml_text("Shows every Korean joint certificate (NPKI) on the PC and USB drives on one screen."),
    ])
    write_manifest(os.path.join(folder, f"{PACKAGE_ID}.locale.ko-KR.yaml"), "locale", head + [
        "PackageLocale: ko-KR"] + common + [
        "ShortDescription: " + yaml_text("PC와 USB 드라이브의 공동인증서를 한 화면에서 보고 관리하는 무료 프로그램"),
    ])


def main():
    p = argparse.ArgumentParser()
    for name in ("out", "version", "company", "host", "installer", "url", "sha256", "json-version",
                 "compiler-version", "runtime-version", "epoch"):
        p.add_argument("--" + name, required=True)
    a = p.parse_args()
    with open(os.path.join(a.out, f"Vessop-{a.version}.spdx.json"), "w", encoding="utf-8", newline="\n") as f:
        json.dump(sbom(a), f, ensure_ascii=False, indent=2)
        f.write("\n")
    winget(a)


if __name__ == "__main__":
    main()
