// Outside judges of the transform and TIFF tests: Python's imaging library
// through pil_dump.py, and libtiff's own tools. ExpectedRgba (OutsideTools.h)
// gives an image's pixels in the order pil_dump.py prints them.
#pragma once

#include <string>
#include <vector>

#include "OutsideTools.h"
#include "image/CxImage.h"

// A picture as pil_dump.py prints it.
struct PilPicture {
    bool ok = false;
    std::string error;
    std::string mode;
    int width = 0;
    int height = 0;
    int frames = 0;
    std::vector<unsigned char> bytes;  // RGBA (or 16-bit samples), top row first
};

// options: pil_dump.py's flags, e.g. "--frame 2" or "--op FLIP_TOP_BOTTOM".
PilPicture PilDump(const std::string& path, const std::string& options = "");

// A fresh path in the test's temporary folder.
std::string JudgePath(const std::string& name, const std::string& extension);

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Directories tiffinfo finds in the file.
int TiffPageCount(const std::string& path);
// tiffdump's listing of the file.
std::string TiffDump(const std::string& path);
// The value tiffdump shows for a tag of directory dir, e.g. "2" for
// TiffTag(dump, 0, "Photometric (262)"), "1 3" for two values; "" when the
// directory lacks the tag.
std::string TiffTag(const std::string& dump, int dir, const std::string& tag);

// Where two RGBA pictures of the given width first differ, or "" when equal.
std::string FirstDifference(const std::vector<unsigned char>& expected, const std::vector<unsigned char>& actual,
                            int width);
