// Keeping a file aside under a numbered name beside it, with a bounded
// number of such copies.
#pragma once

#include <string>

// Renames the file to "<path><suffix>", or "<path><suffix>-2", "-3", ...:
// one past the highest number already kept, so no copy is ever written
// over. Then removes the lowest-numbered copies until at most kept remain.
// Returns whether the file was renamed.
bool SetFileAside(const std::string& path, const std::string& suffix, int kept);
