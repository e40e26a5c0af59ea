#include "OutsideTools.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <unistd.h>

ToolRun RunTool(const std::string& command)
{
    return RunProgram({"/bin/sh", "-c", command}, ErrorOutput::Inherited);
}

std::string MissingTool(const std::string& program)
{
    ToolRun run = RunTool("command -v " + program + " >/dev/null 2>&1 && echo found");
    if (run.output.find("found") != std::string::npos) return "";
    return program + " is not installed; scripts/install-deps installs it";
}

std::string TempPngPath(const std::string& name)
{
    return testing::TempDir() + "png_" + std::to_string(getpid()) + "_" + name + ".png";
}

PilPicture PilDump(const std::string& path, const std::string& options)
{
    PilPicture picture;
    std::vector<std::string> command = {"/usr/bin/python3", TEST_SOURCE_DIR "/pil_dump.py", path};
    std::istringstream flags(options);
    for (std::string flag; flags >> flag;)
        command.push_back(flag);
    ToolRun run = RunProgram(command);
    const std::string& out = run.output;
    size_t newline = out.find('\n');
    if (run.status != 0 || newline == std::string::npos) {
        picture.error = "PIL could not read " + path + ": " + out.substr(out.size() > 600 ? out.size() - 600 : 0);
        return picture;
    }
    std::istringstream header(out.substr(0, newline));
    header >> picture.mode >> picture.width >> picture.height >> picture.frames;
    picture.bytes.assign(out.begin() + newline + 1, out.end());
    picture.ok = true;
    return picture;
}

ReadBack ReadWithPil(const std::string& path)
{
    ReadBack result;
    const std::string python = "/usr/bin/python3";
    if (access(python.c_str(), X_OK) != 0) {
        result.error = python + " is missing; scripts/install-deps installs python3-pil";
        return result;
    }
    PilPicture picture = PilDump(path);
    if (!picture.ok) {
        result.error = picture.error;
        return result;
    }
    result.mode = picture.mode;
    result.width = picture.width;
    result.height = picture.height;
    result.rgba = std::move(picture.bytes);
    if (result.rgba.size() != size_t(result.width) * result.height * 4) {
        result.error = "python3 returned " + std::to_string(result.rgba.size()) + " bytes";
        return result;
    }
    result.ok = true;
    return result;
}

std::vector<unsigned char> ExpectedRgba(const CxImage& image)
{
    std::vector<unsigned char> rgba;
    rgba.reserve(size_t(image.GetWidth()) * image.GetHeight() * 4);
    for (LONG y = LONG(image.GetHeight()) - 1; y >= 0; y--) {
        for (LONG x = 0; x < LONG(image.GetWidth()); x++) {
            RGBQUAD c = image.GetPixelColor(x, y, false);
            rgba.push_back(c.rgbRed);
            rgba.push_back(c.rgbGreen);
            rgba.push_back(c.rgbBlue);
            rgba.push_back(image.AlphaIsValid() ? image.AlphaGet(x, y) : 255);
        }
    }
    return rgba;
}
