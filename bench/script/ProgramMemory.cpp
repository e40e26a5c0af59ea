// Runs a saved generated program through the script control alone, with
// the presentation application behind it, and prints the time and the peak
// resident memory.
//   ProgramMemory <program.vbs>
#include "bench/PeakMemory.h"
#include "platform/com/Com.h"
#include "platform/script/ScriptControl.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool ReadProgram(const char* path, std::string& program)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    program.resize(size_t(in.tellg()));
    in.seekg(0);
    return bool(in.read(program.data(), std::streamsize(program.size())));
}

}  // namespace

int main(int argc, char** argv)
{
    std::string program;
    if (argc != 2 || !ReadProgram(argv[1], program) || program.empty()) {
        std::fprintf(stderr, "usage: %s <program.vbs>\n", argv[0]);
        return 2;
    }
    double programMiB = double(program.size()) / (1024.0 * 1024.0);
    double before = PeakMiB();
    CoInitialize(nullptr);
    _com_ptr_t<IScriptControl> control;
    if (FAILED(CoCreateInstance(CLSID_ScriptControl, nullptr, CLSCTX_ALL, IID_IScriptControl,
                                reinterpret_cast<void**>(&control))))
        return 1;
    control->put_Language(_bstr_t("VBScript"));
    control->put_Timeout(-1);
    auto start = std::chrono::steady_clock::now();
    HRESULT hr;
    {
        _bstr_t code(program.c_str());
        program = std::string();
        hr = control->AddCode(code);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    control = nullptr;
    CoUninitialize();
    double peak = PeakMiB();
    std::printf("%s  time %.2f s  peak %.1f MiB (%.1f MiB before the program)  program %.2f MiB  "
                "peak/program %.1f\n",
                SUCCEEDED(hr) ? "ok" : "FAILED", seconds, peak, before, programMiB, peak / programMiB);
    return SUCCEEDED(hr) ? 0 : 1;
}
