// The byte every stored resource byte is combined with by XOR. The packing
// tool and the library share it.
#pragma once

#include <vector>

constexpr unsigned char kResourceKey = 0xA7;

// Scrambles plain bytes into their stored form, or the stored form back:
// XOR with the key undoes itself.
inline void ToggleResourceKey(std::vector<unsigned char>& bytes)
{
    for (unsigned char& byte : bytes)
        byte ^= kResourceKey;
}
