// LibreOffice opens our files and converts them to PDF; the poppler tools
// then give back the text of every box, the pictures, and the rendering of
// a slide that holds only a full-slide picture. One conversion run serves
// every test of the suite.
#include "platform/presentation/PptFile.h"

#include "tests/presentation/ExternalReaders.h"
#include "tests/presentation/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace presentation;

namespace {

constexpr uint32_t PictureWidth = 200, PictureHeight = 150;
const Anchor LayeredBox = {20, 40, 160, 60};

Rgb Pattern(uint32_t x, uint32_t y)
{
    Rgb q = Quadrants(x, y, PictureWidth, PictureHeight);
    // A gentle gradient inside each quadrant, so that a shifted or scaled
    // rendering shows as a difference too.
    return {uint8_t(q.r - x / 20), uint8_t(q.g - y / 20), q.b};
}

struct Box {
    Anchor anchor;
    std::u16string text;
    std::string plain;  // what pdftotext should give, blanks left out
};

const std::vector<Box>& Boxes()
{
    static const std::vector<Box> boxes = {
        {{20, 20, 300, 30}, u"Quarterly report", "Quarterlyreport"},
        {{20, 80, 400, 60}, u"First paragraph\r\nsecond paragraph", "Firstparagraphsecondparagraph"},
        {{20, 200, 300, 30}, u"Caf\u00E9 \u20AC 42", "Caf\xC3\xA9\xE2\x82\xAC" "42"},
    };
    return boxes;
}

// Runs whose characters make readers look in different typeface slots:
// Latin, East Asian, symbol, complex script.
struct ScriptRun {
    std::u16string text, font;
};

const std::vector<ScriptRun>& ScriptRuns()
{
    static const std::vector<ScriptRun> runs = {
        {u"Plain", u"Times New Roman"},
        {u"\u25A1\u25A1\u25A1", u"Courier New"},
        {u"\uF041\uF042", u"Georgia"},
        {u"\u05E9\u05DC\u05D5\u05DD", u"Verdana"},
        {u"\u6F22\u5B57", u"Tahoma"},
    };
    return runs;
}

PictureData Picture(const std::vector<uint8_t>& bytes)
{
    std::string error;
    return *PictureFromBytes(bytes, error);
}

class LibreOffice : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = FreshFolder("libreoffice");
        // text.ppt: one slide of boxes, one with a JPEG beside a box.
        Presentation text;
        text.slides.push_back(std::make_unique<Slide>());
        for (const Box& b : Boxes()) {
            text.slides[0]->shapes.push_back(std::make_unique<Shape>(TextBoxShape{b.anchor, {}}));
            std::get<TextBoxShape>(*text.slides[0]->shapes.back()).body.setText(b.text);
        }
        TextBody& title = std::get<TextBoxShape>(*text.slides[0]->shapes[0]).body;
        title.change(title.clip(1, 9), [](CharFormat& f) { f.fontName = u"Times New Roman", f.bold = true; });
        title.change(title.clip(11, 6), [](CharFormat& f) { f.italic = true; });
        text.slides.push_back(std::make_unique<Slide>());
        size_t jpeg = text.addPicture(Picture(MakeJpeg(64, 48, [](uint32_t x, uint32_t) { return Rgb{uint8_t(x * 4), 90, 160}; })));
        text.slides[1]->shapes.push_back(std::make_unique<Shape>(PictureShape{{300, 200, 128, 96}, jpeg}));
        ASSERT_EQ(SavePptFile(text, folder_ + "/text.ppt"), "");

        // picture.ppt: a slide the size of its one picture.
        Presentation picture;
        picture.slideWidth = PictureWidth;
        picture.slideHeight = PictureHeight;
        picture.slides.push_back(std::make_unique<Slide>());
        size_t png = picture.addPicture(Picture(MakePng(PictureWidth, PictureHeight, Pattern)));
        picture.slides[0]->shapes.push_back(
            std::make_unique<Shape>(PictureShape{{0, 0, float(PictureWidth), float(PictureHeight)}, png}));
        ASSERT_EQ(SavePptFile(picture, folder_ + "/picture.ppt"), "");

        // layered.ppt: a dark box of text over a full-slide light picture.
        Presentation layered;
        layered.slideWidth = PictureWidth;
        layered.slideHeight = PictureHeight;
        layered.slides.push_back(std::make_unique<Slide>());
        size_t light = layered.addPicture(
            Picture(MakePng(PictureWidth, PictureHeight, [](uint32_t, uint32_t) { return Rgb{250, 240, 200}; })));
        auto& shapes = layered.slides[0]->shapes;
        shapes.push_back(std::make_unique<Shape>(PictureShape{{0, 0, float(PictureWidth), float(PictureHeight)}, light}));
        shapes.push_back(std::make_unique<Shape>(TextBoxShape{LayeredBox, {}}));
        TextBody& over = std::get<TextBoxShape>(*shapes.back()).body;
        over.setText(u"\u2588\u2588\u2588");  // full blocks: ink over most of the box
        over.change(over.clip(1, 3), [](CharFormat& f) { f.size = 40, f.fontName = u"DejaVu Sans"; });

        ASSERT_EQ(SavePptFile(Presentation{}, folder_ + "/empty.ppt"), "");

        // scripts.ppt: one box per run of ScriptRuns, read back as flat XML.
        Presentation scripts;
        scripts.slides.push_back(std::make_unique<Slide>());
        float top = 20;
        for (const ScriptRun& run : ScriptRuns()) {
            scripts.slides[0]->shapes.push_back(std::make_unique<Shape>(TextBoxShape{{20, top, 300, 30}, {}}));
            TextBody& body = std::get<TextBoxShape>(*scripts.slides[0]->shapes.back()).body;
            body.setText(run.text);
            body.change(body.clip(1, long(run.text.size())), [&](CharFormat& f) { f.fontName = run.font; });
            top += 50;
        }
        ASSERT_EQ(SavePptFile(scripts, folder_ + "/scripts.ppt"), "");
        flatConversion_ = ConvertWithLibreOffice({folder_ + "/scripts.ppt"}, folder_ + "/flat", "fodp");

        ASSERT_EQ(SavePptFile(layered, folder_ + "/layered.ppt"), "");
        conversion_ = ConvertToPdf({folder_ + "/text.ppt", folder_ + "/picture.ppt", folder_ + "/empty.ppt",
                                    folder_ + "/layered.ppt"},
                                   folder_ + "/pdf");
    }

    static std::string pdf(const std::string& name) { return folder_ + "/pdf/" + name + ".pdf"; }

    static std::string folder_;
    static CommandResult conversion_, flatConversion_;
};

std::string LibreOffice::folder_;
CommandResult LibreOffice::conversion_;
CommandResult LibreOffice::flatConversion_;

std::string WithoutBlanks(std::string text)
{
    text.erase(std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }), text.end());
    return text;
}

// pdfimages -list: one line per picture after the two header lines.
std::vector<std::string> PictureLines(const std::string& path)
{
    CommandResult r = RunCommand("pdfimages -list " + ShellQuote(path));
    std::vector<std::string> lines;
    std::istringstream in(r.output);
    std::string line;
    for (int i = 0; std::getline(in, line); ++i)
        if (i >= 2 && !line.empty()) lines.push_back(line);
    return lines;
}

struct Raster {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

Raster ReadPpm(const std::string& path)
{
    Raster r;
    std::vector<uint8_t> bytes = ReadBytes(path);
    std::string head(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
    std::istringstream in(head);
    std::string magic;
    int maxValue = 0;
    in >> magic >> r.width >> r.height >> maxValue;
    size_t offset = size_t(in.tellg()) + 1;
    if (magic != "P6" || maxValue != 255 || bytes.size() < offset + size_t(r.width) * r.height * 3) return {};
    r.rgb.assign(bytes.begin() + long(offset), bytes.begin() + long(offset) + long(r.width) * r.height * 3);
    return r;
}

} // namespace

TEST_F(LibreOffice, ConvertsEveryFile)
{
    EXPECT_EQ(conversion_.status, 0) << conversion_.output;
    for (const char* name : {"text", "picture", "empty", "layered"}) EXPECT_TRUE(std::filesystem::exists(pdf(name))) << conversion_.output;
}

TEST_F(LibreOffice, FileTakesEveryDeckForAPresentation)
{
    for (const char* name : {"text", "picture", "empty", "layered", "scripts"}) {
        CommandResult kind = RunCommand("file --mime-type -b " + ShellQuote(folder_ + "/" + name + ".ppt"));
        EXPECT_EQ(kind.output, "application/vnd.ms-powerpoint\n") << name;
    }
}

TEST_F(LibreOffice, GivesBackTheTextOfEveryBox)
{
    CommandResult r = RunCommand("pdftotext -f 1 -l 1 " + ShellQuote(pdf("text")) + " -");
    ASSERT_EQ(r.status, 0) << r.output;
    std::string page = WithoutBlanks(r.output);
    for (const Box& b : Boxes()) EXPECT_NE(page.find(b.plain), std::string::npos) << b.plain << " in " << r.output;
}

TEST_F(LibreOffice, KeepsFontsBoldAndItalic)
{
    CommandResult r = RunCommand("pdffonts " + ShellQuote(pdf("text")));
    ASSERT_EQ(r.status, 0) << r.output;
    // The metric-compatible faces stand in for the Windows ones.
    EXPECT_NE(r.output.find("LiberationSerif-Bold "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("LiberationSans-Italic "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("LiberationSans "), std::string::npos) << r.output;
}

TEST_F(LibreOffice, EveryRunKeepsItsFontInEveryTypefaceSlot)
{
    ASSERT_EQ(flatConversion_.status, 0) << flatConversion_.output;
    std::vector<uint8_t> bytes = ReadBytes(folder_ + "/flat/scripts.fodp");
    std::string xml(bytes.begin(), bytes.end());
    std::vector<std::string> properties;
    for (size_t at = xml.find("<style:text-properties "); at != std::string::npos;
         at = xml.find("<style:text-properties ", at + 1))
        properties.push_back(xml.substr(at, xml.find('>', at) - at));
    for (const ScriptRun& run : ScriptRuns()) {
        std::string font(run.font.begin(), run.font.end());
        bool found = std::any_of(properties.begin(), properties.end(), [&](const std::string& p) {
            return p.find(" style:font-name=\"" + font + "\"") != std::string::npos &&
                   p.find(" style:font-name-asian=\"" + font + "\"") != std::string::npos &&
                   p.find(" style:font-name-complex=\"" + font + "\"") != std::string::npos;
        });
        EXPECT_TRUE(found) << font;
    }
}

TEST_F(LibreOffice, ShowsEachPicture)
{
    std::vector<std::string> text = PictureLines(pdf("text"));
    ASSERT_EQ(text.size(), 1u);
    std::istringstream line(text[0]);
    int page, num, width, height;
    std::string type;
    line >> page >> num >> type >> width >> height;
    EXPECT_EQ(page, 2);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 48);
    EXPECT_EQ(PictureLines(pdf("picture")).size(), 1u);
}

TEST_F(LibreOffice, FullSlidePictureRendersAsThePicture)
{
    std::string base = folder_ + "/render";
    CommandResult r = RunCommand("pdftoppm -r 72 -f 1 -l 1 -singlefile " + ShellQuote(pdf("picture")) + " " + ShellQuote(base));
    ASSERT_EQ(r.status, 0) << r.output;
    Raster page = ReadPpm(base + ".ppm");
    ASSERT_GE(page.width, int(PictureWidth) - 1);
    ASSERT_GE(page.height, int(PictureHeight) - 1);
    ASSERT_LE(page.width, int(PictureWidth) + 1);
    ASSERT_LE(page.height, int(PictureHeight) + 1);
    double total = 0;
    int count = 0, far = 0;
    for (int y = 0; y < std::min(page.height, int(PictureHeight)); ++y) {
        for (int x = 0; x < std::min(page.width, int(PictureWidth)); ++x) {
            Rgb want = Pattern(uint32_t(x), uint32_t(y));
            const uint8_t* got = &page.rgb[(size_t(y) * page.width + x) * 3];
            int diff = std::abs(got[0] - want.r) + std::abs(got[1] - want.g) + std::abs(got[2] - want.b);
            total += diff;
            bool edge = std::abs(x - int(PictureWidth / 2)) <= 1 || std::abs(y - int(PictureHeight / 2)) <= 1;
            far += diff > 60 && !edge;
            ++count;
        }
    }
    EXPECT_LT(total / count / 3, 4.0) << "mean difference per channel";
    EXPECT_LT(far, count / 200) << "pixels far off away from the quadrant edges";
}

TEST_F(LibreOffice, TextBoxesShowInFrontOfThePicture)
{
    std::string base = folder_ + "/layered";
    CommandResult r = RunCommand("pdftoppm -r 72 -f 1 -l 1 -singlefile " + ShellQuote(pdf("layered")) + " " + ShellQuote(base));
    ASSERT_EQ(r.status, 0) << r.output;
    Raster page = ReadPpm(base + ".ppm");
    ASSERT_GE(page.width, int(PictureWidth) - 1);
    ASSERT_GE(page.height, int(PictureHeight) - 1);
    auto dark = [&](int x, int y) {
        const uint8_t* p = &page.rgb[(size_t(y) * page.width + x) * 3];
        return p[0] + p[1] + p[2] < 150;
    };
    int inside = 0, outside = 0;
    for (int y = 0; y < int(PictureHeight) - 1; ++y)
        for (int x = 0; x < int(PictureWidth) - 1; ++x) {
            bool inBox = x >= LayeredBox.left && x < LayeredBox.left + LayeredBox.width && y >= LayeredBox.top &&
                         y < LayeredBox.top + LayeredBox.height;
            (inBox ? inside : outside) += dark(x, y);
        }
    EXPECT_GT(inside, int(LayeredBox.width * LayeredBox.height) / 5) << "ink of the text over the picture";
    EXPECT_EQ(outside, 0) << "ink outside the text box";
}
