#include "FormatTools.h"

#include "OutsideTools.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <unistd.h>

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void ExpectHasAll(const std::string& text, const std::vector<std::string>& parts)
{
    for (const std::string& part : parts) EXPECT_TRUE(Has(text, part)) << "no \"" << part << "\" in:\n" << text;
}

std::string Tool(const std::string& program, const std::string& arguments)
{
    std::string missing = MissingTool(program);
    if (!missing.empty()) {
        ADD_FAILURE() << missing;
        return "";
    }
    ToolRun run = RunTool(program + " " + arguments + " 2>/dev/null");
    EXPECT_EQ(run.status, 0) << program << " " << arguments << ":\n" << run.output;
    return run.output;
}

namespace {

// Reads one header number of a netpbm file, skipping blanks and comments.
bool HeaderNumber(const std::string& bytes, size_t& at, int& value)
{
    while (at < bytes.size()) {
        if (bytes[at] == '#') {
            while (at < bytes.size() && bytes[at] != '\n') at++;
        } else if (isspace(static_cast<unsigned char>(bytes[at]))) {
            at++;
        } else {
            break;
        }
    }
    if (at >= bytes.size() || !isdigit(static_cast<unsigned char>(bytes[at]))) return false;
    value = 0;
    while (at < bytes.size() && isdigit(static_cast<unsigned char>(bytes[at])))
        value = value * 10 + (bytes[at++] - '0');
    return true;
}

}  // namespace

std::vector<Raster> ParsePnm(const std::string& bytes)
{
    std::vector<Raster> rasters;
    size_t at = 0;
    while (at + 2 <= bytes.size() && bytes[at] == 'P') {
        char kind = bytes[at + 1];
        if (kind != '4' && kind != '5' && kind != '6') break;
        at += 2;
        Raster r;
        int maxval = 1;
        if (!HeaderNumber(bytes, at, r.width) || !HeaderNumber(bytes, at, r.height)) break;
        if (kind != '4' && (!HeaderNumber(bytes, at, maxval) || maxval > 255)) break;
        at++;  // the single blank before the data
        size_t pixels = size_t(r.width) * r.height;
        size_t rowBytes = kind == '4' ? (size_t(r.width) + 7) / 8 : 0;
        size_t need = kind == '4' ? rowBytes * r.height : kind == '5' ? pixels : pixels * 3;
        if (at + need > bytes.size()) break;
        const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        for (size_t i = 0; i < pixels; i++) {
            if (kind == '6') {
                for (int c = 0; c < 3; c++) r.rgb.push_back(BYTE(data[3 * i + c] * 255 / maxval));
                continue;
            }
            BYTE level;
            if (kind == '5') {
                level = BYTE(data[i] * 255 / maxval);
            } else {
                size_t y = i / r.width, x = i % r.width;
                level = (data[y * rowBytes + x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
            }
            r.rgb.insert(r.rgb.end(), 3, level);
        }
        at += need;
        rasters.push_back(std::move(r));
    }
    return rasters;
}

Raster RasterOf(const CxImage& image)
{
    return RasterFromRgba(ExpectedRgba(image), int(image.GetWidth()), int(image.GetHeight()));
}

Raster RasterFromRgba(const std::vector<unsigned char>& rgba, int width, int height)
{
    Raster r;
    r.width = width;
    r.height = height;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) r.rgb.insert(r.rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    return r;
}
