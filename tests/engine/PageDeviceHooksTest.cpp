// The geometry and text helpers of the page devices, and the halftone
// screen test.
#include "engine/HalftoneScreen.h"
#include "engine/PageDeviceHooks.h"
#include "tests/ScopedValue.h"

#include <GfxState.h>
#include <Page.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TransformVector, AppliesTheMatrixWithOrWithoutTranslation)
{
    const double m[6] = {2, 3, 5, 7, 11, 13};
    double x, y;
    EXPECT_EQ(TransformVector(m, 1, 1, &x, &y, 0), 0);
    EXPECT_DOUBLE_EQ(x, 2 + 5 + 11);
    EXPECT_DOUBLE_EQ(y, 3 + 7 + 13);
    TransformVector(m, 1, 1, &x, &y, 1);
    EXPECT_DOUBLE_EQ(x, 7);
    EXPECT_DOUBLE_EQ(y, 10);
    const double scale[6] = {2, 0, 0, 4, 1, 1};
    TransformVector(scale, 3, 5, &x, &y, 0);
    EXPECT_DOUBLE_EQ(x, 7);
    EXPECT_DOUBLE_EQ(y, 21);
}

TEST(VectorAngle, NegatesTheYComponentAndTreatsTinyVectorsAsZero)
{
    const double up[6] = {0, 1, -1, 0, 0, 0};
    EXPECT_NEAR(VectorAngle(up), -M_PI / 2, 1e-12);
    const double down[6] = {0, -1, 1, 0, 0, 0};
    EXPECT_NEAR(VectorAngle(down), M_PI / 2, 1e-12);
    const double tiny[6] = {1e-7, -1e-7, 0, 0, 50, 50};
    EXPECT_EQ(VectorAngle(tiny), 0.0);
}

// A state whose font transformation is a rotation by degrees at size 12.
int RotatedBy(double degrees, double scale = 1)
{
    PDFRectangle page(0, 0, 100, 100);
    GfxState state(72, 72, &page, 0, false);
    state.setCTM(1, 0, 0, 1, 0, 0);
    double r = degrees * M_PI / 180;
    state.setTextMat(scale * std::cos(r), scale * std::sin(r), -scale * std::sin(r), scale * std::cos(r), 30, 40);
    state.setFont(nullptr, 12);
    return IsTextRotated(&state);
}

TEST(IsTextRotated, CountsTurnsBeyondTenDegreesExceptNearUpsideDown)
{
    struct Case {
        double degrees;
        int rotated;
    };
    const Case cases[] = {
        {0, 0},    {5, 0},    {10, 0},   {11, 1},   {45, 1},   {90, 1},    {-90, 1},  {170, 1},
        {171, 0},  {180, 0},  {-180, 0}, {189, 0},  {191, 1},  {270, 1},   {-5, 0},   {355, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RotatedBy(c.degrees), c.rotated) << c.degrees << " degrees";
    EXPECT_EQ(RotatedBy(90, 1e-9), 0) << "degenerate matrix";
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutSearchingInsertedText)
{
    std::string text = "aXbXc";
    replaceAll(text, "X", "XX");
    EXPECT_EQ(text, "aXXbXXc");
    text = "%P%%P%";
    replaceAll(text, "%P%", "%P%1");
    EXPECT_EQ(text, "%P%1%P%1");
    text = "none";
    replaceAll(text, "x", "y");
    EXPECT_EQ(text, "none");
    text = "abab";
    replaceAll(text, "ab", "");
    EXPECT_EQ(text, "");
}

TEST(PageSeparatorText, FillsPageNumberAndCount)
{
    ScopedValue separator(g_pageDeviceOptions.pageSeparatorTemplate,
                          "-- %PageNumber% of %PageCount% (%PageNumber%) --\n");
    ScopedValue page(g_lastDisplayedPage, 3);
    EXPECT_EQ(PageSeparatorText(), "-- 3 of 0 (3) --\n");
}

HalftoneScreen TwoByTwo()
{
    HalftoneScreen screen;
    screen.size = 2;
    screen.mat = {10, 100, 150, 200};
    screen.minVal = 10;
    screen.maxVal = 201;
    return screen;
}

TEST(ScreenTest, ThresholdsByPositionWithNearWhiteAlwaysOn)
{
    HalftoneScreen screen = TwoByTwo();
    struct Case {
        int x, y, value, on;
    };
    const Case cases[] = {
        {0, 0, 9, 0},     {0, 0, 10, 1},    {1, 0, 99, 0},    {1, 0, 100, 1},  {0, 1, 149, 0},
        {0, 1, 150, 1},   {1, 1, 195, 0},   {1, 1, 196, 1},   // maxVal - 5 is on, below the matrix's 200
        {3, 2, 99, 0},    {3, 2, 100, 1},   {-1, 0, 99, 0},   {-1, 0, 100, 1}, {-2, -1, 149, 0},
        {-2, -1, 150, 1}, {-3, -3, 195, 0}, {0, 0, 255, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScreenTest(screen, c.x, c.y, (unsigned char)c.value), c.on)
            << "(" << c.x << ", " << c.y << ") value " << c.value;
}

TEST(ScreenTest, AScreenUpTo255TurnsOnFrom250)
{
    HalftoneScreen screen;
    screen.size = 1;
    screen.mat = {255};
    screen.minVal = 1;
    screen.maxVal = 255;
    EXPECT_EQ(ScreenTest(screen, 0, 0, 249), 0);
    for (int value = 250; value <= 255; ++value)
        EXPECT_EQ(ScreenTest(screen, 7, 9, (unsigned char)value), 1) << value;
}

TEST(ScreenTest, GlyphPixelsAreOffOnlyWhenGlyphsAreNotScreened)
{
    HalftoneScreen screen = TwoByTwo();
    {
        ScopedValue drawing(g_drawingGlyph, 1);
        EXPECT_EQ(ScreenTest(screen, 0, 0, 255), 1); // glyphs are screened at load
        ScopedValue screened(g_pageDeviceOptions.halftoneGlyphs, 0);
        EXPECT_EQ(ScreenTest(screen, 0, 0, 255), 0);
    }
    ScopedValue screened(g_pageDeviceOptions.halftoneGlyphs, 0);
    EXPECT_EQ(ScreenTest(screen, 0, 0, 255), 1);
}

TEST(PageDeviceSettings, HaveTheirLoadValues)
{
    EXPECT_EQ(g_pageDeviceOptions.drawRotatedTextInPicture, 0);
    EXPECT_EQ(g_drawingGlyph, 0);
    EXPECT_EQ(g_pageDeviceOptions.halftoneGlyphs, 1);
    EXPECT_TRUE(g_pageDeviceOptions.pageSeparatorTemplate.empty());
    EXPECT_EQ(g_pageDeviceOptions.dumpPageCount, 0);
}

} // namespace
