// Format ids of the image library. Id 16 has no format; the option words of
// the information record have one slot per id (see CxImage::GetTypeIndexFromId).
#pragma once

#include "platform/win32/wintypes.h"

constexpr DWORD CXIMAGE_FORMAT_UNKNOWN = 0;
constexpr DWORD CXIMAGE_FORMAT_BMP = 1;
constexpr DWORD CXIMAGE_FORMAT_GIF = 2;
constexpr DWORD CXIMAGE_FORMAT_JPG = 3;
constexpr DWORD CXIMAGE_FORMAT_PNG = 4;
constexpr DWORD CXIMAGE_FORMAT_ICO = 5;
constexpr DWORD CXIMAGE_FORMAT_TIF = 6;
constexpr DWORD CXIMAGE_FORMAT_TGA = 7;
constexpr DWORD CXIMAGE_FORMAT_PCX = 8;
constexpr DWORD CXIMAGE_FORMAT_WBMP = 9;
constexpr DWORD CXIMAGE_FORMAT_WMF = 10;
constexpr DWORD CXIMAGE_FORMAT_JP2 = 11;
constexpr DWORD CXIMAGE_FORMAT_JPC = 12;
constexpr DWORD CXIMAGE_FORMAT_PGX = 13;
constexpr DWORD CXIMAGE_FORMAT_PNM = 14;
constexpr DWORD CXIMAGE_FORMAT_RAS = 15;
constexpr DWORD CXIMAGE_FORMAT_MNG = 17;
constexpr DWORD CXIMAGE_FORMAT_SKA = 18;
constexpr DWORD CXIMAGE_FORMAT_RAW = 19;

// Slots of CXIMAGEINFO::dwCodecOpt: ids 0 to 15, then 17, 18 and 19.
constexpr int CMAX_IMAGE_FORMATS = 19;
