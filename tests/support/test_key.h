#pragma once

// An RSA key made for one test run (CryptoAPI, never stored), to sign test certificates for real:
// the issuer check verifies signatures with Windows' own cryptography.

#include <string>
#include <string_view>

#include <windows.h>
#include <wincrypt.h>

class TestKey {
public:
    TestKey();  // a fresh 1024-bit key; throws when the provider cannot make one
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // The SubjectPublicKeyInfo (DER) of the key.
    std::string public_key_info() const;
    // The sha256WithRSAEncryption signature of `data`, as a certificate carries it (big-endian).
    std::string sign(std::string_view data) const;

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTKEY key_ = 0;
};
