// The stdio layer, the embedded resource table and the real-file search
// behind them.
#include "engine/resources/LayerStream.h"
#include "engine/resources/ResStdio.h"
#include "engine/resources/ResourceFolders.h"
#include "engine/resources/ResourceTable.h"
#include "tests/ScopedEnv.h"
#include "tests/engine/FolderFiles.h"
#include "tests/support/PdfMaker.h"
#include "tests/engine/PelmoraModule.h"
#include "platform/win32/ModuleFileName.h"

#include <gtest/gtest.h>

#include <Error.h>
#include <PDFDoc.h>
#include <Stream.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

void WriteText(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The whole content of a layer handle, read byte by byte.
std::string ReadAll(FILE* file)
{
    std::string text;
    for (int c; (c = res_fgetc(file)) != EOF;)
        text += char(c);
    return text;
}

// The source of a row: its poppler-data file, or the engine's own "rc".
std::string SourceOf(const std::string& row)
{
    if (row == "rc")
        return ENGINE_SOURCE_DIR "/engine/resources/rc";
    size_t dot = row.rfind('.');
    return "/usr/share/poppler/" + row.substr(dot + 1) + "/" + row.substr(0, dot);
}

std::string Mixed(std::string name)
{
    for (size_t i = 0; i < name.size(); ++i)
        name[i] = char(i % 2 ? std::tolower(name[i]) : std::toupper(name[i]));
    return name;
}

TEST(ResourceTable, HoldsTheRowsInOrderEachExpandingToItsSource)
{
    const char* const names[kResourceCount] = {
        "Adobe-GB1.cidToUnicode", "ISO-2022-CN.unicodeMap", "EUC-CN.unicodeMap", "GBK.unicodeMap",
        "Adobe-CNS1.cidToUnicode", "Big5.unicodeMap", "Big5ascii.unicodeMap", "Bulgarian.nameToUnicode",
        "KOI8-R.unicodeMap", "Greek.nameToUnicode", "ISO-8859-7.unicodeMap", "ISO-8859-8.unicodeMap",
        "Windows-1255.unicodeMap", "Adobe-Japan1.cidToUnicode", "ISO-2022-JP.unicodeMap", "EUC-JP.unicodeMap",
        "Shift-JIS.unicodeMap", "Adobe-Korea1.cidToUnicode", "ISO-2022-KR.unicodeMap", "Thai.nameToUnicode",
        "TIS-620.unicodeMap", "rc",
    };
    for (int row = 0; row < kResourceCount; ++row) {
        SCOPED_TRACE(names[row]);
        ASSERT_STREQ(resourceTable[row].name, names[row]);
        EXPECT_GT(resourceTable[row].size, 0u);
        std::string source = FileText(SourceOf(names[row]));
        ASSERT_FALSE(source.empty());
        // Any letter case, with or without a drive and folders in front.
        for (std::string asked : {std::string(names[row]), Mixed(names[row]), "C:\\some\\folder\\" + Mixed(names[row]),
                                  "/no/such/folder/" + std::string(names[row])}) {
            std::vector<unsigned char> expanded;
            ASSERT_EQ(LoadEmbeddedResource(asked.c_str(), expanded), source.size()) << asked;
            EXPECT_EQ(std::string(expanded.begin(), expanded.end()), source) << asked;
        }
    }
}

TEST(ResourceTable, FindsNothingForNamesThatAreNotRows)
{
    std::vector<unsigned char> expanded{1, 2, 3};
    for (const char* name : {"Adobe-Japan1", "Greek", "rc.txt", "xrc", "", "/usr/share/poppler/", "Adobe-Japan1.cid"})
        EXPECT_EQ(LoadEmbeddedResource(name, expanded), 0u) << name;
    EXPECT_EQ(LoadEmbeddedResource(nullptr, expanded), 0u);
}

TEST(ResourceTable, InflateKeepsWhatCameBeforeDamage)
{
    std::vector<unsigned char> stored(resourceTable[0].data, resourceTable[0].data + resourceTable[0].size), whole,
        partial;
    for (unsigned char& byte : stored)
        byte ^= 0xA7;
    uint32_t size = InflateResource(stored, whole);
    ASSERT_GT(size, 10000u);
    stored.resize(stored.size() / 2);
    uint32_t cut = InflateResource(stored, partial);
    EXPECT_GT(cut, 0u);
    EXPECT_LT(cut, size);
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), whole.begin()));
    std::vector<unsigned char> garbage(100, 0x55);
    EXPECT_EQ(InflateResource(garbage, partial), 0u);
    EXPECT_TRUE(partial.empty());
}

TEST(StdioLayer, PlainReadsOfAResourceNameAreServedFromTheTable)
{
    ScratchFolder folder;
    const std::string rc = FileText(SourceOf("rc"));
    // A real PDF named "rc" still reads as the table's configuration.
    WriteText(folder.File("rc"), "%PDF-1.4\n%%EOF\n");
    for (std::string path : {folder.File("rc"), std::string("/no/such/folder/rc"), std::string("RC")}) {
        for (const char* mode : {"r", "rb"}) {
            FILE* file = res_fopen(path.c_str(), mode);
            ASSERT_NE(file, nullptr) << path << " " << mode;
            ASSERT_NE(AsMemoryStream(file), nullptr);
            EXPECT_EQ(ReadAll(file), rc);
            EXPECT_EQ(res_fclose(file), 0);
        }
    }
    // Other reading modes search real files only.
    EXPECT_EQ(res_fopen("/no/such/folder/rc", "rt"), nullptr);
    FILE* real = res_fopen(folder.File("rc").c_str(), "rt");
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(AsMemoryStream(real), nullptr);
    EXPECT_EQ(ReadAll(real), "%PDF-1.4\n%%EOF\n");
    EXPECT_EQ(res_fclose(real), 0);
}

TEST(StdioLayer, MemoryStreamPositionsAndBounds)
{
    FILE* file = res_fopen("Greek.nameToUnicode", "rb");
    ASSERT_NE(file, nullptr);
    const std::string text = FileText(SourceOf("Greek.nameToUnicode"));
    const long length = long(text.size());

    res_fseek(file, 0, SEEK_END);
    EXPECT_EQ(res_ftell(file), length);
    res_fseek(file, 0, SEEK_SET);
    EXPECT_EQ(res_ftell(file), 0);
    EXPECT_EQ(res_ungetc('x', file), EOF); // nothing before the start

    // Relative moves for any whence but 0 and 2.
    res_fseek(file, 5, SEEK_CUR);
    res_fseek(file, 2, 7);
    EXPECT_EQ(res_ftell(file), 7);

    // A read past the end copies the rest and counts whole elements.
    char buffer[4096];
    res_fseek(file, -10, SEEK_END);
    EXPECT_EQ(res_fread(buffer, 4, 100, file), 2u);
    EXPECT_EQ(std::string(buffer, 10), text.substr(text.size() - 10));
    EXPECT_EQ(res_fread(buffer, 1, 1, file), 0u);
    EXPECT_EQ(res_ftell(file), length);

    // The last byte, then the end, then a step back onto the last byte that
    // keeps its stored value whatever is pushed back.
    res_fseek(file, -1, SEEK_END);
    EXPECT_EQ(res_fgetc(file), (unsigned char)text.back());
    EXPECT_EQ(res_fgetc(file), EOF);
    EXPECT_EQ(res_ungetc('Q', file), 'Q');
    EXPECT_EQ(res_fgetc(file), (unsigned char)text.back());

    // Positions beyond the end, the one a seek to -1 gives included, read
    // nothing.
    for (long offset : {length + 1, long(INT_MAX), -1L, long(UINT_MAX)}) {
        res_fseek(file, offset, SEEK_SET);
        EXPECT_EQ(res_fgetc(file), EOF) << offset;
        EXPECT_EQ(res_fread(buffer, 1, sizeof buffer, file), 0u) << offset;
    }
    // A size times count that does not fit asks for all that is left: no
    // whole element of that size.
    res_fseek(file, 0, SEEK_SET);
    std::string all(text.size(), '\0');
    EXPECT_EQ(res_fread(all.data(), SIZE_MAX / 2, 4, file), 0u);
    EXPECT_EQ(res_ftell(file), length);
    EXPECT_EQ(all, text);
    EXPECT_EQ(res_fclose(file), 0);
}

// A memory stream reads as the runtime reads a real file of the same bytes:
// the same count of elements, the same bytes and the same position after.
TEST(StdioLayer, MemoryStreamReadsCountElementsAsTheRuntimeDoes)
{
    ScratchFolder folder;
    const std::string text = FileText(SourceOf("Greek.nameToUnicode"));
    WriteText(folder.File("real"), text);
    const long length = long(text.size());
    struct Case {
        long start;
        size_t size, count;
    } cases[] = {
        {0, 1, 16},         {0, 4, 4},         {3, 8, 2},           {length - 10, 4, 100}, {length - 10, 4, 2},
        {length - 3, 4, 1}, {length - 8, 8, 1}, {length - 8, 8, 2}, {length, 4, 1},        {0, 7, 0},
        {0, 0, 7},          {1, size_t(length), 1}, {0, size_t(length), 1},
    };
    FILE* memory = res_fopen("Greek.nameToUnicode", "rb");
    FILE* real = std::fopen(folder.File("real").c_str(), "rb");
    ASSERT_NE(memory, nullptr);
    ASSERT_NE(AsMemoryStream(memory), nullptr);
    ASSERT_NE(real, nullptr);
    for (const Case& c : cases) {
        std::string got(4096, '\0'), expected(4096, '\0');
        res_fseek(memory, c.start, SEEK_SET);
        std::fseek(real, c.start, SEEK_SET);
        const size_t gotCount = res_fread(got.data(), c.size, c.count, memory);
        EXPECT_EQ(gotCount, std::fread(expected.data(), c.size, c.count, real)) << c.start << " " << c.size << " " << c.count;
        EXPECT_EQ(res_ftell(memory), std::ftell(real)) << c.start << " " << c.size << " " << c.count;
        EXPECT_EQ(got, expected) << c.start << " " << c.size << " " << c.count;
    }
    res_fclose(memory);
    std::fclose(real);
}

TEST(StdioLayer, ANullHandleGivesEndOfFileOrNothing)
{
    char buffer[4];
    EXPECT_EQ(res_fclose(nullptr), EOF);
    EXPECT_EQ(res_ftell(nullptr), -1);
    EXPECT_EQ(res_fseek(nullptr, 0, SEEK_SET), -1);
    EXPECT_EQ(res_fread(buffer, 1, 4, nullptr), 0u);
    EXPECT_EQ(res_fgetc(nullptr), EOF);
    EXPECT_EQ(res_ungetc('a', nullptr), EOF);
    EXPECT_EQ(res_fopen(nullptr, "r"), nullptr);
}

TEST(StdioLayer, RealStreamsGoToTheRuntime)
{
    ScratchFolder folder;
    WriteText(folder.File("plain.txt"), "abc");
    FILE* file = res_fopen(folder.File("plain.txt").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(res_fgetc(file), 'a');
    EXPECT_EQ(res_ungetc('z', file), 'z');
    EXPECT_EQ(res_fgetc(file), 'z'); // the runtime's push-back
    EXPECT_EQ(res_fseek(file, 0, SEEK_END), 0);
    EXPECT_EQ(res_ftell(file), 3);
    res_fseek(file, 1, SEEK_SET);
    char buffer[8];
    EXPECT_EQ(res_fread(buffer, 2, 4, file), 1u); // elements, as the runtime counts
    EXPECT_EQ(res_fclose(file), 0);
}

TEST(ResourceFolders, ReadsFallBackToTheProgramAndResourceFoldersThenTheTemporaryFolder)
{
    ScratchFolder program, temp;
    PelmoraModule pelmora(program.Path());
    ASSERT_TRUE(pelmora.Loaded()) << dlerror();
    ASSERT_EQ(ProgramFolder(), program.Path() + "/");
    ScopedEnv tempDirectory("TMPDIR", temp.Path().c_str());

    WriteText(program.File("beside.txt"), "beside");
    WriteText(program.File("encoding/enc.txt"), "encoding");
    WriteText(program.File("Resource/res.txt"), "resource");
    WriteText(program.File("Resource/CMap/UniTest-H"), "cmap");
    WriteText(temp.File("sub/temp.txt"), "temp");
    struct Case {
        std::string name;
        const char* expected;
    } cases[] = {
        {"/missing/folder/beside.txt", "beside"},
        {"enc.txt", "encoding"},
        {"C:\\windows\\res.txt", "resource"},
        {"/missing/folder/UniTest-H", "cmap"},
        {"sub/temp.txt", "temp"},
    };
    for (const Case& c : cases) {
        FILE* file = res_fopen(c.name.c_str(), "r");
        ASSERT_NE(file, nullptr) << c.name;
        EXPECT_EQ(ReadAll(file), c.expected) << c.name;
        res_fclose(file);
    }
    // The temporary folder takes the name as given: a bare name is not
    // enough, and an absolute name is never put under it.
    EXPECT_EQ(res_fopen("temp.txt", "r"), nullptr);
    // A folder is no file to open, nor is an empty name.
    EXPECT_EQ(res_fopen("sub/", "r"), nullptr);
    EXPECT_EQ(res_fopen("", "r"), nullptr);
    WriteText(temp.File("abs/only.txt"), "under temp");
    EXPECT_EQ(res_fopen("/abs/only.txt", "r"), nullptr);
}

TEST(ResourceFolders, ModesThatWriteOrCreateStopAfterTheNameAsGiven)
{
    ScratchFolder program, temp, working;
    PelmoraModule pelmora(program.Path());
    ASSERT_TRUE(pelmora.Loaded()) << dlerror();
    ScopedEnv tempDirectory("TMPDIR", temp.Path().c_str());
    const std::filesystem::path oldWorking = std::filesystem::current_path();
    std::filesystem::current_path(working.Path());
    WriteText(program.File("kept.txt"), "kept");
    WriteText(program.File("Resource/CMap/kept.txt"), "kept");
    WriteText(temp.File("kept.txt"), "kept");

    for (const char* mode : {"w", "wb", "a", "ab", "w+", "a+", "r+", "rb+", "r+b", "wt"}) {
        EXPECT_EQ(res_fopen("/no/such/folder/kept.txt", mode), nullptr) << mode;
        // The name as given, in the working folder, opens only when the mode
        // creates it there.
        FILE* file = res_fopen("kept.txt", mode);
        EXPECT_EQ(file != nullptr, mode[0] != 'r') << mode;
        if (file)
            res_fclose(file);
        std::filesystem::remove("kept.txt");
    }
    std::filesystem::current_path(oldWorking);
    EXPECT_EQ(FileText(program.File("kept.txt")), "kept");
    EXPECT_EQ(FileText(program.File("Resource/CMap/kept.txt")), "kept");
    EXPECT_EQ(FileText(temp.File("kept.txt")), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path()), {}), 1);
}

// A program folder longer than the old fixed buffer of 1024 characters is
// had whole, never cut to another folder.
TEST(ResourceFolders, ADeepProgramFolderIsHadWhole)
{
    ScratchFolder scratch;
    const std::string program = LongFolder(scratch.Path(), 1500); // past any fixed buffer of 1024
    PelmoraModule pelmora(program);
    ASSERT_TRUE(pelmora.Loaded()) << dlerror();
    EXPECT_EQ(ProgramFolder(), program + "/");
    EXPECT_EQ(ModulePath(GetModuleHandleA("Pelmora.dll")), program + "/Pelmora.dll");
    WriteText(program + "/Resource/deep.txt", "deep");
    FILE* file = res_fopen("/missing/deep.txt", "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(file), "deep");
    res_fclose(file);
}

TEST(ResourceFolders, ProgramFolderIsTheRunningProgramsWithoutPelmora)
{
    EXPECT_EQ(ProgramFolder(), ENGINE_TEST_BINARY_DIR "/");
    char path[1024];
    unsigned long length = GetMyModuleFileName(0, path, sizeof path);
    EXPECT_EQ(length, std::string(path).size());
    EXPECT_EQ(std::filesystem::path(path).filename(), "ResourceLayerTest");
}

// The core's messages while a test opens a document.
std::vector<std::string> g_coreMessages;

void KeepCoreMessage(ErrorCategory, Goffset, const char* message)
{
    g_coreMessages.push_back(message);
}

// The core reads a file through the layer in whole chunks of 8192 bytes,
// so its last chunk runs past the end of the file: a PDF of one chunk and
// one of several open with no complaint from the core, and every byte comes
// back the first time it is asked for.
TEST(LayerStream, TheEndOfTheFileEndsTheCoresLastChunk)
{
    ScratchFolder folder;
    std::string pages = "%!PS\n/Helvetica findfont 12 scalefont setfont\n";
    for (int page = 1; page <= 40; ++page)
        pages += "20 700 moveto (Page " + std::to_string(page) + " of a longer document) show showpage\n";
    const std::string pdfs[] = {MakePdf(folder, "short", "%!PS\n0 0 1 setrgbcolor 10 10 50 50 rectfill showpage\n"),
                                MakePdf(folder, "long", pages)};
    ASSERT_LT(std::filesystem::file_size(pdfs[0]), 8192u);
    ASSERT_GT(std::filesystem::file_size(pdfs[1]), 2 * 8192u);
    for (const std::string& pdf : pdfs) {
        const std::string bytes = FileText(pdf);
        std::unique_ptr<BaseStream> stream(OpenLayerStream(pdf.c_str()));
        ASSERT_NE(stream, nullptr);
        stream->setPos(bytes.size() - 10);
        std::string tail;
        for (int c; (c = stream->getChar()) != EOF;)
            tail += char(c);
        EXPECT_EQ(tail, bytes.substr(bytes.size() - 10)) << pdf;

        g_coreMessages.clear();
        setErrorCallback(KeepCoreMessage);
        PDFDoc doc(OpenLayerStream(pdf.c_str()));
        setErrorCallback(nullptr);
        ASSERT_TRUE(doc.isOk()) << pdf;
        EXPECT_EQ(doc.getPDFMajorVersion() * 10 + doc.getPDFMinorVersion(), 17) << pdf;
        EXPECT_EQ(g_coreMessages, std::vector<std::string>{}) << pdf;
    }
}

} // namespace
