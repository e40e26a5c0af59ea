// Measures reading and writing the per-user registry file.
//   RegistryFileBenchmark
// First the text alone, for files of 1 MiB up to the size limit that the
// reader takes whole (keys side by side and values in one key, as many as a
// file may hold, the rest value data), then hostile shapes: short key names
// nested 512 deep, at 1 MiB, at the size limit and at 16 MiB. Then a settings load (the keys
// of the desktop program created, eleven values read, inside one change
// scope) and a save of nine values, over each shape. Each case runs in a
// process of its own and prints its CPU time and its peak memory, so that a
// cost that grows faster than the file shows at once.
#include "bench/PeakMemory.h"
#include "platform/win32/registry/Registry.h"
#include "platform/win32/registry/RegistryChangeScope.h"
#include "platform/win32/registry/RegistryHive.h"
#include "platform/win32/registry/SharedFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kHeader[] = "vantrel registry 1\n";

// Keys side by side, then values in one key, as many of each as a file may
// hold or as fit, their data filling the file to size.
std::string AcceptedFile(size_t size)
{
    const size_t entries = std::min({size / 40, kMaxHiveKeys - 1, kMaxHiveValues});
    std::string text = kHeader;
    for (size_t i = 0; i < entries; ++i)
        text += "K\tk" + std::to_string(i) + "\n";
    text += "K\tsoftware\n";
    const size_t dataDigits = ((size - text.size()) / entries) & ~size_t(1);
    for (size_t i = 0; i < entries; ++i) {
        std::string line = "V\tv" + std::to_string(i) + "\t3\t" + std::string(dataDigits > 16 ? dataDigits - 16 : 2, 'a');
        if (text.size() + line.size() + 1 > size)
            break;
        text += line + "\n";
    }
    return text;
}

// Lines of 512 one-letter names, each line's first name new: every name a
// new key. No larger than size.
std::string DenseFile(size_t size)
{
    std::string text = kHeader, line;
    const char letters[] = "abcdefghijklmnopqrstuvwxyz";
    for (size_t number = 0;; ++number) {
        line = "K\t" + std::to_string(number);
        for (size_t depth = 1; depth < kMaxKeyDepth; ++depth)
            line += std::string("\\") + letters[depth % 26];
        line += "\n";
        if (text.size() + line.size() > size)
            return text;
        text += line;
    }
}

// A file of ours just under the size limit, one value of padding, none of
// the program's keys: every key the load creates is refused.
std::string FullFile()
{
    std::string text = std::string(kHeader) + "K\tsoftware\\pad\nV\tpp\t3\t";
    text.resize(kSharedFileMaxSize - 9 - (kSharedFileMaxSize - 9 - text.size()) % 2, 'a');
    return text + "\n";
}

// CPU seconds of this process: steadier than the clock on a busy machine.
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double SecondsSince(double start)
{
    return CpuSeconds() - start;
}

// Runs the case in a child, which prints one line.
void InChild(const std::function<void()>& run)
{
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        run();
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

const char* Outcome(HiveText text)
{
    return text == HiveText::Ours ? "ours" : text == HiveText::Damaged ? "damaged" : "foreign";
}

using Shape = std::function<std::string()>;

// The file is made in the child: pages it shares with the parent would be
// copied at the first write and counted to the reading.
void MeasureText(const std::string& shape, const Shape& make)
{
    InChild([&] {
        const std::string text = make();
        RegistryKey hive;
        double start = CpuSeconds();
        HiveText outcome = ParseHive(text, hive);
        double read = SecondsSince(start);
        start = CpuSeconds();
        std::string written = FormatHive(hive);
        double write = SecondsSince(start);
        std::printf("%-30s %8.1f %9s %11.3f %11.3f %9.0f\n", shape.c_str(), double(text.size()) / (1 << 20), Outcome(outcome),
                    read, write, PeakMiB());
    });
}

HKEY CreateKey(const char* path)
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, 0x2001F, nullptr, &key, nullptr);
    return key;
}

// What the desktop program's load does: the four keys, eleven reads.
void LoadSettings()
{
    RegistryChangeScope scope;
    for (int read = 0; read < 11; ++read) {
        HKEY key = CreateKey("software\\Norvik\\Slidemint\\Settings");
        DWORD size = 0;
        RegQueryValueExA(key, "OutputFolder", nullptr, nullptr, nullptr, &size);
        RegCloseKey(key);
    }
}

void SaveNineValues()
{
    RegistryChangeScope scope;
    HKEY key = CreateKey("software\\Norvik\\Slidemint\\Settings");
    for (int value = 0; value < 9; ++value) {
        DWORD data = DWORD(value);
        std::string name = "Value" + std::to_string(value);
        RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    }
    RegCloseKey(key);
}

void MeasureSettings(const std::string& shape, const Shape& make, const std::string& path)
{
    InChild([&] {
        std::string text = make();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        const double size = double(text.size()) / (1 << 20);
        std::string().swap(text);
        double start = CpuSeconds();
        LoadSettings();
        double load = SecondsSince(start);
        start = CpuSeconds();
        SaveNineValues();
        double save = SecondsSince(start);
        std::printf("%-30s %8.1f %11.3f %11.3f %9.0f\n", shape.c_str(), size, load, save, PeakMiB());
        unlink(path.c_str());
        for (const char* leftover : {".damaged", ".lock"})
            unlink((path + leftover).c_str());
    });
}

} // namespace

int main()
{
    char folder[] = "/tmp/RegistryFileBenchmark-XXXXXX";
    if (!mkdtemp(folder)) {
        std::fprintf(stderr, "RegistryFileBenchmark: no scratch folder\n");
        return 1;
    }
    const std::string path = std::string(folder) + "/registry";
    setenv("VANTREL_REGISTRY", path.c_str(), 1);

    std::printf("%-30s %8s %9s %11s %11s %9s\n", "text", "MB", "reads as", "read cpu s", "write cpu s", "peak MiB");
    for (size_t megabytes : {1, 2, 3})
        MeasureText("accepted, " + std::to_string(megabytes) + " MiB", [=] { return AcceptedFile(megabytes << 20); });
    MeasureText("accepted, at the limit", [=] { return AcceptedFile(kSharedFileMaxSize); });
    MeasureText("dense, 512 deep, 1 MiB", [=] { return DenseFile(1 << 20); });
    MeasureText("dense, 512 deep, at the limit", [=] { return DenseFile(kSharedFileMaxSize); });
    MeasureText("dense, 512 deep, 16 MiB", [=] { return DenseFile(16 << 20); });

    std::printf("\n%-30s %8s %11s %11s %9s\n", "settings", "MB", "load cpu s", "save cpu s", "peak MiB");
    MeasureSettings("accepted, 1 MiB", [=] { return AcceptedFile(1 << 20); }, path);
    MeasureSettings("accepted, at the limit", [=] { return AcceptedFile(kSharedFileMaxSize); }, path);
    MeasureSettings("dense, 512 deep, 1 MiB", [=] { return DenseFile(1 << 20); }, path);
    MeasureSettings("dense, 512 deep, at the limit", [=] { return DenseFile(kSharedFileMaxSize); }, path);
    MeasureSettings("dense, 512 deep, 16 MiB", [=] { return DenseFile(16 << 20); }, path);
    MeasureSettings("at the limit, no keys", [=] { return FullFile(); }, path);
    rmdir(folder);
    return 0;
}
