#include "engine/Corvane.h"

#include "engine/PageSet.h"

extern "C" int CorvaneSetup(const char* pageRange)
{
    SetPageSet(pageRange);
    return 0;
}
