// Owned handles of the system's cryptography (CNG).
#pragma once

#include "base/Handles.h"

#include <windows.h>

#include <bcrypt.h>

namespace velm {
namespace traits {
struct CngAlgorithm {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct CngHash {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::BCryptDestroyHash(h); }
};
struct CngKey {
    using Handle = BCRYPT_KEY_HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::BCryptDestroyKey(h); }
};
} // namespace traits

using UniqueCngAlgorithm = Unique<traits::CngAlgorithm>;
using UniqueCngHash = Unique<traits::CngHash>;
using UniqueCngKey = Unique<traits::CngKey>;

} // namespace velm
