// Helpers of the format tests: temporary paths, streams that fail, the
// netpbm rasters the outside tools print, and an image's expected pixels.
#pragma once

#include <string>
#include <vector>

#include "image/CxImage.h"
#include "image/CxMemFile.h"

#include "EncodeChecks.h"

// The whole content of a file, empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// Expects every part in the text (a tool's report), naming the missing ones.
void ExpectHasAll(const std::string& text, const std::vector<std::string>& parts);

// Standard output of an outside program that must be installed and must
// succeed; a failed expectation otherwise.
std::string Tool(const std::string& program, const std::string& arguments);

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
