// Small pictures, streams and outside readers shared by the codec tests.
#pragma once

#include <string>
#include <vector>

#include "EncodeChecks.h"
#include "OutsideTools.h"
#include "image/CxImage.h"
#include "image/CxMemFile.h"

// A picture of the given depth whose every pixel differs from its
// neighbours: a colour gradient at 24 bits; at 1, 4 and 8 bits a palette of
// distinct colours (black and white at 1 bit) with indices (x + 3y) mod colours.
void Pattern(CxImage& image, DWORD width, DWORD height, DWORD bpp);

// Adds an alpha plane with alpha (x * 50 + y * 20) mod 256.
void AddAlpha(CxImage& image);

// Pattern, with an alpha plane when asked.
void Pattern(CxImage& image, DWORD width, DWORD height, DWORD bpp, bool alpha);

// Encodes through a memory stream and through Save into a file; expects the
// same bytes from both and returns them. The file stays at `path`.
std::vector<BYTE> EncodeBoth(CxImage& image, DWORD id, const std::string& path);

// The image's pixels as the imaging library would read them: top row first,
// red, green, blue and `alpha` (or the alpha plane's value when given -1).
std::vector<unsigned char> ExpectedRgbaWith(const CxImage& image, int alpha);

// Expects PIL to read the file at the image's size with exactly these
// pixels (as ExpectedRgbaWith gives them).
void ExpectPilPixels(const std::string& path, const CxImage& image,
                     const std::vector<unsigned char>& expected);

// Runs `command` (which names its input) piped into pamfile; the report, or
// a failure when the chain fails.
std::string ThroughPamfile(const std::string& command);

// Little-endian fields of a written file.
unsigned Le16(const std::vector<BYTE>& bytes, size_t at);
unsigned Le32(const std::vector<BYTE>& bytes, size_t at);

