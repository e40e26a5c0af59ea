// Checks every encoder's tests share: temporary paths, refusals, and a
// stream that runs out of room.
#pragma once

#include <string>
#include <vector>

#include "image/CxImage.h"
#include "image/CxMemFile.h"

// A fresh path with the extension in the test's temporary folder.
std::string TempPath(const std::string& name, const std::string& extension);

// Whether the text holds the part.
bool Has(const std::string& text, const std::string& part);

// Expects the encode into a memory stream to succeed; the bytes written.
std::vector<BYTE> EncodeToMemory(CxImage& image, DWORD imagetype);

// Expects the encode to fail with the text and write nothing.
void ExpectRefused(CxImage& image, DWORD imagetype, const char* text);

// A memory stream like a disk that fills up at offset `room`: of a write,
// the whole items that fit below it are written and counted, byte by byte
// or in blocks.
class ShortFile : public CxMemFile {
public:
    explicit ShortFile(long room) : m_room(room) { Open(); }
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool PutC(unsigned char c) override;

private:
    long m_room;
};
