// One conversion through the engine's exported calls, with the generated
// program measured on its way to the script control.
//   ConversionMemory <pdf> <out.ppt> [<folder>]
// Prints the result, the time, the peak resident memory, the program's size,
// the ratio of peak to program, and the peak and resident memory when the
// program was handed over. With a folder, the program is also saved
// there as program.vbs together with the pictures it names, so that it can
// be run again alone.
#include "bench/PeakMemory.h"
#include "engine/Corvane.h"
#include "engine/ScriptHost.h"
#include "engine/ScriptWriter.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

size_t g_programBytes = 0;
double g_peakBeforeProgram = 0;
double g_residentAtProgram = 0;
std::string g_keepFolder;

double ResidentMiB()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The program with every picture copied into the folder and named there.
std::string WithPicturesIn(const std::string& folder, std::string program)
{
    const std::string call = "Shapes.AddPicture \"";
    int copied = 0;
    for (size_t at = program.find(call); at != std::string::npos; at = program.find(call, at)) {
        size_t begin = at + call.size(), end = program.find('"', begin);
        if (end == std::string::npos)
            break;
        std::string copy = folder + "/picture" + std::to_string(++copied) + ".png";
        std::filesystem::copy_file(program.substr(begin, end - begin), copy,
                                   std::filesystem::copy_options::overwrite_existing);
        program.replace(begin, end - begin, copy);
        at = begin + copy.size();
    }
    return program;
}

int MeasuringRunner(const char* script)
{
    g_programBytes = std::strlen(script);
    g_peakBeforeProgram = PeakMiB();
    g_residentAtProgram = ResidentMiB();
    if (!g_keepFolder.empty()) {
        std::filesystem::create_directories(g_keepFolder);
        std::ofstream(g_keepFolder + "/program.vbs", std::ios::binary) << WithPicturesIn(g_keepFolder, script);
    }
    return RunScript(script);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <pdf> <out.ppt> [<folder>]\n", argv[0]);
        return 2;
    }
    if (argc > 3)
        g_keepFolder = argv[3];
    SetScriptRunner(MeasuringRunner);
    CorvaneSetup("");
    auto start = std::chrono::steady_clock::now();
    int result = Corvane(argv[1], argv[2], "");
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double programMiB = double(g_programBytes) / (1024.0 * 1024.0);
    double peak = PeakMiB();
    std::printf("result %d  time %.2f s  peak %.1f MiB  program %.2f MiB  peak/program %.1f\n"
                "  before the program: peak %.1f MiB, resident %.1f MiB\n",
                result, seconds, peak, programMiB, programMiB > 0 ? peak / programMiB : 0.0, g_peakBeforeProgram,
                g_residentAtProgram);
    return result == kCorvaneOk ? 0 : 1;
}
