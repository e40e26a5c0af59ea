// The byte every stored resource byte is combined with by XOR. The packing
// tool and the library share it.
#pragma once

constexpr unsigned char kResourceKey = 0xA7;
