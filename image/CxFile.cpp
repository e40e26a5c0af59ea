#include "image/CxFile.h"

CxFile::CxFile() = default;
CxFile::CxFile(const CxFile&) = default;
CxFile& CxFile::operator=(const CxFile&) = default;
CxFile::~CxFile() = default;

bool CxFile::PutC(unsigned char c)
{
    return Write(&c, 1, 1) == 1;
}
