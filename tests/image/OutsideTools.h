// Runs the outside programs that judge our PNG files: pngcheck, and
// Debian's python3 with its imaging library.
#pragma once

#include <string>
#include <vector>

#include "image/CxImage.h"
#include "tests/support/OutsidePrograms.h"

using ToolRun = CommandResult;

// Runs a shell command line and collects its standard output; each path in
// it goes through ShellQuote.
ToolRun RunTool(const std::string& command);

// Empty when the program is installed, else a message naming it.
std::string MissingTool(const std::string& program);

// A fresh path in the test's temporary folder.
std::string TempPngPath(const std::string& name);

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

// The picture as the imaging library reads it back.
struct ReadBack {
    bool ok = false;
    std::string error;
    std::string mode;             // the library's mode: "RGB", "P", "L", "LA", "RGBA", "1"
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;  // top row first, four bytes a pixel
};

ReadBack ReadWithPil(const std::string& path);

// The image's pixels in file order: top row first, red, green, blue, alpha
// (255 without an alpha plane).
std::vector<unsigned char> ExpectedRgba(const CxImage& image);
