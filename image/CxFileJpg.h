// libjpeg's destination and source managers over a CxFile, and the error
// manager whose exit jumps back to the encoder. Internal to the JPEG codec.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "image/ImageExport.h"
#include "platform/win32/wintypes.h"

class CxFile;

// Bytes moved per Write or Read of the stream.
constexpr size_t kJpgBufferSize = 4096;

struct CXIMAGE_API CxFileJpg {
    jpeg_destination_mgr dest;  // first, so libjpeg's dest pointer is the record
    jpeg_source_mgr src;
    CxFile* m_pFile;
    BYTE* m_pBuffer;
    bool m_bStartOfFile;

    explicit CxFileJpg(CxFile* pFile);
    ~CxFileJpg();
    CxFileJpg(const CxFileJpg&) = delete;
    CxFileJpg& operator=(const CxFileJpg&) = delete;
};

struct CxJpgErrorManager {
    jpeg_error_mgr pub;
    jmp_buf setjmp_buffer;
    char* buffer;  // receives libjpeg's formatted message (JMSG_LENGTH_MAX bytes or more)
};

// Formats the message into the manager's buffer and jumps back with 1.
CXIMAGE_API void CxJpgErrorExit(j_common_ptr cinfo);
