#pragma once

// Lays out NPKI certificate trees for tests and benchmarks, usually inside a TempFolder (which removes
// everything afterwards). Paths use backslashes; missing parent folders are created.

#include <string>
#include <string_view>

// The bytes written as a dummy signPri.key: never parsed by anyone, only its existence counts.
inline constexpr std::string_view k_dummy_private_key = "not a key: test bytes only";

// Writes `folder`\signCert.der with `der`, plus signPri.key (dummy bytes) and kmCert.der (a second
// certificate from the DER writer) when asked. Returns false when a file could not be written.
bool write_certificate_folder(const std::wstring& folder, std::string_view der, bool with_key = true, bool with_km = false);

// Lays `root`\NPKI\`ca`\USER\`folder_name`\signCert.der (and companions) and returns that
// certificate folder; empty when a file could not be written.
std::wstring add_certificate(const std::wstring& root, std::wstring_view ca, std::wstring_view folder_name,
                             std::string_view der, bool with_key = true, bool with_km = false);

// Lays a certificate folder at `root`\`relative` ("a\\b\\c"), returning that folder, empty on failure.
std::wstring add_certificate_at(const std::wstring& root, std::wstring_view relative, std::string_view der,
                                bool with_key = true, bool with_km = false);

// The folder name NPKI software gives a certificate folder: its subject in reverse order, lower-case
// types, joined by commas ("cn=...,ou=...,o=yessign,c=kr"), for fixtures that want realistic names.
std::wstring npki_folder_name(std::string_view common_name, std::string_view organization = "yessign");
