// Decodes a TIFF page of a few hundred bytes whose pixels carry many
// samples: a Group 4 fax strip codes a blank row in one bit, so 3000 rows of
// 8 pixels of 65535 one-bit samples each (196 MB of samples) fit in 500
// bytes. Only the first samples of a pixel are shown; the time should stay
// near that of the same page with one sample a pixel.
//
// Then a 12000 x 12000 page of 8-bit grey, and of 8-bit grey with alpha,
// whose one-row PackBits strips all point at one coded row: the alpha page
// should cost little more than the grey one.
//
//   bench_tiff_samples [runs]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "image/CxImageTIF.h"
#include "image/CxMemFile.h"

using Clock = std::chrono::steady_clock;

namespace {

void Put(std::vector<BYTE>& out, size_t at, uint32_t value, int bytes)
{
    for (int k = 0; k < bytes; k++) out[at + k] = BYTE(value >> (8 * k));
}

// tag, type (3 short, 4 long), count, value (or offset of the values)
struct Field {
    uint32_t tag, type, count, value;
};

// Ends the file with an IFD of these fields, linked from the header.
void PutIfd(std::vector<BYTE>& out, const std::vector<Field>& fields)
{
    size_t ifd = out.size();
    Put(out, 4, uint32_t(ifd), 4);
    out.resize(ifd + 2 + 12 * fields.size() + 4, 0);
    Put(out, ifd, uint32_t(fields.size()), 2);
    for (size_t i = 0; i < fields.size(); i++) {
        size_t at = ifd + 2 + 12 * i;
        Put(out, at, fields[i].tag, 2);
        Put(out, at + 2, fields[i].type, 2);
        Put(out, at + 4, fields[i].count, 4);
        Put(out, at + 8, fields[i].value, fields[i].type == 3 ? 2 : 4);
    }
}

// A little-endian TIFF: the strip at offset 8, then one IFD of single
// values.
std::vector<BYTE> FaxPage(uint32_t width, uint32_t height, uint32_t samples)
{
    std::vector<BYTE> strip(height / 8, 0xFF);  // one V0 code, one bit, per blank row
    for (BYTE b : {0x00, 0x10, 0x01}) strip.push_back(b);  // end of facsimile block
    std::vector<BYTE> out = {'I', 'I', 42, 0, 0, 0, 0, 0};
    for (BYTE b : strip) out.push_back(b);
    if (out.size() % 2) out.push_back(0);
    PutIfd(out, {{256, 4, 1, width}, {257, 4, 1, height}, {258, 3, 1, 1}, {259, 3, 1, 4}, {262, 3, 1, 0},
                 {273, 4, 1, 8}, {277, 3, 1, samples}, {278, 4, 1, height}, {279, 4, 1, uint32_t(strip.size())}});
    return out;
}

// An 8-bit page of samples values a pixel (1: grey, 2: grey and alpha),
// one row a strip, every strip the same PackBits row of repeated bytes.
std::vector<BYTE> PackBitsPage(uint32_t width, uint32_t height, uint32_t samples)
{
    std::vector<BYTE> row;
    for (uint32_t left = width * samples; left > 0;) {
        uint32_t run = left < 128 ? left : 128;
        row.push_back(BYTE(257 - run));  // repeat the next byte run times
        row.push_back(0x80);
        left -= run;
    }
    std::vector<BYTE> out = {'I', 'I', 42, 0, 0, 0, 0, 0};
    for (BYTE b : row) out.push_back(b);
    if (out.size() % 2) out.push_back(0);
    size_t offsets = out.size();
    out.resize(offsets + 8 * size_t(height), 0);
    for (uint32_t y = 0; y < height; y++) {
        Put(out, offsets + 4 * size_t(y), 8, 4);
        Put(out, offsets + 4 * size_t(height + y), uint32_t(row.size()), 4);
    }
    std::vector<Field> fields = {
        {256, 4, 1, width}, {257, 4, 1, height}, {258, 3, 1, 8}, {259, 3, 1, 32773}, {262, 3, 1, 1},
        {273, 4, height, uint32_t(offsets)}, {277, 3, 1, samples}, {278, 4, 1, 1},
        {279, 4, height, uint32_t(offsets + 4 * size_t(height))},
    };
    if (samples == 2) fields.push_back({338, 3, 1, 2});  // unassociated alpha
    PutIfd(out, fields);
    return out;
}

double DecodeSeconds(std::vector<BYTE>& bytes, int runs)
{
    auto start = Clock::now();
    for (int i = 0; i < runs; i++) {
        CxMemFile file(bytes.data(), bytes.size());
        CxImageTIF image;
        if (!image.Decode(&file)) {
            fprintf(stderr, "decode failed: %s\n", image.GetLastError());
            exit(1);
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / runs;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 5;
    if (runs < 1) runs = 1;
    for (uint32_t samples : {1u, 1000u, 65535u}) {
        std::vector<BYTE> page = FaxPage(8, 3000, samples);
        printf("%5u samples a pixel, %zu-byte file: %.4f s a decode\n", samples, page.size(), DecodeSeconds(page, runs));
    }
    for (uint32_t samples : {1u, 2u}) {
        std::vector<BYTE> page = PackBitsPage(12000, 12000, samples);
        printf("12000 x 12000 8-bit %s, %zu-byte file: %.4f s a decode\n", samples == 1 ? "grey" : "grey and alpha",
               page.size(), DecodeSeconds(page, runs));
    }
    return 0;
}
