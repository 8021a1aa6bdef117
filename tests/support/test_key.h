#pragma once

// An RSA key to sign test certificates for real (CryptoAPI): the issuer check verifies signatures with
// Windows' own cryptography. Either made for one test run and never stored, or the fixtures' fixed key.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>
#include <string>
#include <string_view>

#include <windows.h>
#include <wincrypt.h>

class TestKey {
public:
    TestKey();  // a fresh 1024-bit key; throws when the provider cannot make one
    // The fixtures' fixed key (tests/support/fixture_key.cpp), the same in every process.
    static TestKey fixture();
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // The SubjectPublicKeyInfo (DER) of the key.
    std::string public_key_info() const;
    // The sha256WithRSAEncryption signature of `data`, as a certificate carries it (big-endian).
    std::string sign(std::string_view data) const;

    // A revocation list signed with this key (sha256WithRSAEncryption): `issuer` is the DER of the
    // issuer's Name; each entry's serial is most significant byte first, its reason a CRLReason code.
    struct ListEntry {
        std::string serial;
        int64_t revoked_at = 0;
        std::optional<int> reason;
    };
    std::string sign_list(std::string_view issuer, int64_t this_update, int64_t next_update,
                          const std::vector<ListEntry>& entries) const;

private:
    struct FromBlob {};
    TestKey(FromBlob, const unsigned char* blob, size_t size);
    HCRYPTPROV provider_ = 0;
    HCRYPTKEY key_ = 0;
};
