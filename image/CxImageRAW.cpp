#include "image/CxImageRAW.h"

bool CxImageRAW::Encode(CxFile* hFile)
{
    if (!hFile) return false;
    SetLastError("Save RAW not supported");
    return false;
}
