// The variable-width LZW coder with its hashed string table, and the stored
// coder that sends every pixel as its own literal code. Both pack codes from
// bit 0 upward into data sub-blocks of at most 254 bytes.
#include <cstring>

#include "image/CxFile.h"
#include "image/CxImageGIF.h"

namespace {

constexpr int MAX_BITS = 12;
constexpr short MAX_MAX_CODE = 1 << MAX_BITS;  // 4096: no code is assigned past 4095
constexpr int PACKET_LIMIT = 254;

const DWORD CODE_MASKS[17] = {0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F,
                              0x003F, 0x007F, 0x00FF, 0x01FF, 0x03FF, 0x07FF,
                              0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};

short MaxCodeFor(int bits)
{
    return static_cast<short>((1 << bits) - 1);
}

}  // namespace

void CxImageGIF::StartCoder(int init_bits, CxFile* fp)
{
    initBits = init_bits;
    outFile = fp;
    codeBits = init_bits;
    clearPending = 0;
    bitAccum = 0;
    bitCount = 0;
    packetLength = 0;
    maxCode = MaxCodeFor(codeBits);
    clearCode = 1 << (init_bits - 1);
    endCode = clearCode + 1;
    nextCode = static_cast<short>(clearCode + 2);
}

void CxImageGIF::EncodePixelsLzw(int init_bits, CxFile* fp)
{
    StartCoder(init_bits, fp);
    long prefix = NextPixel();

    // The hash shift makes (pixel << shift) ^ prefix span the table.
    int shift = 0;
    for (long size = HSIZE; size < 65536; size *= 2) ++shift;
    shift = 8 - shift;

    ResetHashTable(HSIZE);
    EmitCode(static_cast<short>(clearCode));

    int c;
    while ((c = NextPixel()) != -1) {
        long key = (static_cast<long>(c) << MAX_BITS) + prefix;
        long slot = (static_cast<long>(c) << shift) ^ prefix;
        if (hashKeys[slot] == key) {
            prefix = hashCodes[slot];
            continue;
        }
        if (hashKeys[slot] >= 0) {
            // Secondary probe: step back by a displacement until a hit or an
            // empty slot.
            long step = slot == 0 ? 1 : HSIZE - slot;
            bool hit = false;
            do {
                slot -= step;
                if (slot < 0) slot += HSIZE;
                if (hashKeys[slot] == key) {
                    hit = true;
                    break;
                }
            } while (hashKeys[slot] > 0);
            if (hit) {
                prefix = hashCodes[slot];
                continue;
            }
        }
        EmitCode(static_cast<short>(prefix));
        prefix = c;
        if (nextCode < MAX_MAX_CODE) {
            hashCodes[slot] = static_cast<WORD>(nextCode++);
            hashKeys[slot] = key;
        } else {
            // The table is full: start again after a clear code.
            ResetHashTable(HSIZE);
            nextCode = static_cast<short>(clearCode + 2);
            clearPending = 1;
            EmitCode(static_cast<short>(clearCode));
        }
    }
    EmitCode(static_cast<short>(prefix));
    EmitCode(static_cast<short>(endCode));
}

// Each code still makes the decoder add a table entry, so the stored coder
// counts them to widen its codes and to clear before the table fills.
void CxImageGIF::EncodePixelsStored(int init_bits, CxFile* fp)
{
    StartCoder(init_bits, fp);
    int pending = NextPixel();
    EmitCode(static_cast<short>(clearCode));
    while (pending != -1) {
        int c = NextPixel();
        EmitCode(static_cast<short>(pending));
        if (nextCode < MAX_MAX_CODE) {
            nextCode++;
        } else {
            nextCode = static_cast<short>(clearCode + 2);
            clearPending = 1;
            EmitCode(static_cast<short>(clearCode));
        }
        pending = c;
    }
    EmitCode(static_cast<short>(endCode));
}

void CxImageGIF::EmitCode(short code)
{
    bitAccum &= CODE_MASKS[bitCount];
    if (bitCount > 0)
        bitAccum |= static_cast<DWORD>(static_cast<WORD>(code)) << bitCount;
    else
        bitAccum = static_cast<WORD>(code);
    bitCount += codeBits;

    while (bitCount >= 8) {
        PacketAddByte(static_cast<BYTE>(bitAccum & 0xFF));
        bitAccum >>= 8;
        bitCount -= 8;
    }

    // Widen the codes once the next code no longer fits, or go back to the
    // starting width after a clear.
    if (nextCode > maxCode || clearPending) {
        if (clearPending) {
            codeBits = initBits;
            maxCode = MaxCodeFor(codeBits);
            clearPending = 0;
        } else {
            ++codeBits;
            maxCode = codeBits == MAX_BITS ? MAX_MAX_CODE : MaxCodeFor(codeBits);
        }
    }

    if (code == endCode) {
        while (bitCount > 0) {
            PacketAddByte(static_cast<BYTE>(bitAccum & 0xFF));
            bitAccum >>= 8;
            bitCount -= 8;
        }
        bitCount = 0;
        PacketFlush();
        if (!outFile->Flush() || outFile->Error()) writeFailed = true;
    }
}

void CxImageGIF::ResetHashTable(long hsize)
{
    for (long i = 0; i < hsize; i++) hashKeys[i] = -1;
}

void CxImageGIF::PacketAddByte(BYTE c)
{
    packet[packetLength++] = c;
    if (packetLength >= PACKET_LIMIT) PacketFlush();
}

void CxImageGIF::PacketFlush()
{
    if (packetLength == 0) return;
    PutByte(static_cast<BYTE>(packetLength), outFile);
    PutBytes(packet, static_cast<size_t>(packetLength), outFile);
    packetLength = 0;
}
