#include "platform/win32/CharCase.h"

LPSTR CharLowerA(LPSTR lpsz)
{
    for (char* p = lpsz; p && *p; ++p)
        if (*p >= 'A' && *p <= 'Z')
            *p = char(*p - 'A' + 'a');
    return lpsz;
}

LPSTR CharUpperA(LPSTR lpsz)
{
    for (char* p = lpsz; p && *p; ++p)
        if (*p >= 'a' && *p <= 'z')
            *p = char(*p - 'a' + 'A');
    return lpsz;
}

int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2)
{
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : int(c); };
    const unsigned char* a = reinterpret_cast<const unsigned char*>(lpString1 ? lpString1 : "");
    const unsigned char* b = reinterpret_cast<const unsigned char*>(lpString2 ? lpString2 : "");
    while (*a && fold(*a) == fold(*b)) {
        ++a;
        ++b;
    }
    return fold(*a) - fold(*b);
}
