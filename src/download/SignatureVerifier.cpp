#include "download/SignatureVerifier.h"

#include "download/Sha256.h"

#include <cstring>

namespace velm {

SignatureVerifier::SignatureVerifier(const PublicKey& key) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(
            ::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
        return;
    }
    algorithm_.reset(algorithm);
    unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64] = {};
    BCRYPT_ECCKEY_BLOB header{};
    header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header.cbKey = 32;
    std::memcpy(blob, &header, sizeof(header));
    std::memcpy(blob + sizeof(header), key.data(), key.size());
    BCRYPT_KEY_HANDLE handle = nullptr;
    if (BCRYPT_SUCCESS(::BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle,
                                             blob, sizeof(blob), 0))) {
        key_.reset(handle);
    }
}

bool SignatureVerifier::Verify(std::string_view message, const Signature& signature) const {
    if (!key_) {
        return false;
    }
    Sha256::Digest digest{};
    if (!Sha256::OfBytes(message, digest)) {
        return false;
    }
    Signature copy = signature; // the call takes a non-const pointer
    return ::BCryptVerifySignature(key_.get(), nullptr, digest.data(),
                                   static_cast<ULONG>(digest.size()), copy.data(),
                                   static_cast<ULONG>(copy.size()), 0) == 0;
}

} // namespace velm
