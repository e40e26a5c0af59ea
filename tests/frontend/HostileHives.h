// Pieces of registry files for tests that hand-make hostile ones.
#pragma once

#include <string>

inline std::string HiveHeader()
{
    return "vantrel registry 1\n";
}

// "name\name\..." depth names deep.
inline std::string NestedKeyPath(size_t depth, const std::string& name)
{
    std::string path;
    path.reserve(depth * (name.size() + 1));
    for (size_t i = 0; i < depth; ++i) {
        if (i)
            path += '\\';
        path += name;
    }
    return path;
}

// One key line naming a key depth levels down.
inline std::string NestedKeyLine(size_t depth, const std::string& name)
{
    return "K\t" + NestedKeyPath(depth, name) + "\n";
}
