// The table of resources carried inside the engine library: the PDF core's
// configuration "rc" and its language-support files, each stored as a zlib
// stream scrambled by XOR with one key byte.
#pragma once

#include <cstdint>
#include <vector>

struct ResourceEntry {
    const char* name;       // bare file name
    uint32_t size;          // stored bytes
    const unsigned char* data;
};

constexpr int kResourceCount = 22;

extern ResourceEntry resourceTable[kResourceCount];

// Fills every row from the stored form: a 32-bit little-endian length, a
// 32-bit 0, then the stored bytes. Runs once when the library loads.
void InitResourceTable();

// Expands the row whose name equals the bare file name of the given name,
// ignoring ASCII case, into the output. Returns the expanded size; 0 when
// there is no such row, the row is empty or nothing expands.
uint32_t LoadEmbeddedResource(const char* name, std::vector<unsigned char>& output);

// Inflates a zlib stream into the output (cleared first) in 1024-byte steps;
// returns the output size. Data after an error is what came before it.
uint32_t InflateResource(const std::vector<unsigned char>& input, std::vector<unsigned char>& output);
