#include "base/sha256.h"

#include "base/handle.h"

#include <windows.h>
#include <bcrypt.h>

namespace {

void close_algorithm(BCRYPT_ALG_HANDLE h) { BCryptCloseAlgorithmProvider(h, 0); }
using AlgTraits = NullHandleTraits<BCRYPT_ALG_HANDLE, &close_algorithm>;
using HashTraits = NullHandleTraits<BCRYPT_HASH_HANDLE, &::BCryptDestroyHash>;

}  // namespace

std::optional<std::array<uint8_t, 32>> sha256(std::span<const uint8_t> bytes)
{
    // Opening the provider is the expensive step and its handle may be shared between threads, so it
    // is opened once per process (a scan hashes thousands of certificates) and kept until exit.
    static const UniqueHandle<AlgTraits> alg = [] {
        UniqueHandle<AlgTraits> opened;
        if (BCryptOpenAlgorithmProvider(opened.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) opened.reset();
        return opened;
    }();
    if (!alg) return std::nullopt;
    UniqueHandle<HashTraits> hash;
    if (BCryptCreateHash(alg.get(), hash.put(), nullptr, 0, nullptr, 0, 0) < 0) return std::nullopt;
    // BCryptHashData takes a ULONG length: feed larger inputs in pieces.
    constexpr size_t k_chunk = size_t{1} << 30;
    for (size_t at = 0; at < bytes.size(); at += k_chunk) {
        size_t n = bytes.size() - at < k_chunk ? bytes.size() - at : k_chunk;
        if (BCryptHashData(hash.get(), const_cast<PUCHAR>(bytes.data() + at), static_cast<ULONG>(n), 0) < 0)
            return std::nullopt;
    }
    std::array<uint8_t, 32> digest{};
    if (BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0) < 0) return std::nullopt;
    return digest;
}
