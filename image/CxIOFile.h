// CxFile over a C stream. A stream handed to the constructor stays the
// caller's: the object closes only a stream it opened itself.
#pragma once

#include <cstdio>

#include "image/CxFile.h"

class CXIMAGE_API CxIOFile : public CxFile {
public:
    CxIOFile(FILE* fp = nullptr);
    // A copy borrows the stream; only the original closes it.
    CxIOFile(const CxIOFile& other);
    CxIOFile& operator=(const CxIOFile& other);
    ~CxIOFile() override;

    // fopen's modes; a mode that starts with "r" opens only a regular file
    // (or a link to one), without waiting on anything else at the name.
    bool Open(const char* filename, const char* mode);

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(long offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    long Error() override;
    bool PutC(unsigned char c) override;
    long GetC() override;
    char* GetS(char* string, int n) override;
    long Scanf(const char* format, void* output) override;

protected:
    FILE* m_fp;
    bool m_bCloseFile;
};
