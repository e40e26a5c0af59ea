#include "image/CxIOFile.h"

#include "platform/win32/RegularFile.h"

CxIOFile::CxIOFile(FILE* fp) : m_fp(fp), m_bCloseFile(fp == nullptr) {}

CxIOFile::CxIOFile(const CxIOFile& other)
    : CxFile(other), m_fp(other.m_fp), m_bCloseFile(false) {}

CxIOFile& CxIOFile::operator=(const CxIOFile& other)
{
    if (this != &other) {
        Close();
        m_fp = other.m_fp;
        m_bCloseFile = false;
    }
    return *this;
}

CxIOFile::~CxIOFile()
{
    Close();
}

bool CxIOFile::Open(const char* filename, const char* mode)
{
    if (m_fp || !filename || !mode) return false;
    // A file read is a regular file: a FIFO or device would hold the
    // reader up for ever. A write may go to a device (/dev/full, say).
    m_fp = mode[0] == 'r' ? FopenRegularFile(filename, mode) : fopen(filename, mode);
    if (!m_fp) return false;
    m_bCloseFile = true;
    return true;
}

bool CxIOFile::Close()
{
    if (!m_fp || !m_bCloseFile) return true;
    int result = fclose(m_fp);
    m_fp = nullptr;
    return result == 0;
}

size_t CxIOFile::Read(void* buffer, size_t size, size_t count)
{
    if (!m_fp) return 0;
    return fread(buffer, size, count, m_fp);
}

size_t CxIOFile::Write(const void* buffer, size_t size, size_t count)
{
    if (!m_fp) return 0;
    return fwrite(buffer, size, count, m_fp);
}

bool CxIOFile::Seek(long offset, int origin)
{
    if (!m_fp) return false;
    return fseek(m_fp, offset, origin) == 0;
}

long CxIOFile::Tell()
{
    if (!m_fp) return 0;
    return ftell(m_fp);
}

long CxIOFile::Size()
{
    if (!m_fp) return -1;
    long position = ftell(m_fp);
    fseek(m_fp, 0, SEEK_END);
    long size = ftell(m_fp);
    fseek(m_fp, position, SEEK_SET);
    return size;
}

bool CxIOFile::Flush()
{
    if (!m_fp) return false;
    return fflush(m_fp) == 0;
}

bool CxIOFile::Eof()
{
    if (!m_fp) return true;
    return feof(m_fp) != 0;
}

long CxIOFile::Error()
{
    if (!m_fp) return -1;
    return ferror(m_fp);
}

bool CxIOFile::PutC(unsigned char c)
{
    if (!m_fp) return false;
    return fputc(c, m_fp) == c;
}

long CxIOFile::GetC()
{
    if (!m_fp) return -1;
    return getc(m_fp);
}

char* CxIOFile::GetS(char* string, int n)
{
    if (!m_fp) return nullptr;
    return fgets(string, n, m_fp);
}

long CxIOFile::Scanf(const char* format, void* output)
{
    if (!m_fp) return -1;
    return fscanf(m_fp, format, output);
}
