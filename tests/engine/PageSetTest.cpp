// The page-range text, its normalised page set and the pages it selects.
#include "engine/Corvane.h"
#include "engine/PageSet.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct PageRangeCase {
    const char* text;
    const char* pageSet;
    std::vector<int> selected;    // pages 1..20 that convert
};

const PageRangeCase pageRangeCases[] = {
    {"", "", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    {" \t\r\n\v\f ", "", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    {"1, 3, 5-7", ",1,3,5,6,7,", {1, 3, 5, 6, 7}},
    {"9-7", ",7,8,9,", {7, 8, 9}},
    {"3", ",3,", {3}},
    {",", ",", {}},
    {" 1 TO 3 ; 5 ", ",1,2,3,5,", {1, 2, 3, 5}},
    {"1 to 5", ",1,2,3,4,5,", {1, 2, 3, 4, 5}},
    {"2.4;7", ",2,4,7,", {2, 4, 7}},
    {"1_3", ",1,2,3,", {1, 2, 3}},
    {"1~3", ",1,2,3,", {1, 2, 3}},
    {"3-1", ",1,2,3,", {1, 2, 3}},
    {"7", ",7,", {7}},
    {"07", ",07,", {}},
    {"+3", ",+3,", {}},
    {"abc", ",ABC,", {}},
    {"all", ",ALL,", {}},
    {"5-", ",0,1,2,3,4,5,", {1, 2, 3, 4, 5}},
    {"-3", ",0,1,2,3,", {1, 2, 3}},
    {"1-2-3", ",1,2,", {1, 2}},
    {"4-4", ",4,", {4}},
    {"2,,4", ",2,,4,", {2, 4}},
    {"1,\t2", ",1,\t2,", {1}},            // a tab stays inside its item
    {"2-4,3", ",2,3,4,3,", {2, 3, 4}},    // listed twice, converted once
    {"1 2", ",12,", {12}},                // blanks vanish before splitting
    {"x-12", ",0,1,2,3,4,5,6,7,8,9,10,11,12,", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    {"17,70", ",17,70,", {17}},
    {"1to", ",0,1,", {1}},
    {"5--3", ",-3,-2,-1,0,1,2,3,4,5,", {1, 2, 3, 4, 5}},
    {"1 T O 3", ",1TO3,", {}},             // "TO" is read before the blanks go
    {"1TTO3", ",1,2,3,", {1, 2, 3}},        // "T" then "TO"
    {"2 too", ",0,1,2,", {1, 2}},           // "TO" then "O"
    {"1to3;5.7_8~9", ",1,2,3,5,7,8,", {1, 2, 3, 5, 7, 8}},
};

std::vector<int> SelectedPages()
{
    std::vector<int> pages;
    for (int n = 1; n <= 20; ++n)
        if (IsPageSelected(n))
            pages.push_back(n);
    return pages;
}

TEST(PageSet, NormalisesAndSelectsAsTheTableSays)
{
    for (const PageRangeCase& c : pageRangeCases) {
        SCOPED_TRACE(std::string("text '") + c.text + "'");
        EXPECT_EQ(CorvaneSetup(c.text), 0);
        EXPECT_EQ(std::string(g_pageSet), c.pageSet);
        EXPECT_TRUE(g_pageRanges.empty());
        EXPECT_EQ(SelectedPages(), c.selected);
    }
}

TEST(PageSet, NullTextMeansEveryPage)
{
    CorvaneSetup("3");
    CorvaneSetup(nullptr);
    EXPECT_TRUE(g_pageSet.IsEmpty());
    EXPECT_TRUE(IsPageSelected(1));
}

TEST(PageSet, HugeRangesStayRangesAndSelectTheSamePages)
{
    struct HugeCase {
        const char* text;
        std::vector<int> in, out;
    };
    const HugeCase cases[] = {
        {"1-2147483647", {1, 2, 99999, 100001, 8388607, INT_MAX}, {0, -1}},
        {"2147483647-5", {5, 6, 1000000, INT_MAX}, {1, 4}},
        {"3,10-99999999999999999999,1", {1, 3, 10, 5000000, INT_MAX}, {2, 4, 9}},
        {"0--2147483648", {}, {1, 2, INT_MAX}},  // 0 down to INT_MIN
    };
    for (const HugeCase& c : cases) {
        SCOPED_TRACE(c.text);
        CorvaneSetup(c.text);
        EXPECT_LT(g_pageSet.GetLength(), 2000000);
        for (int n : c.in)
            EXPECT_TRUE(IsPageSelected(n)) << n;
        for (int n : c.out)
            EXPECT_FALSE(IsPageSelected(n)) << n;
    }
}

TEST(PageSet, ManyLargeRangesStayBounded)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "1-90000,";
    CorvaneSetup(text.c_str());
    EXPECT_LT(g_pageSet.GetLength(), 2000000);
    EXPECT_TRUE(IsPageSelected(89999));
    EXPECT_TRUE(IsPageSelected(90000));
    EXPECT_FALSE(IsPageSelected(90001));
}

TEST(PageSet, ExpansionBelowTheBoundMatchesTheWrittenOutSet)
{
    CorvaneSetup("1-100000");
    EXPECT_TRUE(g_pageRanges.empty());
    EXPECT_EQ(g_pageSet.GetLength(), int(std::string(",").size()) + [] {
        int length = 0;
        for (int n = 1; n <= 100000; ++n)
            length += int(std::to_string(n).size()) + 1;
        return length;
    }());
    EXPECT_TRUE(IsPageSelected(100000));
    EXPECT_FALSE(IsPageSelected(100001));
}

} // namespace
