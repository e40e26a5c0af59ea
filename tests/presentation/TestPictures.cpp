#include "tests/presentation/TestPictures.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <stdexcept>

static void appendToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, const PixelFunction& pixel)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("libpng failed");
    png_set_write_fn(png, &out, appendToVector, nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(width * 3);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            Rgb c = pixel(x, y);
            row[3 * x] = c.r, row[3 * x + 1] = c.g, row[3 * x + 2] = c.b;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> MakeJpeg(uint32_t width, uint32_t height, const PixelFunction& pixel)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(width * 3);
    while (cinfo.next_scanline < height) {
        for (uint32_t x = 0; x < width; ++x) {
            Rgb c = pixel(x, cinfo.next_scanline);
            row[3 * x] = c.r, row[3 * x + 1] = c.g, row[3 * x + 2] = c.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Rgb Quadrants(uint32_t x, uint32_t y, uint32_t width, uint32_t height)
{
    bool right = x >= width / 2, bottom = y >= height / 2;
    if (!right && !bottom) return {220, 30, 30};
    if (right && !bottom) return {30, 200, 40};
    if (!right) return {20, 40, 210};
    return {240, 220, 30};
}
