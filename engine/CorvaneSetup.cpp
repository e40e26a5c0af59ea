#include "engine/Corvane.h"

#include "engine/PageSet.h"

#include <new>

extern "C" int CorvaneSetup(const char* pageRange)
{
    try {
        SetPageSet(pageRange);
        return 0;
    } catch (const std::bad_alloc&) {
        // A set that selects no page, never one of pages that were not asked for.
        g_pageRanges.clear();
        g_pageSet = ",";
        return kCorvaneNoWriter;
    }
}
