#include "EncodeChecks.h"

#include <gtest/gtest.h>
#include <unistd.h>

std::string TempPath(const std::string& name, const std::string& extension)
{
    return testing::TempDir() + "enc_" + std::to_string(getpid()) + "_" + name + "." + extension;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<BYTE> EncodeToMemory(CxImage& image, DWORD imagetype)
{
    CxMemFile memory;
    memory.Open();
    EXPECT_TRUE(image.Encode(&memory, imagetype)) << image.GetLastError();
    const BYTE* data = memory.GetBuffer(false);
    return std::vector<BYTE>(data, data + memory.Size());
}

void ExpectRefused(CxImage& image, DWORD imagetype, const char* text)
{
    CxMemFile file;
    ASSERT_TRUE(file.Open());
    EXPECT_FALSE(image.Encode(&file, imagetype)) << "format " << imagetype;
    EXPECT_STREQ(image.GetLastError(), text) << "format " << imagetype;
    EXPECT_EQ(file.Size(), 0) << "format " << imagetype;
}

size_t ShortFile::Write(const void* buffer, size_t size, size_t count)
{
    if (size == 0) return 0;
    long room = m_room - Tell();
    size_t fit = room <= 0 ? 0 : size_t(room) / size;
    if (fit > count) fit = count;
    if (fit == 0) return 0;
    return CxMemFile::Write(buffer, size, fit);
}

bool ShortFile::PutC(unsigned char c)
{
    if (Tell() + 1 > m_room) return false;
    return CxMemFile::PutC(c);
}
