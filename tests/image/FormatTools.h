// Helpers of the format tests: temporary paths, streams that fail, the
// netpbm rasters the outside tools print, and an image's expected pixels.
#pragma once

#include <string>
#include <vector>

#include "image/CxImage.h"
#include "image/CxMemFile.h"

// A fresh path with the extension in the test's temporary folder.
std::string TempPath(const std::string& name, const std::string& extension);

// The whole content of a file, empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// Whether the text holds the part.
bool Has(const std::string& text, const std::string& part);

// Expects every part in the text (a tool's report), naming the missing ones.
void ExpectHasAll(const std::string& text, const std::vector<std::string>& parts);

// Expects the encode to fail with the text and write nothing.
void ExpectRefused(CxImage& image, DWORD imagetype, const char* text);

// Standard output of an outside program that must be installed and must
// succeed; a failed expectation otherwise.
std::string Tool(const std::string& program, const std::string& arguments);

// A memory stream that takes bytes only below offset `room`; writes past it
// fail, byte by byte or in blocks.
class ShortFile : public CxMemFile {
public:
    explicit ShortFile(long room) : m_room(room) { Open(); }
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool PutC(unsigned char c) override;

private:
    long m_room;
};

// One picture as red-green-blue triples, top row first.
struct Raster {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    bool operator==(const Raster&) const = default;
};

// The rasters of netpbm output (P4, P5 or P6, one after another); stops at
// the first thing it cannot parse.
std::vector<Raster> ParsePnm(const std::string& bytes);

// The image's own pixels as a Raster.
Raster RasterOf(const CxImage& image);

// The rasters from RGBA bytes, dropping the alpha.
Raster RasterFromRgba(const std::vector<unsigned char>& rgba, int width, int height);
