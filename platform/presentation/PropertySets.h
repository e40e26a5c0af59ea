// The two property-set streams the presentation application writes beside
// its own: summary information (title, application, times) and document
// summary information (slide count, presentation format). Serialised by
// libgsf's metadata writer.
#pragma once

#include "platform/presentation/Presentation.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace presentation {

inline constexpr const char* SummaryInformationName = "\005SummaryInformation";
inline constexpr const char* DocumentSummaryInformationName = "\005DocumentSummaryInformation";
inline constexpr const char* ApplicationName = "vantrel";
// Windows-1252, as the application writes, while every text is ASCII;
// else UTF-8, which keeps any text and which readers that take the bytes
// as UTF-8 whatever the code page still read right. (Readers mistake
// UTF-16 sets, code page 1200, for 8-bit ones.)
inline constexpr int LatinCodePage = 1252;
inline constexpr int Utf8CodePage = 65001;

struct DocumentInfo {
    std::string title;  // the file's name, in any encoding: see TitleText
    std::time_t saved = 0;
};

struct PropertySetStreams {
    std::vector<uint8_t> summary;
    std::vector<uint8_t> documentSummary;
};

// Empty streams when libgsf cannot serialise a set; saving then fails.
PropertySetStreams WritePropertySets(const Presentation& presentation, const DocumentInfo& info);

// A file name's bytes as the title's UTF-8 text: UTF-8 sequences as they
// are, every other byte read as Windows-1252, as that code page shows it.
std::string TitleText(const std::string& name);

// The code page the sets are written in for these texts.
int CodePageFor(const std::string& utf8);

} // namespace presentation
