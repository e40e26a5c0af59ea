#include "engine/resources/LayerStream.h"

#include "engine/resources/ResStdio.h"
#include "platform/win32/RegularFile.h"

#include <CachedFile.h>
#include <Stream.h>

#include <climits>
#include <cstdio>

namespace {

// A short read is the end of the file, unless the runtime stream says it
// failed; a memory stream never fails.
bool ReadFailed(FILE* file)
{
    return !AsMemoryStream(file) && std::ferror(file);
}

class LayerFileLoader : public CachedFileLoader {
public:
    explicit LayerFileLoader(FILE* file) : file_(file) {}
    ~LayerFileLoader() override { res_fclose(file_); }

    size_t init(CachedFile*) override
    {
        if (res_fseek(file_, 0, SEEK_END) < 0)
            return 0;
        long length = res_ftell(file_);
        // The core's cached file counts its length in an unsigned int.
        return length > 0 && (unsigned long)length <= UINT_MAX ? size_t(length) : 0;
    }

    int load(const std::vector<ByteRange>& ranges, CachedFileWriter* writer) override
    {
        char chunk[CachedFileChunkSize];
        for (const ByteRange& range : ranges) {
            if (range.offset > size_t(LONG_MAX))
                return -1;
            res_fseek(file_, long(range.offset), SEEK_SET);
            for (size_t left = range.length; left > 0;) {
                size_t got = res_fread(chunk, 1, left < sizeof chunk ? left : sizeof chunk, file_);
                if (got == 0) {
                    if (ReadFailed(file_))
                        return -1;
                    break; // the core asks for whole chunks, past the end of the last
                }
                writer->write(chunk, got);
                left -= got;
            }
        }
        return 0;
    }

private:
    FILE* file_;
};

} // namespace

BaseStream* OpenLayerStream(const char* path)
{
    // The document itself, never an embedded resource or a file of the same
    // name that the resource search would find elsewhere.
    FILE* file = path && *path ? FopenRegularFile(path, "rb") : nullptr;
    if (!file)
        return nullptr;
    auto* cached = new CachedFile(new LayerFileLoader(file));
    if (cached->getLength() == 0) {
        cached->decRefCnt();
        return nullptr;
    }
    return new CachedFileStream(cached, 0, false, cached->getLength(), Object(objNull));
}
