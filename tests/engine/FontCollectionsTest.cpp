// TrueType collections split into standalone fonts, judged by fontTools and
// fc-scan; damaged collections give no file and no crash.
#include "engine/resources/FontCollections.h"
#include "tests/ScopedEnv.h"
#include "tests/support/OutsidePrograms.h"
#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const notoFolder = "/usr/share/fonts/opentype/noto/";
const char* const notoCollections[] = {"NotoSansCJK-Regular", "NotoSansCJK-Bold", "NotoSerifCJK-Regular",
                                       "NotoSerifCJK-Bold"};

// Points the Windows folder at a scratch folder with an empty "fonts".
class ScratchWindowsFolder {
public:
    ScratchWindowsFolder() { fs::create_directory(folder_.File("fonts")); }
    std::string Font(const std::string& name) const { return folder_.File("fonts/" + name); }

private:
    ScratchFolder folder_;
    ScopedEnv windowsFolder_{"VANTREL_WINDOWS_DIR", folder_.Path().c_str()};
};

// Everything the command writes until it ends; its status in *status.
std::string FinishCommand(FILE* pipe, int* status = nullptr)
{
    std::string output;
    char chunk[4096];
    for (size_t got; pipe && (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        output.append(chunk, got);
    int result = pipe ? pclose(pipe) : -1;
    if (status)
        *status = result;
    return output;
}

std::string ShellOutput(const std::string& command)
{
    return FinishCommand(popen(command.c_str(), "r"));
}

std::vector<std::string> TtfFilesIn(const std::string& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() != ".ttc")
            files.push_back(entry.path().filename());
    return files;
}

// Big-endian byte writers for hand-made collections.
void Put32(std::string& bytes, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += char(value >> shift);
}

void Put16(std::string& bytes, uint16_t value)
{
    bytes += char(value >> 8);
    bytes += char(value);
}

// A font's offset table with the records given (tag, offset, length).
struct Record {
    const char* tag;
    uint32_t offset, length;
};

std::string OffsetTable(const std::vector<Record>& records, uint16_t numTables)
{
    std::string bytes;
    Put32(bytes, 0x00010000);
    Put16(bytes, numTables);
    Put16(bytes, 16), Put16(bytes, 0), Put16(bytes, 0);
    for (const Record& r : records) {
        bytes.append(r.tag, 4);
        Put32(bytes, 0), Put32(bytes, r.offset), Put32(bytes, r.length);
    }
    return bytes;
}

std::string CollectionHeader(uint32_t count, const std::vector<uint32_t>& offsets)
{
    std::string bytes = "ttcf";
    Put32(bytes, 0x00010000);
    Put32(bytes, count);
    for (uint32_t offset : offsets)
        Put32(bytes, offset);
    return bytes;
}

// A collection of the given size whose faces all share one offset table,
// right after the header, with every table record naming the same bytes
// from the file's start: faces that amplify the collection.
std::string AmplifyingCollection(uint32_t size, uint32_t faces, uint16_t numTables, uint32_t tableLength)
{
    const uint32_t table = 12 + 4 * faces;
    std::string bytes = CollectionHeader(faces, std::vector<uint32_t>(faces, table));
    bytes += OffsetTable(std::vector<Record>(numTables, {"cmap", 0, tableLength}), numTables);
    bytes.resize(size, '\0');
    return bytes;
}

// One sound face with one table of 8 bytes.
std::string SoundCollection()
{
    return CollectionHeader(1, {16}) + OffsetTable({{"cmap", 44, 8}}, 1) + "ABCDEFGH";
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(FontCollections, TableChecksumSumsBigEndianWordsWithZeroPadding)
{
    struct Case {
        std::vector<unsigned char> bytes;
        uint32_t expected;
    } cases[] = {
        {{}, 0},
        {{0, 0, 0, 1}, 1},
        {{1}, 0x01000000},
        {{0, 0, 0, 1, 0xFF, 0xEE}, 0xFFEE0001},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 2}, 1}, // modulo 2^32
    };
    for (const Case& c : cases)
        EXPECT_EQ(CalcTableChecksum(c.bytes.data(), uint32_t(c.bytes.size())), c.expected);
}

TEST(FontCollections, NotoCjkCollectionsSplitIntoFontsThatFontToolsAndFontconfigRead)
{
    ScratchWindowsFolder windows;
    for (const char* name : notoCollections)
        fs::create_symlink(std::string(notoFolder) + name + ".ttc", windows.Font(std::string(name) + ".ttc"));
    ASSERT_EQ(SplitFontCollections(), 4);

    // fontTools checks the collections side by side, one process each.
    std::vector<std::pair<std::string, FILE*>> checks;
    for (const char* name : notoCollections) {
        SCOPED_TRACE(name);
        const std::string collection = std::string(notoFolder) + name + ".ttc";
        // fontconfig's faces of the collection, by index, and of the files.
        std::istringstream scan(ShellOutput("fc-scan --format '%{index}\\t%{fullname}\\n' " + ShellQuote(collection) + " | sort -n"));
        std::string line, list;
        int faces = 0;
        for (; std::getline(scan, line); ++faces) {
            std::string face = windows.Font(name + std::to_string(faces) + ".ttf");
            ASSERT_EQ(line.substr(0, line.find('\t')), std::to_string(faces));
            ASSERT_TRUE(fs::exists(face));
            list += " " + ShellQuote(face);
            EXPECT_EQ("0\t" + ShellOutput("fc-scan --format '%{fullname}' " + ShellQuote(face)),
                      "0" + line.substr(line.find('\t')));
        }
        ASSERT_GT(faces, 1);
        EXPECT_FALSE(fs::exists(windows.Font(name + std::to_string(faces) + ".ttf")));
        std::string command = "/usr/bin/python3 " + ShellQuote(ENGINE_TEST_SOURCE_DIR "/check_split_fonts.py") + " " +
                              ShellQuote(collection) + list;
        checks.emplace_back(name, popen((command + " 2>&1").c_str(), "r"));
    }
    for (auto& [name, pipe] : checks) {
        int status = -1;
        std::string output = FinishCommand(pipe, &status);
        EXPECT_EQ(status, 0) << name << "\n" << output;
    }

    // A collection whose first face file exists is left alone, even with
    // another face file missing.
    fs::remove(windows.Font("NotoSansCJK-Bold1.ttf"));
    EXPECT_EQ(SplitFontCollections(), 0);
    EXPECT_FALSE(fs::exists(windows.Font("NotoSansCJK-Bold1.ttf")));
}

TEST(FontCollections, DamagedCollectionsGiveNoFileAndNoCrash)
{
    // One good table of 8 bytes, for faces that are otherwise sound.
    const std::string table = "ABCDEFGH";
    struct Case {
        const char* name;
        std::string bytes;
        int result;
    } cases[] = {
        {"empty", "", 0},
        {"not a collection", "OTTO" + std::string(100, '\0'), 0},
        {"tag only", "ttcf", 1},
        {"count past the end", CollectionHeader(0xFFFFFFFF, {}), 1},
        {"offset past the end", CollectionHeader(1, {0xFFFFFFF0}), 1},
        {"offset table cut short", CollectionHeader(1, {16}) + "\0\1\0", 1},
        {"records past the end", CollectionHeader(1, {16}) + OffsetTable({}, 40), 1},
        {"table past the end", CollectionHeader(1, {16}) + OffsetTable({{"cmap", 44, 9}}, 1) + table, 1},
        {"table offset wrapping 32 bits", CollectionHeader(1, {16}) + OffsetTable({{"cmap", 0xFFFFFFF8, 0x10}}, 1) + table, 1},
        {"length wrapping 32 bits", CollectionHeader(1, {16}) + OffsetTable({{"cmap", 44, 0xFFFFFFFF}}, 1) + table, 1},
        {"no fonts", CollectionHeader(0, {}), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        std::string path = folder.File("damaged.TTC");
        std::ofstream(path, std::ios::binary) << c.bytes;
        std::vector<char> buffer(path.begin(), path.end());
        buffer.push_back('\0');
        EXPECT_EQ(SplitTrueTypeCollection(buffer.data()), c.result);
        EXPECT_EQ(TtfFilesIn(folder.Path()), std::vector<std::string>{"damaged.TTC"});
    }
}

TEST(FontCollections, ADamagedFaceIsSkippedAndTheSoundOnesWritten)
{
    ScratchFolder folder;
    // Face 0 at 20 is sound; face 1 at 48 names a table past the end.
    const std::string table = "ABCDEFGHI"; // 9 bytes: padded to 12 in the face
    std::string bytes = CollectionHeader(2, {20, 48});
    bytes += OffsetTable({{"cmap", 76, 9}}, 1);
    bytes += OffsetTable({{"cmap", 76, 900}}, 1);
    bytes += table;
    std::string path = folder.File("pair.ttc");
    std::ofstream(path, std::ios::binary) << bytes;
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    ASSERT_EQ(SplitTrueTypeCollection(buffer.data()), 1);
    EXPECT_STREQ(buffer.data(), folder.File("pair").c_str());
    EXPECT_EQ(TtfFilesIn(folder.Path()), std::vector<std::string>{"pair0.ttf"});

    std::ifstream in(folder.File("pair0.ttf"), std::ios::binary);
    std::string face((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string expected = OffsetTable({{"cmap", 28, 9}}, 1) + table + std::string(3, '\0');
    const unsigned char* data = reinterpret_cast<const unsigned char*>(expected.data()) + 28;
    uint32_t checksum = CalcTableChecksum(data, 9);
    for (int i = 0; i < 4; ++i)
        expected[16 + i] = char(checksum >> (24 - 8 * i));
    EXPECT_EQ(face, expected);
}

TEST(FontCollections, AmplifyingCollectionsWriteNoFaceLargerThanThemselvesAndBoundedBytes)
{
    const uint32_t kib64 = 64 * 1024, kib256 = 256 * 1024, mib5 = 5 * 1024 * 1024;
    const uint32_t faces64 = (kib64 - 12 - 28) / 4; // as many offsets as fit before the shared table
    struct Case {
        const char* name;
        std::string bytes;
        uint64_t written;  // faces written, from index 0
        uint64_t faceSize; // the size of each
    } cases[] = {
        // 16,374 faces of the whole body: each 28 bytes larger than the file.
        {"faces of the whole body", AmplifyingCollection(kib64, faces64, 1, kib64), 0, 0},
        // The same faces just fitting: only the first kMaxCollectionFaces.
        {"faces as large as the collection", AmplifyingCollection(kib64, faces64, 1, kib64 - 28), kMaxCollectionFaces,
         kib64},
        // Two faces of 16,000 tables of the whole body: 2 x 4.1 GB.
        {"two faces of 4.1 GB", AmplifyingCollection(kib256, 2, 16000, kib256), 0, 0},
        // 256 faces of 5 MiB each pass the total: nothing is written.
        {"faces over the total together", AmplifyingCollection(mib5, 300, 1, mib5 - 28), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        std::string path = folder.File("amp.ttc");
        WriteFile(path, c.bytes);
        std::vector<char> buffer(path.begin(), path.end());
        buffer.push_back('\0');
        EXPECT_EQ(SplitTrueTypeCollection(buffer.data()), 1);

        std::vector<std::string> expected{"amp.ttc"};
        for (uint64_t i = 0; i < c.written; ++i)
            expected.push_back("amp" + std::to_string(i) + ".ttf");
        std::vector<std::string> files = TtfFilesIn(folder.Path());
        files.push_back("amp.ttc");
        std::sort(files.begin(), files.end()), std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files, expected); // no partial file either
        uint64_t total = 0;
        for (uint64_t i = 0; i < c.written; ++i) {
            uint64_t size = fs::file_size(folder.File("amp" + std::to_string(i) + ".ttf"));
            EXPECT_EQ(size, c.faceSize) << i;
            total += size;
        }
        EXPECT_LE(total, kMaxCollectionFaces * c.bytes.size());
    }
}

TEST(FontCollections, ACollectionThatMadeNoFirstFaceIsNotReadAgainUntilItChanges)
{
    ScratchWindowsFolder windows;
    // Every face larger than the collection: no first face comes of it.
    const std::string skipped = windows.Font("skipped.ttc");
    WriteFile(skipped, AmplifyingCollection(4096, 8, 1, 4096));
    EXPECT_EQ(SplitFontCollections(), 1);
    EXPECT_EQ(SplitFontCollections(), 0); // remembered: not read again
    EXPECT_FALSE(fs::exists(windows.Font("skipped0.ttf")));
    WriteFile(skipped, SoundCollection()); // changed: split now
    EXPECT_EQ(SplitFontCollections(), 1);
    EXPECT_TRUE(fs::exists(windows.Font("skipped0.ttf")));

    // A first face that could not be written is tried again at every split.
    WriteFile(windows.Font("blocked.ttc"), SoundCollection());
    fs::create_directories(windows.Font("blocked0.ttf/in"));
    EXPECT_EQ(SplitFontCollections(), 1);
    EXPECT_EQ(SplitFontCollections(), 1);
    fs::remove_all(windows.Font("blocked0.ttf"));
    EXPECT_EQ(SplitFontCollections(), 1);
    EXPECT_TRUE(fs::is_regular_file(windows.Font("blocked0.ttf")));
    EXPECT_FALSE(fs::exists(windows.Font("blocked0.ttf.part")));
    EXPECT_EQ(SplitFontCollections(), 0);
}

TEST(FontCollections, OnlyRegularFilesAreCollections)
{
    ScratchWindowsFolder windows;
    // A pipe would hold the read forever; a folder is no file.
    ASSERT_EQ(mkfifo(windows.Font("pipe.ttc").c_str(), 0600), 0);
    fs::create_directory(windows.Font("folder.ttc"));
    std::vector<std::string> files;
    EXPECT_EQ(FindFiles(windows.Font("*.ttc").c_str(), files), 0u);
    EXPECT_EQ(SplitFontCollections(), 0);
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int SplitAt(const std::string& path)
{
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    return SplitTrueTypeCollection(buffer.data());
}

// Ends a test that a blocking open would hang, instead of the whole run.
class Alarm {
public:
    Alarm() { alarm(30); }
    ~Alarm() { alarm(0); }
};

TEST(FontCollections, APipeGivenByNameIsNeverWaitedOn)
{
    Alarm alarm;
    ScratchFolder folder;
    ASSERT_EQ(mkfifo(folder.File("pipe.ttc").c_str(), 0600), 0);
    ASSERT_EQ(symlink(folder.File("pipe.ttc").c_str(), folder.File("link.ttc").c_str()), 0);
    for (const char* name : {"pipe.ttc", "link.ttc"})
        EXPECT_EQ(SplitAt(folder.File(name)), 0) << name;
}

// Every table record at the end of the file with no bytes: the face's last
// table starts where the face ends, and the collection's where it ends.
TEST(FontCollections, AnEmptyLastTableAtTheEndOfTheFileSplits)
{
    ScratchFolder folder;
    const struct {
        const char* what;
        std::string bytes;
        size_t faceSize;
    } cases[] = {
        {"one empty table, 44 bytes", CollectionHeader(1, {16}) + OffsetTable({{"cmap", 44, 0}}, 1), 28},
        {"a table, then an empty one", CollectionHeader(1, {16}) + OffsetTable({{"cmap", 60, 4}, {"name", 64, 0}}, 2) + "ABCD",
         48},
    };
    for (const auto& c : cases) {
        WriteFile(folder.File("empty.ttc"), c.bytes);
        EXPECT_EQ(SplitAt(folder.File("empty.ttc")), 1) << c.what;
        EXPECT_EQ(FileBytes(folder.File("empty0.ttf")).size(), c.faceSize) << c.what;
    }
}

// Faces that are each a few hundred KiB, every one with bytes of its own.
std::string LargeCollection(uint32_t faces, uint32_t tableLength)
{
    std::vector<uint32_t> offsets;
    const uint32_t header = 12 + 4 * faces, faceSize = 28 + tableLength;
    for (uint32_t i = 0; i < faces; ++i)
        offsets.push_back(header + i * faceSize);
    std::string bytes = CollectionHeader(faces, offsets);
    for (uint32_t i = 0; i < faces; ++i) {
        bytes += OffsetTable({{"cmap", uint32_t(bytes.size()) + 28, tableLength}}, 1);
        for (uint32_t b = 0; b < tableLength; b += 4096)
            bytes.append(std::min(tableLength - b, 4096u), char('a' + (i + b / 4096) % 26));
    }
    return bytes;
}

// Watches the folder until stop exists: each face found under its final
// name must have the size of the face split alone; exits 1 at the first
// that has not. (The bytes are compared once the splitters are done.)
[[noreturn]] void WatchFaces(const std::string& folder, const std::vector<std::string>& expected, const std::string& stop)
{
    const pid_t test = getppid();
    for (;;) {
        if (getppid() != test)
            _exit(2); // the test is gone
        const bool last = fs::exists(stop);
        for (size_t i = 0; i < expected.size(); ++i) {
            struct stat st;
            if (stat((folder + "/big" + std::to_string(i) + ".ttf").c_str(), &st) == 0 &&
                size_t(st.st_size) != expected[i].size())
                _exit(1);
        }
        if (last)
            _exit(0);
    }
}

bool ExitedWith(pid_t pid, int code)
{
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == code;
}

TEST(FontCollections, TwoSplittersAtOnceNeverShowAHalfWrittenFace)
{
    const uint32_t faces = 6, tableLength = 8 * 1024 * 1024;
    const std::string bytes = LargeCollection(faces, tableLength);
    std::vector<std::string> expected;
    {
        ScratchFolder alone;
        WriteFile(alone.File("big.ttc"), bytes);
        ASSERT_EQ(SplitAt(alone.File("big.ttc")), 1);
        for (uint32_t i = 0; i < faces; ++i) {
            expected.push_back(FileBytes(alone.File("big" + std::to_string(i) + ".ttf")));
            ASSERT_EQ(expected.back().size(), 28u + tableLength) << i;
        }
    }
    for (int round = 0; round < 10; ++round) {
        ScratchFolder folder;
        WriteFile(folder.File("big.ttc"), bytes);
        const std::string stop = folder.File("stop");
        pid_t watcher = fork();
        ASSERT_GE(watcher, 0);
        if (watcher == 0)
            WatchFaces(folder.Path(), expected, stop);
        pid_t splitters[2];
        for (pid_t& splitter : splitters) {
            splitter = fork();
            ASSERT_GE(splitter, 0);
            if (splitter == 0)
                _exit(SplitAt(folder.File("big.ttc")) == 1 ? 0 : 2);
        }
        for (pid_t splitter : splitters)
            EXPECT_TRUE(ExitedWith(splitter, 0)) << round;
        WriteFile(stop, "");
        EXPECT_TRUE(ExitedWith(watcher, 0)) << "round " << round << ": a face under its name was not whole";
        for (uint32_t i = 0; i < faces; ++i)
            EXPECT_TRUE(FileBytes(folder.File("big" + std::to_string(i) + ".ttf")) == expected[i]) << i;
        for (const auto& entry : fs::directory_iterator(folder.Path()))
            EXPECT_NE(entry.path().extension(), ".part") << entry.path();
    }
}

// Two sound faces, the second named first in the file.
std::string TwoFaces()
{
    std::string bytes = CollectionHeader(2, {20, 48});
    bytes += OffsetTable({{"cmap", 76, 8}}, 1);
    bytes += OffsetTable({{"cmap", 84, 8}}, 1);
    return bytes + "ABCDEFGH" + "IJKLMNOP";
}

TEST(FontCollections, FaceZeroIsWrittenOnlyOnceEveryOtherFaceIsInPlace)
{
    ScratchWindowsFolder windows;
    WriteFile(windows.Font("pair.ttc"), TwoFaces());
    fs::create_directories(windows.Font("pair1.ttf/in")); // face 1 cannot be put in place
    EXPECT_EQ(SplitFontCollections(), 1);
    EXPECT_FALSE(fs::exists(windows.Font("pair0.ttf"))) << "a split cut short does not count as done";
    fs::remove_all(windows.Font("pair1.ttf"));
    EXPECT_EQ(SplitFontCollections(), 1); // done again, whole
    EXPECT_TRUE(fs::is_regular_file(windows.Font("pair0.ttf")));
    EXPECT_TRUE(fs::is_regular_file(windows.Font("pair1.ttf")));
    EXPECT_EQ(SplitFontCollections(), 0);
}

// Runs SplitFontCollections in a new process, as a new start of the
// program would, and gives its result.
int SplitInANewProcess()
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(SplitFontCollections());
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ino_t InodeOf(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(FontCollections, ACollectionThatMakesNoFirstFaceIsNotRewrittenAtTheNextStart)
{
    ScratchWindowsFolder windows;
    // Face 0 names a table past the end; face 1 is sound.
    std::string bytes = CollectionHeader(2, {20, 48});
    bytes += OffsetTable({{"cmap", 76, 900}}, 1);
    bytes += OffsetTable({{"cmap", 76, 8}}, 1);
    bytes += "ABCDEFGH";
    WriteFile(windows.Font("half.ttc"), bytes);
    ASSERT_EQ(SplitInANewProcess(), 1);
    const ino_t face1 = InodeOf(windows.Font("half1.ttf"));
    ASSERT_NE(face1, 0u);
    EXPECT_FALSE(fs::exists(windows.Font("half0.ttf")));
    EXPECT_EQ(SplitInANewProcess(), 0) << "remembered across starts";
    EXPECT_EQ(InodeOf(windows.Font("half1.ttf")), face1) << "not written again";

    WriteFile(windows.Font("half.ttc"), TwoFaces()); // mended: split now
    EXPECT_EQ(SplitInANewProcess(), 1);
    EXPECT_TRUE(fs::is_regular_file(windows.Font("half0.ttf")));
    EXPECT_EQ(SplitInANewProcess(), 0);
    std::vector<std::string> files = TtfFilesIn(windows.Font(""));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"half0.ttf", "half1.ttf"})) << "nothing else is left beside them";
}

// A splitter killed while it wrote leaves its passing file; the next split
// of the collection removes it, and leaves those of writers still running.
TEST(FontCollections, WhatAKilledSplitterLeftHalfWrittenIsRemovedAtTheNextSplit)
{
    ScratchFolder folder;
    pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    ASSERT_GT(dead, 0);
    ASSERT_TRUE(ExitedWith(dead, 0));
    const std::string leftOver = folder.File("pair1.ttf." + std::to_string(dead) + "-77.part");
    const std::string running = folder.File("pair1.ttf." + std::to_string(getpid()) + "-78.part");
    const std::string other = folder.File("pair1.ttf.notes");
    for (const std::string& path : {leftOver, running, other})
        WriteFile(path, "half");
    WriteFile(folder.File("pair.ttc"), TwoFaces());
    ASSERT_EQ(SplitAt(folder.File("pair.ttc")), 1);
    EXPECT_FALSE(fs::exists(leftOver));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(other));
}

} // namespace
