// A program that links the engine library uses its image classes the way
// the library's users do: constructing them, calling them, deriving from
// them and casting between them. Each of those needs the class's code, its
// virtual table or its type information exported from the library.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "image/CxIOFile.h"
#include "image/CxImage.h"
#include "image/CxMemFile.h"
#include "image/ImageFormats.h"

namespace {

const BYTE kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Derived in the program, so the library's virtual table and type
// information of CxMemFile have to be visible here.
struct CountingMemFile : CxMemFile {
    size_t writes = 0;
    size_t Write(const void* buffer, size_t size, size_t count) override
    {
        writes++;
        return CxMemFile::Write(buffer, size, count);
    }
};

CxImage TwoByTwo()
{
    CxImage image;
    EXPECT_NE(image.Create(2, 2, 24, CXIMAGE_FORMAT_PNG), nullptr);
    image.SetPixelColor(1, 0, RGBQUAD{0x10, 0x20, 0x30, 0});
    return image;
}

TEST(CorvaneExports, ImageEncodesIntoAMemoryFileDerivedInTheProgram)
{
    CxImage image = TwoByTwo();
    CountingMemFile file;
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(image.Encode(&file, CXIMAGE_FORMAT_PNG)) << image.GetLastError();
    EXPECT_GT(file.writes, 0u);

    CxFile* base = &file;
    EXPECT_NE(dynamic_cast<CxMemFile*>(base), nullptr);
    EXPECT_EQ(dynamic_cast<CxIOFile*>(base), nullptr);

    ASSERT_GE(file.Size(), long(sizeof kPngSignature));
    BYTE* bytes = file.GetBuffer(true);
    EXPECT_EQ(std::memcmp(bytes, kPngSignature, sizeof kPngSignature), 0);
    std::free(bytes);
}

TEST(CorvaneExports, ImageSavesThroughAFileObject)
{
    std::string path = (std::filesystem::temp_directory_path() /
                        ("corvane-exports-" + std::to_string(::getpid()) + ".png")).string();
    CxImage image = TwoByTwo();
    {
        CxIOFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "wb"));
        ASSERT_TRUE(image.Encode(&file, CXIMAGE_FORMAT_PNG)) << image.GetLastError();
    }
    BYTE head[sizeof kPngSignature] = {};
    FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(std::fread(head, 1, sizeof head, in), sizeof head);
    std::fclose(in);
    std::filesystem::remove(path);
    EXPECT_EQ(std::memcmp(head, kPngSignature, sizeof kPngSignature), 0);
}

} // namespace
