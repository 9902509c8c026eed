#include "download/Sha256.h"

#include <vector>

namespace velm {

Sha256::Sha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(
            ::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return;
    }
    algorithm_.reset(algorithm);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) {
        hash_.reset(hash);
    }
}

bool Sha256::Update(const void* data, std::size_t size) noexcept {
    if (!hash_) {
        return false;
    }
    auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    // CNG takes 32-bit lengths.
    while (size > 0) {
        ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        if (!BCRYPT_SUCCESS(::BCryptHashData(hash_.get(), bytes, piece, 0))) {
            return false;
        }
        bytes += piece;
        size -= piece;
    }
    return true;
}

bool Sha256::Finish(Digest& digest) noexcept {
    if (!hash_) {
        return false;
    }
    bool ok = BCRYPT_SUCCESS(
        ::BCryptFinishHash(hash_.get(), digest.data(), static_cast<ULONG>(digest.size()), 0));
    hash_.reset();
    return ok;
}

bool Sha256::OfBytes(std::string_view bytes, Digest& digest) {
    Sha256 hash;
    return hash.Update(bytes.data(), bytes.size()) && hash.Finish(digest);
}

bool Sha256::OfFile(const std::wstring& path, Digest& digest, std::uint64_t& size) {
    size = 0;
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return file && OfOpenFile(file.get(), digest, size);
}

bool Sha256::OfOpenFile(HANDLE file, Digest& digest, std::uint64_t& size) {
    size = 0;
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    Sha256 hash;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        if (!hash.Update(buffer.data(), got)) {
            return false;
        }
        size += got;
    }
    return hash.Finish(digest);
}

} // namespace velm
