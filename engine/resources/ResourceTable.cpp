#include "engine/resources/ResourceTable.h"

#include "engine/resources/PathParts.h"
#include "engine/resources/ResourceKey.h"
#include "engine/resources/StoredResources.h"

#include <string>
#include <strings.h>
#include <zlib.h>

namespace {

const char* const resourceNames[kResourceCount] = {
    "Adobe-GB1.cidToUnicode",
    "ISO-2022-CN.unicodeMap",
    "EUC-CN.unicodeMap",
    "GBK.unicodeMap",
    "Adobe-CNS1.cidToUnicode",
    "Big5.unicodeMap",
    "Big5ascii.unicodeMap",
    "Bulgarian.nameToUnicode",
    "KOI8-R.unicodeMap",
    "Greek.nameToUnicode",
    "ISO-8859-7.unicodeMap",
    "ISO-8859-8.unicodeMap",
    "Windows-1255.unicodeMap",
    "Adobe-Japan1.cidToUnicode",
    "ISO-2022-JP.unicodeMap",
    "EUC-JP.unicodeMap",
    "Shift-JIS.unicodeMap",
    "Adobe-Korea1.cidToUnicode",
    "ISO-2022-KR.unicodeMap",
    "Thai.nameToUnicode",
    "TIS-620.unicodeMap",
    "rc",
};

constexpr size_t kInflateStep = 1024;

uint32_t LittleEndian32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

const ResourceEntry* FindRow(const std::string& bareName)
{
    for (const ResourceEntry& row : resourceTable)
        if (row.name && strcasecmp(row.name, bareName.c_str()) == 0)
            return &row;
    return nullptr;
}

} // namespace

ResourceEntry resourceTable[kResourceCount] = {{"Adobe-GB1.cidToUnicode", 0, nullptr}};

namespace {

// Filled while the library loads, before anything can ask.
struct TableLoader {
    TableLoader() { InitResourceTable(); }
} tableLoader;

} // namespace

void InitResourceTable()
{
    for (int row = 0; row < kResourceCount; ++row) {
        const unsigned char* stored = storedResources[row];
        resourceTable[row].name = resourceNames[row];
        resourceTable[row].size = LittleEndian32(stored);
        resourceTable[row].data = stored + 8;
    }
}

uint32_t LoadEmbeddedResource(const char* name, std::vector<unsigned char>& output)
{
    if (!name)
        return 0;
    const ResourceEntry* row = FindRow(BareName(name));
    if (!row || !row->data || row->size == 0)
        return 0;
    std::vector<unsigned char> stored(row->data, row->data + row->size);
    ToggleResourceKey(stored);
    return InflateResource(stored, output);
}

uint32_t InflateResource(const std::vector<unsigned char>& input, std::vector<unsigned char>& output)
{
    output.clear();
    z_stream stream = {};
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = uInt(input.size());
    if (inflateInit(&stream) != Z_OK)
        return 0;
    unsigned char window[kInflateStep];
    int status;
    do {
        stream.next_out = window;
        stream.avail_out = sizeof window;
        status = inflate(&stream, Z_NO_FLUSH);
        output.insert(output.end(), window, window + (sizeof window - stream.avail_out));
    } while (status == Z_OK);
    inflateEnd(&stream);
    return uint32_t(output.size());
}
