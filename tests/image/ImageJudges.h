// Outside judges of the transform and TIFF tests: libtiff's own tools, beside
// Python's imaging library (PilDump, OutsideTools.h).
#pragma once

#include <string>
#include <vector>

#include "OutsideTools.h"
#include "image/CxImage.h"

// A fresh path in the test's temporary folder.
std::string JudgePath(const std::string& name, const std::string& extension);

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Directories tiffinfo finds in the file.
int TiffPageCount(const std::string& path);
// The strips of directory 0 as `tiffinfo -s` lists them; zeros when it
// cannot read the file.
struct StripLayout {
    unsigned rowsPerStrip = 0;
    unsigned strips = 0;
};
StripLayout TiffStrips(const std::string& path);
// tiffdump's listing of the file.
std::string TiffDump(const std::string& path);
// The value tiffdump shows for a tag of directory dir, e.g. "2" for
// TiffTag(dump, 0, "Photometric (262)"), "1 3" for two values; "" when the
// directory lacks the tag.
std::string TiffTag(const std::string& dump, int dir, const std::string& tag);

// ImageMagick's reading of the file (of its first page): RGBA bytes at 8
// bits, top row first; empty when it cannot read it.
std::vector<unsigned char> MagickRgba(const std::string& path);

// Where two RGBA pictures of the given width first differ by more than
// tolerance levels, or "" when they agree.
std::string FirstDifference(const std::vector<unsigned char>& expected, const std::vector<unsigned char>& actual,
                            int width, int tolerance = 0);
