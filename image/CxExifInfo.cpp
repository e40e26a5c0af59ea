// JPEG section splitter and EXIF reader/writer. The EXIF block is a small
// TIFF file (TIFF 6.0 section 2): a byte-order mark, 42, the offset of the
// first directory; each directory is a count, 12-byte entries (tag, type,
// count, value or offset) and the offset of the next directory. Every
// offset and count read from the block is checked against the block's
// length in 64 bits before it is used.
#include "image/CxExifInfo.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "image/CxFile.h"

namespace {

// Bytes per component of the TIFF field types 1 to 12; type 0 has none.
const int kBytesPerFormat[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

constexpr int M_SOF0 = 0xC0, M_SOF1 = 0xC1, M_SOF2 = 0xC2, M_SOF3 = 0xC3;
constexpr int M_SOF5 = 0xC5, M_SOF6 = 0xC6, M_SOF7 = 0xC7;
constexpr int M_SOF9 = 0xC9, M_SOF10 = 0xCA, M_SOF11 = 0xCB;
constexpr int M_SOF13 = 0xCD, M_SOF14 = 0xCE, M_SOF15 = 0xCF;
constexpr int M_EOI = 0xD9, M_SOS = 0xDA, M_JFIF = 0xE0, M_EXIF = 0xE1, M_COM = 0xFE;

bool IsStartOfFrame(int marker)
{
    switch (marker) {
    case M_SOF0: case M_SOF1: case M_SOF2: case M_SOF3:
    case M_SOF5: case M_SOF6: case M_SOF7:
    case M_SOF9: case M_SOF10: case M_SOF11:
    case M_SOF13: case M_SOF14: case M_SOF15:
        return true;
    default:
        return false;
    }
}

// Copies at most `limit` characters of a value of `byteCount` bytes, up to
// its first NUL; the destination always ends in NUL.
void CopyText(char* to, size_t limit, const BYTE* value, unsigned long long byteCount)
{
    size_t n = 0;
    while (n < limit && n < byteCount && value[n]) {
        to[n] = char(value[n]);
        n++;
    }
    to[n] = '\0';
}

// The resolution-unit codes as a factor to inches.
bool UnitFactor(int code, float& factor)
{
    switch (code) {
    case 1: case 2: factor = 1.0f; return true;
    case 3: factor = 1.0f / 2.54f; return true;
    case 4: factor = 1.0f / 25.4f; return true;
    case 5: factor = 1.0f / 25400.0f; return true;
    default: return false;
    }
}

// A value truncated towards zero, held to the range of int.
int TruncateToInt(double value)
{
    if (!(value > -2147483648.0)) return value < 0 ? INT32_MIN : 0;
    if (value >= 2147483647.0) return INT32_MAX;
    return int(value);
}

}  // namespace

CxExifInfo::CxExifInfo(EXIFINFO* info)
    : m_pExifInfo(info), m_nExifImageWidth(0), m_bMotorolaOrder(0), m_nSectionsRead(0),
      m_bFreeInfo(info == nullptr), m_nVisited(0)
{
    if (!m_pExifInfo) m_pExifInfo = static_cast<EXIFINFO*>(calloc(1, sizeof(EXIFINFO)));
    m_szLastError[0] = '\0';
    memset(m_Sections, 0, sizeof(m_Sections));
}

CxExifInfo::~CxExifInfo()
{
    for (ExifSection& section : m_Sections) free(section.Data);
    if (m_bFreeInfo) free(m_pExifInfo);
}

void CxExifInfo::Fail(const char* text)
{
    strncpy(m_szLastError, text, sizeof(m_szLastError) - 1);
    m_szLastError[sizeof(m_szLastError) - 1] = '\0';
}

bool CxExifInfo::DecodeExif(CxFile* hFile, int nReadMode)
{
    if (!hFile || !m_pExifInfo) return false;
    if (hFile->GetC() != 0xFF || hFile->GetC() != 0xD8) return false;
    bool haveComment = false;
    for (;;) {
        bool done = false;
        if (!ReadSection(hFile, nReadMode, done, haveComment)) return false;
        if (done) return true;
    }
}

// Reads one section and files it by its marker; `done` is set at the start
// of scan.
bool CxExifInfo::ReadSection(CxFile* hFile, int nReadMode, bool& done, bool& haveComment)
{
    if (m_nSectionsRead >= MAX_SECTIONS) {
        Fail("Too many sections in jpg file");
        return false;
    }
    long marker = 0;
    for (int a = 0;; a++) {
        marker = hFile->GetC();
        if (marker < 0) {
            Fail("Premature end of file?");
            return false;
        }
        if (marker != 0xFF) break;
        if (a >= 6) {
            printf("too many padding bytes\n");
            return false;
        }
    }
    long lh = hFile->GetC();
    long ll = hFile->GetC();
    if (lh < 0 || ll < 0) {
        Fail("Premature end of file?");
        return false;
    }
    unsigned itemlen = unsigned(lh << 8 | ll);
    if (itemlen < 2) {
        Fail("invalid marker");
        return false;
    }
    BYTE* data = static_cast<BYTE*>(malloc(itemlen));
    if (!data) {
        Fail("Could not allocate memory");
        return false;
    }
    data[0] = BYTE(lh);
    data[1] = BYTE(ll);
    if (hFile->Read(data + 2, 1, itemlen - 2) != itemlen - 2) {
        free(data);
        Fail("Premature end of file?");
        return false;
    }
    ExifSection& section = m_Sections[m_nSectionsRead];
    section = ExifSection{data, int(marker), itemlen};
    m_nSectionsRead++;

    bool keep = true;
    if (IsStartOfFrame(int(marker))) {
        ProcessSofn(data, itemlen, int(marker));
    } else if (marker == M_EOI) {
        printf("No image in jpeg!\n");
        return false;
    } else if (marker == M_SOS) {
        done = true;
        return (nReadMode & EXIF_READ_IMAGE) ? ReadImageData(hFile) : true;
    } else if (marker == M_JFIF) {
        keep = false;
    } else if (marker == M_EXIF) {
        keep = (nReadMode & EXIF_READ_EXIF) && itemlen >= 6 && memcmp(data + 2, "Exif", 4) == 0;
        // The record describes the first EXIF section, the one the discard
        // keeps; later ones are held unread.
        if (keep && !FindSection(M_EXIF)) m_pExifInfo->IsExif = ProcessExif(data + 2, itemlen - 2);
    } else if (marker == M_COM) {
        keep = (nReadMode & EXIF_READ_EXIF) && !haveComment;
        if (keep) {
            ProcessComment(data, itemlen);
            haveComment = true;
        }
    }
    if (!keep) {
        FreeSection(section);
        m_nSectionsRead--;
    }
    return true;
}

// The rest of the stream, from just after the scan header, as one section.
bool CxExifInfo::ReadImageData(CxFile* hFile)
{
    long pos = hFile->Tell();
    hFile->Seek(0, SEEK_END);
    long end = hFile->Tell();
    hFile->Seek(pos, SEEK_SET);
    if (m_nSectionsRead >= MAX_SECTIONS) {
        Fail("Too many sections in jpg file");
        return false;
    }
    size_t size = pos >= 0 && end > pos ? size_t(end - pos) : 0;
    BYTE* data = static_cast<BYTE*>(malloc(size ? size : 1));
    if (!data) {
        Fail("could not allocate data for entire image");
        return false;
    }
    if (hFile->Read(data, 1, size) != size) {
        free(data);
        Fail("could not read the rest of the image");
        return false;
    }
    m_Sections[m_nSectionsRead++] = ExifSection{data, PSEUDO_IMAGE_MARKER, unsigned(size)};
    return true;
}

// CharBuf is the APP1 payload: "Exif", two zero bytes, then the TIFF block.
bool CxExifInfo::ProcessExif(BYTE* CharBuf, unsigned length)
{
    m_pExifInfo->FlashUsed = 0;
    m_pExifInfo->Comments[0] = '\0';
    m_nExifImageWidth = 0;
    m_nVisited = 0;

    if (length < 6 || memcmp(CharBuf, "Exif\0\0", 6) != 0) {
        Fail("Incorrect Exif header");
        return false;
    }
    if (length < 14) {
        Fail("Incorrect Exif header");
        return false;
    }
    if (memcmp(CharBuf + 6, "II", 2) == 0) {
        m_bMotorolaOrder = 0;
    } else if (memcmp(CharBuf + 6, "MM", 2) == 0) {
        m_bMotorolaOrder = 1;
    } else {
        Fail("Invalid Exif alignment marker.");
        return false;
    }
    if (Get16u(CharBuf + 8) != 0x2A) {
        Fail("Invalid Exif start (1)");
        return false;
    }
    BYTE* base = CharBuf + 6;
    unsigned exifLength = length - 6;
    unsigned long firstOffset = Get32u(CharBuf + 10);
    if (firstOffset < 8 || firstOffset >= exifLength) {
        Fail("Illegal subdirectory link");
        return false;
    }
    if (!ProcessExifDir(unsigned(firstOffset), base, exifLength, 0)) return false;

    EXIFINFO* info = m_pExifInfo;
    if (info->FocalplaneXRes != 0)
        info->CCDWidth = float(m_nExifImageWidth * info->FocalplaneUnits / info->FocalplaneXRes);
    return true;
}

bool CxExifInfo::ProcessExifDir(unsigned dirOffset, BYTE* OffsetBase, unsigned ExifLength,
                                int NestingLevel)
{
    if (NestingLevel > 4) {
        Fail("Maximum directory nesting exceeded (corrupt exif header)");
        return false;
    }
    for (int i = 0; i < m_nVisited; i++)
        if (m_visited[i] == dirOffset) return true;
    if (m_nVisited == int(sizeof(m_visited) / sizeof(m_visited[0]))) return true;
    m_visited[m_nVisited++] = dirOffset;

    if ((unsigned long long)dirOffset + 2 > ExifLength) {
        Fail("Illegally sized directory");
        return false;
    }
    BYTE* dir = OffsetBase + dirOffset;
    unsigned entries = unsigned(Get16u(dir));
    unsigned long long dirEnd = (unsigned long long)dirOffset + 2 + 12ull * entries;
    if (dirEnd > ExifLength) {
        Fail("Illegally sized directory");
        return false;
    }

    unsigned thumbnailOffset = 0, thumbnailSize = 0;
    for (unsigned de = 0; de < entries; de++) {
        if (!ProcessEntry(dir + 2 + 12 * de, OffsetBase, ExifLength, NestingLevel, thumbnailOffset,
                          thumbnailSize))
            return false;
    }

    // The link to the next directory follows the entries, when it fits.
    if (dirEnd + 4 <= ExifLength) {
        unsigned long link = Get32u(OffsetBase + dirEnd);
        if (link) {
            if (link >= ExifLength) {
                Fail("Illegal subdirectory link");
                return false;
            }
            ProcessExifDir(unsigned(link), OffsetBase, ExifLength, NestingLevel + 1);
        }
    }

    if (thumbnailOffset && thumbnailSize
        && (unsigned long long)thumbnailOffset + thumbnailSize <= ExifLength) {
        m_pExifInfo->ThumbnailPointer = OffsetBase + thumbnailOffset;
        m_pExifInfo->ThumbnailSize = thumbnailSize;
    }
    return true;
}

bool CxExifInfo::ProcessEntry(const BYTE* entry, BYTE* OffsetBase, unsigned ExifLength,
                              int NestingLevel, unsigned& thumbnailOffset, unsigned& thumbnailSize)
{
    int tag = Get16u(entry);
    int format = Get16u(entry + 2);
    unsigned long components = Get32u(entry + 4);
    if (format > 12) {
        Fail("Illegal format code in EXIF dir");
        return false;
    }
    unsigned long long byteCount = (unsigned long long)components * kBytesPerFormat[format];
    BYTE* value = const_cast<BYTE*>(entry + 8);
    if (byteCount > 4) {
        unsigned long offset = Get32u(entry + 8);
        if ((unsigned long long)offset + byteCount > ExifLength) {
            Fail("Illegal pointer offset value in EXIF.");
            return false;
        }
        value = OffsetBase + offset;
    }
    // A value without a whole component carries nothing to read.
    if (byteCount == 0 || byteCount < (unsigned long long)kBytesPerFormat[format]) return true;

    EXIFINFO* info = m_pExifInfo;
    double number = ConvertAnyFormat(value, format);
    int integer = TruncateToInt(number);
    float factor;
    switch (tag) {
    case 0x010F: CopyText(info->CameraMake, 31, value, byteCount); break;
    case 0x0110: CopyText(info->CameraModel, 39, value, byteCount); break;
    case 0x9003: CopyText(info->DateTime, 19, value, byteCount); break;
    case 0x9000: CopyText(info->Version, 4, value, byteCount); break;
    case 0x0112:
        info->Orientation = integer;
        if (integer < 1 || integer > 8) {
            Fail("Undefined rotation value");
            info->Orientation = 0;
        }
        break;
    case 0x011A: info->Xresolution = float(number); break;
    case 0x011B: info->Yresolution = float(number); break;
    case 0x0128: if (UnitFactor(integer, factor)) info->ResolutionUnit = factor; break;
    case 0x0201: thumbnailOffset = unsigned(integer); break;
    case 0x0202: thumbnailSize = unsigned(integer); break;
    case 0x829A: info->ExposureTime = float(number); break;
    case 0x829D: info->ApertureFNumber = float(number); break;
    case 0x8822: info->ExposureProgram = integer; break;
    case 0x8827: info->ISOequivalent = integer < 50 ? integer * 200 : integer; break;
    case 0x9102: info->CompressionLevel = integer; break;
    case 0x9201:
        if (info->ExposureTime == 0) info->ExposureTime = float(1 / exp(number * log(2)));
        break;
    case 0x9202:
    case 0x9205:
        if (info->ApertureFNumber == 0) info->ApertureFNumber = float(exp(number * log(2) * 0.5));
        break;
    case 0x9203: info->Brightness = float(number); break;
    case 0x9204: info->ExposureBias = float(number); break;
    case 0x9206: info->Distance = float(number); break;
    case 0x9207: info->MeteringMode = integer; break;
    case 0x9208: info->LightSource = integer; break;
    case 0x9209: info->FlashUsed = (integer & 7) ? 1 : 0; break;
    case 0x920A: info->FocalLength = float(number); break;
    case 0x9286: ProcessUserComment(value, unsigned(byteCount)); break;
    case 0xA002:
    case 0xA003:
        if (integer > m_nExifImageWidth) m_nExifImageWidth = integer;
        break;
    case 0xA20E: info->FocalplaneXRes = float(number); break;
    case 0xA20F: info->FocalplaneYRes = float(number); break;
    case 0xA210: if (UnitFactor(integer, factor)) info->FocalplaneUnits = factor; break;
    case 0x8769:
    case 0xA005: {
        if (byteCount < 4) break;
        unsigned long offset = Get32u(value);
        if (offset <= 8) break;
        if (offset >= ExifLength) {
            Fail("Illegal subdirectory link");
            return false;
        }
        ProcessExifDir(unsigned(offset), OffsetBase, ExifLength, NestingLevel + 1);
        break;
    }
    default:
        break;
    }
    return true;
}

// Trailing spaces become NULs; an "ASCII" comment's text starts at the first
// of bytes 5 to 9 that is neither NUL nor space.
void CxExifInfo::ProcessUserComment(BYTE* value, unsigned byteCount)
{
    char* comments = m_pExifInfo->Comments;
    for (unsigned a = byteCount; a-- > 0;) {
        if (value[a] != ' ') break;
        value[a] = '\0';
    }
    if (byteCount >= 5 && memcmp(value, "ASCII", 5) == 0) {
        comments[0] = '\0';
        for (unsigned a = 5; a < 10 && a < byteCount; a++) {
            if (value[a] != '\0' && value[a] != ' ') {
                CopyText(comments, 199, value + a, byteCount - a);
                break;
            }
        }
    } else {
        CopyText(comments, 199, value, byteCount);
    }
}

// Printable bytes, line feeds and tabs are kept; a carriage return before a
// line feed is dropped; anything else becomes '?'.
void CxExifInfo::ProcessComment(const BYTE* Data, unsigned length)
{
    if (length > MAX_COMMENT) length = MAX_COMMENT;
    char* comments = m_pExifInfo->Comments;
    unsigned n = 0;
    for (unsigned a = 2; a < length; a++) {
        int ch = Data[a];
        if (ch == '\r' && a + 1 < length && Data[a + 1] == '\n') continue;
        comments[n++] = (isprint(ch) || ch == '\n' || ch == '\t') ? char(ch) : '?';
    }
    comments[n] = '\0';
}

// A frame header too short for its size fields is left unread.
void CxExifInfo::ProcessSofn(const BYTE* Data, unsigned length, int marker)
{
    if (length < 8) return;
    m_pExifInfo->Height = Get16m(Data + 3);
    m_pExifInfo->Width = Get16m(Data + 5);
    m_pExifInfo->IsColor = Data[7] == 3 ? 1 : 0;
    m_pExifInfo->Process = marker;
}

double CxExifInfo::ConvertAnyFormat(const BYTE* ValuePtr, int Format)
{
    switch (Format) {
    case 1: return *ValuePtr;
    case 3: return Get16u(ValuePtr);
    case 4: return double(Get32u(ValuePtr));
    case 5:
    case 10: {
        long num = Get32s(ValuePtr);
        long den = Get32s(ValuePtr + 4);
        return den == 0 ? 0 : double(num) / double(den);
    }
    case 6: return double(int8_t(*ValuePtr));
    case 8: return double(int16_t(Get16u(ValuePtr)));
    case 9: return double(Get32s(ValuePtr));
    case 11: {
        uint32_t bits = uint32_t(Get32u(ValuePtr));
        float f;
        memcpy(&f, &bits, 4);
        return f;
    }
    case 12: {
        uint64_t hi = Get32u(ValuePtr + (m_bMotorolaOrder ? 0 : 4));
        uint64_t lo = Get32u(ValuePtr + (m_bMotorolaOrder ? 4 : 0));
        uint64_t bits = hi << 32 | lo;
        double d;
        memcpy(&d, &bits, 8);
        return d;
    }
    default: return 0;
    }
}

void CxExifInfo::DiscardAllButExif()
{
    ExifSection exif{}, comment{};
    for (int a = 0; a < m_nSectionsRead; a++) {
        ExifSection& s = m_Sections[a];
        if (s.Type == M_EXIF && !exif.Data) {
            exif = s;
        } else if (s.Type == M_COM && !comment.Data) {
            comment = s;
        } else {
            FreeSection(s);
        }
        s = ExifSection{};
    }
    m_nSectionsRead = 0;
    if (exif.Data) m_Sections[m_nSectionsRead++] = exif;
    if (comment.Data) m_Sections[m_nSectionsRead++] = comment;
}

// A thumbnail read from a later EXIF section points into its data; it goes
// with the section.
void CxExifInfo::FreeSection(ExifSection& section)
{
    EXIFINFO* info = m_pExifInfo;
    std::less<const BYTE*> before;
    if (info && info->ThumbnailPointer && section.Data && !before(info->ThumbnailPointer, section.Data)
        && before(info->ThumbnailPointer, section.Data + section.Size)) {
        info->ThumbnailPointer = nullptr;
        info->ThumbnailSize = 0;
    }
    free(section.Data);
    section = ExifSection{};
}

CxExifInfo::ExifSection* CxExifInfo::FindSection(int SectionType)
{
    for (int a = 0; a < m_nSectionsRead - 1; a++)
        if (m_Sections[a].Type == SectionType) return &m_Sections[a];
    return nullptr;
}

bool CxExifInfo::EncodeExif(CxFile* hFile)
{
    if (!FindSection(M_SOS)) {
        Fail("Can't write exif : didn't read all");
        return false;
    }
    bool ok = hFile->PutC(0xFF) && hFile->PutC(0xD8);
    if (m_Sections[0].Type != M_EXIF && m_Sections[0].Type != M_JFIF) {
        static const BYTE kJfifHead[18] = {0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00,
                                           0x01, 0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};
        ok = ok && hFile->Write(kJfifHead, sizeof(kJfifHead), 1) == 1;
    }
    for (int a = 0; ok && a < m_nSectionsRead - 1; a++) {
        const ExifSection& s = m_Sections[a];
        ok = hFile->PutC(0xFF) && hFile->PutC(BYTE(s.Type)) && hFile->Write(s.Data, s.Size, 1) == 1;
    }
    const ExifSection& image = m_Sections[m_nSectionsRead - 1];
    ok = ok && (image.Size == 0 || hFile->Write(image.Data, image.Size, 1) == 1);
    if (!ok) Fail("Can't write exif : write error");
    return ok;
}

int CxExifInfo::Get16m(const BYTE* Short)
{
    return (Short[0] << 8) | Short[1];
}

int CxExifInfo::Get16u(const BYTE* Short)
{
    if (m_bMotorolaOrder) return (Short[0] << 8) | Short[1];
    return (Short[1] << 8) | Short[0];
}

long CxExifInfo::Get32s(const BYTE* Long)
{
    return long(int32_t(Get32u(Long)));
}

unsigned long CxExifInfo::Get32u(const BYTE* Long)
{
    if (m_bMotorolaOrder)
        return (unsigned long)Long[0] << 24 | Long[1] << 16 | Long[2] << 8 | Long[3];
    return (unsigned long)Long[3] << 24 | Long[2] << 16 | Long[1] << 8 | Long[0];
}
