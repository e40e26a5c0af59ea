// Saving: the named-file and C-stream entries, the pre-flight check every
// encoder runs, and the dispatch from a format id to its format object.
#include <cstring>
#include <sys/stat.h>

#include "image/CxImage.h"
#include "image/CxIOFile.h"
#include "image/CxImageGIF.h"
#include "image/CxImageJAS.h"
#include "image/CxImageMNG.h"
#include "image/CxImagePNG.h"

namespace {

// Formats whose encoders this build does not hold yet; the dispatch names
// them in its refusal.
const char* UnbuiltFormatName(DWORD id)
{
    switch (id) {
    case CXIMAGE_FORMAT_BMP: return "BMP";
    case CXIMAGE_FORMAT_JPG: return "JPG";
    case CXIMAGE_FORMAT_ICO: return "ICO";
    case CXIMAGE_FORMAT_TIF: return "TIF";
    case CXIMAGE_FORMAT_TGA: return "TGA";
    case CXIMAGE_FORMAT_PCX: return "PCX";
    case CXIMAGE_FORMAT_WBMP: return "WBMP";
    case CXIMAGE_FORMAT_WMF: return "WMF";
    case CXIMAGE_FORMAT_SKA: return "SKA";
    case CXIMAGE_FORMAT_RAW: return "RAW";
    default: return nullptr;
    }
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
    if (imagetype == CXIMAGE_FORMAT_PNG) {
        CxImagePNG format;
        format.Ghost(this);
        if (format.Encode(hFile)) return true;
        SetLastError(format.info.szLastError);
        return false;
    }
    // A failing format object's text comes back to this image.
    auto result = [this](const CxImage& format, bool ok) {
        if (!ok) SetLastError(format.GetLastError());
        return ok;
    };
    if (imagetype == CXIMAGE_FORMAT_GIF) {
        CxImageGIF format;
        format.Ghost(this);
        return result(format, format.Encode(hFile));
    }
    if (imagetype >= CXIMAGE_FORMAT_JP2 && imagetype <= CXIMAGE_FORMAT_RAS) {
        CxImageJAS format;
        format.Ghost(this);
        return result(format, format.Encode(hFile, imagetype));
    }
    if (imagetype == CXIMAGE_FORMAT_MNG) {
        CxImageMNG format;
        format.Ghost(this);
        return result(format, format.Encode(hFile));
    }
    if (const char* name = UnbuiltFormatName(imagetype)) {
        char text[sizeof(info.szLastError)];
        snprintf(text, sizeof(text), "Encode: %s format not available in this build", name);
        SetLastError(text);
        return false;
    }
    SetLastError("Encode: Unknown format");
    return false;
}
