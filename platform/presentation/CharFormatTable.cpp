#include "platform/presentation/CharFormatTable.h"

#include <functional>

namespace presentation {

static size_t hashOf(const CharFormat& f)
{
    size_t h = std::hash<std::u16string>()(f.fontName);
    uint64_t fields = uint64_t(uint32_t(f.size)) << 32 | uint64_t(f.rgb) << 3 | uint64_t(f.bold) << 2 |
                      uint64_t(f.italic) << 1 | uint64_t(f.underline);
    return h ^ (std::hash<uint64_t>()(fields) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2));
}

CharFormatTable::CharFormatTable()
{
    intern(CharFormat{});
}

uint32_t CharFormatTable::intern(const CharFormat& format)
{
    size_t hash = hashOf(format);
    auto [first, last] = byHash_.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (formats_[it->second] == format) return it->second;
    formats_.push_back(format);
    uint32_t index = uint32_t(formats_.size() - 1);
    byHash_.emplace(hash, index);
    return index;
}

} // namespace presentation
