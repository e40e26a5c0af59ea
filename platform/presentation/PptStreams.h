// The streams of a binary presentation file, written from a presentation
// piece by piece to sinks, or built whole in memory. The compound file
// around them is PptFile's business.
#pragma once

#include "platform/presentation/PropertySets.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace presentation {

// Takes a stream's bytes in order, a piece at a time.
using StreamSink = std::function<void(const uint8_t* data, size_t size)>;

// The document stream ("PowerPoint Document"), handed on one top-level
// record at a time. Returns the Current User stream, which points into it.
std::vector<uint8_t> WriteDocumentStream(const Presentation& presentation, const StreamSink& out);
// The "Pictures" stream, each picture's bytes handed on from the presentation.
void WritePicturesStream(const Presentation& presentation, const StreamSink& out);

struct PptStreams {
    std::vector<uint8_t> currentUser;   // "Current User"
    std::vector<uint8_t> document;      // "PowerPoint Document"
    std::vector<uint8_t> pictures;      // "Pictures"
    PropertySetStreams properties;      // "\005SummaryInformation", "\005DocumentSummaryInformation"
};

PptStreams WritePptStreams(const Presentation& presentation, const DocumentInfo& info = {});

// Master units: 576 per inch, 8 per point.
int32_t ToMasterUnits(float points);

} // namespace presentation
