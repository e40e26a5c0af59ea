// A path's folder and name, as the file calls take them. Only "/" separates.
#pragma once

#include <string>

// The folder that holds the path: "." for a bare name, "/" at the root.
std::string ContainingFolder(const std::string& path);

// The name after the last "/", or the whole path.
std::string NameInFolder(const std::string& path);
