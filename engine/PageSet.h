// The process-wide page set: which pages a conversion converts.
#pragma once

#include "platform/win32/CString.h"

#include <utility>
#include <vector>

// Empty: every page. Otherwise items between commas, beginning and ending
// with ",": ',1,3,5,6,7,'. Ranges are expanded into their numbers.
extern CString g_pageSet;

// Ranges kept whole instead of expanded, once the expanded numbers would pass
// a bound: the set also holds every number in these, ends included.
extern std::vector<std::pair<int, int>> g_pageRanges;

// Normalises the page-range text ("1, 3, 5-12", "1 to 5", "2.4;7") into
// g_pageSet and g_pageRanges.
void SetPageSet(const char* text);

// True when page n (from 1) is to be converted.
bool IsPageSelected(int n);
