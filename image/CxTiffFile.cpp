// The file layer that binds libtiff to a CxFile. libtiff's memory requests
// are capped at the image library's size limit and its messages are dropped:
// the format object reports its own.
#include <tiffio.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "image/CxFile.h"
#include "image/CxImageTIF.h"

namespace {

// libtiff's error marker for a seek or size.
constexpr toff_t kBadOffset = toff_t(-1);

CxFile* Stream(thandle_t fd)
{
    return static_cast<CxFile*>(fd);
}

tmsize_t CxTiffReadProc(thandle_t fd, void* buffer, tmsize_t size)
{
    if (size <= 0) return 0;
    return tmsize_t(Stream(fd)->Read(buffer, 1, size_t(size)));
}

tmsize_t CxTiffWriteProc(thandle_t fd, void* buffer, tmsize_t size)
{
    if (size <= 0) return 0;
    return tmsize_t(Stream(fd)->Write(buffer, 1, size_t(size)));
}

// Offsets past what a long holds cannot be reached through a CxFile.
toff_t CxTiffSeekProc(thandle_t fd, toff_t off, int whence)
{
    if (off == 0xFFFFFFFF || off == kBadOffset) return kBadOffset;
    long long signedOff = (long long)off;
    if (whence == SEEK_SET && off > (toff_t)LONG_MAX) return kBadOffset;
    if (!Stream(fd)->Seek(long(signedOff), whence)) return kBadOffset;
    if (whence == SEEK_SET) return off;
    long position = Stream(fd)->Tell();
    return position < 0 ? kBadOffset : toff_t(position);
}

int CxTiffCloseProc(thandle_t)
{
    return 0;  // the stream's owner closes it
}

toff_t CxTiffSizeProc(thandle_t fd)
{
    long size = Stream(fd)->Size();
    return size < 0 ? 0 : toff_t(size);
}

// A stream opened for reading is "mapped" as a copy of its bytes in memory:
// libtiff 4.5 reads uncompressed tiles of an unmapped file wrongly through
// its RGBA reader. A stream past the size cap is read through
// CxTiffReadProc instead.
int CxTiffMapProc(thandle_t fd, void** base, toff_t* size)
{
    CxFile* stream = Stream(fd);
    long length = stream->Size();
    long position = stream->Tell();
    if (length <= 0 || (unsigned long long)length > CxImage::CXIMAGE_MAX_MEMORY || position < 0) return 0;
    void* copy = malloc(size_t(length));
    if (!copy) return 0;
    bool read = stream->Seek(0, SEEK_SET) && stream->Read(copy, 1, size_t(length)) == size_t(length);
    stream->Seek(position, SEEK_SET);
    if (!read) {
        free(copy);
        return 0;
    }
    *base = copy;
    *size = toff_t(length);
    return 1;
}

void CxTiffUnmapProc(thandle_t, void* base, toff_t)
{
    free(base);
}

int SilentHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;  // handled: nothing reaches libtiff's default handlers
}

}  // namespace

TIFF* CxTIFFClientOpen(const char* name, const char* mode, CxFile* stream)
{
    if (!stream) return nullptr;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(CxImage::CXIMAGE_MAX_MEMORY));
    TIFFOpenOptionsSetErrorHandlerExtR(options, SilentHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, SilentHandler, nullptr);
    TIFF* tif = TIFFClientOpenExt(name, mode, stream, CxTiffReadProc, CxTiffWriteProc, CxTiffSeekProc,
                                  CxTiffCloseProc, CxTiffSizeProc, CxTiffMapProc, CxTiffUnmapProc, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

TIFF* CxTIFFOpen(CxFile* stream, const char* mode)
{
    // Messages libtiff sends before a handle exists go to its process-wide
    // handlers; those are silenced once.
    static const bool silenced = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)silenced;
    return CxTIFFClientOpen("TIFF IMAGE", mode, stream);
}
