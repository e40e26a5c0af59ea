// Time of reading a long page-range text, as a settings file can hold one.
//   PageRangeBenchmark [megabytes]      (default 4)
// Prints the time for several sizes up to the one given, so that a time that
// grows faster than the text shows at once.
#include "engine/Corvane.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Numbers, ranges and every separator the page-range text takes.
std::string RangeText(size_t bytes)
{
    const std::string pieces[] = {"1, 3", " to 7; ", "12_15.", "20~22", ",  30 - 31 ", "TO9,"};
    std::string text;
    text.reserve(bytes + 16);
    for (size_t i = 0; text.size() < bytes; ++i)
        text += pieces[i % 6];
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 4;
    for (double size = megabytes / 8; size <= megabytes * 1.001; size *= 2) {
        std::string text = RangeText(size_t(size * 1024 * 1024));
        auto start = std::chrono::steady_clock::now();
        CorvaneSetup(text.c_str());
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%.2f MB page range: %.3f s\n", size, seconds);
    }
    CorvaneSetup("");
    return 0;
}
