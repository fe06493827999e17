// Numbers from the system's cryptographic generator, for names that nobody may foresee.
#pragma once

#include <windows.h>
#include <bcrypt.h>

#include <cstdint>

namespace velmora {

// Should the generator ever fail, the value still differs from call to call: every name drawn from
// it is also created exclusively, so a name someone guessed is never taken over.
inline std::uint64_t SystemRandom64() {
    std::uint64_t value = 0;
    if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&value), sizeof value,
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
        static std::uint64_t fallback = ::GetTickCount64();
        value = fallback = fallback * 6364136223846793005u + 1442695040888963407u;
    }
    return value;
}

}  // namespace velmora
