#include "platform/win32/Guid.h"

#include "platform/win32/GuidText.h"

#include <random>
#include <string>

HRESULT CoCreateGuid(GUID* pguid)
{
    if (!pguid)
        return E_FAIL;
    std::random_device random;
    std::uniform_int_distribution<unsigned> byte(0, 255);
    BYTE bytes[16];
    for (BYTE& b : bytes)
        b = BYTE(byte(random));
    bytes[6] = BYTE((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = BYTE((bytes[8] & 0x3F) | 0x80); // variant 1
    pguid->Data1 = DWORD(bytes[0]) << 24 | DWORD(bytes[1]) << 16 | DWORD(bytes[2]) << 8 | bytes[3];
    pguid->Data2 = WORD(bytes[4] << 8 | bytes[5]);
    pguid->Data3 = WORD(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i)
        pguid->Data4[i] = bytes[8 + i];
    return S_OK;
}

int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax)
{
    std::string text = GuidToString(rguid);
    int length = int(text.size());
    if (!lpsz || cchMax < length + 1)
        return 0;
    for (int i = 0; i <= length; ++i)
        lpsz[i] = WCHAR(text.c_str()[i]);
    return length + 1;
}
