// Writes records of the binary presentation format into a byte buffer.
// Every record has an 8-byte header: version (4 bits) and instance (12 bits),
// type (16 bits), length of the body (32 bits), all little-endian. A record is
// written like a PNG chunk: begin() writes the header with a placeholder
// length, the body or the children follow, end() patches the length in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace presentation {

class RecordWriter {
public:
    explicit RecordWriter(std::vector<uint8_t>& out) : out_(out) {}

    // Opens a record; returns its offset in the buffer.
    size_t begin(uint16_t type, uint16_t version = 0, uint16_t instance = 0);
    // Closes the innermost record; asserts the body has expectedLength when given.
    void end(long expectedLength = -1);
    // A container record: version 0xF.
    size_t beginContainer(uint16_t type, uint16_t instance = 0) { return begin(type, 0xF, instance); }
    // The header alone, of a record whose body of length bytes goes out apart.
    void header(uint16_t type, uint16_t version, uint16_t instance, uint32_t length);

    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v);
    void u32(uint32_t v);
    void i16(int16_t v) { u16(uint16_t(v)); }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void bytes(const void* data, size_t size);
    void utf16(const std::u16string& text);
    void zeros(size_t count) { out_.insert(out_.end(), count, 0); }

    size_t offset() const { return out_.size(); }
    size_t depth() const { return open_.size(); }

private:
    std::vector<uint8_t>& out_;
    std::vector<size_t> open_;
};

} // namespace presentation
