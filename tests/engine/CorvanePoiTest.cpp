// Conversions read back by Apache POI: one slide per selected page, the
// slide size of the first page's picture, a picture on every page that is
// not white, and the page's text in a text box. Calligra converts every
// deck keeping the same runs of text.
#include "engine/Corvane.h"
#include "engine/ScriptHost.h"
#include "tests/engine/ScopedScriptRunner.h"
#include "tests/engine/Occurrences.h"
#include "tests/support/PdfMaker.h"
#include "tests/presentation/ExternalReaders.h"
#include "tests/presentation/StyledRuns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>

namespace {

// Page 1: 300 x 200 points with text and a rectangle; page 2: white;
// page 3: 400 x 300 points with text and a line.
const char* const mixedPages = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
20 100 moveto (First) show
0 0 1 setrgbcolor 200 20 60 40 rectfill
showpage
showpage
<< /PageSize [400 300] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
0 0 0 setrgbcolor 20 200 moveto (Third) show
4 setlinewidth 20 40 moveto 380 40 lineto stroke
showpage
)";

// POI's description of a converted deck, which Calligra must convert too
// keeping every run of text.
CommandResult Describe(const std::string& deck)
{
    CommandResult poi = DescribeWithPoi(deck);
    for (const std::string& miss : CalligraMisses(deck, poi.output)) ADD_FAILURE() << miss;
    return poi;
}

TEST(ConversionReadBack, SlidesFollowThePagesAndThePageSet)
{
    ScratchFolder folder;
    std::string pdf = MakePdf(folder, "mixed", mixedPages);
    std::string out = folder.File("mixed.ppt");
    CorvaneSetup("");
    ASSERT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneOk);
    CommandResult poi = Describe(out);
    ASSERT_EQ(poi.status, 0) << poi.output;
    EXPECT_NE(poi.output.find("size 625.000 417.000\n"), std::string::npos) << poi.output;
    EXPECT_NE(poi.output.find("slides 3\n"), std::string::npos) << poi.output;

    std::string first = PoiSlide(poi.output, 1), white = PoiSlide(poi.output, 2), third = PoiSlide(poi.output, 3);
    EXPECT_NE(first.find(" picture 0.000 0.000 625.000 417.000 PNG"), std::string::npos) << first;
    EXPECT_NE(first.find("text \"First"), std::string::npos) << first;
    EXPECT_EQ(white.find("picture"), std::string::npos) << white;
    EXPECT_EQ(white.find("textbox"), std::string::npos) << white;
    EXPECT_NE(third.find(" picture 0.000 0.000 833.000 625.000 PNG"), std::string::npos) << third;
    EXPECT_NE(third.find("text \"Third"), std::string::npos) << third;

    CorvaneSetup("3, 1");
    std::string chosen = folder.File("chosen.ppt");
    ASSERT_EQ(Corvane(pdf.c_str(), chosen.c_str(), ""), kCorvaneOk);
    poi = Describe(chosen);
    ASSERT_EQ(poi.status, 0) << poi.output;
    EXPECT_NE(poi.output.find("slides 2\n"), std::string::npos) << poi.output;
    EXPECT_NE(PoiSlide(poi.output, 1).find("text \"First"), std::string::npos) << poi.output;
    EXPECT_NE(PoiSlide(poi.output, 2).find("text \"Third"), std::string::npos) << poi.output;
    CorvaneSetup("");
}

TEST(ConversionReadBack, ASelectionOfNoPageSavesAPresentationWithoutSlides)
{
    ScratchFolder folder;
    std::string pdf = MakePdf(folder, "mixed", mixedPages);
    std::string out = folder.File("none.ppt");
    CorvaneSetup("abc");
    EXPECT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneNoSlide);
    CorvaneSetup("");
    CommandResult poi = Describe(out);
    ASSERT_EQ(poi.status, 0) << poi.output;
    EXPECT_NE(poi.output.find("slides 0\n"), std::string::npos) << poi.output;
    EXPECT_EQ(Count(poi.output, "picture "), 0u);
}

// A page of so many points with four coloured quadrants and a line of
// text a twentieth of the short side high, a tenth of the way in.
std::string PosterPage(double width, double height)
{
    const double size = std::min(width, height) / 20, x = width / 10, y = height / 2;
    std::ostringstream ps;
    ps << "%!PS\n<< /PageSize [" << width << " " << height << "] >> setpagedevice\n"
       << "1 0 0 setrgbcolor 0 0 " << width / 2 << " " << height / 2 << " rectfill\n"
       << "0 0.6 0 setrgbcolor " << width / 2 << " 0 " << width / 2 << " " << height / 2 << " rectfill\n"
       << "0 0 1 setrgbcolor 0 " << height / 2 << " " << width / 2 << " " << height / 2 << " rectfill\n"
       << "1 1 0 setrgbcolor " << width / 2 << " " << height / 2 << " " << width / 2 << " " << height / 2
       << " rectfill\n"
       << "0 0 0 setrgbcolor /Helvetica findfont " << size << " scalefont setfont\n"
       << x << " " << y << " moveto (Poster) show showpage\n";
    return ps.str();
}

// The numbers after a line's first occurrence of prefix.
std::vector<double> NumbersAfter(const std::string& text, const std::string& prefix, int count)
{
    std::vector<double> numbers;
    size_t at = text.find(prefix);
    if (at == std::string::npos)
        return numbers;
    std::istringstream in(text.substr(at + prefix.size()));
    double v;
    for (int i = 0; i < count && in >> v; ++i)
        numbers.push_back(v);
    return numbers;
}

struct Poster {
    const char* name;
    double width, height; // points
};

const Poster posters[] = {{"A1", 1684, 2384}, {"A0", 2384, 3370}, {"huge", 13000, 13000}};

// A page larger than the largest slide at 150 dpi renders the document at
// the resolution that makes its long side the largest slide side, 4032:
// the slide, the picture that covers it, the text box and its font size
// all follow from that resolution, and every shape ends within 4095.
TEST(ConversionReadBack, PagesLargerThanTheLargestSlideRenderAtTheResolutionThatFits)
{
    ScratchFolder folder;
    CorvaneSetup("");
    for (const Poster& poster : posters) {
        SCOPED_TRACE(poster.name);
        std::string pdf = MakePdf(folder, poster.name, PosterPage(poster.width, poster.height));
        std::string out = folder.File(std::string(poster.name) + ".ppt");
        ASSERT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneOk);
        CommandResult poi = DescribeWithPoi(out);
        ASSERT_EQ(poi.status, 0) << poi.output;

        const double scale = 4032 / std::max(poster.width, poster.height); // slide points per page point
        const double width = std::floor(poster.width * scale + 0.5), height = std::floor(poster.height * scale + 0.5);
        EXPECT_EQ(NumbersAfter(poi.output, "size ", 2), (std::vector<double>{width, height})) << poi.output;
        std::string slide = PoiSlide(poi.output, 1);
        EXPECT_EQ(Count(slide, " picture "), 1u) << slide;
        EXPECT_EQ(NumbersAfter(slide, " picture ", 4), (std::vector<double>{0, 0, width, height})) << slide;

        std::vector<double> box = NumbersAfter(slide, " textbox ", 4);
        ASSERT_EQ(box.size(), 4u) << slide;
        EXPECT_GE(box[0], 0);
        EXPECT_GE(box[1], 0);
        EXPECT_LT(box[0], width);
        EXPECT_LE(box[1] + box[3], height);
        EXPECT_LE(box[0] + box[2], 4095);
        EXPECT_NEAR(box[0], poster.width / 10 * scale, 2);
        std::vector<StyledRun> runs = PoiRuns(poi.output);
        ASSERT_FALSE(runs.empty()) << poi.output;
        EXPECT_EQ(runs[0].text, "Poster");
        EXPECT_NEAR(runs[0].size, std::min(poster.width, poster.height) / 20 * scale, 1);
    }
}

// Every text box of a slide as POI reads it: its anchor and its text.
struct ReadBox {
    std::vector<double> anchor;
    std::string text;
};

std::vector<ReadBox> TextBoxes(const std::string& slide)
{
    std::vector<ReadBox> boxes;
    std::istringstream in(slide);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(" textbox ", 0) == 0)
            boxes.push_back({NumbersAfter(line, " textbox ", 4), ""});
        else if (line.rfind("  text \"", 0) == 0 && !boxes.empty())
            boxes.back().text = line.substr(8, line.rfind("\" wrap") - 8);
    }
    return boxes;
}

struct EdgePage {
    const char* name;
    double width, height; // points
    const char* body;     // PostScript that shows the page's two blocks
    const char* first;
    const char* second;
};

// Two blocks of text on an A0 page, the second reaching past the page's
// edge: a word that starts before the right edge and ends past it, or a
// line whose descenders lie below the bottom edge. The page's long side is
// the largest slide side, so such a box would end past the largest shape
// edge unless it is cut to fit.
const EdgePage edgePages[] = {
    {"right", 3370, 2384,
     "/Helvetica findfont 150 scalefont setfont 100 1500 moveto (Left text stays) show\n"
     "2900 800 moveto (WORKS) show\n",
     "Left text stays", "WORKS"},
    {"bottom", 2384, 3370,
     "/Helvetica findfont 100 scalefont setfont 100 1700 moveto (Above stays) show\n"
     "/Helvetica findfont 300 scalefont setfont 100 0 moveto (Bottom gyp) show\n",
     "Above stays", "Bottom gyp"},
};

TEST(ConversionReadBack, TextReachingPastALargePageEdgeStaysInItsOwnBox)
{
    ScratchFolder folder;
    CorvaneSetup("");
    for (const EdgePage& page : edgePages) {
        SCOPED_TRACE(page.name);
        std::ostringstream ps;
        ps << "%!PS\n<< /PageSize [" << page.width << " " << page.height << "] >> setpagedevice\n"
           << page.body << "showpage\n";
        std::string pdf = MakePdf(folder, page.name, ps.str());
        std::string out = folder.File(std::string(page.name) + ".ppt");
        ASSERT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneOk);
        CommandResult poi = DescribeWithPoi(out);
        ASSERT_EQ(poi.status, 0) << poi.output;
        std::vector<ReadBox> boxes = TextBoxes(PoiSlide(poi.output, 1));
        ASSERT_EQ(boxes.size(), 2u) << poi.output;
        for (const ReadBox& box : boxes) {
            ASSERT_EQ(box.anchor.size(), 4u) << poi.output;
            EXPECT_LE(box.anchor[0] + box.anchor[2], 4095) << box.text;
            EXPECT_LE(box.anchor[1] + box.anchor[3], 4095) << box.text;
        }
        EXPECT_EQ(boxes[0].text.rfind(page.first, 0), 0u) << boxes[0].text;
        EXPECT_EQ(boxes[0].text.find(page.second), std::string::npos) << boxes[0].text;
        EXPECT_EQ(boxes[1].text.rfind(page.second, 0), 0u) << boxes[1].text;
    }
}

// The finished program, kept on its way to the script host.
std::string g_keptProgram;

int KeepAndRun(const char* script)
{
    g_keptProgram = script;
    return RunScript(script);
}

// The four arguments after the orientation of every AddTextbox call.
std::vector<std::vector<long>> TextboxArguments(const std::string& program)
{
    std::vector<std::vector<long>> boxes;
    const std::regex call(R"(AddTextbox\(1,(-?\d+),(-?\d+),(-?\d+),(-?\d+)\))");
    for (std::sregex_iterator it(program.begin(), program.end(), call), end; it != end; ++it)
        boxes.push_back({std::stol((*it)[1]), std::stol((*it)[2]), std::stol((*it)[3]), std::stol((*it)[4])});
    return boxes;
}

// One glyph per page of an A0 page, as large as the page's long side or
// twice as large, reaching past one of its four edges. Every box must be
// one the application takes (starting at -4095 or more, ending at 4095 or
// less), and every glyph must land in its own slide's box: a refused box
// would send its text into the box of the slide before.
TEST(ConversionReadBack, GlyphsPastEveryPageEdgeStayInTheirOwnBoxes)
{
    struct Edge {
        const char* name;
        double x, y;  // the glyph's origin, in glyph sizes from the page's corner or edge
    };
    const double width = 2384, height = 3370;
    const Edge edges[] = {{"left", -0.6, 0.3}, {"top", 0.1, -0.1}, {"right", -0.1, 0.3}, {"bottom", 0.1, 0.1}};
    std::ostringstream ps;
    ps << "%!PS\n<< /PageSize [" << width << " " << height << "] >> setpagedevice\n";
    std::string letters;
    for (double scale : {1.0, 2.0}) {
        for (const Edge& edge : edges) {
            const double size = height * scale;
            const double x = std::string(edge.name) == "right" ? width + edge.x * size : edge.x * size;
            const double y = std::string(edge.name) == "top" ? height + edge.y * size : edge.y * size;
            const char letter = char('A' + letters.size());
            letters += letter;
            ps << "/Helvetica findfont " << size << " scalefont setfont " << x << " " << y << " moveto (" << letter
               << ") show showpage\n";
        }
    }
    ScratchFolder folder;
    std::string pdf = MakePdf(folder, "edges", ps.str());
    std::string out = folder.File("edges.ppt");
    CorvaneSetup("");
    {
        ScopedScriptRunner keep(KeepAndRun);
        ASSERT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneOk);
    }
    std::vector<std::vector<long>> arguments = TextboxArguments(g_keptProgram);
    EXPECT_EQ(arguments.size(), letters.size()) << g_keptProgram;
    for (const std::vector<long>& box : arguments) {
        for (int side : {0, 1}) {
            EXPECT_GE(box[side], -4095) << g_keptProgram;
            EXPECT_GE(box[side + 2], 0) << g_keptProgram;
            EXPECT_LE(box[side + 2], 8190) << g_keptProgram;
            EXPECT_LE(box[side] + box[side + 2], 4095) << g_keptProgram;
        }
    }
    CommandResult poi = DescribeWithPoi(out);
    ASSERT_EQ(poi.status, 0) << poi.output;
    for (size_t i = 0; i < letters.size(); ++i) {
        SCOPED_TRACE(std::string(1, letters[i]));
        std::vector<ReadBox> boxes = TextBoxes(PoiSlide(poi.output, int(i + 1)));
        ASSERT_EQ(boxes.size(), 1u) << poi.output;
        EXPECT_EQ(boxes[0].text, std::string(1, letters[i]) + "\\u000d") << poi.output;
    }
}

// Every word of the slide's boxes, in order, with its colour.
std::vector<std::pair<std::string, std::string>> ColouredWords(const std::string& slide)
{
    std::vector<std::pair<std::string, std::string>> words;
    for (const StyledRun& run : PoiRuns(slide)) {
        std::istringstream in(run.text);
        for (std::string word; in >> word;)
            words.emplace_back(word, run.colour);
    }
    return words;
}

// A block whose text and style records would pass what a reader takes in
// one box (4950 runs of their own colour, or 120 000 characters) becomes
// several boxes, each placed where its lines are, that keep every
// character and format in order.
TEST(ConversionReadBack, ABlockTooLargeForOneBoxKeepsEveryCharacterAndFormat)
{
    struct Case {
        const char* name;
        int lines, words, letters;  // per line, per word
        bool coloured;              // each word another colour than the last
        double size;                // points
    } cases[] = {{"runs", 150, 33, 3, true, 10}, {"characters", 400, 30, 9, false, 5}};
    const char* const colours[] = {"1 0 0", "0 0 1", "0 1 0"};
    const char* const hex[] = {"ff0000", "0000ff", "00ff00"};
    ScratchFolder folder;
    CorvaneSetup("");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double width = c.words * (c.letters + 1) * c.size * 0.7 + 100, height = c.lines * c.size * 1.2 + 100;
        std::ostringstream ps;
        ps << "%!PS\n<< /PageSize [" << width << " " << height << "] >> setpagedevice\n/Courier findfont " << c.size
           << " scalefont setfont\n";
        std::vector<std::pair<std::string, std::string>> expected;
        for (int line = 0; line < c.lines; ++line) {
            ps << "50 " << height - 50 - line * c.size * 1.2 << " moveto\n";
            for (int w = 0; w < c.words; ++w) {
                std::string word;
                for (int l = 0; l < c.letters; ++l)
                    word += char('a' + (line * 7 + w * 3 + l) % 26);
                const int colour = c.coloured ? (line * c.words + w) % 3 : 0;
                ps << colours[colour] << " setrgbcolor (" << word << " ) show\n";
                expected.emplace_back(word, hex[colour]);
            }
        }
        ps << "showpage\n";
        std::string pdf = MakePdf(folder, c.name, ps.str());
        std::string out = folder.File(std::string(c.name) + ".ppt");
        ASSERT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneOk);
        CommandResult poi = DescribeWithPoi(out);
        ASSERT_EQ(poi.status, 0) << poi.output.substr(0, 2000);
        std::string slide = PoiSlide(poi.output, 1);
        EXPECT_GT(Count(slide, " textbox "), 1u);
        std::vector<std::pair<std::string, std::string>> found = ColouredWords(slide);
        EXPECT_EQ(found.size(), expected.size());
        auto differ = std::mismatch(found.begin(), found.end(), expected.begin(), expected.end());
        if (differ.first != found.end() || differ.second != expected.end())
            ADD_FAILURE() << "from word " << differ.first - found.begin() << ": "
                          << (differ.first != found.end() ? differ.first->first + " " + differ.first->second : "")
                          << " instead of "
                          << (differ.second != expected.end() ? differ.second->first + " " + differ.second->second : "");
        // The boxes follow each other down the page.
        std::vector<ReadBox> boxes = TextBoxes(slide);
        for (size_t i = 1; i < boxes.size(); ++i)
            EXPECT_GT(boxes[i].anchor[1], boxes[i - 1].anchor[1]);
    }
}

// Font sizes the application takes run from 1 to 4000. Text smaller than
// a pixel at the document's resolution (a 3-point footnote in a document
// that also holds a 14400-point page) keeps its own size, the smallest,
// instead of the size the box started with; a glyph larger than the
// largest size is written at the largest.
TEST(ConversionReadBack, FontSizesAreWrittenWithinWhatTheApplicationTakes)
{
    struct Case {
        const char* name;
        const char* postScript;
        const char* first;
        double firstSize;
        const char* second;
        double secondSize;
    } cases[] = {
        {"footnote",
         "%!PS\n<< /PageSize [1000 1000] >> setpagedevice\n"
         "/Helvetica findfont 60 scalefont setfont 100 600 moveto (Body) show\n"
         "/Helvetica findfont 3 scalefont setfont 100 300 moveto (Footnote) show\nshowpage\n"
         "<< /PageSize [14400 14400] >> setpagedevice showpage\n",
         "Body", std::floor(60 * 4032.0 / 14400), "Footnote", 1},
        {"giant",
         "%!PS\n<< /PageSize [1000 1000] >> setpagedevice\n"
         "/Helvetica findfont 40 scalefont setfont 100 900 moveto (Small) show\n"
         "/Helvetica findfont 2000 scalefont setfont 20 100 moveto (X) show\nshowpage\n",
         "Small", std::floor(40 * 150 / 72.0), "X", 4000},
    };
    ScratchFolder folder;
    CorvaneSetup("");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string pdf = MakePdf(folder, c.name, c.postScript);
        std::string out = folder.File(std::string(c.name) + ".ppt");
        ASSERT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneOk);
        CommandResult poi = DescribeWithPoi(out);
        ASSERT_EQ(poi.status, 0) << poi.output;
        bool first = false, second = false;
        for (const StyledRun& run : PoiRuns(PoiSlide(poi.output, 1))) {
            if (run.text.rfind(c.first, 0) == 0) {
                first = true;
                EXPECT_EQ(run.size, c.firstSize) << run.text;
            } else if (run.text.rfind(c.second, 0) == 0) {
                second = true;
                EXPECT_EQ(run.size, c.secondSize) << run.text;
            }
        }
        EXPECT_TRUE(first && second) << poi.output;
    }
}

// The resolution follows the page's CropBox, not its MediaBox: an A4
// CropBox on a 14400-point MediaBox renders at 150 dpi, the A4 slide's.
TEST(ConversionReadBack, TheCropBoxNotTheMediaBoxPicksTheResolution)
{
    ScratchFolder folder;
    const char* const ps = "%!PS\n<< /PageSize [14400 14400] >> setpagedevice\n"
                           "[/CropBox [0 0 595 842] /PAGES pdfmark\n"
                           "/Helvetica findfont 24 scalefont setfont 100 700 moveto (Cropped) show showpage\n";
    std::string pdf = MakePdf(folder, "cropped", ps);
    CommandResult boxes = RunCommand("pdfinfo -box " + ShellQuote(pdf));
    ASSERT_EQ(NumbersAfter(boxes.output, "MediaBox:", 4), (std::vector<double>{0, 0, 14400, 14400})) << boxes.output;
    ASSERT_EQ(NumbersAfter(boxes.output, "CropBox:", 4), (std::vector<double>{0, 0, 595, 842})) << boxes.output;
    std::string out = folder.File("cropped.ppt");
    CorvaneSetup("");
    ASSERT_EQ(Corvane(pdf.c_str(), out.c_str(), ""), kCorvaneOk);
    CommandResult poi = DescribeWithPoi(out);
    ASSERT_EQ(poi.status, 0) << poi.output;
    EXPECT_EQ(NumbersAfter(poi.output, "size ", 2), (std::vector<double>{1240, 1754})) << poi.output;
    std::vector<StyledRun> runs = PoiRuns(poi.output);
    ASSERT_FALSE(runs.empty()) << poi.output;
    EXPECT_EQ(runs[0].text, "Cropped");
    EXPECT_NEAR(runs[0].size, 24 * 150 / 72.0, 1);
}

// The page rendered by the core beside the slide rendered by LibreOffice,
// both 200 pixels wide: the mean difference per channel, or -1 when the
// renderings cannot be made or differ in size.
double RenderingDifference(const std::string& pagePdf, const std::string& slidePdf, const std::string& base)
{
    for (const auto& [pdf, name] : {std::pair{pagePdf, base + "-page"}, std::pair{slidePdf, base + "-slide"}}) {
        CommandResult r = RunCommand("pdftoppm -png -f 1 -l 1 -scale-to-x 200 -scale-to-y -1 -singlefile " +
                                     ShellQuote(pdf) + " " + ShellQuote(name));
        if (r.status != 0)
            return -1;
    }
    CommandResult diff = RunCommand("/usr/bin/python3 -c \"import sys; from PIL import Image, ImageChops, ImageStat\n"
                                    "a = Image.open(sys.argv[1]).convert('RGB'); b = Image.open(sys.argv[2]).convert('RGB')\n"
                                    "print(-1 if a.size != b.size else sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3)\" " +
                                    ShellQuote(base + "-page.png") + " " + ShellQuote(base + "-slide.png"));
    return diff.status == 0 ? std::atof(diff.output.c_str()) : -1;
}

TEST(ConversionReadBack, LibreOfficeShowsAnA0DeckAsThePage)
{
    std::string work = FreshFolder("a0-deck");
    ScratchFolder folder;
    std::string pdf = MakePdf(folder, "A0", PosterPage(2384, 3370));
    std::string deck = work + "/A0.ppt";
    CorvaneSetup("");
    ASSERT_EQ(Corvane(pdf.c_str(), deck.c_str(), ""), kCorvaneOk);
    CommandResult lo = ConvertToPdf({deck}, work);
    ASSERT_EQ(lo.status, 0) << lo.output;
    double difference = RenderingDifference(pdf, work + "/A0.pdf", work + "/A0");
    EXPECT_GE(difference, 0) << "renderings of different sizes";
    EXPECT_LT(difference, 4) << "mean difference per channel; the renderings are in " << work;
}

} // namespace
