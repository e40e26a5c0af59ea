#include "engine/resources/ResStdio.h"

#include "engine/resources/ResourceFolders.h"
#include "engine/resources/ResourceTable.h"

#include <cstring>
#include <new>

MemoryStream* AsMemoryStream(FILE* stream)
{
    if (!stream)
        return nullptr;
    uint32_t tag;
    std::memcpy(&tag, stream, sizeof tag);
    return tag == kMemoryStreamTag ? reinterpret_cast<MemoryStream*>(stream) : nullptr;
}

FILE* res_fopen(const char* name, const char* mode)
{
    if (!name || !mode)
        return nullptr;
    if (std::strcmp(mode, "r") == 0 || std::strcmp(mode, "rb") == 0) {
        auto* memory = new (std::nothrow) MemoryStream;
        if (!memory)
            return nullptr;
        if (LoadEmbeddedResource(name, memory->data) != 0) {
            memory->tag = kMemoryStreamTag;
            memory->pos = 0;
            return reinterpret_cast<FILE*>(memory);
        }
        delete memory;
    }
    return OpenResourceFile(name, mode);
}

int res_fclose(FILE* stream)
{
    if (!stream)
        return EOF;
    if (MemoryStream* memory = AsMemoryStream(stream)) {
        memory->tag = 0;
        delete memory;
        return 0;
    }
    return std::fclose(stream);
}

long res_ftell(FILE* stream)
{
    if (!stream)
        return -1;
    if (MemoryStream* memory = AsMemoryStream(stream))
        return long(memory->pos);
    return std::ftell(stream);
}

int res_fseek(FILE* stream, long offset, int whence)
{
    if (!stream)
        return -1;
    MemoryStream* memory = AsMemoryStream(stream);
    if (!memory)
        return std::fseek(stream, offset, whence);
    if (whence == SEEK_SET)
        memory->pos = uint32_t(offset);
    else if (whence == SEEK_END)
        memory->pos = uint32_t(uint64_t(memory->data.size()) + uint64_t(offset));
    else
        memory->pos = uint32_t(uint64_t(memory->pos) + uint64_t(offset));
    return int(memory->pos);
}

size_t res_fread(void* buffer, size_t size, size_t count, FILE* stream)
{
    if (!stream || !buffer)
        return 0;
    MemoryStream* memory = AsMemoryStream(stream);
    if (!memory)
        return std::fread(buffer, size, count, stream);
    // Positions and sizes are compared in 64 bits, and a product that does
    // not fit asks for everything that is left.
    const uint64_t length = memory->data.size(), pos = memory->pos;
    if (pos >= length || size == 0 || count == 0)
        return 0;
    uint64_t wanted = count > SIZE_MAX / size ? UINT64_MAX : uint64_t(size) * count;
    uint64_t copied = wanted < length - pos ? wanted : length - pos;
    std::memcpy(buffer, memory->data.data() + pos, size_t(copied));
    memory->pos = uint32_t(pos + copied);
    return size_t(copied / size); // whole elements; a part of one at the end is copied, not counted
}

int res_fgetc(FILE* stream)
{
    if (!stream)
        return EOF;
    MemoryStream* memory = AsMemoryStream(stream);
    if (!memory)
        return std::fgetc(stream);
    if (uint64_t(memory->pos) + 1 > memory->data.size())
        return EOF;
    return memory->data[memory->pos++];
}

int res_ungetc(int c, FILE* stream)
{
    if (!stream)
        return EOF;
    MemoryStream* memory = AsMemoryStream(stream);
    if (!memory)
        return std::ungetc(c, stream);
    if (memory->pos == 0)
        return EOF;
    --memory->pos;
    return c;
}
