#include "ImageJudges.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

std::string JudgePath(const std::string& name, const std::string& extension)
{
    static int serial = 0;
    return testing::TempDir() + "judge_" + std::to_string(getpid()) + "_" + std::to_string(serial++) + "_" + name
        + "." + extension;
}

std::string TiffTag(const std::string& dump, int dir, const std::string& tag)
{
    size_t start = dump.find("Directory " + std::to_string(dir) + ":");
    if (start == std::string::npos) return "";
    size_t end = dump.find("Directory " + std::to_string(dir + 1) + ":", start);
    size_t at = dump.find("\n" + tag + " ", start);
    if (at == std::string::npos || at > end) return "";
    size_t open = dump.find('<', at);
    size_t close = dump.find(">\n", open);
    if (open == std::string::npos || close == std::string::npos) return "";
    return dump.substr(open + 1, close - open - 1);
}

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

int TiffPageCount(const std::string& path)
{
    std::string out = RunTool("tiffinfo '" + path + "' 2>/dev/null").output;
    int pages = 0;
    for (size_t at = out.find("TIFF Directory at offset"); at != std::string::npos;
         at = out.find("TIFF Directory at offset", at + 1))
        pages++;
    return pages;
}

StripLayout TiffStrips(const std::string& path)
{
    std::string out = RunTool("tiffinfo -s -0 '" + path + "' 2>/dev/null").output;
    StripLayout layout;
    size_t rows = out.find("Rows/Strip: ");
    if (rows != std::string::npos) layout.rowsPerStrip = unsigned(std::stoul(out.substr(rows + 12)));
    size_t strips = out.find(" Strips:\n");
    if (strips != std::string::npos) {
        size_t start = out.rfind('\n', strips) + 1;
        layout.strips = unsigned(std::stoul(out.substr(start, strips - start)));
    }
    return layout;
}

std::string TiffDump(const std::string& path)
{
    return RunTool("tiffdump '" + path + "' 2>&1").output;
}

std::vector<unsigned char> MagickRgba(const std::string& path)
{
    ToolRun run = RunTool("/usr/bin/convert '" + path + "[0]' -depth 8 rgba:- 2>/dev/null");
    if (run.status != 0) return {};
    return std::vector<unsigned char>(run.output.begin(), run.output.end());
}

std::string FirstDifference(const std::vector<unsigned char>& expected, const std::vector<unsigned char>& actual,
                            int width, int tolerance)
{
    if (expected.size() != actual.size())
        return "sizes differ: " + std::to_string(expected.size()) + " expected, " + std::to_string(actual.size());
    for (size_t i = 0; i < expected.size(); i += 4) {
        for (size_t k = 0; k < 4; k++) {
            if (std::abs(int(expected[i + k]) - int(actual[i + k])) > tolerance) {
                size_t pixel = i / 4;
                char text[200];
                snprintf(text, sizeof(text), "pixel (%zu, %zu) from the top: expected %d,%d,%d,%d got %d,%d,%d,%d",
                         pixel % width, pixel / width, expected[i], expected[i + 1], expected[i + 2],
                         expected[i + 3], actual[i], actual[i + 1], actual[i + 2], actual[i + 3]);
                return text;
            }
        }
    }
    return "";
}
