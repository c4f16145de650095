#pragma once
// The system's random bytes, for names and ids nobody may guess or answer in advance.

#include <cstddef>

// Fills size bytes at buffer from BCryptGenRandom (bcrypt.dll), or where that fails from
// RtlGenRandom (SystemFunction036 of advapi32.dll); false when neither gives them.
bool SystemRandomBytes(void* buffer, std::size_t size);
