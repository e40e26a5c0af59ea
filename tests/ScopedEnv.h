// Sets an environment variable for the life of the guard, then restores its
// old value, or removes it again when it had none.
//   ScopedEnv tmpdir("TMPDIR", folder.c_str());
#pragma once

#include <cstdlib>
#include <string>

class ScopedEnv {
public:
    // A null value removes the variable.
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        old_ = old ? old : "";
        Set(value);
    }
    ~ScopedEnv() { Set(had_ ? old_.c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const char* value)
    {
        if (value)
            setenv(name_.c_str(), value, 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_;
    bool had_;
    std::string old_;
};
