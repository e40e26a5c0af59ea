// The stream an encoder writes through: every write must land whole, and a
// short or failed one raises the encoder's failure text, which the encoder
// catches with RunEncoder and reports.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "image/CxFile.h"
#include "platform/win32/wintypes.h"

class EncodeSink {
public:
    EncodeSink(CxFile* file, const char* failure) : m_file(file), m_failure(failure) {}

    void Write(const void* data, size_t bytes)
    {
        if (bytes && m_file->Write(data, 1, bytes) != bytes) throw m_failure;
    }
    void PutC(BYTE c)
    {
        if (!m_file->PutC(c)) throw m_failure;
    }
    CxFile* File() const { return m_file; }

private:
    CxFile* m_file;
    const char* m_failure;
};

// A zeroed scratch buffer, freed on every path out of the encoder; when
// memory runs out it raises `failure`.
class EncodeBuffer {
public:
    EncodeBuffer(size_t bytes, const char* failure)
        : m_data(static_cast<BYTE*>(calloc(bytes ? bytes : 1, 1)))
    {
        if (!m_data) throw failure;
    }
    ~EncodeBuffer() { free(m_data); }
    EncodeBuffer(const EncodeBuffer&) = delete;
    EncodeBuffer& operator=(const EncodeBuffer&) = delete;

    BYTE* Get() const { return m_data; }

private:
    BYTE* m_data;
};

class CxImage;

// The rows of a 24-bit image with an alpha plane as 32-bit pixels (blue,
// green, red, alpha), bottom row first; when memory runs out it raises
// `noMemory`.
void WriteBgraRows(const CxImage& image, EncodeSink& sink, const char* noMemory);

// Runs an encoder's body; returns null when it finished, else the text it
// raised.
template <class Body>
const char* RunEncoder(Body body)
{
    try {
        body();
    } catch (const char* text) {
        return text ? text : "";
    }
    return nullptr;
}
