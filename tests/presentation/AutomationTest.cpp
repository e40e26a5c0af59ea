// The automation objects driven as the generated program drives them.
#include "platform/com/ComRuntime.h"

#include "tests/presentation/DispatchDriver.h"
#include "tests/presentation/ExternalReaders.h"
#include "tests/presentation/PptStructureCheck.h"
#include "tests/presentation/TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr HRESULT Disconnected = HRESULT(0x80010108L);

class Automation : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        CLSID clsid;
        ASSERT_EQ(CLSIDFromProgID(u"PowerPoint.Application", &clsid), S_OK);
        IDispatch* app = nullptr;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app)), S_OK);
        app_ = Auto(app);
        pres_ = app_.object("Presentations").object("Add", {_variant_t(LONG(1))});
        folder_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        png_ = folder_ + "/page.png";
        WriteBytes(png_, MakePng(40, 30, [](uint32_t x, uint32_t y) { return Quadrants(x, y, 40, 30); }));
    }
    void TearDown() override
    {
        pres_ = Auto();
        app_ = Auto();
        CoUninitialize();
    }
    Auto addSlide()
    {
        Auto slides = pres_.object("Slides");
        return slides.object("Add", {_variant_t(slides.integer("Count") + 1), _variant_t(LONG(12))});
    }
    Auto addTextbox(const Auto& slide, double left, double top, double width, double height)
    {
        return slide.object("Shapes").object("AddTextbox", {_variant_t(LONG(1)), _variant_t(left), _variant_t(top),
                                                            _variant_t(width), _variant_t(height)});
    }
    Auto textRange(const Auto& shape) { return shape.object("TextFrame").object("TextRange"); }
    std::string poi(const std::string& path)
    {
        auto streams = ReadPptStreams(path);
        EXPECT_TRUE(streams);
        if (streams) {
            CheckedPresentation found;
            for (const std::string& problem : CheckPptStructure(*streams, found)) ADD_FAILURE() << problem;
        }
        CommandResult r = DescribeWithPoi(path);
        EXPECT_EQ(r.status, 0) << r.output;
        return r.output;
    }

    Auto app_, pres_;
    std::string folder_, png_;
};

TEST_F(Automation, BuildsAndSavesWhatTheProgramAsksFor)
{
    Auto setup = pres_.object("PageSetup");
    EXPECT_EQ(setup.number("SlideWidth"), 720);
    EXPECT_EQ(setup.number("SlideHeight"), 540);
    EXPECT_TRUE(setup.put("SlideSize", _variant_t(LONG(7))).ok());
    EXPECT_TRUE(setup.put("SlideWidth", _variant_t(LONG(600))).ok());
    EXPECT_TRUE(setup.put("SlideHeight", _variant_t(LONG(450))).ok());
    EXPECT_EQ(setup.integer("SlideSize"), 7);

    Auto slide = addSlide();
    CallResult pic = slide.object("Shapes").call("AddPicture", {_variant_t(png_.c_str()), _variant_t(LONG(0)),
        _variant_t(LONG(1)), _variant_t(LONG(0)), _variant_t(LONG(0)), _variant_t(LONG(600)), _variant_t(LONG(450))});
    ASSERT_TRUE(pic.ok()) << pic.description;
    Auto box = addTextbox(slide, 30, 40, 250, 20);
    Auto range = textRange(box);
    ASSERT_TRUE(range.put("Text", _variant_t("Big title\r\nsmall print")).ok());
    EXPECT_EQ(range.integer("Length"), 21);
    Auto first = range.object("Characters", {_variant_t(LONG(1)), _variant_t(LONG(9))}).object("Font");
    EXPECT_TRUE(first.put("Name", _variant_t("Courier New")).ok());
    EXPECT_TRUE(first.put("Size", _variant_t(LONG(30))).ok());
    EXPECT_TRUE(first.put("Bold", _variant_t(true)).ok());
    EXPECT_TRUE(first.object("Color").put("RGB", _variant_t(LONG(0x0080FF))).ok());  // RGB(255, 128, 0)
    Auto last = range.object("Characters", {_variant_t(LONG(17)), _variant_t(LONG(50))}).object("Font");
    EXPECT_TRUE(last.put("Italic", _variant_t(LONG(-1))).ok());
    EXPECT_TRUE(last.put("Underline", _variant_t(true)).ok());
    EXPECT_EQ(range.object("Font").integer("Bold"), -2);  // mixed
    EXPECT_EQ(first.integer("Bold"), -1);

    Auto second = addSlide();  // the same picture again: stored once
    ASSERT_TRUE(second.object("Shapes").call("AddPicture", {_variant_t(png_.c_str()), _variant_t(false),
        _variant_t(true), _variant_t(10.5), _variant_t(20.25)}).ok());
    EXPECT_EQ(pres_.object("Slides").integer("Count"), 2);

    std::string path = folder_ + "/built.ppt";
    CallResult saved = pres_.call("SaveAs", {_variant_t(path.c_str())});
    ASSERT_TRUE(saved.ok()) << saved.description;
    std::string picture = std::to_string(fs::file_size(png_));
    std::string out = poi(path);
    EXPECT_EQ(out.substr(0, out.find(" PNG")), "size 600.000 450.000\nslides 2\nslide 1\n picture 0.000 0.000 600.000 450.000");
    EXPECT_NE(out.find(" textbox 30.000 40.000 250.000 20.000\n"
                       "  text \"Big title\\u000dsmall print\" wrap true\n"
                       "  chars 0 9 Courier New 30.000 b1 i0 u0 ff8000\n"
                       "  chars 9 7 Arial 18.000 b0 i0 u0 000000\n"
                       "  chars 16 5 Arial 18.000 b0 i1 u1 000000\n"
                       "slide 2\n picture 10.500 20.250 30.000 22.500 PNG " + picture), std::string::npos) << out;
    EXPECT_NE(out.find("\npictures 1\n"), std::string::npos) << out;
}

TEST_F(Automation, TextRangesCountEachLineEndAsOneCharacter)
{
    Auto range = textRange(addTextbox(addSlide(), 0, 0, 100, 20));
    ASSERT_TRUE(range.put("Text", _variant_t("a\r\nb\rc\nd")).ok());
    EXPECT_EQ(range.integer("Length"), 7);
    EXPECT_EQ(range.text("Text"), "a\rb\rc\rd");
    struct Case {
        LONG start, length;
        const char* text;
    } cases[] = {{1, 1, "a"}, {2, 1, "\r"}, {3, 3, "b\rc"}, {6, 10, "\rd"}, {8, 2, ""}, {0, 2, "a\r"}};
    for (const Case& c : cases) {
        Auto part = range.object("Characters", {_variant_t(c.start), _variant_t(c.length)});
        EXPECT_EQ(part.text("Text"), c.text) << c.start << "," << c.length;
    }
    // Appending as the generated program does keeps one break per line end.
    ASSERT_TRUE(range.put("Text", _variant_t((range.text("Text") + "\r\n").c_str())).ok());
    EXPECT_EQ(range.integer("Length"), 8);
}

TEST_F(Automation, FlagsOfARangeAreMixedOnlyWhenItsCharactersDiffer)
{
    Auto range = textRange(addTextbox(addSlide(), 0, 0, 100, 20));
    ASSERT_TRUE(range.put("Text", _variant_t("abcdefgh")).ok());
    auto characters = [&](LONG start, LONG length) {
        return range.object("Characters", {_variant_t(start), _variant_t(length)});
    };
    ASSERT_TRUE(characters(3, 2).object("Font").put("Bold", _variant_t(true)).ok());
    ASSERT_TRUE(characters(5, 2).object("Font").put("Italic", _variant_t(true)).ok());
    // Bold c d, italic e f.
    struct Case {
        LONG start, length;
        LONG bold, italic;
    } cases[] = {
        {3, 2, -1, 0}, {5, 2, 0, -1}, {2, 2, -2, 0}, {4, 2, -2, -2}, {3, 4, -2, -2}, {7, 2, 0, 0},
        {4, 0, -1, 0},  // an empty range: the format of the character at its start
        {5, 0, 0, -1}, {1, 8, -2, -2}, {9, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Auto font = characters(c.start, c.length).object("Font");
        EXPECT_EQ(font.integer("Bold"), c.bold) << c.start << "," << c.length;
        EXPECT_EQ(font.integer("Italic"), c.italic) << c.start << "," << c.length;
    }
}

TEST_F(Automation, OutOfRangeValuesRaiseAndChangeNothing)
{
    Auto setup = pres_.object("PageSetup");
    for (double bad : {0.0, 0.5, 4032.5, 5000.0, -10.0}) {
        EXPECT_FALSE(setup.put("SlideWidth", _variant_t(bad)).ok()) << bad;
        EXPECT_FALSE(setup.put("SlideHeight", _variant_t(bad)).ok()) << bad;
    }
    EXPECT_EQ(setup.number("SlideWidth"), 720);
    EXPECT_EQ(setup.number("SlideHeight"), 540);
    EXPECT_TRUE(setup.put("SlideWidth", _variant_t(4032.0)).ok());
    EXPECT_TRUE(setup.put("SlideHeight", _variant_t(1.0)).ok());
    EXPECT_EQ(setup.number("SlideWidth"), 4032);

    Auto slides = pres_.object("Slides");
    for (LONG index : {0, 2, -1}) EXPECT_FALSE(slides.call("Add", {_variant_t(index), _variant_t(LONG(12))}).ok());
    EXPECT_FALSE(slides.call("Add", {_variant_t(LONG(1)), _variant_t(LONG(1))}).ok());  // a layout with placeholders
    EXPECT_EQ(slides.integer("Count"), 0);
    Auto slide = addSlide();
    EXPECT_FALSE(slides.call("Item", {_variant_t(LONG(2))}).ok());
    EXPECT_FALSE(app_.object("Presentations").call("Item", {_variant_t(LONG(2))}).ok());

    Auto shapes = slide.object("Shapes");
    WriteBytes(folder_ + "/fake.png", {'n', 'o', 't', ' ', 'p', 'n', 'g'});
    for (std::string file : {folder_ + "/missing.png", folder_ + "/fake.png", folder_}) {
        CallResult r = shapes.call("AddPicture", {_variant_t(file.c_str()), _variant_t(LONG(0)), _variant_t(LONG(1)),
                                                  _variant_t(LONG(0)), _variant_t(LONG(0))});
        EXPECT_FALSE(r.ok()) << file;
        EXPECT_NE(r.description.find(file), std::string::npos) << r.description;
    }
    EXPECT_EQ(shapes.integer("Count"), 0);

    struct Box {
        double left, top, width, height;
    } badBoxes[] = {{4000, 0, 100, 10}, {0, 4090, 10, 10}, {-5000, 0, 10, 10}, {0, 0, -1, 10}, {1e300, 0, 1, 1}};
    for (const Box& b : badBoxes)
        EXPECT_FALSE(shapes.call("AddTextbox", {_variant_t(LONG(1)), _variant_t(b.left), _variant_t(b.top),
                                                _variant_t(b.width), _variant_t(b.height)}).ok()) << b.left;
    EXPECT_FALSE(shapes.call("AddTextbox", {_variant_t(LONG(5)), _variant_t(0.0), _variant_t(0.0), _variant_t(9.0),
                                            _variant_t(9.0)}).ok());  // vertical text
    EXPECT_EQ(shapes.integer("Count"), 0);

    Auto font = textRange(addTextbox(slide, 0, 0, 10, 10)).object("Font");
    EXPECT_FALSE(font.put("Size", _variant_t(0.0)).ok());
    EXPECT_FALSE(font.put("Size", _variant_t(4001.0)).ok());
    EXPECT_FALSE(font.put("Name", _variant_t("")).ok());
    EXPECT_FALSE(font.object("Color").put("RGB", _variant_t(LONG(0x1000000))).ok());
    EXPECT_EQ(font.number("Size"), 18);
    EXPECT_EQ(font.text("Name"), "Arial");
}

TEST_F(Automation, FailedSavesLeaveNoFileAndDamageNone)
{
    addTextbox(addSlide(), 0, 0, 100, 20);
    std::string good = folder_ + "/kept.ppt";
    ASSERT_TRUE(pres_.call("SaveAs", {_variant_t(good.c_str())}).ok());
    auto before = ReadBytes(good);

    struct Case {
        std::string name;
        _variant_t format;
    } cases[] = {
        {folder_ + "/other.pptx", Missing()},          // another format by its name
        {folder_ + "/kept.ppt", _variant_t(LONG(24))}, // another format asked for
        {folder_ + "/no/such/folder/x.ppt", Missing()},
        {folder_ + "/noext", Missing()},
    };
    for (const Case& c : cases) {
        CallResult r = pres_.call("SaveAs", {_variant_t(c.name.c_str()), c.format});
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_FALSE(r.description.empty());
    }
    fs::create_directory(folder_ + "/dir.ppt");  // a folder in the file's place: the rename fails
    EXPECT_FALSE(pres_.call("SaveAs", {_variant_t((folder_ + "/dir.ppt").c_str())}).ok());
    EXPECT_TRUE(fs::is_directory(folder_ + "/dir.ppt"));
    EXPECT_EQ(ReadBytes(good), before);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder_)) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"dir.ppt", "kept.ppt", "page.png"}));
}

TEST_F(Automation, SlidesGoWhereTheIndexSays)
{
    Auto slides = pres_.object("Slides");
    Auto a = slides.object("Add", {_variant_t(LONG(1)), _variant_t(LONG(12))});
    Auto b = slides.object("Add", {_variant_t(LONG(1)), _variant_t(LONG(12))});
    Auto c = slides.object("Add", {_variant_t(LONG(2)), _variant_t(LONG(12))});
    EXPECT_EQ(b.integer("SlideIndex"), 1);
    EXPECT_EQ(c.integer("SlideIndex"), 2);
    EXPECT_EQ(a.integer("SlideIndex"), 3);
    addTextbox(a, 1, 2, 3, 4);
    EXPECT_EQ(Auto(slides.call("Item", {_variant_t(LONG(3))}).value).object("Shapes").integer("Count"), 1);
}

// Each collection's Item takes exactly one 1-based index within its count.
TEST_F(Automation, ItemIsOneBasedAndBoundedInEveryCollection)
{
    Auto slide = addSlide();
    addSlide();
    addTextbox(slide, 10, 0, 5, 5);
    addTextbox(slide, 20, 0, 5, 5);
    ASSERT_TRUE(app_.object("Presentations").object("Add", {_variant_t(LONG(1))}));  // holds no slides
    struct Case {
        const char* name;
        Auto collection;
        double (*mark)(const Auto& item);  // tells the two items apart
        double first, second;
    } cases[] = {
        {"Presentations", app_.object("Presentations"),
         [](const Auto& p) { return double(p.object("Slides").integer("Count")); }, 2, 0},
        {"Slides", pres_.object("Slides"), [](const Auto& s) { return double(s.integer("SlideIndex")); }, 1, 2},
        {"Shapes", slide.object("Shapes"), [](const Auto& s) { return s.number("Left"); }, 10, 20},
    };
    for (const Case& c : cases) {
        Auto first(c.collection.call("Item", {_variant_t(LONG(1))}).value);
        Auto second(c.collection.call("Item", {_variant_t(LONG(2))}).value);
        ASSERT_TRUE(first && second) << c.name;
        EXPECT_EQ(c.mark(first), c.first) << c.name;
        EXPECT_EQ(c.mark(second), c.second) << c.name;
        for (LONG bad : {0, 3, -1})
            EXPECT_FALSE(c.collection.call("Item", {_variant_t(bad)}).ok()) << c.name << " " << bad;
        EXPECT_FALSE(c.collection.call("Item").ok()) << c.name;
        EXPECT_FALSE(c.collection.call("Item", {_variant_t(LONG(1)), _variant_t(LONG(1))}).ok()) << c.name;
    }
}

TEST_F(Automation, PropertyArgumentsGoToTheDefaultMember)
{
    addSlide();
    Auto first = Auto(app_.call("Presentations", {_variant_t(LONG(1))}).value);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.object("Slides").integer("Count"), 1);
    EXPECT_TRUE(Auto(pres_.call("Slides", {_variant_t(LONG(1))}).value));
    CallResult beyond = app_.call("Presentations", {_variant_t(LONG(3))});
    EXPECT_FALSE(beyond.ok());
    EXPECT_FALSE(beyond.description.empty());
}

TEST_F(Automation, QuitDisconnectsEveryObject)
{
    Auto slides = pres_.object("Slides");
    Auto presentations = app_.object("Presentations");
    EXPECT_EQ(presentations.integer("Count"), 1);
    ASSERT_TRUE(app_.call("Quit", {}, DISPATCH_METHOD).ok());
    EXPECT_EQ(slides.call("Count").hr, Disconnected);
    EXPECT_EQ(presentations.call("Add").hr, Disconnected);
    EXPECT_EQ(pres_.call("SaveAs", {_variant_t((folder_ + "/late.ppt").c_str())}).hr, Disconnected);
    EXPECT_EQ(app_.call("Presentations").hr, Disconnected);
    EXPECT_FALSE(fs::exists(folder_ + "/late.ppt"));
}

} // namespace
