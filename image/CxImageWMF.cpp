#include "image/CxImageWMF.h"

bool CxImageWMF::Encode(CxFile* hFile)
{
    if (!hFile) return false;
    SetLastError("Save WMF not supported");
    return false;
}
