#include "engine/resources/FontCollections.h"

#include "engine/resources/FontsFolder.h"
#include "engine/resources/PathParts.h"
#include "engine/resources/PlainFiles.h"
#include "engine/resources/SkippedCollections.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/Folders.h"
#include "platform/win32/RegularFile.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <strings.h>

namespace {

typedef std::vector<unsigned char> Bytes;

constexpr uint32_t kHeadTag = 0x68656164;        // 'head'
constexpr uint32_t kChecksumMagic = 0xB1B0AFBA; // OpenType 'head' checkSumAdjustment

uint32_t Big32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint16_t Big16(const unsigned char* p)
{
    return uint16_t(p[0] << 8 | p[1]);
}

void PutBig32(unsigned char* p, uint32_t value)
{
    p[0] = uint8_t(value >> 24), p[1] = uint8_t(value >> 16), p[2] = uint8_t(value >> 8), p[3] = uint8_t(value);
}

uint64_t Padded(uint64_t length)
{
    return (length + 3) & ~uint64_t(3);
}

// What a split came to; only Unreadable and WriteFailed may turn out
// otherwise when the same file is tried again.
enum class SplitOutcome {
    Unreadable,    // not opened, or not held in memory
    Oversized,     // larger than kMaxCollectionBytes to read
    NotCollection, // no "ttcf" tag
    TooMuchOutput, // its faces would write more than kMaxCollectionBytes
    Split,         // every face worth writing was put in place
    WriteFailed,   // some face file could not be put in place
};

// Reads the whole file; false when it cannot, with oversized set when it is
// larger than kMaxCollectionBytes (then nothing is read).
bool ReadWholeFile(const char* path, Bytes& bytes, bool& oversized)
{
    FILE* file = FopenRegularFile(path, "rb"); // a pipe at the name is never waited on
    if (!file)
        return false;
    bool read = std::fseek(file, 0, SEEK_END) == 0;
    long length = read ? std::ftell(file) : -1;
    oversized = length > long(kMaxCollectionBytes);
    read = !oversized && length >= 1 && std::fseek(file, 0, SEEK_SET) == 0;
    try {
        if (read) {
            bytes.resize(size_t(length));
            read = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
        }
    } catch (const std::bad_alloc&) {
        read = false;
    }
    std::fclose(file);
    return read;
}

// The size of the face at the offset as a standalone font (OpenType section
// 5, "Font Collections"), or 0 when any part of it lies outside the
// collection.
uint64_t FaceSize(const Bytes& collection, uint64_t offset)
{
    const uint64_t size = collection.size();
    if (offset + 12 > size)
        return 0;
    const uint16_t numTables = Big16(&collection[offset + 4]);
    const uint64_t directory = 12 + 16 * uint64_t(numTables);
    if (offset + directory > size)
        return 0;
    uint64_t faceSize = directory;
    for (uint16_t t = 0; t < numTables; ++t) {
        const unsigned char* record = &collection[offset + 12 + 16 * t];
        uint64_t tableOffset = Big32(record + 8), tableLength = Big32(record + 12);
        if (tableOffset + tableLength > size)
            return 0;
        faceSize += Padded(tableLength);
    }
    return faceSize;
}

// Copies the face at the offset into face, sized by FaceSize and zeroed.
// Positions are taken from data(): an empty last table sits at the end.
void CopyFace(const Bytes& collection, uint64_t offset, Bytes& face)
{
    const uint16_t numTables = Big16(collection.data() + offset + 4);
    const uint64_t directory = 12 + 16 * uint64_t(numTables);
    std::memcpy(face.data(), collection.data() + offset, size_t(directory));
    uint64_t position = directory;
    int64_t head = -1;
    for (uint16_t t = 0; t < numTables; ++t) {
        unsigned char* record = face.data() + 12 + 16 * t;
        uint32_t tableOffset = Big32(record + 8), tableLength = Big32(record + 12);
        unsigned char* table = face.data() + position;
        std::memcpy(table, collection.data() + tableOffset, tableLength);
        if (Big32(record) == kHeadTag && tableLength >= 12) {
            // The whole-font adjustment is summed as 0 (OpenType 'head').
            std::memset(table + 8, 0, 4);
            head = int64_t(position);
        }
        PutBig32(record + 4, CalcTableChecksum(table, tableLength));
        PutBig32(record + 8, uint32_t(position));
        position += Padded(tableLength);
    }
    if (head >= 0)
        PutBig32(face.data() + head + 8, kChecksumMagic - CalcTableChecksum(face.data(), uint32_t(face.size())));
}

struct FacePlan {
    uint64_t index, offset, size;
};

// The faces to write: the sound ones among the first kMaxCollectionFaces
// that are no larger than the collection. None, and tooMuch set, when
// together they would write more than kMaxCollectionBytes.
std::vector<FacePlan> PlanFaces(const Bytes& collection, bool& tooMuch)
{
    const uint64_t count = collection.size() >= 12 ? Big32(&collection[8]) : 0;
    std::vector<FacePlan> faces;
    uint64_t total = 0;
    for (uint64_t i = 0; i < count && i < kMaxCollectionFaces && 12 + 4 * (i + 1) <= collection.size(); ++i) {
        const uint64_t offset = Big32(&collection[12 + 4 * i]);
        const uint64_t size = FaceSize(collection, offset);
        if (size == 0 || size > collection.size())
            continue;
        faces.push_back({i, offset, size});
        total += size;
    }
    tooMuch = total > kMaxCollectionBytes;
    if (tooMuch)
        faces.clear();
    return faces;
}

// Written whole, so that a face file, the one that marks the collection as
// split included, is never cut.
bool WriteFace(const Bytes& collection, const FacePlan& plan, const std::string& stem)
{
    Bytes face;
    try {
        face.assign(size_t(plan.size), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    CopyFace(collection, plan.offset, face);
    return WriteWholeFile(stem + std::to_string(plan.index) + ".ttf", face.data(), face.size());
}

SplitOutcome SplitCollection(char* path)
{
    Bytes collection;
    bool oversized = false;
    if (!path || !ReadWholeFile(path, collection, oversized))
        return oversized ? SplitOutcome::Oversized : SplitOutcome::Unreadable;
    size_t length = std::strlen(path);
    if (length > 4 && strcasecmp(path + length - 4, ".ttc") == 0)
        path[length - 4] = '\0';
    if (collection.size() < 4 || strncasecmp(reinterpret_cast<const char*>(collection.data()), "ttcf", 4) != 0)
        return SplitOutcome::NotCollection;
    bool tooMuch = false;
    const std::vector<FacePlan> faces = PlanFaces(collection, tooMuch);
    if (tooMuch)
        return SplitOutcome::TooMuchOutput;
    // Face 0 marks the collection as split: it goes last, and only once
    // every other face is in place, so a split cut short is done again.
    bool written = true;
    const FacePlan* first = nullptr;
    for (const FacePlan& face : faces) {
        if (face.index == 0)
            first = &face;
        else
            written = WriteFace(collection, face, path) && written;
    }
    if (first && written)
        written = WriteFace(collection, *first, path);
    return written ? SplitOutcome::Split : SplitOutcome::WriteFailed;
}

bool IsCollection(SplitOutcome outcome)
{
    return outcome == SplitOutcome::TooMuchOutput || outcome == SplitOutcome::Split ||
           outcome == SplitOutcome::WriteFailed;
}

bool DependsOnTheFileAlone(SplitOutcome outcome)
{
    return outcome != SplitOutcome::Unreadable && outcome != SplitOutcome::WriteFailed;
}

} // namespace

uint32_t CalcTableChecksum(const unsigned char* table, uint32_t length)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < length; i += 4) {
        unsigned char word[4] = {0, 0, 0, 0};
        std::memcpy(word, table + i, length - i < 4 ? length - i : 4);
        sum += Big32(word);
    }
    return sum;
}

int SplitTrueTypeCollection(char* path)
{
    return IsCollection(SplitCollection(path)) ? 1 : 0;
}

size_t FindFiles(const char* pattern, std::vector<std::string>& files)
{
    const std::string folder = FolderOf(pattern);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return files.size();
    do {
        std::string path = folder + entry.cFileName;
        if (IsFile(path))
            files.push_back(path);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return files.size();
}

int SplitFontCollections()
{
    const std::string fonts = WindowsFontsFolder();
    if (fonts.empty())
        return 0;
    std::vector<std::string> collections;
    FindFiles((fonts + "*.ttc").c_str(), collections);
    int split = 0;
    for (const std::string& path : collections) {
        std::string name = BareName(path);
        std::string firstFace = FolderOf(path) + name.substr(0, name.rfind('.')) + "0.ttf";
        if (IsFile(firstFace) || IsSkippedCollection(path))
            continue;
        const FileStamp stamp = StampOf(path);
        std::vector<char> buffer(path.begin(), path.end());
        buffer.push_back('\0');
        const SplitOutcome outcome = SplitCollection(buffer.data());
        split += IsCollection(outcome);
        if (IsFile(firstFace))
            ForgetSkippedCollection(path);
        else if (DependsOnTheFileAlone(outcome))
            RememberSkippedCollection(path, stamp);
    }
    return split;
}
