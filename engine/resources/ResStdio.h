// The stdio layer under the PDF core's file reads: seven stand-ins for the
// C runtime's calls. A handle is either a real runtime stream or a
// MemoryStream holding one embedded resource, told apart by the tag.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

constexpr uint32_t kMemoryStreamTag = 0xAABBCCDD;

// The most of a data file (the font map, the core's configuration and each
// language file it names) that is read through the layer: the largest is a
// few hundred KB. A larger file is none of ours, and one without end must
// not hold the reader.
constexpr size_t kMaxDataFileBytes = size_t(1) << 20;

struct MemoryStream {
    uint32_t tag = 0; // first, so a FILE* can be tested for it; set once loaded
    std::vector<unsigned char> data;
    uint32_t pos = 0; // may lie beyond the end after a seek
};

// Mode exactly "r" or "rb": an embedded resource of the same bare name, if
// any, as a MemoryStream. Otherwise the real file that OpenResourceFile
// finds. Null when nothing opens.
FILE* res_fopen(const char* name, const char* mode);
int res_fclose(FILE* stream);
long res_ftell(FILE* stream);
// On a memory stream: whence 0 from the start, 2 from the end, any other
// value from the current position; no bound checked; returns the new
// position.
int res_fseek(FILE* stream, long offset, int whence);
// As the runtime's: copies what is asked or what is left, and returns the
// number of whole elements copied.
size_t res_fread(void* buffer, size_t size, size_t count, FILE* stream);
int res_fgetc(FILE* stream);
// On a memory stream: steps back one byte and returns c; the buffer keeps
// its byte.
int res_ungetc(int c, FILE* stream);

// The memory stream behind the handle, or null for a runtime stream.
MemoryStream* AsMemoryStream(FILE* stream);
