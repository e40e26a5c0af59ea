// The PDF core's language data, laid out in a private folder as the core
// expects it (nameToUnicode/, cidToUnicode/, unicodeMap/, cMap/), from the
// bindings of the embedded configuration "rc".
#pragma once

#include <string>
#include <vector>

// One binding of "rc": a kind ("nameToUnicode", "cidToUnicode",
// "unicodeMap" or "cMapDir"), the name it binds (a collection or an
// encoding; the file's own name for nameToUnicode) and the resource file
// (empty for cMapDir).
struct CoreDataBinding {
    std::string kind;
    std::string name;
    std::string file;
};

// The bindings of the configuration read through the stdio layer from the
// path given (its bare name is what counts). Blank lines, lines starting
// with "#" and lines of an unknown kind or with missing fields are skipped.
// A file larger than kMaxDataFileBytes binds nothing.
std::vector<CoreDataBinding> ReadCoreConfiguration(const std::string& path);

// The folder that holds a collection's CMaps: "Resource/CMap" beside the
// program when it exists, else the system's CMaps of that collection, else
// empty.
std::string CMapFolder(const std::string& collection);

// Writes every bound file, read through the stdio layer, under folder (made
// when missing) and links each cMapDir collection to its CMap folder.
// Returns the number of bindings served (one whose source is missing or
// larger than kMaxDataFileBytes is passed over), or -1 when a folder, file or link cannot be written there:
// the disk is full, say. Files already there are replaced.
int PrepareCoreDataFolder(const std::string& folder);

// Removes the folder and everything in it; links are removed, never
// followed.
void RemoveCoreDataFolder(const std::string& folder);
