// TIFF files built byte by byte in the tests: a little-endian classic TIFF
// with one directory.
#pragma once

#include <cstdint>
#include <vector>

#include "image/CxImage.h"

enum : WORD { kShort = 3, kLong = 4 };

struct Entry {
    WORD tag;
    WORD type;
    std::vector<uint32_t> values;
};

// Header, the pixel bytes at offset 8, then one IFD whose entries come in
// the order given, then values that do not fit in an entry. nextIfd is the
// IFD's link to the next one (1: a loop to itself).
std::vector<BYTE> BuildTiff(const std::vector<Entry>& entries, const std::vector<BYTE>& pixels, uint32_t nextIfd = 0);

// The entries of an uncompressed grey page of width x height whose one
// strip starts at offset 8, with the given changes (a tag given replaces
// the page's own), sorted by tag.
std::vector<Entry> GreyPage(uint32_t width, uint32_t height, std::vector<Entry> changes = {});

// Bytes as zlib (Deflate, compression 8) codes them.
std::vector<BYTE> Deflated(const std::vector<BYTE>& bytes);

// Rows of rowBytes bytes coded as Deflate strips of rowsPerStrip rows, laid
// one after another from offset 8: their bytes and their StripOffsets and
// StripByteCounts entries.
struct CodedStrips {
    std::vector<BYTE> bytes;
    Entry offsets, counts;
};
CodedStrips DeflateStrips(const std::vector<BYTE>& rows, size_t rowBytes, uint32_t rowsPerStrip);
