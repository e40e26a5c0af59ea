// What a load of the engine leaves under the temporary path while it runs:
// its per-load folder, marked with the id of its process, holding the
// core's language data and a link to each page picture made beside the
// folder. A load killed while it converts leaves them all behind; a later
// load finds the process gone and removes them.
#pragma once

#include <string>

// Marks the per-load folder (given with its trailing "/") as this
// process's, unless it is marked so already; false when it cannot be.
bool MarkLoadFolder(const std::string& folder);

// Removes this process's mark from the folder.
void UnmarkLoadFolder(const std::string& folder);

// Links the picture, made beside the folder, into the folder under its own
// name, so that a later load knows it for this load's; false when it
// cannot be linked (another disk, say).
bool MarkPicture(const std::string& folder, const std::string& picture);

// Removes the picture's link from the folder.
void UnmarkPicture(const std::string& folder, const std::string& picture);

// Removes, under the temporary path (with its trailing "/"), the folders of
// loads whose process is gone: their language data, the pictures they link
// (the very files, never another file made since under the same name) and
// their links. A folder not marked by a load, another user's or a live
// process's is never touched, nor is one that holds anything a load does
// not make.
void RemoveDeadLoadsLeftovers(const std::string& tempPath);
