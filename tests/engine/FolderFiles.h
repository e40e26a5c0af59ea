// The names of the files in a folder, for tests that check what a run left
// behind, a file's content, and folders with long paths.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// A file's whole content; empty when it cannot be read.
inline std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes folders under base so that the deepest one's path has exactly length
// characters, at least two more than base's (each name at most 200 long);
// returns that path.
inline std::string LongFolder(const std::string& base, std::size_t length)
{
    std::string path = base;
    while (path.size() < length) {
        std::size_t left = length - path.size();
        std::size_t name = std::min<std::size_t>(200, left - 1);
        if (left - 1 - name == 1) // never leave one character: a "/" alone names nothing
            --name;
        path += "/" + std::string(name, 'd');
    }
    std::filesystem::create_directories(path);
    return path;
}
