// A strict reader of our own for the binary presentation streams: walks
// every record and reports each inconsistency it finds as one line.
#pragma once

#include "platform/presentation/PptStreams.h"

#include <optional>
#include <string>
#include <vector>

struct CheckedPresentation {
    int32_t slideWidth = 0, slideHeight = 0;  // master units
    size_t slides = 0;
    size_t pictures = 0;
    size_t textBoxes = 0;
    size_t fonts = 0;
};

std::vector<std::string> CheckPptStructure(const presentation::PptStreams& streams, CheckedPresentation& found);

// The three streams of a compound file, read back through libgsf.
std::optional<presentation::PptStreams> ReadPptStreams(const std::string& path);
