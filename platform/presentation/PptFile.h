// Saves a presentation as a binary presentation file: the streams go into
// an OLE2 compound file written to a temporary file beside the target, which
// is then renamed into place, so a failed save leaves the target as it was.
#pragma once

#include "platform/presentation/PptStreams.h"

#include <string>

namespace presentation {

// Empty on success, else a message naming the file.
std::string SavePptFile(const Presentation& presentation, const std::string& path);

} // namespace presentation
