#include "platform/presentation/PictureData.h"

#include "platform/win32/RegularFile.h"

#include <glib.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace presentation {

static uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
static uint32_t be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }

// PNG: the signature, then IHDR first, its CRC intact (PNG 5.2, 11.2.2).
static bool readPngSize(const std::vector<uint8_t>& b, PictureData& pic)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() < 8 + 8 + 13 + 4 || memcmp(b.data(), signature, 8) != 0) return false;
    if (be32(&b[8]) != 13 || memcmp(&b[12], "IHDR", 4) != 0) return false;
    if (be32(&b[29]) != crc32(0, &b[12], 17)) return false;
    pic.width = be32(&b[16]);
    pic.height = be32(&b[20]);
    return pic.width > 0 && pic.height > 0;
}

// JPEG: SOI, then marker segments up to the first start-of-frame (T.81 B.2).
static bool readJpegSize(const std::vector<uint8_t>& b, PictureData& pic)
{
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return false;
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF) return false;
        uint8_t marker = b[at + 1];
        if (marker == 0xFF) { ++at; continue; }
        size_t length = be16(&b[at + 2]);
        if (length < 2 || at + 2 + length > b.size()) return false;
        bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (length < 8) return false;
            pic.height = be16(&b[at + 5]);
            pic.width = be16(&b[at + 7]);
            return pic.width > 0 && pic.height > 0;
        }
        at += 2 + length;
    }
    return false;
}

std::optional<PictureData> PictureFromBytes(std::vector<uint8_t> bytes, std::string& error)
{
    PictureData pic;
    if (readPngSize(bytes, pic)) {
        pic.kind = PictureKind::Png;
    } else if (readJpegSize(bytes, pic)) {
        pic.kind = PictureKind::Jpeg;
    } else {
        error = "not a PNG or JPEG picture";
        return std::nullopt;
    }
    GChecksum* md5 = g_checksum_new(G_CHECKSUM_MD5);
    g_checksum_update(md5, bytes.data(), bytes.size());
    gsize length = pic.digest.size();
    g_checksum_get_digest(md5, pic.digest.data(), &length);
    g_checksum_free(md5);
    pic.bytes = std::move(bytes);
    return pic;
}

// Pictures larger than this are refused: the file addresses its pictures
// with 32-bit offsets, and no page picture comes near it.
constexpr uint64_t MaxPictureBytes = 256u << 20;

static bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    // Opened first, then measured: what is measured is what is read, and a
    // FIFO or device put at the name is never waited on.
    FILE* file = FopenRegularFile(path.c_str(), "rb");
    if (!file) {
        error = "cannot open picture '" + path + "'";
        return false;
    }
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || uint64_t(info.st_size) > MaxPictureBytes) {
        fclose(file);
        error = "picture '" + path + "' is too large";
        return false;
    }
    bytes.resize(size_t(info.st_size));
    bool ok = fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    fclose(file);
    if (!ok) error = "cannot read picture '" + path + "'";
    return ok;
}

std::optional<PictureData> ReadPictureFile(const std::string& path, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes, error)) return std::nullopt;
    auto pic = PictureFromBytes(std::move(bytes), error);
    if (!pic) error = "'" + path + "': " + error;
    return pic;
}

} // namespace presentation
