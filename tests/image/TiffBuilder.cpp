#include "TiffBuilder.h"

#include <algorithm>

#include <zlib.h>

namespace {

void Put16(std::vector<BYTE>& out, size_t at, uint32_t v)
{
    out[at] = BYTE(v);
    out[at + 1] = BYTE(v >> 8);
}

void Put32(std::vector<BYTE>& out, size_t at, uint32_t v)
{
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

}  // namespace

std::vector<BYTE> BuildTiff(const std::vector<Entry>& entries, const std::vector<BYTE>& pixels, uint32_t nextIfd)
{
    std::vector<BYTE> out = {'I', 'I', 42, 0, 0, 0, 0, 0};
    for (BYTE b : pixels) out.push_back(b);
    if (out.size() % 2) out.push_back(0);
    size_t ifd = out.size();
    Put32(out, 4, uint32_t(ifd));
    out.resize(ifd + 2 + 12 * entries.size() + 4, 0);
    Put16(out, ifd, uint32_t(entries.size()));
    Put32(out, ifd + 2 + 12 * entries.size(), nextIfd == 1 ? uint32_t(ifd) : nextIfd);
    for (size_t i = 0; i < entries.size(); i++) {
        const Entry& e = entries[i];
        size_t at = ifd + 2 + 12 * i;
        size_t width = e.type == kShort ? 2 : 4;
        Put16(out, at, e.tag);
        Put16(out, at + 2, e.type);
        Put32(out, at + 4, uint32_t(e.values.size()));
        size_t valueAt = at + 8;
        if (width * e.values.size() > 4) {
            valueAt = out.size();
            Put32(out, at + 8, uint32_t(valueAt));
            out.resize(out.size() + width * e.values.size(), 0);
        }
        for (size_t k = 0; k < e.values.size(); k++) {
            if (width == 2) Put16(out, valueAt + 2 * k, e.values[k]);
            else Put32(out, valueAt + 4 * k, e.values[k]);
        }
    }
    return out;
}

std::vector<Entry> GreyPage(uint32_t width, uint32_t height, std::vector<Entry> changes)
{
    std::vector<Entry> entries = {
        {256, kLong, {width}}, {257, kLong, {height}}, {258, kShort, {8}}, {259, kShort, {1}},
        {262, kShort, {1}},    {273, kLong, {8}},      {277, kShort, {1}}, {278, kLong, {height}},
        {279, kLong, {width * height}},
    };
    for (const Entry& change : changes) {
        bool replaced = false;
        for (Entry& e : entries) {
            if (e.tag == change.tag) {
                e = change;
                replaced = true;
            }
        }
        if (!replaced) entries.push_back(change);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    return entries;
}

std::vector<BYTE> Deflated(const std::vector<BYTE>& bytes)
{
    uLongf size = compressBound(uLong(bytes.size()));
    std::vector<BYTE> coded(size);
    if (compress(coded.data(), &size, bytes.data(), uLong(bytes.size())) != Z_OK) return {};
    coded.resize(size);
    return coded;
}

CodedStrips DeflateStrips(const std::vector<BYTE>& rows, size_t rowBytes, uint32_t rowsPerStrip)
{
    CodedStrips strips{{}, {273, kLong, {}}, {279, kLong, {}}};
    size_t stripBytes = rowBytes * rowsPerStrip;
    for (size_t at = 0; at < rows.size(); at += stripBytes) {
        size_t end = std::min(rows.size(), at + stripBytes);
        std::vector<BYTE> coded = Deflated(std::vector<BYTE>(rows.begin() + long(at), rows.begin() + long(end)));
        strips.offsets.values.push_back(uint32_t(8 + strips.bytes.size()));
        strips.counts.values.push_back(uint32_t(coded.size()));
        strips.bytes.insert(strips.bytes.end(), coded.begin(), coded.end());
    }
    return strips;
}
