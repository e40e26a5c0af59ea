// CxFile over a growable memory block. A caller's buffer is read and written
// in place until the data outgrows it; growth then moves the data into a block
// the object owns, and the caller's buffer is left as it was.
#pragma once

#include "image/CxFile.h"
#include "platform/win32/wintypes.h"

class CXIMAGE_API CxMemFile : public CxFile {
public:
    CxMemFile(BYTE* buffer = nullptr, size_t size = 0);
    // A copy borrows the block; only the original frees it.
    CxMemFile(const CxMemFile& other);
    CxMemFile& operator=(const CxMemFile& other);
    ~CxMemFile() override;

    // Attaches a fresh owned block; false when a buffer is already attached.
    bool Open();
    // With detach the caller takes the block over and frees it with free().
    BYTE* GetBuffer(bool detach = true);

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
    // Makes room for newLength bytes, in 64 KiB steps.
    bool Alloc(size_t newLength);

    BYTE* m_pBuffer;
    long m_Size;
    bool m_bFreeOnClose;
    long m_Position;
    unsigned long m_Edge;
};
