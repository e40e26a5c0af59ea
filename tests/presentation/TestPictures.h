// Tiny PNG and JPEG pictures made in the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};
using PixelFunction = std::function<Rgb(uint32_t x, uint32_t y)>;

std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, const PixelFunction& pixel);
std::vector<uint8_t> MakeJpeg(uint32_t width, uint32_t height, const PixelFunction& pixel);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Four coloured quadrants: easy to recognise after rendering.
Rgb Quadrants(uint32_t x, uint32_t y, uint32_t width, uint32_t height);
