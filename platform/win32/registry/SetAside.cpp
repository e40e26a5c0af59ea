#include "platform/win32/registry/SetAside.h"

#include "platform/win32/ContainingFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr long kHighestNumber = 999999999; // nine digits

std::string CopyName(const std::string& path, const std::string& suffix, long number)
{
    return path + suffix + (number == 1 ? std::string() : "-" + std::to_string(number));
}

// The copy's number from the entry's name after "<name><suffix>": nothing
// for 1, "-" and a number from 2 on, written without leading zeros; 0 when
// the rest is anything else.
long NumberOf(const std::string& rest)
{
    if (rest.empty())
        return 1;
    if (rest.size() < 2 || rest.size() > 10 || rest[0] != '-' || rest[1] == '0')
        return 0;
    long number = 0;
    for (size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] < '0' || rest[i] > '9')
            return 0;
        number = number * 10 + (rest[i] - '0');
    }
    return number >= 2 ? number : 0;
}

// rename(2) that fails with EEXIST instead of replacing a file at to.
bool RenameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a second link fails as well on a
    // name that is taken.
    if (link(from.c_str(), to.c_str()) != 0)
        return false;
    unlink(from.c_str());
    return true;
}

// The numbers of the copies now kept, lowest first ("<path><suffix>" is 1).
std::vector<long> KeptCopies(const std::string& path, const std::string& suffix)
{
    std::vector<long> numbers;
    const std::string prefix = NameInFolder(path) + suffix;
    DIR* folder = opendir(ContainingFolder(path).c_str());
    if (!folder)
        return numbers;
    while (const dirent* entry = readdir(folder)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (long number = NumberOf(name.substr(prefix.size())))
            numbers.push_back(number);
    }
    closedir(folder);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace

bool SetFileAside(const std::string& path, const std::string& suffix, int kept)
{
    std::vector<long> numbers = KeptCopies(path, suffix);
    long next = numbers.empty() ? 1 : numbers.back() + 1;
    bool moved = false;
    for (int tries = 0; !moved && tries < 10 && next <= kHighestNumber; ++tries, ++next) {
        moved = RenameWithoutReplacing(path, CopyName(path, suffix, next));
        if (!moved && errno != EEXIST)
            return false;
    }
    if (!moved)
        return false;
    numbers = KeptCopies(path, suffix);
    for (size_t i = 0; i + size_t(kept) < numbers.size(); ++i)
        unlink(CopyName(path, suffix, numbers[i]).c_str());
    return true;
}
