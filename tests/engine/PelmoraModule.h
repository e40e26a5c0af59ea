// A module named "Pelmora.dll" loaded from a folder makes that folder the
// engine's program folder while the object lives. Any small shared object
// serves as its body; tests give its path as ZLIB_SHARED_OBJECT.
#pragma once

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class PelmoraModule {
public:
    explicit PelmoraModule(const std::string& folder)
    {
        std::filesystem::copy_file(ZLIB_SHARED_OBJECT, folder + "/Pelmora.dll");
        handle_ = dlopen((folder + "/Pelmora.dll").c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    ~PelmoraModule()
    {
        if (handle_)
            dlclose(handle_);
    }
    PelmoraModule(const PelmoraModule&) = delete;
    PelmoraModule& operator=(const PelmoraModule&) = delete;

    bool Loaded() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

// A file's whole content; empty when it cannot be read.
inline std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
