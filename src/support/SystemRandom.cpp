#include "SystemRandom.h"

#include "SystemLibrary.h"
#include "WinHandles.h"

#include <windows.h>

namespace {

using TBCryptGenRandom = LONG(WINAPI*)(void* algorithm, unsigned char* buffer, ULONG size,
                                       ULONG flags);
using TRtlGenRandom = BOOLEAN(WINAPI*)(void* buffer, ULONG size);
constexpr ULONG UseSystemPreferredRng = 0x2; // BCRYPT_USE_SYSTEM_PREFERRED_RNG

} // namespace

bool SystemRandomBytes(void* buffer, std::size_t size) {
    static const UniqueLibrary bcrypt(LoadSystemLibrary("bcrypt.dll"));
    static const UniqueLibrary advapi(LoadSystemLibrary("advapi32.dll"));
    const ULONG bytes = static_cast<ULONG>(size);
    if (const auto generate = LibraryFunction<TBCryptGenRandom>(bcrypt, "BCryptGenRandom");
        generate &&
        generate(nullptr, static_cast<unsigned char*>(buffer), bytes, UseSystemPreferredRng) >= 0)
        return true;
    const auto fallback = LibraryFunction<TRtlGenRandom>(advapi, "SystemFunction036");
    return fallback && fallback(buffer, bytes);
}
