// A module named "Pelmora.dll" loaded from a folder makes that folder the
// engine's program folder while the object lives. Any small shared object
// serves as its body; tests give its path as ZLIB_SHARED_OBJECT.
#pragma once

#include <dlfcn.h>
#include <filesystem>
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
