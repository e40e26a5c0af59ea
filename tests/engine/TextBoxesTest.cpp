// The program made from fixture PDFs, statement by statement: text boxes,
// formatted runs, pictures and slide sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <filesystem>
#include <climits>
#include <limits>

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <TextOutputDev.h>

#include "ExpectedStatements.h"
#include "Occurrences.h"
#include "ScriptCapture.h"
#include "engine/ReadingOrder.h"
#include "engine/ScriptWriter.h"
#include "engine/ScriptWriterTempFiles.h"
#include "engine/TextBoxWords.h"
#include "engine/TextBoxes.h"

namespace {

class FixtureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadInstalledFontFamilies();
    }
    void TearDown() override
    {
        DeleteTempFiles();
    }
    // The whole program for the PDF's pages.
    std::string Convert(const std::string& pdf, TextMode textMode = TextMode::Blocks, const std::vector<int>& pages = {})
    {
        ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
        slides = WriteFixtureSlides(writer, FixturePdf(pdf), textMode, pages);
        pictures = g_tempFiles;
        FinishAndRunScript(writer);
        return ScriptCapture::Text();
    }
    PrivateTempFolder privateTemp;
    std::string tempFolder = privateTemp.Path();
    ScriptCapture capture;
    int slides = 0;
    std::vector<std::string> pictures;
};

TEST_F(FixtureTest, OneLineHi)
{
    std::string script = Convert("hi.pdf");
    ASSERT_EQ(slides, 1);
    ASSERT_EQ(pictures.size(), 1u);
    std::string expected = std::string(kDeckHeader) +
                           "nRet = ProgressCOM.ShowProgress(0, 99, \"Creating PPT file 99%\")\n"
                           "ppPres.PageSetup.SlideSize = ppSlideSizeCustom\n"
                           "ppPres.PageSetup.SlideWidth = 625\n"
                           "ppPres.PageSetup.SlideHeight = 417\n"
                           "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n"
                           "\nppSlide.Shapes.AddPicture \"" +
                           pictures[0] + "\", 0, 1, 0, 0, 625, 417\n" +
                           // 20pt from the left at 150 dpi is 41.67 pixels; 24pt is 50.
                           Box(41, 67, 97, 53) + Text("%48%69") + Break() + Font(1, 2, "Arial", 50) + kEnd +
                           kDeckFooter;
    EXPECT_EQ(script, expected);
}

TEST_F(FixtureTest, TwoColoursOnOneLineAreTwoRuns)
{
    std::string boxes = TextBoxPart(Convert("colours.pdf"));
    // The blank after "Red" belongs to the first run. The PDF's family
    // "LiberationSans" is no installed face name.
    EXPECT_EQ(boxes, Box(41, 58, 255, 55) + Text("%52%65%64 ") + Text("%42%6C%75%65") + Break() +
                         Font(1, 4, "Times New Roman", 50, "255, 0, 0") +
                         Font(5, 4, "Times New Roman", 50, "0, 0, 255") + kEnd);
}

TEST_F(FixtureTest, LinesApartBreakAndLinesCloseRunOn)
{
    std::string script = Convert("lines.pdf");
    ASSERT_EQ(slides, 3);
    std::vector<std::string> pages;
    for (std::size_t at = script.find("\nSet ppShape"); at != std::string::npos;) {
        std::size_t end = script.find(kEnd, at) + std::strlen(kEnd);
        pages.push_back(script.substr(at, end - at));
        at = script.find("\nSet ppShape", end);
    }
    ASSERT_EQ(pages.size(), 3u);
    // 14pt apart: a paragraph break, counted as one character.
    EXPECT_EQ(pages[0], Box(41, 85, 97, 48) + Text("%4F%6E%65") + Break() + Text("%54%77%6F") + Break() +
                            Font(1, 3, "Arial", 25) + Font(5, 3, "Arial", 25) + kEnd);
    // 1pt (2.08 pixels) apart: the texts join without a blank.
    EXPECT_EQ(pages[1], Box(41, 85, 123, 21) + Text("%48%65%6C%6C%6F%57%6F%72%6C%64") + Break() +
                            Font(1, 10, "Arial", 25) + kEnd);
    // 2pt (4.17 pixels) apart in top and bottom: a break.
    EXPECT_EQ(pages[2], Box(41, 85, 123, 23) + Text("%48%65%6C%6C%6F") + Break() + Text("%57%6F%72%6C%64") +
                            Break() + Font(1, 5, "Arial", 25) + Font(7, 5, "Arial", 25) + kEnd);
    EXPECT_NE(script.find("ShowProgress(0, 33, \"Creating PPT file 33%\")"), std::string::npos);
    EXPECT_NE(script.find("ShowProgress(0, 66, \"Creating PPT file 66%\")"), std::string::npos);
}

TEST_F(FixtureTest, AnIndentedLineAndASecondColumn)
{
    std::string boxes = TextBoxPart(Convert("layout.pdf"));
    // The second line starts 4 columns right of its block: 4 blanks, 4
    // characters. The second column's block starts at its own column 27, so
    // its lines get no indent.
    EXPECT_EQ(boxes, Box(41, 43, 320, 77) + Text("%46%69%72%73%74 %6C%69%6E%65 %6F%66 %74%65%78%74") + Break() +
                         Text("    %69%6E%64%65%6E%74%65%64 %73%65%63%6F%6E%64 %6C%69%6E%65") + Break() +
                         Text("%74%68%69%72%64 %6C%69%6E%65 %62%61%63%6B") + Break() + Font(1, 18, "Arial", 25) +
                         Font(20, 24, "Arial", 25) + Font(45, 15, "Arial", 25) + kEnd + Box(520, 43, 191, 48) +
                         Text("%43%6F%6C%75%6D%6E %74%77%6F") + Break() + Text("%6D%6F%72%65 %63%6F%6C %74%77%6F") +
                         Break() + Font(1, 10, "Arial", 25) + Font(12, 12, "Arial", 25) + kEnd);
}

TEST_F(FixtureTest, FaceNamesBoldAndItalicFromThePdfFontNames)
{
    std::string boxes = TextBoxPart(Convert("styles.pdf"));
    EXPECT_EQ(boxes, Box(41, 52, 142, 31) + Text("%42%6F%6C%64") + Break() +
                         Font(1, 4, "Arial", 41, "0, 0, 0", "False", "True") + kEnd + Box(41, 159, 137, 28) +
                         Text("%49%74%61%6C%69%63") + Break() +
                         Font(1, 6, "Times New Roman", 41, "0, 0, 0", "True", "False") + kEnd +
                         // Helvetica maps to Times New Roman, and Oblique is no italic.
                         Box(41, 261, 193, 38) + Text("%4F%62%6C%69%71%75%65") + Break() +
                         Font(1, 7, "Times New Roman", 41) + kEnd + Box(41, 372, 150, 24) + Text("%4D%6F%6E%6F") +
                         Break() + Font(1, 4, "Courier New", 41) + kEnd);
}

TEST_F(FixtureTest, RotatedTextIsATextBoxToo)
{
    std::string boxes = TextBoxPart(Convert("rotated.pdf"));
    EXPECT_EQ(boxes, Box(386, 388, 89, 132) + Text("%54%75%72%6E%65%64") + Break() + Font(1, 6, "Arial", 41) + kEnd +
                         Box(41, 73, 184, 39) + Text("%55%70%72%69%67%68%74") + Break() +
                         Font(1, 7, "Arial", 41) + kEnd);
}

TEST_F(FixtureTest, AType3FontWithoutANameCountsAsArial)
{
    std::string script = Convert("type3.pdf");
    EXPECT_EQ(pictures.size(), 1u);
    EXPECT_EQ(TextBoxPart(script),
              Box(41, 24, 175, 108) + Text("%u25A1%u25A1%u25A1") + Break() + Font(1, 3, "Arial", 83) + kEnd);
}

TEST_F(FixtureTest, TextInClippingModesReachesTheTextBoxes)
{
    std::string boxes = TextBoxPart(Convert("clip.pdf"));
    EXPECT_EQ(Count(boxes, "AddTextbox("), 4u);
    EXPECT_EQ(Count(boxes, Text("%43%6C%69%70") + Break()), 4u);
    for (int top : { 52, 177, 302, 427 })
        EXPECT_NE(boxes.find(Box(41, top, 121, 39)), std::string::npos) << top;
}

TEST_F(FixtureTest, AWhitePageAndPagesOfOtherSizes)
{
    std::string script = Convert("pages.pdf");
    ASSERT_EQ(slides, 3);
    ASSERT_EQ(pictures.size(), 2u); // none for the white page
    std::string expected = "nRet = ProgressCOM.ShowProgress(0, 33, \"Creating PPT file 33%\")\n"
                           "ppPres.PageSetup.SlideSize = ppSlideSizeCustom\n"
                           "ppPres.PageSetup.SlideWidth = 625\n"
                           "ppPres.PageSetup.SlideHeight = 417\n"
                           "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n"
                           "nRet = ProgressCOM.ShowProgress(0, 66, \"Creating PPT file 66%\")\n"
                           "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n"
                           "\nppSlide.Shapes.AddPicture \"" +
                           pictures[0] + "\", 0, 1, 0, 0, 417, 625\n" +
                           "nRet = ProgressCOM.ShowProgress(0, 99, \"Creating PPT file 99%\")\n"
                           "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n"
                           "\nppSlide.Shapes.AddPicture \"" +
                           pictures[1] + "\", 0, 1, 0, 0, 313, 208\n" + "\nppApp.Presentations(1).SaveAs(ppName)\n";
    EXPECT_NE(script.find(expected), std::string::npos) << script;
    EXPECT_EQ(script.find("AddTextbox"), std::string::npos);
}

TEST_F(FixtureTest, TheSlideSizeFollowsTheFirstSlideWritten)
{
    std::string script = Convert("pages.pdf", TextMode::Blocks, { 3, 2 });
    EXPECT_NE(script.find("SlideWidth = 313\nppPres.PageSetup.SlideHeight = 208\n"), std::string::npos);
    EXPECT_EQ(Count(script, "SlideWidth"), 1u);
}

TEST_F(FixtureTest, EveryPictureOfARunIsGoneAfterward)
{
    for (const char* pdf : { "hi.pdf", "lines.pdf", "pages.pdf" })
        Convert(pdf);
    DeleteTempFiles();
    EXPECT_TRUE(FilesIn(tempFolder).empty());
}

TEST_F(FixtureTest, OneBoxPerLine)
{
    std::string boxes = TextBoxPart(Convert("layout.pdf", TextMode::Lines));
    EXPECT_EQ(Count(boxes, "AddTextbox("), 5u);
    EXPECT_EQ(Count(boxes, kEnd), 5u);
    // Line boxes: no indent, each line one run ending in a break.
    EXPECT_NE(boxes.find(Box(83, 73, 279, 19) + Text("%69%6E%64%65%6E%74%65%64 %73%65%63%6F%6E%64 %6C%69%6E%65") +
                         Break() + Font(1, 20, "Arial", 25) + kEnd),
              std::string::npos)
        << boxes;
    EXPECT_EQ(boxes.find("\"    "), std::string::npos);
}

TEST_F(FixtureTest, OneRunPerWordInBlocks)
{
    std::string boxes = TextBoxPart(Convert("layout.pdf", TextMode::WordsInBlocks));
    EXPECT_EQ(Count(boxes, "AddTextbox("), 2u);
    // Every line starts with its indent and ends with a line-break run.
    std::string second = Text("    %69%6E%64%65%6E%74%65%64 ") + Text("%73%65%63%6F%6E%64 ") + Text("%6C%69%6E%65") +
                         Break();
    EXPECT_NE(boxes.find(second), std::string::npos) << boxes;
    EXPECT_EQ(Count(boxes, Break()), 5u);
    EXPECT_EQ(Count(boxes, "Set ppFont"), 15u); // words only; breaks have no font
    EXPECT_NE(boxes.find(Font(20, 13, "Arial", 25)), std::string::npos);
}

TEST_F(FixtureTest, OneBoxPerLineFragmentFromTopToBottom)
{
    std::string boxes = TextBoxPart(Convert("layout.pdf", TextMode::WordsInFragments));
    const std::vector<std::string> order = { "%46%69%72%73%74 ", "%43%6F%6C%75%6D%6E ", "%69%6E%64%65%6E%74%65%64 ",
                                             "%6D%6F%72%65 ", "%74%68%69%72%64 " };
    std::size_t at = 0;
    for (const std::string& first : order) {
        std::size_t found = boxes.find(Text(first), at);
        ASSERT_NE(found, std::string::npos) << first;
        at = found;
    }
    EXPECT_EQ(Count(boxes, "AddTextbox("), 5u);
    EXPECT_NE(boxes.find(Box(41, 43, 219, 19) + Text("%46%69%72%73%74 ")), std::string::npos);
    EXPECT_NE(boxes.find(Box(520, 43, 181, 19) + Text("%43%6F%6C%75%6D%6E ")), std::string::npos);
}

std::vector<BoxCorner> InReadingOrder(const std::vector<BoxCorner>& corners)
{
    std::vector<BoxCorner> ordered;
    for (std::size_t i : ReadingOrder(corners))
        ordered.push_back(corners[i]);
    return ordered;
}

bool SameCorners(const std::vector<BoxCorner>& a, const std::vector<BoxCorner>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const BoxCorner& p, const BoxCorner& q) {
        return (p.x == q.x || (std::isnan(p.x) && std::isnan(q.x))) && (p.y == q.y || (std::isnan(p.y) && std::isnan(q.y)));
    });
}

// Tops 0.008 apart chain within the row tolerance: "same row, so by x" and
// "other rows, so by top" then contradict each other (B before A, A before
// C, C before B). Rows are counted from each row's first top, so the order
// is one and the same however the boxes come.
TEST(ReadingOrder, IsTheSameHoweverTheBoxesAreGiven)
{
    const BoxCorner a{2, 0}, b{1, 0.008}, c{0, 0.016};
    std::vector<BoxCorner> boxes = {a, b, c};
    std::sort(boxes.begin(), boxes.end(), [](const BoxCorner& p, const BoxCorner& q) { return p.x < q.x; });
    do
        EXPECT_TRUE(SameCorners(InReadingOrder(boxes), {b, a, c}));
    while (std::next_permutation(boxes.begin(), boxes.end(),
                                 [](const BoxCorner& p, const BoxCorner& q) { return p.x < q.x; }));

    // Many boxes whose tops chain over several rows, some not numbers.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> top(0, 0.2), left(0, 500);
    std::vector<BoxCorner> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back({std::floor(left(random)), std::round(top(random) * 1000) / 1000});
    for (int i = 0; i < 20; ++i)
        many.push_back({i % 2 ? NAN : 5.0, i % 2 ? 1.0 : NAN});
    const std::vector<BoxCorner> first = InReadingOrder(many);
    for (int shuffle = 0; shuffle < 5; ++shuffle) {
        std::shuffle(many.begin(), many.end(), random);
        EXPECT_TRUE(SameCorners(InReadingOrder(many), first)) << "shuffle " << shuffle;
    }
    EXPECT_TRUE(std::isnan(first.back().x) || std::isnan(first.back().y));
    for (std::size_t i = 1; i + 20 < first.size(); ++i)
        EXPECT_GT(first[i].y, first[i - 1].y - 0.01 - 1e-9) << i; // never a row above the box before
}

TEST_F(FixtureTest, TurnedLineFragmentsSpanTheirCharacters)
{
    std::string boxes = TextBoxPart(Convert("rotated.pdf", TextMode::WordsInFragments));
    // In flow order the turned text comes first; as fragments, the upright
    // line above it does.
    std::size_t upright = boxes.find(Box(41, 73, 184, 39) + Text("%55%70%72%69%67%68%74"));
    std::size_t turned = boxes.find(Box(386, 388, 89, 132) + Text("%54%75%72%6E%65%64"));
    ASSERT_NE(upright, std::string::npos) << boxes;
    ASSERT_NE(turned, std::string::npos) << boxes;
    EXPECT_LT(upright, turned);
}

TEST_F(FixtureTest, TextModeThreeIsModeZeroAndOthersWriteNoText)
{
    std::string zero = TextBoxPart(Convert("layout.pdf", TextMode::Blocks));
    EXPECT_EQ(TextBoxPart(Convert("layout.pdf", TextMode::BlocksToo)), zero);
    EXPECT_EQ(Convert("layout.pdf", static_cast<TextMode>(5)).find("AddTextbox"), std::string::npos);
}

TEST(TextBoxWords, CoordinatesTruncateTowardZeroWithinIntRange)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int whole;
    } cases[] = {
        { 41.67, 41 }, { 41.99, 41 }, { -0.5, 0 }, { -41.67, -41 }, { 0.0, 0 },
        // A document can place text anywhere: the box stays a number.
        { 1e12, INT_MAX }, { -1e12, INT_MIN }, { inf, INT_MAX }, { -inf, INT_MIN },
        { std::numeric_limits<double>::quiet_NaN(), 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(TruncToInt(c.value), c.whole) << c.value;
}

TEST(TextBoxWords, ColourValuesAreBlueGreenRed)
{
    EXPECT_EQ(ColorValue(1, 0, 0), 0x0000FF);
    EXPECT_EQ(ColorValue(0, 1, 0), 0x00FF00);
    EXPECT_EQ(ColorValue(0, 0, 1), 0xFF0000);
    EXPECT_EQ(ColorValue(0.5, 0.2, 0.999), 0xFE337F); // 127.5, 51, 254.7 truncated
    EXPECT_EQ(ColorValue(0, 0, 0), 0);
}

struct PageStyles {
    std::vector<int> colors;
    std::vector<std::string> fontNames;
    int result = -1;
};

PageStyles CollectFixtureStyles(const std::string& pdf)
{
    if (!globalParams)
        globalParams = std::make_unique<GlobalParams>();
    PDFDoc doc(std::make_unique<GooString>(FixturePdf(pdf)));
    PageStyles styles;
    if (!doc.isOk())
        return styles;
    TextOutputDev text(nullptr, true, 0.0, false, false);
    doc.displayPage(&text, 1, 150, 150, 0, false, true, false);
    styles.result = CollectTextStyles(&text, styles.colors, styles.fontNames);
    return styles;
}

TEST(CollectTextStyles, DistinctColoursAndFontNames)
{
    PageStyles colours = CollectFixtureStyles("colours.pdf");
    EXPECT_EQ(colours.result, 2);
    EXPECT_EQ(colours.colors, (std::vector<int>{ 0x0000FF, 0xFF0000 }));
    EXPECT_EQ(colours.fontNames.size(), 1u);
    PageStyles styles = CollectFixtureStyles("styles.pdf");
    EXPECT_EQ(styles.result, 1);
    ASSERT_EQ(styles.fontNames.size(), 4u);
    EXPECT_EQ(styles.fontNames[2], "Helvetica-Oblique");
    PageStyles type3 = CollectFixtureStyles("type3.pdf");
    EXPECT_EQ(type3.fontNames, (std::vector<std::string>{ "Arial" }));
    std::vector<int> colors;
    std::vector<std::string> names;
    EXPECT_EQ(CollectTextStyles(nullptr, colors, names), 0);
}

TEST(WriteTextBoxes, NullWriterOrDevice)
{
    EXPECT_EQ(WriteTextBoxes(nullptr, nullptr, 1.0f, 1.0f, TextMode::Blocks, 0), 0);
    EXPECT_EQ(WriteTextFragBoxes(nullptr, nullptr, 1.0f, 1.0f, TextMode::WordsInBlocks), 0);
    ScriptWriter writer;
    EXPECT_EQ(WriteTextBoxes(&writer, nullptr, 1.0f, 1.0f, TextMode::Blocks, 0), 1);
    EXPECT_TRUE(writer.script.empty());
}

} // namespace
