// MNG encoder over libmng's chunk writer. The stream is MHDR, the frame as
// an embedded PNG (DEFI, IHDR, IDAT, IEND), then MEND; every libmng result
// is checked.
#include "image/CxImageMNG.h"

// The shared library is built with write support and chunk access; its
// header enables their declarations for users of the shared library.
#define MNG_USE_SO
#include <libmng.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "image/CxFile.h"

namespace {

const char* const WRITE_ERROR = "could not write MNG stream";

mng_ptr MNG_DECL CxMngAlloc(mng_size_t size)
{
    return calloc(1, size);
}

void MNG_DECL CxMngFree(mng_ptr p, mng_size_t)
{
    free(p);
}

mng_bool MNG_DECL CxMngStreamStub(mng_handle)
{
    return MNG_TRUE;
}

// A short write is an error, which libmng passes back from mng_write.
mng_bool MNG_DECL CxMngWriteData(mng_handle handle, mng_ptr buffer, mng_uint32 length,
                                 mng_uint32p written)
{
    MngStream* stream = static_cast<MngStream*>(mng_get_userdata(handle));
    size_t count = stream->file->Write(buffer, 1, length);
    *written = mng_uint32(count);
    return count == length ? MNG_TRUE : MNG_FALSE;
}

}  // namespace

CxImageMNG::CxImageMNG() : CxImage(CXIMAGE_FORMAT_MNG), hmng(nullptr)
{
    memset(&mnginfo, 0, sizeof(mnginfo));
}

CxImageMNG::~CxImageMNG()
{
    free(mnginfo.image);
    if (hmng) {
        mng_handle handle = static_cast<mng_handle>(hmng);
        mng_cleanup(&handle);
    }
}

bool CxImageMNG::Encode(CxFile* hFile)
{
    if (EncodeSafeCheck(hFile)) return false;
    const char* error = nullptr;
    if (head.biClrUsed != 0) {
        error = "MNG encoder can save only RGB images";
    } else {
        mnginfo.file = hFile;
        mnginfo.width = int(GetWidth());
        mnginfo.height = int(GetHeight());
        mnginfo.rowBytes = int(info.dwEffWidth);
        mnginfo.bitCount = head.biBitCount;
        free(mnginfo.image);
        mnginfo.image = static_cast<BYTE*>(malloc(head.biSizeImage));
        if (!mnginfo.image) error = "could not allocate memory for MNG";
    }
    mng_handle handle = nullptr;
    if (!error) {
        memcpy(mnginfo.image, info.pImage, head.biSizeImage);
        handle = mng_initialize(&mnginfo, CxMngAlloc, CxMngFree, MNG_NULL);
        hmng = handle;
        if (!handle) error = "could not initialize libmng";
    }
    if (!error
        && (mng_setcb_openstream(handle, CxMngStreamStub) != MNG_NOERROR
            || mng_setcb_closestream(handle, CxMngStreamStub) != MNG_NOERROR
            || mng_setcb_writedata(handle, CxMngWriteData) != MNG_NOERROR
            || mng_create(handle) != MNG_NOERROR))
        error = WRITE_ERROR;
    // A one-frame stream of the picture's size: one tick a second, one layer,
    // one frame, no play time or simplicity profile given.
    if (!error
        && mng_putchunk_mhdr(handle, mng_uint32(mnginfo.width), mng_uint32(mnginfo.height), 1, 1, 1,
                             0, 0) != MNG_NOERROR)
        error = WRITE_ERROR;
    if (!error) error = WritePNG(handle);
    if (!error && (mng_putchunk_mend(handle) != MNG_NOERROR || mng_write(handle) != MNG_NOERROR))
        error = WRITE_ERROR;
    if (!error && !hFile->Flush()) error = WRITE_ERROR;
    if (error) {
        SetLastError(error);
        return false;
    }
    return true;
}

const char* CxImageMNG::WritePNG(void* hHandle)
{
    mng_handle handle = static_cast<mng_handle>(hHandle);
    MngStream* stream = static_cast<MngStream*>(mng_get_userdata(handle));
    const size_t line = 1 + 3 * size_t(stream->width);
    const size_t rawSize = line * size_t(stream->height);
    const uLong room = compressBound(uLong(rawSize));

    BYTE* raw = static_cast<BYTE*>(malloc(rawSize));
    BYTE* packed = raw ? static_cast<BYTE*>(malloc(room)) : nullptr;
    const char* error = packed ? nullptr : "could not allocate memory for MNG";
    if (!error) {
        // Filter type 0, then the row as red, green, blue; the top row first.
        for (int i = 0; i < stream->height; i++) {
            BYTE* out = raw + line * size_t(i);
            out[0] = 0;
            memcpy(out + 1, stream->image + size_t(stream->height - 1 - i) * stream->rowBytes, line - 1);
            SwapRedBlue(out + 1, int(line - 1));
        }
    }
    uLongf packedSize = room;
    if (!error && compress2(packed, &packedSize, raw, uLong(rawSize), 9) != Z_OK)
        error = "could not compress MNG image data";
    if (!error
        && (mng_putchunk_defi(handle, 0, 0, 0, MNG_TRUE, 0, 0, MNG_FALSE, 0, 0, 0, 0) != MNG_NOERROR
            || mng_putchunk_ihdr(handle, mng_uint32(stream->width), mng_uint32(stream->height), 8,
                                 MNG_COLORTYPE_RGB, MNG_COMPRESSION_DEFLATE, MNG_FILTER_ADAPTIVE,
                                 MNG_INTERLACE_NONE) != MNG_NOERROR
            || mng_putchunk_idat(handle, mng_uint32(packedSize), packed) != MNG_NOERROR
            || mng_putchunk_iend(handle) != MNG_NOERROR))
        error = WRITE_ERROR;
    free(packed);
    free(raw);
    return error;
}
