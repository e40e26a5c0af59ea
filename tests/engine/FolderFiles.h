// The names of the files in a folder, for tests that check what a run left
// behind.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

inline std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}
