// JPEG marker sections and the EXIF data of their APP1 section.
//
// DecodeExif splits a JPEG stream into its sections, up to and including
// the start of scan (and, with EXIF_READ_IMAGE, the image data after it),
// parsing the EXIF directories and the first comment into an EXIFINFO
// record. EncodeExif writes a JPEG stream back from the sections held.
// Failures leave a text in m_szLastError.
#pragma once

#include "image/ImageExport.h"
#include "platform/win32/wintypes.h"

class CxFile;

constexpr int MAX_COMMENT = 1000;
constexpr int MAX_SECTIONS = 20;

constexpr int EXIF_READ_EXIF = 0x01;   // parse the EXIF and comment sections
constexpr int EXIF_READ_IMAGE = 0x02;  // keep the image data after the scan header
constexpr int EXIF_READ_ALL = 0x03;

// Type of the section that holds the image data after the start of scan.
constexpr int PSEUDO_IMAGE_MARKER = 0x123;

struct EXIFINFO {
    char Version[5];
    char CameraMake[32];
    char CameraModel[40];
    char DateTime[20];
    int Height, Width;
    int Orientation;
    int IsColor;
    int Process;
    int FlashUsed;
    float FocalLength;
    float ExposureTime;
    float ApertureFNumber;
    float Distance;
    float CCDWidth;
    float ExposureBias;
    int LightSource;
    int MeteringMode;
    int ExposureProgram;
    int ISOequivalent;
    int CompressionLevel;
    float FocalplaneXRes;
    float FocalplaneYRes;
    float FocalplaneUnits;
    float Xresolution;
    float Yresolution;
    float ResolutionUnit;
    float Brightness;
    char Comments[MAX_COMMENT];
    unsigned char* ThumbnailPointer;  // into the APP1 section's data, while the reader holds it
    unsigned ThumbnailSize;
    bool IsExif;
};

class CXIMAGE_API CxExifInfo {
public:
    struct ExifSection {
        BYTE* Data;  // the two length bytes, then the payload; or the image data
        int Type;
        unsigned Size;
    };

    // Fills `info`, or a zeroed record of its own when given none.
    explicit CxExifInfo(EXIFINFO* info = nullptr);
    ~CxExifInfo();
    CxExifInfo(const CxExifInfo&) = delete;
    CxExifInfo& operator=(const CxExifInfo&) = delete;

    bool DecodeExif(CxFile* hFile, int nReadMode = EXIF_READ_EXIF);
    bool EncodeExif(CxFile* hFile);
    // Keeps only the first APP1 and the first comment section.
    void DiscardAllButExif();

    EXIFINFO* m_pExifInfo;
    char m_szLastError[256];

protected:
    bool ReadSection(CxFile* hFile, int nReadMode, bool& done, bool& haveComment);
    bool ReadImageData(CxFile* hFile);
    bool ProcessExif(BYTE* CharBuf, unsigned length);
    bool ProcessExifDir(unsigned dirOffset, BYTE* OffsetBase, unsigned ExifLength, int NestingLevel);
    bool ProcessEntry(const BYTE* entry, BYTE* OffsetBase, unsigned ExifLength, int NestingLevel,
                      unsigned& thumbnailOffset, unsigned& thumbnailSize);
    void ProcessUserComment(BYTE* value, unsigned byteCount);
    void ProcessComment(const BYTE* Data, unsigned length);
    void ProcessSofn(const BYTE* Data, unsigned length, int marker);
    double ConvertAnyFormat(const BYTE* ValuePtr, int Format);
    ExifSection* FindSection(int SectionType);
    // Frees a section's data, clearing a thumbnail that pointed into it.
    void FreeSection(ExifSection& section);
    void Fail(const char* text);

    int Get16m(const BYTE* Short);
    int Get16u(const BYTE* Short);
    long Get32s(const BYTE* Long);
    unsigned long Get32u(const BYTE* Long);

    int m_nExifImageWidth;
    int m_bMotorolaOrder;
    ExifSection m_Sections[MAX_SECTIONS];
    int m_nSectionsRead;
    bool m_bFreeInfo;
    // Directory offsets already parsed in this EXIF block; a link to one of
    // them is not followed again.
    unsigned m_visited[64];
    int m_nVisited;
};
