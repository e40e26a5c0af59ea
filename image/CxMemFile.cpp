#include "image/CxMemFile.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Memory files grow in steps of this many bytes.
constexpr size_t kGrowthStep = 0x10000;

}  // namespace

CxMemFile::CxMemFile(BYTE* buffer, size_t size)
    : m_pBuffer(buffer),
      m_Size(static_cast<long>(size)),
      m_bFreeOnClose(buffer == nullptr),
      m_Position(0),
      m_Edge(size)
{
}

CxMemFile::CxMemFile(const CxMemFile& other)
    : CxFile(other),
      m_pBuffer(other.m_pBuffer),
      m_Size(other.m_Size),
      m_bFreeOnClose(false),
      m_Position(other.m_Position),
      m_Edge(other.m_Edge)
{
}

CxMemFile& CxMemFile::operator=(const CxMemFile& other)
{
    if (this != &other) {
        Close();
        m_pBuffer = other.m_pBuffer;
        m_Size = other.m_Size;
        m_bFreeOnClose = false;
        m_Position = other.m_Position;
        m_Edge = other.m_Edge;
    }
    return *this;
}

CxMemFile::~CxMemFile()
{
    Close();
}

bool CxMemFile::Open()
{
    if (m_pBuffer) return false;
    m_Size = m_Position = 0;
    m_Edge = 0;
    m_pBuffer = static_cast<BYTE*>(calloc(1, 1));
    m_bFreeOnClose = true;
    return m_pBuffer != nullptr;
}

BYTE* CxMemFile::GetBuffer(bool detach)
{
    if (detach) m_bFreeOnClose = false;
    return m_pBuffer;
}

bool CxMemFile::Close()
{
    if (m_pBuffer && m_bFreeOnClose) {
        free(m_pBuffer);
        m_pBuffer = nullptr;
        m_Size = 0;
        m_Position = 0;
        m_Edge = 0;
    }
    return true;
}

// Grows an owned block in place; a block the object does not own (a caller's
// buffer, or one handed out by GetBuffer) is copied into a new owned block and
// left untouched. When memory runs out the old block stays as it was.
bool CxMemFile::Alloc(size_t newLength)
{
    if (newLength > m_Edge) {
        size_t newEdge = (newLength & ~(kGrowthStep - 1)) + kGrowthStep;
        if (newEdge < newLength) return false;
        BYTE* block;
        if (m_bFreeOnClose) {
            block = static_cast<BYTE*>(realloc(m_pBuffer, newEdge));
        } else {
            block = static_cast<BYTE*>(malloc(newEdge));
            if (block && m_pBuffer) memcpy(block, m_pBuffer, m_Edge);
        }
        if (!block) return false;
        memset(block + m_Edge, 0, newEdge - m_Edge);
        m_pBuffer = block;
        m_Edge = newEdge;
        m_bFreeOnClose = true;
    }
    return m_pBuffer != nullptr;
}

size_t CxMemFile::Read(void* buffer, size_t size, size_t count)
{
    if (!buffer || !m_pBuffer || m_Position >= m_Size) return 0;
    size_t n;
    if (__builtin_mul_overflow(size, count, &n) || n == 0) return 0;
    size_t left = static_cast<size_t>(m_Size - m_Position);
    if (n > left) n = left;
    memcpy(buffer, m_pBuffer + m_Position, n);
    m_Position += static_cast<long>(n);
    return n / size;
}

size_t CxMemFile::Write(const void* buffer, size_t size, size_t count)
{
    if (!m_pBuffer || !buffer) return 0;
    size_t n;
    if (__builtin_mul_overflow(size, count, &n) || n == 0) return 0;
    if (n > static_cast<size_t>(LONG_MAX - m_Position)) return 0;
    size_t end = static_cast<size_t>(m_Position) + n;
    if (end > m_Edge && !Alloc(end)) return 0;
    memcpy(m_pBuffer + m_Position, buffer, n);
    m_Position = static_cast<long>(end);
    if (m_Position > m_Size) m_Size = m_Position;
    return count;
}

bool CxMemFile::Seek(long offset, int origin)
{
    if (!m_pBuffer) return false;
    long base;
    switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = m_Position; break;
    case SEEK_END: base = m_Size; break;
    default: return false;
    }
    long position;
    if (__builtin_add_overflow(base, offset, &position)) return false;
    m_Position = position < 0 ? 0 : position;
    return true;
}

long CxMemFile::Tell()
{
    if (!m_pBuffer) return -1;
    return m_Position;
}

long CxMemFile::Size()
{
    if (!m_pBuffer) return -1;
    return m_Size;
}

bool CxMemFile::Flush()
{
    return m_pBuffer != nullptr;
}

bool CxMemFile::Eof()
{
    if (!m_pBuffer) return true;
    return m_Position >= m_Size;
}

long CxMemFile::Error()
{
    if (!m_pBuffer) return -1;
    return m_Position > m_Size ? 1 : 0;
}

bool CxMemFile::PutC(unsigned char c)
{
    if (!m_pBuffer || m_Position == LONG_MAX) return false;
    if (static_cast<unsigned long>(m_Position) >= m_Edge
        && !Alloc(static_cast<size_t>(m_Position) + 1))
        return false;
    m_pBuffer[m_Position++] = c;
    if (m_Position > m_Size) m_Size = m_Position;
    return true;
}

long CxMemFile::GetC()
{
    if (Eof()) return -1;
    return m_pBuffer[m_Position++];
}

char* CxMemFile::GetS(char* string, int n)
{
    int stored = 0;
    while (stored < n - 1) {
        long c = GetC();
        if (c == -1) return nullptr;
        string[stored++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    if (n > 0) string[stored] = '\0';
    return string;
}

long CxMemFile::Scanf(const char*, void*)
{
    return 0;
}
