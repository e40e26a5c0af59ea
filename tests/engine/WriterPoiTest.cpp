// Whole conversions of the fixture PDFs, read back by Apache POI: the runs
// keep their mapped face names, sizes, colours, bold and italic. Calligra
// converts every deck and must keep the same runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "ScriptCapture.h"
#include "engine/Corvane.h"
#include "engine/ScriptWriter.h"
#include "engine/ScriptWriterTempFiles.h"
#include "platform/com/ComRuntime.h"
#include "tests/presentation/ExternalReaders.h"
#include "tests/presentation/StyledRuns.h"

namespace {

class WriterPoiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        outFolder = FreshFolder("writer-poi-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        CorvaneSetup("");
    }
    // POI's description of the presentation made from the fixture.
    std::string Convert(const std::string& pdf)
    {
        std::string out = outFolder + "/" + pdf + ".ppt";
        result = Corvane(FixturePdf(pdf).c_str(), out.c_str(), "");
        CommandResult poi = DescribeWithPoi(out);
        EXPECT_EQ(poi.status, 0) << poi.output;
        for (const std::string& miss : CalligraMisses(out, poi.output)) ADD_FAILURE() << miss;
        return poi.output;
    }
    PrivateTempFolder privateTemp;
    std::string outFolder;
    int result = 1;
};

// Every text of expected must begin a line of POI's description, in this order.
void ExpectInOrder(const std::string& poiOutput, const std::vector<std::string>& expected)
{
    const std::string description = "\n" + poiOutput;
    std::size_t at = 0;
    for (const std::string& line : expected) {
        std::size_t found = description.find("\n" + line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << description;
        at = found + 1 + line.size();
    }
}

TEST_F(WriterPoiTest, FaceNamesSizesBoldAndItalic)
{
    std::string poi = Convert("styles.pdf");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(poi.rfind("size 625.000 521.000\n", 0), 0u) << poi;
    ExpectInOrder(poi, { "slides 1", " textbox 41.000 52.000 142.000 31.000",
                         "  text \"Bold\\u000d\" wrap true", "  chars 0 4 Arial 41.000 b1 i0 u0 000000",
                         " textbox 41.000 159.000 137.000 28.000", "  text \"Italic\\u000d\" wrap true",
                         "  chars 0 6 Times New Roman 41.000 b0 i1 u0 000000",
                         "  chars 0 7 Times New Roman 41.000 b0 i0 u0 000000",
                         "  chars 0 4 Courier New 41.000 b0 i0 u0 000000", "pictures 0" });
}

TEST_F(WriterPoiTest, ColoursOfTwoRunsOnOneLine)
{
    std::string poi = Convert("colours.pdf");
    EXPECT_EQ(result, 0);
    ExpectInOrder(poi, { "  text \"Red Blue\\u000d\" wrap true", "  chars 0 4 Times New Roman 50.000 b0 i0 u0 ff0000",
                         "  chars 4 4 Times New Roman 50.000 b0 i0 u0 0000ff" });
}

TEST_F(WriterPoiTest, IndentsBreaksAndColumns)
{
    std::string layout = Convert("layout.pdf");
    ExpectInOrder(layout, { " textbox 41.000 43.000 320.000 77.000",
                            "  text \"First line of text\\u000d    indented second line\\u000dthird line back\\u000d\" "
                            "wrap true",
                            "  chars 19 24 Arial 25.000 b0 i0 u0 000000", " textbox 520.000 43.000 191.000 48.000",
                            "  text \"Column two\\u000dmore col two\\u000d\" wrap true" });
    std::string lines = Convert("lines.pdf");
    ExpectInOrder(lines, { "slides 3", "  text \"One\\u000dTwo\\u000d\" wrap true",
                           "  text \"HelloWorld\\u000d\" wrap true", "  text \"Hello\\u000dWorld\\u000d\" wrap true" });
}

TEST_F(WriterPoiTest, PicturesAndSlideSizes)
{
    std::string poi = Convert("pages.pdf");
    EXPECT_EQ(result, 0);
    // The white first page has no picture; the others keep their own sizes
    // on a slide as large as the first page.
    EXPECT_EQ(poi.rfind("size 625.000 417.000\n", 0), 0u) << poi;
    ExpectInOrder(poi, { "slides 3", "slide 1", "slide 2", " picture 0.000 0.000 417.000 625.000 PNG",
                         "slide 3", " picture 0.000 0.000 313.000 208.000 PNG", "pictures 2" });
    EXPECT_EQ(poi.find("slide 2"), poi.find("slide 1\n") + 8) << "slide 1 holds something";
    EXPECT_TRUE(FilesIn(privateTemp.Path()).empty()) << "temporary pictures left";
}

TEST_F(WriterPoiTest, TextOfType3AndRotatedFonts)
{
    std::string type3 = Convert("type3.pdf");
    // Type 3 glyphs are painted into the picture and are text as well.
    ExpectInOrder(type3, { " picture 0.000 0.000 625.000 417.000 PNG", " textbox 41.000 24.000 175.000 108.000",
                           "  text \"\\u25a1\\u25a1\\u25a1\\u000d\" wrap true" });
    EXPECT_NE(type3.find("  chars 0 3 Arial 83.000"), std::string::npos) << type3;
    std::string rotated = Convert("rotated.pdf");
    ExpectInOrder(rotated, { " textbox 386.000 388.000 89.000 132.000", "  text \"Turned\\u000d\" wrap true",
                             "  chars 0 6 Arial 41.000 b0 i0 u0 000000", "  text \"Upright\\u000d\" wrap true" });
    // Neither page's ordinary text is in a picture, so neither has one.
    EXPECT_NE(rotated.find("pictures 0"), std::string::npos);
    EXPECT_TRUE(FilesIn(privateTemp.Path()).empty());
}

// Runs whose text holds CR or LF, written by the writer and run through the
// script host: the application keeps CR LF as one paragraph break and joins
// an LF to the break before it, and each run's format must still start at
// the run's own first character.
TEST_F(WriterPoiTest, RunsAroundLineBreakCharactersKeepTheirFormats)
{
    struct Run {
        const char* text;
        int color;
        int lineEnd;
    };
    struct Case {
        std::vector<Run> runs;
        std::vector<std::string> expected;  // POI's text and ranges of the box
    } cases[] = {
        {{{"%41%0D%0A ", 0x0000FF, 0}, {"%58%59", 0xFF0000, 1}},
         {"  text \"A\\u000d XY\\u000d\" wrap true", "  chars 0 3 Times New Roman 20.000 b0 i0 u0 ff0000",
          "  chars 3 2 Times New Roman 20.000 b0 i0 u0 0000ff"}},
        {{{"%41%0D", 0x0000FF, 0}, {"%0A%42", 0xFF0000, 1}},
         {"  text \"A\\u000dB\\u000d\" wrap true", "  chars 0 2 Times New Roman 20.000 b0 i0 u0 ff0000",
          "  chars 2 1 Times New Roman 20.000 b0 i0 u0 0000ff"}},
        {{{"%41", 0x0000FF, 1}, {"%0A%42%0A", 0xFF0000, 0}, {"%0A%43", 0x00FF00, 1}},
         {"  text \"A\\u000dB\\u000dC\\u000d\" wrap true", "  chars 0 1 Times New Roman 20.000 b0 i0 u0 ff0000",
          "  chars 2 2 Times New Roman 20.000 b0 i0 u0 0000ff", "  chars 4 1 Times New Roman 20.000 b0 i0 u0 00ff00"}},
        {{{"%0A%0A%41", 0x0000FF, 0}, {"%42", 0xFF0000, 1}},
         {"  text \"\\u000d\\u000dAB\\u000d\" wrap true", "  chars 0 3 Times New Roman 20.000 b0 i0 u0 ff0000",
          "  chars 3 1 Times New Roman 20.000 b0 i0 u0 0000ff"}},
    };
    CoInitialize(nullptr);
    // "Arial" is no installed face name here: the runs are in the fallback.
    for (const Case& c : cases) {
        std::string out = outFolder + "/breaks" + std::to_string(&c - cases) + ".ppt";
        ScriptWriter* writer = CreateScriptWriter(out.c_str());
        BeginSlide(writer, 300, 200, 99);
        AddTextboxShape(writer, 10, 10, 200, 100);
        for (const Run& run : c.runs)
            AddTextRun(writer, run.text, 20, run.color, "Arial", 0, 0, 0, run.lineEnd);
        FlushTextRuns(writer);
        FinishAndRunScript(writer);
        CommandResult poi = DescribeWithPoi(out);
        EXPECT_EQ(poi.status, 0) << poi.output;
        ExpectInOrder(poi.output, c.expected);
    }
}

TEST_F(WriterPoiTest, EveryProgressModeRunsAndSaves)
{
    CoInitialize(nullptr); // as a conversion does before its program runs
    for (int mode : { kProgressComponent, kProgressExplorerWindow, kProgressNone }) {
        std::string out = outFolder + "/progress" + std::to_string(mode) + ".ppt";
        ScriptWriter* writer = CreateScriptWriter(out.c_str(), mode);
        BeginSlide(writer, 300, 200, 49);
        BeginSlide(writer, 300, 200, 99);
        FinishAndRunScript(writer); // through the script host
        CommandResult poi = DescribeWithPoi(out);
        EXPECT_EQ(poi.status, 0) << mode << poi.output;
        for (const std::string& miss : CalligraMisses(out, poi.output)) ADD_FAILURE() << miss;
        ExpectInOrder(poi.output, { "size 300.000 200.000", "slides 2" });
    }
}

} // namespace
