// The JPEG format object: compresses the image it ghosts with libjpeg. When
// an EXIF reader is attached, the new file is rewritten with the reader's
// EXIF and comment sections in front.
#pragma once

#include "image/CxExifInfo.h"
#include "image/CxImage.h"

class CxFileJpg;

class CXIMAGE_API CxImageJPG : public CxImage {
public:
    // Bits of the JPEG codec option word (slot CXIMAGE_FORMAT_JPG).
    enum CODEC_OPTION {
        ENCODE_BASELINE = 0x1,
        ENCODE_ARITHMETIC = 0x2,
        ENCODE_GRAYSCALE = 0x4,
        ENCODE_OPTIMIZE = 0x8,
        ENCODE_PROGRESSIVE = 0x10,
        ENCODE_LOSSLESS = 0x20,
        ENCODE_SMOOTHING = 0x40,
        DECODE_GRAYSCALE = 0x80,
        DECODE_QUANTIZE = 0x100,
        DECODE_DITHER = 0x200,
        DECODE_ONEPASS = 0x400,
        DECODE_NOSMOOTH = 0x800,
        ENCODE_SUBSAMPLE_422 = 0x1000,
        ENCODE_SUBSAMPLE_444 = 0x2000,
    };

    CxImageJPG();
    ~CxImageJPG() override;
    CxImageJPG(const CxImageJPG&) = delete;
    CxImageJPG& operator=(const CxImageJPG&) = delete;

    bool Encode(CxFile* hFile);

protected:
    CxExifInfo* m_exif;     // owned; its sections go into the written file
    EXIFINFO m_exifinfo;
    int m_nSmoothing;       // 0 to 100, used with ENCODE_SMOOTHING

private:
    bool Compress(CxFileJpg& dest);
    void SetOptions(struct jpeg_compress_struct& cinfo);
    void WriteRows(struct jpeg_compress_struct& cinfo);
    bool InsertExif(CxFile* hFile, long pos);
};
