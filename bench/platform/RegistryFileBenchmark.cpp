// Measures reading and writing the per-user registry file's text for files
// of 1, 2, 4, 8 and 15 MB, each half keys side by side and half values in
// one key.
//   RegistryFileBenchmark
// Prints the size, both times and MB/s, so that a time that grows faster
// than the file shows at once.
#include "platform/win32/RegistryHive.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

std::string MakeFile(size_t size)
{
    std::string text = "vantrel registry 1\n";
    for (int i = 0; text.size() < size / 2; ++i)
        text += "K\tk" + std::to_string(i) + "\n";
    text += "K\tsoftware\n";
    for (int i = 0; text.size() < size; ++i)
        text += "V\tv" + std::to_string(i) + "\t1\t7600\n";
    return text;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    std::printf("%10s %10s %10s %10s\n", "MB", "read s", "write s", "read MB/s");
    for (size_t megabytes : {1, 2, 4, 8, 15}) {
        std::string text = MakeFile(megabytes << 20);
        RegistryKey hive;
        auto start = std::chrono::steady_clock::now();
        if (ParseHive(text, hive) != HiveText::Ours) {
            std::fprintf(stderr, "RegistryFileBenchmark: the made file does not read\n");
            return 1;
        }
        double read = SecondsSince(start);
        start = std::chrono::steady_clock::now();
        std::string written = FormatHive(hive);
        double write = SecondsSince(start);
        std::printf("%10zu %10.3f %10.3f %10.1f\n", megabytes, read, write, double(text.size()) / (1 << 20) / read);
    }
    return 0;
}
