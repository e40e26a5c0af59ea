#include "frontend/DefaultOpener.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

constexpr char kOpenerName[] = "xdg-open";

bool IsExecutableFile(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), X_OK) == 0;
}

// PATH as the process has it; the system's default when it has none.
std::string SearchPath() {
    if (const char* path = std::getenv("PATH"))
        return path;
    size_t size = confstr(_CS_PATH, nullptr, 0);
    std::string path(size, '\0');
    confstr(_CS_PATH, path.data(), size);
    path.resize(size > 0 ? size - 1 : 0);
    return path;
}

}  // namespace

// An empty entry would mean the current folder: never searched.
std::string FindOpener() {
    const std::string path = SearchPath();
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start) {
            std::string candidate = path.substr(start, end - start) + "/" + kOpenerName;
            if (IsExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return "";
}

bool StartOpener(const std::string& target) {
    const std::string opener = FindOpener();
    if (opener.empty())
        return false;
    std::string first = opener, second = target;
    char* argv[] = {first.data(), second.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, opener.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}
