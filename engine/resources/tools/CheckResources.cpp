// Build-time check of the generated table: every row, unscrambled, is one
// whole zlib stream (inflate ends with Z_STREAM_END and uses every stored
// byte), and the library's own expansion gives the same number of bytes.
#include "engine/resources/ResourceKey.h"
#include "engine/resources/ResourceTable.h"

#include <cstdio>
#include <vector>
#include <zlib.h>

namespace {

// The expanded size, or -1 when the row is not one whole stream.
long WholeStreamSize(const ResourceEntry& row)
{
    std::vector<unsigned char> stored(row.data, row.data + row.size);
    ToggleResourceKey(stored);
    z_stream stream = {};
    stream.next_in = stored.data();
    stream.avail_in = uInt(stored.size());
    if (inflateInit(&stream) != Z_OK)
        return -1;
    unsigned char window[4096];
    int status;
    do {
        stream.next_out = window;
        stream.avail_out = sizeof window;
        status = inflate(&stream, Z_NO_FLUSH);
    } while (status == Z_OK);
    long size = long(stream.total_out);
    bool whole = status == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    return whole ? size : -1;
}

} // namespace

int main()
{
    int failures = 0;
    for (const ResourceEntry& row : resourceTable) {
        std::vector<unsigned char> expanded;
        long size = row.data && row.size ? WholeStreamSize(row) : -1;
        if (size <= 0 || LoadEmbeddedResource(row.name, expanded) != uint32_t(size)) {
            std::fprintf(stderr, "CheckResources: row %s does not inflate whole\n", row.name ? row.name : "(null)");
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
