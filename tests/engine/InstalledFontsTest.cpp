// The installed-family list filled from the font enumeration over
// fontconfig, and the test the font-name mapping asks.
#include "engine/resources/InstalledFonts.h"
#include "platform/win32/FontFamilies.h"

#include <GlobalParams.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace {

// fc-list's families: the first name of each font.
std::set<std::string> FontconfigFamilies()
{
    std::set<std::string> families;
    FILE* list = popen("fc-list : family | cut -d, -f1 | sort -u", "r");
    char line[512];
    while (list && fgets(line, sizeof line, list)) {
        std::string name = line;
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
            name.pop_back();
        if (!name.empty())
            families.insert(name);
    }
    if (list)
        pclose(list);
    return families;
}

std::string FcMatchFamily(const std::string& name)
{
    std::string command = "fc-match -f '%{family[0]}' '" + name + "'";
    FILE* match = popen(command.c_str(), "r");
    char line[512] = "";
    if (match) {
        if (!fgets(line, sizeof line, match))
            line[0] = '\0';
        pclose(match);
    }
    return line;
}

TEST(InstalledFonts, NothingCountsBeforeTheFirstConversionAndEmptyNamesNever)
{
    installedFontFamilies.clear();
    EXPECT_EQ(IsFontFamilyInstalled("DejaVu Sans"), 0);
    EXPECT_EQ(IsFontFamilyInstalled(""), 0);
    EXPECT_EQ(IsFontFamilyInstalled(nullptr), 0);
}

TEST(InstalledFonts, RegisteringListsFontconfigsFamiliesInAnyCase)
{
    installedFontFamilies.clear();
    EXPECT_EQ(RegisterWindowsFonts(nullptr), 0);
    EXPECT_TRUE(installedFontFamilies.empty());
    auto params = std::make_unique<GlobalParams>();
    EXPECT_EQ(RegisterWindowsFonts(params.get()), 1);
    std::set<std::string> families = FontconfigFamilies();
    ASSERT_FALSE(families.empty());
    for (const std::string& family : families)
        EXPECT_EQ(IsFontFamilyInstalled(family.c_str()), 1) << family;
    ASSERT_TRUE(families.count("DejaVu Sans"));
    EXPECT_EQ(IsFontFamilyInstalled("dejavu sans"), 1);
    EXPECT_EQ(IsFontFamilyInstalled("DEJAVU SANS"), 1);
    EXPECT_EQ(IsFontFamilyInstalled("DejaVu"), 0);
    EXPECT_EQ(IsFontFamilyInstalled("No Such Family 123"), 0);

    // Every conversion adds to the list; names are held once.
    size_t size = installedFontFamilies.size();
    RegisterWindowsFonts(params.get());
    EXPECT_EQ(installedFontFamilies.size(), size);
}

TEST(InstalledFonts, MetricCompatibleNamesCountWhereFontconfigServesThem)
{
    installedFontFamilies.clear();
    auto params = std::make_unique<GlobalParams>();
    RegisterWindowsFonts(params.get());
    std::set<std::string> families = FontconfigFamilies();
    struct Alias {
        const char* name;
        const char* servedBy;
    };
    const Alias aliases[] = {
        {"Arial", "Liberation Sans"}, {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
    };
    for (const Alias& alias : aliases) {
        if (!families.count(alias.servedBy))
            continue;
        ASSERT_EQ(FcMatchFamily(alias.name), alias.servedBy);
        EXPECT_EQ(IsFontFamilyInstalled(alias.name), 1) << alias.name;
    }
    // A name fontconfig only falls back for is not installed.
    if (!families.count("Carlito") && !families.count("Calibri")) {
        EXPECT_EQ(IsFontFamilyInstalled("Calibri"), 0);
    }
}

// Records what the enumeration hands its callback.
struct Seen {
    std::set<std::string> names;
    int calls = 0;
    DWORD types = 0;
};

int Record(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM data)
{
    Seen* seen = reinterpret_cast<Seen*>(data);
    seen->names.insert(font->lfFaceName);
    seen->types |= type;
    ++seen->calls;
    return 1;
}

int StopAtOnce(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM data)
{
    ++*reinterpret_cast<int*>(data);
    return 0;
}

TEST(EnumFontFamilies, OncePerFamilyAndStopsWhenAsked)
{
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    Seen seen;
    EXPECT_EQ(EnumFontFamiliesA(screen, nullptr, Record, LPARAM(&seen)), 1);
    EXPECT_EQ(int(seen.names.size()), seen.calls);
    EXPECT_NE(seen.types & TRUETYPE_FONTTYPE, 0u);

    Seen one;
    EnumFontFamiliesA(screen, "dejavu sans", Record, LPARAM(&one));
    EXPECT_EQ(one.names, (std::set<std::string>{"DejaVu Sans"}));

    int calls = 0;
    EXPECT_EQ(EnumFontFamiliesA(screen, nullptr, StopAtOnce, LPARAM(&calls)), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(GetDC(HWND(&calls)), nullptr);
}

TEST(EnumFontFamilyProc, SkipsRasterFontsAndGoesOn)
{
    installedFontFamilies.clear();
    LOGFONTA font = {};
    std::snprintf(font.lfFaceName, LF_FACESIZE, "%s", "Fixed Bitmap");
    TEXTMETRICA metrics = {};
    EXPECT_EQ(EnumFontFamilyProc(&font, &metrics, RASTER_FONTTYPE, 0), 1);
    EXPECT_EQ(IsFontFamilyInstalled("Fixed Bitmap"), 0);
    std::snprintf(font.lfFaceName, LF_FACESIZE, "%s", "Some Outline");
    EXPECT_EQ(EnumFontFamilyProc(&font, &metrics, TRUETYPE_FONTTYPE, 0), 1);
    EXPECT_EQ(EnumFontFamilyProc(&font, &metrics, 0, 0), 1);
    EXPECT_EQ(IsFontFamilyInstalled("some outline"), 1);
    EXPECT_EQ(installedFontFamilies.size(), 1u);
    installedFontFamilies.clear();
}

} // namespace
