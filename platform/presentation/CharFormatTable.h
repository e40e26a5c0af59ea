// Character formats and the table that holds each distinct one once. Text
// bodies refer to formats by their index in a table that the bodies of one
// presentation share, so a run of characters costs an index, not a format.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

namespace presentation {

struct CharFormat {
    std::u16string fontName = u"Arial";
    int size = 18;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    uint32_t rgb = 0x000000;  // 0x00BBGGRR
    bool operator==(const CharFormat&) const = default;
};

class CharFormatTable {
public:
    // Index 0 is the default format, the one new text boxes start with.
    CharFormatTable();

    // The index of a format equal to this one, added when there is none.
    uint32_t intern(const CharFormat& format);
    // Stays valid while the table lives.
    const CharFormat& at(uint32_t index) const { return formats_[index]; }
    size_t size() const { return formats_.size(); }

private:
    std::deque<CharFormat> formats_;
    std::unordered_multimap<size_t, uint32_t> byHash_;
};

} // namespace presentation
