#include "app/updater/signature.h"

#include "base/text.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

std::optional<std::string> signer_name_of(std::wstring_view name)
{
    if (name.find(L'\0') != std::wstring_view::npos) return std::nullopt;
    return utf8_from_utf16(name);
}

std::optional<std::string> trusted_signer_name(const Path& file)
{
    WINTRUST_FILE_INFO file_info{};
    file_info.cbStruct = sizeof(file_info);
    file_info.pcwszFilePath = file.c_str();  // no file handle, no known subject

    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file_info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG trust = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

    std::optional<std::string> name;
    if (trust == 0) {
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        if (signer && signer->csCertChain > 0 && signer->pasCertChain && signer->pasCertChain[0].pCert) {
            // Asked for its size first: the count returned covers the whole name, NULs inside included.
            const PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
            const DWORD size = CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
            if (size > 1) {
                std::wstring buffer(size, L'\0');
                const DWORD written = CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                                                         buffer.data(), size);
                if (written > 1 && written <= size) name = signer_name_of(std::wstring_view(buffer.data(), written - 1));
            }
        }
    }
    // Whatever the verdict: the state the first call made is released by a second one.
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return name;
}

bool signed_by_maker(const Path& file)
{
    const std::optional<std::string> signer = trusted_signer_name(file);
    return signer && *signer == k_required_signer;
}
