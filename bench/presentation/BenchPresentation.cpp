// Builds a 200-slide presentation the way a converted document fills one:
// per slide a full-slide page picture read from its file and 20 text boxes
// of formatted runs, then saves it, and reports the time per slide.
//
//   bench_presentation [output.ppt] [slides]
#include "platform/presentation/PptFile.h"

#include <png.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace presentation;
using Clock = std::chrono::steady_clock;

// A page-sized picture: 1275 x 1650 pixels, like a letter page at 150 dpi.
static std::string writePagePicture(const std::string& path, uint32_t width, uint32_t height, uint8_t shade)
{
    FILE* file = fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(width * 3);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            bool line = (y % 40) < 2 || (x % 300) < 2;
            row[3 * x] = line ? 40 : 250, row[3 * x + 1] = line ? 40 : shade, row[3 * x + 2] = 240;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(file);
    return path;
}

static void addTextBoxes(Slide& slide, int page)
{
    for (int i = 0; i < 20; ++i) {
        auto shape = std::make_unique<Shape>(TextBoxShape{{60, float(60 + 75 * i), 1100, 40}, {}});
        TextBody& body = std::get<TextBoxShape>(*shape).body;
        std::string line = "Page " + std::to_string(page) + ", block " + std::to_string(i) +
                           ": the quick brown fox jumps over the lazy dog\r\nsecond line of the block";
        body.setText(std::u16string(line.begin(), line.end()));
        body.change(body.clip(1, 4), [](CharFormat& f) { f.bold = true, f.size = 24, f.fontName = u"Times New Roman"; });
        body.change(body.clip(20, 9), [](CharFormat& f) { f.italic = true, f.rgb = 0x2020C0; });
        slide.shapes.push_back(std::move(shape));
    }
}

int main(int argc, char** argv)
{
    std::string output = argc > 1 ? argv[1] : "bench-presentation.ppt";
    int slides = argc > 2 ? std::atoi(argv[2]) : 200;
    std::string folder = std::filesystem::temp_directory_path() / "bench-presentation";
    std::filesystem::create_directories(folder);

    std::vector<std::string> pictures;  // a distinct picture per page, as each page renders its own
    for (int i = 0; i < slides; ++i)
        pictures.push_back(writePagePicture(folder + "/page" + std::to_string(i) + ".png", 1275, 1650, uint8_t(i)));

    auto start = Clock::now();
    Presentation p;
    p.slideWidth = 1275;
    p.slideHeight = 1650;
    for (int i = 0; i < slides; ++i) {
        std::string error;
        auto picture = ReadPictureFile(pictures[size_t(i)], error);
        if (!picture) {
            fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        p.slides.push_back(std::make_unique<Slide>());
        size_t index = p.addPicture(std::move(*picture));
        p.slides.back()->shapes.push_back(std::make_unique<Shape>(PictureShape{{0, 0, 1275, 1650}, index}));
        addTextBoxes(*p.slides.back(), i + 1);
    }
    auto built = Clock::now();
    std::string error = SavePptFile(p, output);
    auto saved = Clock::now();
    if (!error.empty()) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    printf("%d slides, %zu bytes: build %.3f ms/slide, save %.3f ms/slide, total %.3f ms/slide\n", slides,
           size_t(std::filesystem::file_size(output)), ms(start, built) / slides, ms(built, saved) / slides,
           ms(start, saved) / slides);
    std::filesystem::remove_all(folder);
    return 0;
}
