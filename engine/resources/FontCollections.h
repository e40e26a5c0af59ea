// TrueType collections in the fonts folder split into standalone fonts:
// "<collection name><index>.ttf" beside the collection, one per face.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What one collection may make us write. Real collections hold a few dozen
// faces; faces past this many are skipped.
constexpr uint64_t kMaxCollectionFaces = 256;
// A collection whose faces together would pass this is skipped whole, and so
// is one larger than this to read.
constexpr uint64_t kMaxCollectionBytes = uint64_t(1) << 30;

// Splits each "*.ttc" of the Windows fonts folder whose face file with
// index 0 is missing, unless an earlier split of the same unchanged file,
// in this process or an earlier one, could make no first face (kept in
// "<collection>.skipped" beside it). Returns the number of collections split.
int SplitFontCollections();

// Appends the full path of every regular file (no folder, pipe or device)
// matching the wildcard pattern; returns the list's size.
size_t FindFiles(const char* pattern, std::vector<std::string>& files);

// Writes the face files of the collection at path, each under a name of
// its own first, so no face is ever seen half-written, whoever else splits
// the collection at once. Face 0, which marks the collection as split, is
// written last, and only when every other face was put in place. Only a
// regular file is read. Cuts a ".ttc" ending (any letter case) off the
// caller's buffer. Returns 1 for a collection, face
// files written or not, 0 when the file cannot be read or is none. A face
// whose offsets, counts or lengths reach past the file, or whose file would be
// larger than the collection, is skipped; so are the faces past
// kMaxCollectionFaces. When the faces left would write more than
// kMaxCollectionBytes, none is written.
int SplitTrueTypeCollection(char* path);

// The TrueType table checksum: the sum of the big-endian 32-bit words over
// the length rounded up to 4, bytes past the length counting as zero.
uint32_t CalcTableChecksum(const unsigned char* table, uint32_t length);
