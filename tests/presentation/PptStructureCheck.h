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
    // From the property sets: 8-bit texts as stored, the slide count.
    std::string title, application;
    int32_t slideCount = -1;
    uint16_t codePage = 0;
};

std::vector<std::string> CheckPptStructure(const presentation::PptStreams& streams, CheckedPresentation& found);

// The streams of a compound file, read back through libgsf.
std::optional<presentation::PptStreams> ReadPptStreams(const std::string& path);

// The root storage class id the file must carry: the application's,
// {64818D10-4F9B-11CF-86EA-00AA00B929E8}.
extern const uint8_t PresentationClassId[16];

// Checks the compound file itself (the root's class id, every stream under
// its name), then its streams as above.
std::vector<std::string> CheckPptFile(const std::string& path, CheckedPresentation& found);

// Writes streams under the given names into a compound file with the class
// id, as a damaged file to check. False when libgsf fails.
bool WriteCompoundFile(const std::string& path, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& streams,
                       const uint8_t (&classId)[16]);
