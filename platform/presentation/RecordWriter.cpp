#include "platform/presentation/RecordWriter.h"

#include <cassert>

namespace presentation {

size_t RecordWriter::begin(uint16_t type, uint16_t version, uint16_t instance)
{
    size_t at = out_.size();
    header(type, version, instance, 0);  // recLen patched by end()
    open_.push_back(at);
    return at;
}

void RecordWriter::header(uint16_t type, uint16_t version, uint16_t instance, uint32_t length)
{
    assert(version <= 0xF && instance <= 0xFFF);
    u16(uint16_t(instance << 4 | version));  // recVer, recInstance
    u16(type);                               // recType
    u32(length);                             // recLen
}

void RecordWriter::end(long expectedLength)
{
    assert(!open_.empty());
    size_t at = open_.back();
    open_.pop_back();
    size_t length = out_.size() - at - 8;
    assert(expectedLength < 0 || size_t(expectedLength) == length);
    (void)expectedLength;
    for (int i = 0; i < 4; ++i) out_[at + 4 + i] = uint8_t(length >> (8 * i));
}

void RecordWriter::u16(uint16_t v)
{
    out_.push_back(uint8_t(v));
    out_.push_back(uint8_t(v >> 8));
}

void RecordWriter::u32(uint32_t v)
{
    for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(v >> (8 * i)));
}

void RecordWriter::bytes(const void* data, size_t size)
{
    auto p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + size);
}

void RecordWriter::utf16(const std::u16string& text)
{
    for (char16_t c : text) u16(uint16_t(c));
}

} // namespace presentation
