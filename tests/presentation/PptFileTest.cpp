#include "platform/presentation/PptFile.h"
#include "platform/presentation/PptRecords.h"

#include "tests/presentation/ExternalReaders.h"
#include "tests/presentation/PptStructureCheck.h"
#include "tests/presentation/StyledRuns.h"
#include "tests/presentation/TestPictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace presentation;

namespace {

PictureData Picture(const std::vector<uint8_t>& bytes)
{
    std::string error;
    auto picture = PictureFromBytes(bytes, error);
    EXPECT_TRUE(picture) << error;
    return *picture;
}

Slide& AddSlide(Presentation& p)
{
    p.slides.push_back(std::make_unique<Slide>());
    return *p.slides.back();
}

void AddPicture(Presentation& p, Slide& s, const PictureData& picture, Anchor anchor)
{
    size_t index = p.addPicture(picture);
    s.shapes.push_back(std::make_unique<Shape>(PictureShape{anchor, index}));
}

TextBody& AddTextBox(Slide& s, Anchor anchor, const std::u16string& text)
{
    s.shapes.push_back(std::make_unique<Shape>(TextBoxShape{anchor, {}}));
    TextBody& body = std::get<TextBoxShape>(*s.shapes.back()).body;
    body.setText(text);
    return body;
}

// Saves, checks the structure in memory and as read back from the file,
// and returns POI's description of the file.
std::string SaveAndDescribe(const Presentation& p, const std::string& name, CheckedPresentation& found)
{
    PptStreams streams = WritePptStreams(p);
    std::vector<std::string> problems = CheckPptStructure(streams, found);
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
    std::string path = FreshFolder(name) + "/out.ppt";
    EXPECT_EQ(SavePptFile(p, path), "");
    CheckedPresentation inFile;
    for (const std::string& problem : CheckPptFile(path, inFile)) ADD_FAILURE() << path << ": " << problem;
    EXPECT_EQ(inFile.title, "out");
    EXPECT_EQ(inFile.application, "vantrel");
    EXPECT_EQ(inFile.slideCount, int32_t(p.slides.size()));
    auto back = ReadPptStreams(path);
    EXPECT_TRUE(back) << "libgsf cannot read " << path;
    if (back) {
        EXPECT_EQ(back->document, streams.document);
        EXPECT_EQ(back->pictures, streams.pictures);
        EXPECT_EQ(back->currentUser, streams.currentUser);
    }
    CommandResult poi = DescribeWithPoi(path);
    EXPECT_EQ(poi.status, 0) << poi.output;
    for (const std::string& miss : CalligraMisses(path, poi.output)) ADD_FAILURE() << miss;
    return poi.output;
}

std::string Md5Hex(const PictureData& picture)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (uint8_t b : picture.digest) out += std::string{digits[b >> 4], digits[b & 15]};
    return out;
}

} // namespace

TEST(PptFile, PresentationWithoutSlidesIsValid)
{
    Presentation p;
    CheckedPresentation found;
    EXPECT_EQ(SaveAndDescribe(p, "no-slides", found), "size 720.000 540.000\nslides 0\npictures 0\n");
    EXPECT_EQ(found.slideWidth, 5760);
    EXPECT_EQ(found.slideHeight, 4320);
}

TEST(PptFile, PicturesAndFormattedTextReadBackFieldForField)
{
    Presentation p;
    p.slideWidth = 1275;
    p.slideHeight = 1650;
    PictureData png = Picture(MakePng(20, 10, [](uint32_t x, uint32_t y) { return Quadrants(x, y, 20, 10); }));
    PictureData jpeg = Picture(MakeJpeg(16, 16, [](uint32_t x, uint32_t) { return Rgb{uint8_t(x * 15), 0, 90}; }));

    Slide& first = AddSlide(p);
    AddPicture(p, first, png, {0, 0, 1275, 1650});
    TextBody& title = AddTextBox(first, {100, 50.5, 400, 30}, u"Hello World\r\nSecond line");
    title.change(title.clip(1, 5), [](CharFormat& f) { f.bold = true, f.size = 24, f.fontName = u"Times New Roman"; });
    title.change(title.clip(7, 5), [](CharFormat& f) { f.italic = true, f.rgb = 0x0000FF; });
    title.change(title.clip(13, 6), [](CharFormat& f) { f.underline = true, f.rgb = 0x336699; });

    Slide& second = AddSlide(p);
    AddPicture(p, second, jpeg, {10, 20, 160, 160});
    AddPicture(p, second, png, {300, 400, 40, 20});  // the same picture again: stored once
    AddTextBox(second, {0, 0, 50, 20}, u"\u20AC 5 \u00E9t\u00E9");

    CheckedPresentation found;
    std::string expected =
        "size 1275.000 1650.000\n"
        "slides 2\n"
        "slide 1\n"
        " picture 0.000 0.000 1275.000 1650.000 PNG " + std::to_string(png.bytes.size()) + " " + Md5Hex(png) + "\n"
        " textbox 100.000 50.500 400.000 30.000\n"
        "  text \"Hello World\\u000dSecond line\" wrap true\n"
        "  chars 0 5 Times New Roman 24.000 b1 i0 u0 000000\n"
        "  chars 5 1 Arial 18.000 b0 i0 u0 000000\n"
        "  chars 6 5 Arial 18.000 b0 i1 u0 ff0000\n"
        "  chars 11 1 Arial 18.000 b0 i0 u0 000000\n"
        "  chars 12 6 Arial 18.000 b0 i0 u1 996633\n"
        "  chars 18 5 Arial 18.000 b0 i0 u0 000000\n"
        "slide 2\n"
        " picture 10.000 20.000 160.000 160.000 JPEG " + std::to_string(jpeg.bytes.size()) + " " + Md5Hex(jpeg) + "\n"
        " picture 300.000 400.000 40.000 20.000 PNG " + std::to_string(png.bytes.size()) + " " + Md5Hex(png) + "\n"
        " textbox 0.000 0.000 50.000 20.000\n"
        "  text \"\\u20ac 5 \\u00e9t\\u00e9\" wrap true\n"
        "  chars 0 7 Arial 18.000 b0 i0 u0 000000\n"
        "pictures 2\n";
    EXPECT_EQ(SaveAndDescribe(p, "formatted", found), expected);
    EXPECT_EQ(found.slides, 2u);
    EXPECT_EQ(found.pictures, 2u);
    EXPECT_EQ(found.textBoxes, 2u);
    EXPECT_EQ(found.fonts, 2u);  // Arial and Times New Roman
}

// Readers choose a run's typeface slot from its characters: Latin, East
// Asian (U+25A1 counts as such), symbol (U+F000 to U+F0FF) or complex script.
TEST(PptFile, EveryRunReadsBackWithItsFontWhateverItsCharacters)
{
    struct Case {
        std::u16string text, font;
        std::string escaped;
    } cases[] = {
        {u"Plain", u"Times New Roman", "Plain"},
        {u"\u25A1\u25A1\u25A1", u"Arial", "\\u25a1\\u25a1\\u25a1"},
        {u"\uF041\uF042", u"Courier New", "\\uf041\\uf042"},
        {u"\u05E9\u05DC\u05D5\u05DD", u"Georgia", "\\u05e9\\u05dc\\u05d5\\u05dd"},
        {u"\u6F22\u5B57", u"Verdana", "\\u6f22\\u5b57"},
    };
    Presentation p;
    Slide& slide = AddSlide(p);
    std::string expected = "size 720.000 540.000\nslides 1\nslide 1\n";
    for (const Case& c : cases) {
        TextBody& body = AddTextBox(slide, {10, 10, 200, 30}, c.text);
        body.change(body.clip(1, long(c.text.size())), [&](CharFormat& f) { f.fontName = c.font; });
        std::string font(c.font.begin(), c.font.end());
        expected += " textbox 10.000 10.000 200.000 30.000\n  text \"" + c.escaped + "\" wrap true\n  chars 0 " +
                    std::to_string(c.text.size()) + " " + font + " 18.000 b0 i0 u0 000000\n";
    }
    expected += "pictures 0\n";
    CheckedPresentation found;
    EXPECT_EQ(SaveAndDescribe(p, "font-slots", found), expected);
}

TEST(PptFile, ManyShapesAndFarAnchorsStayConsistent)
{
    Presentation p;
    p.slideWidth = 4032;
    p.slideHeight = 4032;
    Slide& crowded = AddSlide(p);
    for (int i = 0; i < 1100; ++i) AddTextBox(crowded, {float(i), float(i), 20, 10}, u"x");  // two id clusters
    Slide& far = AddSlide(p);
    AddTextBox(far, {3000, 3500, 1095, 595}, u"up to the small anchor's limit");
    CheckedPresentation found;
    std::string out = SaveAndDescribe(p, "many-shapes", found);
    EXPECT_EQ(found.textBoxes, 1101u);
    EXPECT_NE(out.find(" textbox 1099.000 1099.000 20.000 10.000\n"), std::string::npos);
    EXPECT_NE(out.find(" textbox 3000.000 3500.000 1095.000 595.000\n"), std::string::npos);
}

TEST(PptFile, SaveRefusesWhatTheFileCannotHold)
{
    Presentation p;
    for (int i = 0; i < 4094; ++i) AddSlide(p);
    std::string path = FreshFolder("too-many") + "/out.ppt";
    EXPECT_NE(SavePptFile(p, path), "");
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A save writes its own copy beside the deck and renames it: the copy a
// killed save left (".ppt-save-<pid>-<n>") goes with the next save into the
// folder, while a running writer's copy and files of other names stay.
TEST(PptFile, ASaveRemovesTheCopyAKilledSaveLeft)
{
    const std::string folder = FreshFolder("killed-save");
    pid_t dead = fork();
    if (dead == 0) _exit(0);
    ASSERT_GT(dead, 0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    const std::string left = folder + "/.ppt-save-" + std::to_string(dead) + "-77";
    const std::string running = folder + "/.ppt-save-" + std::to_string(getppid()) + "-78";
    const std::string others[] = {running, folder + "/.ppt-save-Ab12Cd", folder + "/keep.ppt-save-1-2"};
    for (const std::string& name : {left, others[0], others[1], others[2]}) std::ofstream(name) << "part";
    Presentation p;
    AddSlide(p);
    ASSERT_EQ(SavePptFile(p, folder + "/out.ppt"), "");
    EXPECT_FALSE(std::filesystem::exists(left));
    for (const std::string& name : others) EXPECT_TRUE(std::filesystem::exists(name)) << name;
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 4u) << "the deck and the three others, and no copy of this save";
}

// Each blip record is its picture's bytes and 25 more. The "Pictures"
// stream's size and every offset into it are 32-bit fields: a stream that
// would pass them is refused whole, however the sizes add up, instead of
// being stored modulo 2^32.
TEST(RecordPlan, PicturesLaidPastTheStreamsThirtyTwoBitFieldsAreRefused)
{
    const uint64_t most = UINT32_MAX;
    struct Case {
        std::vector<uint64_t> dataSizes;
        bool fits;
        std::vector<uint32_t> offsets, sizes;
    };
    const Case cases[] = {
        {{}, true, {}, {}},
        {{100, 0, 200}, true, {0, 125, 150}, {125, 25, 225}},
        {{most - 25}, true, {0}, {uint32_t(most)}},
        {{most - 24}, false, {}, {}},
        {{most - 75, 25}, true, {0, uint32_t(most - 50)}, {uint32_t(most - 50), 50}},
        {{most - 75, 26}, false, {}, {}},
        {{3000000000, 2000000000}, false, {}, {}},
        {{uint64_t(1) << 32, 1}, false, {}, {}},
        {{UINT64_MAX - 10}, false, {}, {}},
        {std::vector<uint64_t>(95, 46000000), false, {}, {}}, // 95 pages of photographs
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> offsets = {7}, sizes = {7};
        EXPECT_EQ(PlanPictureRecords(c.dataSizes, offsets, sizes), c.fits) << testing::PrintToString(c.dataSizes);
        EXPECT_EQ(offsets, c.offsets) << testing::PrintToString(c.dataSizes);
        EXPECT_EQ(sizes, c.sizes) << testing::PrintToString(c.dataSizes);
    }
    // A presentation's own pictures are laid the same way.
    Presentation p;
    Slide& slide = AddSlide(p);
    AddPicture(p, slide, Picture(MakePng(4, 3, [](uint32_t x, uint32_t y) { return Quadrants(x, y, 4, 3); })),
               {0, 0, 40, 30});
    RecordPlan plan(p);
    EXPECT_TRUE(plan.picturesFit);
    EXPECT_EQ(plan.pictureSizes, std::vector<uint32_t>{uint32_t(p.pictures[0].bytes.size() + 25)});
}

// The property sets name the deck after its file. ASCII texts are stored
// in Windows-1252, as the application does; others in UTF-8. Every reader
// must read the title back whole, whatever its length: libgsf leaves 8-bit
// texts unpadded, and a set that ends off a four-byte boundary stops
// Calligra.
TEST(PptFile, PropertySetsCarryTitleApplicationTimesAndSlides)
{
    struct Case {
        std::string title;
        int codePage;
    } cases[] = {
        {"a", 1252}, {"ab", 1252}, {"abc", 1252}, {"abcd", 1252},
        {"Caf\xC3\xA9 \xE2\x82\xAC 5", 65001},
        {"\xE6\xBC\xA2\xE5\xAD\x97 deck", 65001},
    };
    std::string folder = FreshFolder("property-sets");
    for (const Case& c : cases) {
        Presentation p;
        AddSlide(p);
        AddSlide(p);
        p.created = 1700000000;
        std::string path = folder + "/" + c.title + ".ppt";
        std::time_t before = std::time(nullptr);
        ASSERT_EQ(SavePptFile(p, path), "");
        std::time_t after = std::time(nullptr);
        CheckedPresentation found;
        for (const std::string& problem : CheckPptFile(path, found)) ADD_FAILURE() << c.title << ": " << problem;
        EXPECT_EQ(found.codePage, uint16_t(c.codePage)) << c.title;

        CommandResult poi = PropertiesWithPoi(path);
        ASSERT_EQ(poi.status, 0) << poi.output;
        std::istringstream lines(poi.output);
        std::string title, application, created, saved, slides, codePage;
        std::getline(lines, title), std::getline(lines, application), std::getline(lines, created);
        std::getline(lines, saved), std::getline(lines, slides), std::getline(lines, codePage);
        EXPECT_EQ(title, "title " + c.title);
        EXPECT_EQ(application, "application vantrel");
        EXPECT_EQ(created, "created 1700000000");
        long savedAt = std::atol(saved.substr(6).c_str());
        EXPECT_TRUE(saved.rfind("saved ", 0) == 0 && savedAt >= before && savedAt <= after) << saved;
        EXPECT_EQ(slides, "slides 2");
        EXPECT_EQ(codePage, "code page " + std::to_string(c.codePage));

        std::string odp = folder + "/" + std::to_string(&c - cases) + ".odp";
        CommandResult calligra = ConvertWithCalligra(path, odp);
        ASSERT_EQ(calligra.status, 0) << c.title << "\n" << calligra.output;
        EXPECT_NE(ZipMember(odp, "meta.xml").find("<dc:title>" + c.title + "</dc:title>"), std::string::npos)
            << ZipMember(odp, "meta.xml");
    }
}

// A name that is not UTF-8 (a Latin name saved by a program that writes
// Windows-1252) still gives the deck its title: each byte that is not part
// of a UTF-8 sequence reads as that code page shows it.
TEST(PptFile, ATitleFromANameThatIsNotUtf8ReadsAsWindows1252)
{
    struct Case {
        std::string name, title;
    } cases[] = {
        {"Caf\xE9 \x80 5", "Caf\xC3\xA9 \xE2\x82\xAC 5"},
        {"\x93quoted\x94 \x8A\x9F", "\xE2\x80\x9Cquoted\xE2\x80\x9D \xC5\xA0\xC5\xB8"},
        {"mixed \xC3\xA9 and \xE9", "mixed \xC3\xA9 and \xC3\xA9"},
        {"cut \xE2\x82", "cut \xC3\xA2\xE2\x80\x9A"},
        {"unassigned \x81\x8D", "unassigned \xC2\x81\xC2\x8D"},
    };
    std::string folder = FreshFolder("latin-titles");
    for (const Case& c : cases) {
        Presentation p;
        AddSlide(p);
        std::string path = folder + "/" + c.name + ".ppt";
        ASSERT_EQ(SavePptFile(p, path), "") << c.title;
        // Read back under a plain name: the title is inside the file.
        std::string plain = folder + "/plain.ppt";
        ASSERT_EQ(std::rename(path.c_str(), plain.c_str()), 0) << c.title;
        CommandResult poi = PropertiesWithPoi(plain);
        ASSERT_EQ(poi.status, 0) << poi.output;
        EXPECT_EQ(poi.output.substr(0, poi.output.find('\n')), "title " + c.title);
        EXPECT_NE(poi.output.find("code page 65001"), std::string::npos) << poi.output;
    }
}
