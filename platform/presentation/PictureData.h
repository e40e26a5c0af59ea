// A picture file read into memory: its bytes, kind, pixel size and digest.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace presentation {

enum class PictureKind { Png, Jpeg };

struct PictureData {
    PictureKind kind = PictureKind::Png;
    std::vector<uint8_t> bytes;
    uint32_t width = 0;
    uint32_t height = 0;
    std::array<uint8_t, 16> digest{};  // MD5 of the bytes: the picture's id in the file
};

// Recognises PNG and JPEG by their headers; nullopt with a message otherwise.
std::optional<PictureData> PictureFromBytes(std::vector<uint8_t> bytes, std::string& error);
std::optional<PictureData> ReadPictureFile(const std::string& path, std::string& error);

} // namespace presentation
