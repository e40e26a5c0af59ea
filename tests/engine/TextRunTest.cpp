// Escaping, run flushing and font-name mapping, as tables.
#include <gtest/gtest.h>

#include <memory>

#include "ExpectedStatements.h"
#include "ScriptCapture.h"
#include "engine/resources/InstalledFonts.h"
#include "engine/FontNameMap.h"
#include "engine/ScriptWriter.h"
#include "engine/TextRun.h"
#include "tests/ScopedValue.h"

namespace {

struct EscapeCase {
    unsigned int code;
    const char* escaped;
};

TEST(EscapeChar, EveryCharacterIsEscapedForUnescape)
{
    const EscapeCase cases[] = {
        { 0x00, "%00" },      { 'A', "%41" },          { 'a', "%61" },           { '0', "%30" },
        { ' ', "%20" },       { '%', "%25" },          { '"', "%22" },           { 0xFF, "%FF" },
        { 0x100, "%u0100" },  { 0x20AC, "%u20AC" },    { 0xFFFF, "%uFFFF" },
        // Beyond the 16-bit plane the character survives as a surrogate pair.
        { 0x1F600, "%uD83D%uDE00" }, { 0x10000, "%uD800%uDC00" }, { 0x10FFFF, "%uDBFF%uDFFF" },
        { 0x110000, "%uFFFD" },
    };
    for (const EscapeCase& c : cases)
        EXPECT_EQ(EscapeChar(c.code), c.escaped) << std::hex << c.code;
}

TEST(CountEscapedChars, CountsEscapesAndBlanks)
{
    EXPECT_EQ(CountEscapedChars(""), 0);
    EXPECT_EQ(CountEscapedChars("%48%69"), 2);
    EXPECT_EQ(CountEscapedChars("%52%65%64 "), 4);
    EXPECT_EQ(CountEscapedChars("    %41"), 5);
    EXPECT_EQ(CountEscapedChars("%u20AC%41"), 2);
    // A surrogate pair is two characters to the presentation application too.
    EXPECT_EQ(CountEscapedChars(EscapeChar(0x1F600)), 2);
    // CR LF is one paragraph break; CR and LF alone are one each.
    EXPECT_EQ(CountEscapedChars("%41%0D%0A%42"), 3);
    EXPECT_EQ(CountEscapedChars("%0A%0D"), 2);
    EXPECT_EQ(CountEscapedChars("%0A%0A"), 2);
    EXPECT_EQ(CountEscapedChars("%u000D%u000A"), 1);
}

TEST(StoredEscapedText, AnLfRightAfterABreakJoinsIt)
{
    struct Case {
        const char* text;
        bool afterBreak;
        int length;
        bool endsInBreak;
    } cases[] = {
        {"", false, 0, false},           {"", true, 0, true},
        {"%41 ", false, 2, false},       {"%41 ", true, 2, false},
        {"%0A%41", true, 1, false},      {"%0A%41", false, 2, false},
        {"%0A", true, 0, true},          {"%0D%0A", true, 1, true},
        {"%41%0D", false, 2, true},      {"%41%0A", false, 2, true},
        {"%0A%0A", true, 1, true},       {"%0D%0A%0A", false, 2, true},
        {"%ZZ%0A", true, 2, true},  // "%" without digits stays a "%"
    };
    for (const Case& c : cases) {
        StoredText stored = StoredEscapedText(c.text, c.afterBreak);
        EXPECT_EQ(stored.length, c.length) << c.text << " " << c.afterBreak;
        EXPECT_EQ(stored.endsInBreak, c.endsInBreak) << c.text << " " << c.afterBreak;
    }
}

class FlushTextRunsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadInstalledFontFamilies();
        writer.reset(CreateScriptWriter("/out/deck.ppt"));
        ASSERT_TRUE(writer);
        writer->script.clear();
    }
    std::unique_ptr<ScriptWriter> writer;
};

TEST_F(FlushTextRunsTest, OneRunWithParagraphEnd)
{
    AddTextRun(writer.get(), "%48%69", 50, 0, "QSEBUK+ArialMT", 0, 0, 0, 1);
    FlushTextRuns(writer.get());
    EXPECT_EQ(writer->script, std::string("strText = unescape(\"%48%69\")\n") + kAppend + "strText = vbCrLf\n" +
                                  kAppend + Font(1, 2, "Arial", 50, "0, 0, 0", "False", "False") +
                                  "'========EndTextBlock\n");
    EXPECT_TRUE(writer->runs.empty());
}

TEST_F(FlushTextRunsTest, RunsFollowEachOtherAndBreaksCountOne)
{
    AddTextRun(writer.get(), "%52%65%64 ", 50, 0x0000FF, "Arial-BoldMT", 0, 0, 0, 0);
    AddTextRun(writer.get(), "%42%6C", 50, 0xFF0000, "Arial,Italic", 0, 0, 0, 1);
    AddTextRun(writer.get(), "  %43", 25, 0x123456, "TimesNewRomanPS-BoldItalicMT", 0, 0, 0, 1);
    FlushTextRuns(writer.get());
    std::string expected = std::string("strText = unescape(\"%52%65%64 \")\n") + kAppend +
                           "strText = unescape(\"%42%6C\")\n" + kAppend + "strText = vbCrLf\n" + kAppend +
                           "strText = unescape(\"  %43\")\n" + kAppend + "strText = vbCrLf\n" + kAppend +
                           Font(1, 4, "Arial", 50, "255, 0, 0", "False", "True") +
                           Font(5, 2, "Arial", 50, "0, 0, 255", "True", "False") +
                           Font(8, 3, "Times New Roman", 25, "86, 52, 18", "True", "True") +
                           "'========EndTextBlock\n";
    EXPECT_EQ(writer->script, expected);
}

TEST_F(FlushTextRunsTest, LineBreakRunsCountOneAndHaveNoFont)
{
    AddTextRun(writer.get(), "%41", 10, 0, "ArialMT", 0, 0, 0, 0);
    AddLineBreakRun(writer.get());
    AddTextRun(writer.get(), "%42", 10, 0, "ArialMT", 0, 0, 0, 0);
    AddLineBreakRun(writer.get());
    FlushTextRuns(writer.get());
    std::string expected = std::string("strText = unescape(\"%41\")\n") + kAppend + "strText = vbCrLf\n" + kAppend +
                           "strText = unescape(\"%42\")\n" + kAppend + "strText = vbCrLf\n" + kAppend +
                           Font(1, 1, "Arial", 10, "0, 0, 0", "False", "False") +
                           Font(3, 1, "Arial", 10, "0, 0, 0", "False", "False") +
                           "'========EndTextBlock\n";
    EXPECT_EQ(writer->script, expected);
}

TEST_F(FlushTextRunsTest, AnEmptyBoxStillEnds)
{
    FlushTextRuns(writer.get());
    EXPECT_EQ(writer->script, "'========EndTextBlock\n");
}

TEST_F(FlushTextRunsTest, FlagsGivenToTheRunStaySet)
{
    AddTextRun(writer.get(), "%41", 10, 0, "Arial", 1, 1, 1, 0);
    FlushTextRuns(writer.get());
    EXPECT_NE(writer->script.find("ppFont.Italic = True\nppFont.Bold = True\nppFont.Underline = True\n"),
              std::string::npos);
}

TEST_F(FlushTextRunsTest, NullArgumentsWriteNothing)
{
    AddTextRun(writer.get(), nullptr, 10, 0, "Arial", 0, 0, 0, 0);
    EXPECT_TRUE(writer->runs.empty());
    AddTextRun(nullptr, "%41", 10, 0, "Arial", 0, 0, 0, 0);
    FlushTextRuns(nullptr);
    AddTextRun(writer.get(), "%41", 10, 0, nullptr, 0, 0, 0, 0);
    FlushTextRuns(writer.get());
    // A run without a font name gets no font statements.
    EXPECT_EQ(writer->script.find("Set ppFont"), std::string::npos);
}

struct StyleCase {
    const char* pdfName;
    const char* face;
    const char* italic;
    const char* bold;
};

TEST_F(FlushTextRunsTest, BoldAndItalicComeFromTheStyleSuffixOnly)
{
    const StyleCase cases[] = {
        { "ABCDEF+Arial-BoldMT", "Arial", "False", "True" },
        { "TimesNewRomanPS-ItalicMT", "Times New Roman", "True", "False" },
        { "Arial,BoldItalic", "Arial", "True", "True" },
        { "Arial-Black", "Arial", "False", "False" },
        { "Helvetica-Oblique", "Times New Roman", "False", "False" },
        { "ArialBold", "Times New Roman", "False", "False" },
        { "CourierNewPS-BOLDMT", "Courier New", "False", "True" },
        { "Arial-Bold,Italic", "Arial", "True", "True" },
    };
    for (const StyleCase& c : cases) {
        writer->script.clear();
        AddTextRun(writer.get(), "%41", 12, 0, c.pdfName, 0, 0, 0, 0);
        FlushTextRuns(writer.get());
        std::string expected = Font(1, 1, c.face, 12, "0, 0, 0", c.italic, c.bold);
        EXPECT_NE(writer->script.find(expected), std::string::npos) << c.pdfName << "\n" << writer->script;
    }
}

struct MapCase {
    const char* pdfFamily;
    const char* face;
};

TEST(MapFontName, MapsPdfFamiliesToInstalledFaces)
{
    LoadInstalledFontFamilies();
    const MapCase cases[] = {
        { "ArialMT", "Arial" },
        { "ABCDEF+ArialMT", "Arial" },
        { "Arial", "Arial" },
        { "CourierNewPSMT", "Courier New" },
        { "CourierNewPS", "Courier New" },
        { "CourierNew", "Courier New" },
        { "TimesNewRomanPSMT", "Times New Roman" },
        { "TimesNewRoman", "Times New Roman" },
        { "Helvetica", "Times New Roman" },
        { "XYZ+ABC+Arial", "Times New Roman" }, // only the first prefix goes
        { "NoSuchFamilyAnywhere", "Times New Roman" },
        { "arialmt", "Times New Roman" }, // replacements are case-sensitive
        { "ARIAL", "ARIAL" },             // the installed test is not
        { "", "Times New Roman" },
    };
    for (const MapCase& c : cases) {
        std::string name = c.pdfFamily;
        MapFontName(name);
        EXPECT_EQ(name, c.face) << c.pdfFamily;
    }
}

TEST(MapFontName, ReplacesTheFirstOccurrenceOfEachPairInOrder)
{
    LoadInstalledFontFamilies();
    // Each pair replaces once; what a pair leaves is seen by the later ones.
    // The families below are installed for the test, so that every result
    // shows instead of falling back to "Times New Roman".
    std::vector<std::string> families = installedFontFamilies;
    families.insert(families.end(), {"ArialArialMT", "Courier NewCourierNew"});
    ScopedValue installed(installedFontFamilies, families);
    EXPECT_STREQ(FontNameReplacements[4].from, "Helvetica");
    EXPECT_STREQ(FontNameReplacements[4].to, "Times New Roman");
    const struct {
        const char* pdfName;
        const char* mapped;
    } cases[] = {
        {"ArialMTArialMT", "ArialArialMT"},                // every occurrence: "ArialArial"
        {"CourierNewCourierNew", "Courier NewCourierNew"}, // every occurrence: "Courier NewCourier New"
    };
    for (const auto& c : cases) {
        std::string name = c.pdfName;
        MapFontName(name);
        EXPECT_EQ(name, c.mapped) << c.pdfName;
    }
}

} // namespace
