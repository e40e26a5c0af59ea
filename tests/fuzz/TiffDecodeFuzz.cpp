// Feeds arbitrary bytes to the TIFF decoder, as the first page and as the
// second, and asks once for the size only.
#include <cstddef>
#include <cstdint>

#include "image/CxImageTIF.h"
#include "image/CxMemFile.h"

namespace {

struct FuzzImage : CxImageTIF {
    void Ask(LONG frame, LONG escape)
    {
        info.nFrame = frame;
        info.nEscape = escape;
    }
};

void DecodeAs(const uint8_t* data, size_t size, LONG frame, LONG escape)
{
    CxMemFile file(const_cast<BYTE*>(data), size);
    FuzzImage image;
    image.Ask(frame, escape);
    image.Decode(&file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodeAs(data, size, 0, 0);
    DecodeAs(data, size, 1, 0);
    DecodeAs(data, size, 0, -1);
    return 0;
}
