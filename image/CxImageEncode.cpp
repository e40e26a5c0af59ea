// Saving: the named-file and C-stream entries, the pre-flight check every
// encoder runs, and the dispatch from a format id to its format object.
#include <cstring>
#include <sys/stat.h>

#include "image/CxImage.h"
#include "image/CxIOFile.h"
#include "image/CxImageBMP.h"
#include "image/CxImageICO.h"
#include "image/CxImageJPG.h"
#include "image/CxImagePCX.h"
#include "image/CxImageGIF.h"
#include "image/CxImageJAS.h"
#include "image/CxImageMNG.h"
#include "image/CxImagePNG.h"
#include "image/CxImageRAW.h"
#include "image/CxImageSKA.h"
#include "image/CxImageTGA.h"
#include "image/CxImageWBMP.h"
#include "image/CxImageWMF.h"
#include "image/CxImageTIF.h"

namespace {

// Runs a format object's encoder (ICO: a one-image icon; the JPEG 2000
// family: one object that takes the id) on a ghost of the image; on failure
// `failure` receives the format object's text.
template <class Format, class... Options>
bool EncodeAs(const CxImage* image, CxFile* hFile, char (&failure)[256], Options... options)
{
    Format format;
    format.Ghost(image);
    if (format.Encode(hFile, options...)) return true;
    snprintf(failure, sizeof(failure), "%s", format.GetLastError());
    return false;
}

// Only a plain file is ours to delete; a device such as /dev/full is not.
bool IsPlainFile(FILE* fp)
{
    struct stat st;
    return fstat(fileno(fp), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

// A file the encoder did not finish is removed, so that no truncated
// picture stays behind under the name.
bool CxImage::Save(const char* filename, DWORD imagetype)
{
    FILE* fp = fopen(filename, "wb");
    if (!fp) return false;
    bool ok = Encode(fp, imagetype);
    bool plain = IsPlainFile(fp);
    // A stream that cannot be closed may not have reached the disk.
    if (fclose(fp) != 0 && ok) {
        SetLastError("Save: error closing the file");
        ok = false;
    }
    if (!ok && plain) remove(filename);
    return ok;
}

bool CxImage::Encode(FILE* hFile, DWORD imagetype)
{
    if (!hFile) return Encode(static_cast<CxFile*>(nullptr), imagetype);
    CxIOFile file(hFile);
    return Encode(&file, imagetype);
}

bool CxImage::EncodeSafeCheck(CxFile* hFile)
{
    if (!hFile) {
        SetLastError("null file handler");
        return true;
    }
    if (!pDib) {
        SetLastError("null image!!!");
        return true;
    }
    return false;
}

// The format object ghosts this image, so no pixel is copied and its
// destructor frees nothing of ours.
bool CxImage::Encode(CxFile* hFile, DWORD imagetype)
{
    char failure[sizeof(info.szLastError)] = "";
    bool written = false;
    switch (imagetype) {
    case CXIMAGE_FORMAT_PNG: written = EncodeAs<CxImagePNG>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_BMP: written = EncodeAs<CxImageBMP>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_JPG: written = EncodeAs<CxImageJPG>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_ICO: written = EncodeAs<CxImageICO>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_TGA: written = EncodeAs<CxImageTGA>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_PCX: written = EncodeAs<CxImagePCX>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_WBMP: written = EncodeAs<CxImageWBMP>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_WMF: written = EncodeAs<CxImageWMF>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_SKA: written = EncodeAs<CxImageSKA>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_RAW: written = EncodeAs<CxImageRAW>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_TIF: written = EncodeAs<CxImageTIF>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_GIF: written = EncodeAs<CxImageGIF>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_MNG: written = EncodeAs<CxImageMNG>(this, hFile, failure); break;
    case CXIMAGE_FORMAT_JP2:
    case CXIMAGE_FORMAT_JPC:
    case CXIMAGE_FORMAT_PGX:
    case CXIMAGE_FORMAT_PNM:
    case CXIMAGE_FORMAT_RAS: written = EncodeAs<CxImageJAS>(this, hFile, failure, imagetype); break;
    default:
        SetLastError("Encode: Unknown format");
        return false;
    }
    if (!written) SetLastError(failure);
    return written;
}
