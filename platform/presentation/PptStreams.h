// The streams of a binary presentation file, built in memory from a
// presentation. The compound file around them is PptFile's business.
#pragma once

#include "platform/presentation/PropertySets.h"

#include <cstdint>
#include <vector>

namespace presentation {

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
