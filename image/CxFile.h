// The image library's abstract byte stream. Every codec, and every callback
// handed to a codec library, reads and writes through one of these.
#pragma once

#include <cstddef>

#include "image/ImageExport.h"

class CXIMAGE_API CxFile {
public:
    CxFile();
    CxFile(const CxFile&);
    CxFile& operator=(const CxFile&);
    virtual ~CxFile();

    virtual bool Close() = 0;
    // Reads up to count items of size bytes; returns the whole items read.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    // Writes count items of size bytes; returns the items written.
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    // origin: SEEK_SET, SEEK_CUR or SEEK_END.
    virtual bool Seek(long offset, int origin) = 0;
    virtual long Tell() = 0;
    virtual long Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual long Error() = 0;
    virtual bool PutC(unsigned char c);
    // Next byte as 0 to 255, or -1.
    virtual long GetC() = 0;
    virtual char* GetS(char* string, int n) = 0;
    virtual long Scanf(const char* format, void* output) = 0;
};
