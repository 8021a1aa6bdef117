#include "tests/support/npki_fixture.h"

#include "base/text.h"
#include "tests/support/der_writer.h"
#include "tests/support/temp_folder.h"

bool write_certificate_folder(const std::wstring& folder, std::string_view der, bool with_key, bool with_km)
{
    if (!make_folders(folder)) return false;
    if (!write_file(folder + L"\\signCert.der", der)) return false;
    if (with_key && !write_file(folder + L"\\signPri.key", k_dummy_private_key)) return false;
    if (with_km) {
        TestCertificate km;
        km.serial = std::string("\x7E\x01", 2);
        if (!write_file(folder + L"\\kmCert.der", make_certificate_der(km))) return false;
    }
    return true;
}

std::wstring add_certificate(const std::wstring& root, std::wstring_view ca, std::wstring_view folder_name,
                             std::string_view der, bool with_key, bool with_km)
{
    std::wstring relative = L"NPKI\\";
    relative += ca;
    relative += L"\\USER\\";
    relative += folder_name;
    return add_certificate_at(root, relative, der, with_key, with_km);
}

std::wstring add_certificate_at(const std::wstring& root, std::wstring_view relative, std::string_view der,
                                bool with_key, bool with_km)
{
    std::wstring folder = root;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    folder += relative;
    return write_certificate_folder(folder, der, with_key, with_km) ? folder : std::wstring();
}

std::wstring npki_folder_name(std::string_view common_name, std::string_view organization)
{
    std::string name = "cn=";
    name += common_name;
    name += ",ou=XYZ,ou=personal4IB,o=";
    name += organization;
    name += ",c=kr";
    return utf16_from_utf8(name);
}
