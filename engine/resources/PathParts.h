// Splitting a path into its folder and its bare file name. Both "/" and
// "\\" end a folder here.
#pragma once

#include <string>

// Everything up to and including the last separator; empty when none.
std::string FolderOf(const std::string& path);

// The file name and extension after the last separator.
std::string BareName(const std::string& path);

// The folder with a "/" appended unless it already ends in a separator;
// an empty folder stays empty, so it never turns into the root.
std::string WithSeparator(std::string folder);
