// The program around the slides: header, slide heads, pictures, footer,
// and the temporary pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include <splash/SplashBitmap.h>

#include "ScriptCapture.h"
#include "engine/PageBitmap.h"
#include "engine/ScriptWriter.h"
#include "engine/ScriptWriterTempFiles.h"
#include "image/CxImage.h"

namespace {

// The core's bitmap, and the view of it the writer reads.
struct TestBitmap {
    std::unique_ptr<SplashBitmap> splash;
    PageBitmap page;
    const PageBitmap* get() const { return &page; }
    SplashBitmap* operator->() const { return splash.get(); }
};

// A blue-green-red bitmap filled with one colour.
TestBitmap Bitmap(int width, int height, unsigned char grey, bool topDown = true,
                  SplashColorMode mode = splashModeBGR8)
{
    auto bitmap = std::make_unique<SplashBitmap>(width, height, 1, mode, false, topDown);
    unsigned char* data = bitmap->getDataPtr();
    int rowSize = bitmap->getRowSize();
    for (int y = 0; y < height; ++y)
        std::fill_n(data + y * rowSize, std::abs(rowSize), grey);
    PageBitmap page = PageBitmapOf(bitmap.get());
    return {std::move(bitmap), page};
}

class ScriptWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(tempFolder.empty());
    }
    void TearDown() override
    {
        DeleteTempFiles();
    }
    PrivateTempFolder privateTemp;
    std::string tempFolder = privateTemp.Path();
    ScriptCapture capture;
};

TEST_F(ScriptWriterTest, AnEmptyRunIsHeaderAndFooter)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    ASSERT_TRUE(writer);
    EXPECT_EQ(writer->slideIndex, -1);
    EXPECT_GE(writer->script.capacity(), kScriptReserve);
    EXPECT_EQ(writer->script, kDeckHeader);
    EXPECT_EQ(FinishAndRunScript(writer), 7); // the runner's result
    EXPECT_EQ(ScriptCapture::Runs(), 1);
    EXPECT_EQ(ScriptCapture::Text(), std::string(kDeckHeader) + kDeckFooter);
}

TEST_F(ScriptWriterTest, OnePageWithPictureAndTextBox)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    auto bitmap = Bitmap(30, 20, 200);
    ASSERT_EQ(WriteSlide(writer, bitmap.get(), nullptr, TextMode::Blocks, 1, 99), 1);
    ASSERT_EQ(g_tempFiles.size(), 1u);
    const std::string picture = g_tempFiles[0];
    AppendScriptText("\nSet ppShape = ppSlide.Shapes.AddTextbox(1,1,2,3,4)\n", writer);
    FlushTextRuns(writer);
    FinishAndRunScript(writer);
    std::string expected = std::string(kDeckHeader) +
                           "nRet = ProgressCOM.ShowProgress(0, 99, \"Creating PPT file 99%\")\n"
                           "ppPres.PageSetup.SlideSize = ppSlideSizeCustom\n"
                           "ppPres.PageSetup.SlideWidth = 30\n"
                           "ppPres.PageSetup.SlideHeight = 20\n"
                           "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n"
                           "\nppSlide.Shapes.AddPicture \"" +
                           picture + "\", 0, 1, 0, 0, 30, 20\n" +
                           "\nSet ppShape = ppSlide.Shapes.AddTextbox(1,1,2,3,4)\n"
                           "'========EndTextBlock\n" +
                           kDeckFooter;
    EXPECT_EQ(ScriptCapture::Text(), expected);
}

TEST_F(ScriptWriterTest, TheSlideSizeIsWrittenOnceFromTheFirstSlide)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    auto first = Bitmap(40, 30, 255);
    auto second = Bitmap(30, 40, 255);
    BeginSlide(writer, 40, 30, 49);
    WriteSlide(writer, second.get(), nullptr, TextMode::Blocks, 1, 99);
    EXPECT_EQ(writer->slideIndex, 1);
    FinishAndRunScript(writer);
    const std::string& script = ScriptCapture::Text();
    EXPECT_NE(script.find("SlideWidth = 40\nppPres.PageSetup.SlideHeight = 30\n"), std::string::npos);
    EXPECT_EQ(script.find("SlideWidth = 30"), std::string::npos);
    EXPECT_NE(script.find("ShowProgress(0, 49, \"Creating PPT file 49%\")"), std::string::npos);
    std::size_t slides = 0;
    for (std::size_t at = 0; (at = script.find("Slides.Add(", at)) != std::string::npos; ++at)
        ++slides;
    EXPECT_EQ(slides, 2u);
}

TEST_F(ScriptWriterTest, AWhitePageGetsNoPictureAndNoFile)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    auto white = Bitmap(50, 40, 255);
    EXPECT_EQ(WriteSlide(writer, white.get(), nullptr, TextMode::Blocks, 1, 99), 1);
    EXPECT_EQ(writer->script.find("AddPicture"), std::string::npos);
    EXPECT_TRUE(g_tempFiles.empty());
    EXPECT_TRUE(FilesIn(tempFolder).empty());
    FinishAndRunScript(writer);
}

TEST_F(ScriptWriterTest, IsImageAllWhiteLooksAtEveryChannelOfEveryPixel)
{
    CxImage image;
    EXPECT_FALSE(IsImageAllWhite(&image)); // invalid
    EXPECT_FALSE(IsImageAllWhite(nullptr));
    auto bitmap = Bitmap(7, 5, 255);
    ASSERT_TRUE(image.CreateFromArray(bitmap->getDataPtr(), 7, 5, 24, bitmap->getRowSize(), true));
    EXPECT_TRUE(IsImageAllWhite(&image));
    for (int channel = 0; channel < 3; ++channel) {
        auto marked = Bitmap(7, 5, 255);
        marked->getDataPtr()[4 * marked->getRowSize() + 6 * 3 + channel] = 254; // last pixel
        CxImage one;
        ASSERT_TRUE(one.CreateFromArray(marked->getDataPtr(), 7, 5, 24, marked->getRowSize(), true));
        EXPECT_FALSE(IsImageAllWhite(&one)) << channel;
    }
}

TEST_F(ScriptWriterTest, ThePictureIsARealPngOfThePage)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    auto bitmap = Bitmap(31, 17, 255, false); // bottom-up rows
    // A red pixel at the top left of the page.
    unsigned char* top = bitmap->getDataPtr();
    top[0] = 0, top[1] = 0, top[2] = 255;
    ASSERT_EQ(WriteSlide(writer, bitmap.get(), nullptr, TextMode::Blocks, 1, 99), 1);
    ASSERT_EQ(g_tempFiles.size(), 1u);
    const std::string name = g_tempFiles[0];
    std::string file = std::filesystem::path(name).filename().string();
    EXPECT_EQ(std::filesystem::path(name).parent_path(), std::filesystem::path(tempFolder));
    EXPECT_EQ(file.substr(0, 3), "tpf");
    EXPECT_EQ(file.substr(file.size() - 8), ".tmp.png");
    EXPECT_EQ(std::count_if(file.begin() + 3, file.end() - 8, ::isxdigit), long(file.size() - 11));
    std::string report;
    EXPECT_EQ(RunTool("pngcheck -v " + ShellQuote(name), &report), 0) << report;
    EXPECT_NE(report.find("31 x 17 image, 24-bit RGB, non-interlaced"), std::string::npos) << report;
    std::string pixels;
    ASSERT_EQ(RunTool("/usr/bin/python3 -c \"import sys; from PIL import Image; i = Image.open(sys.argv[1]); "
                      "print(i.getpixel((0, 0)), i.getpixel((1, 0)), i.getpixel((0, 16)))\" " + ShellQuote(name),
                      &pixels),
              0)
        << pixels;
    EXPECT_EQ(pixels, "(255, 0, 0) (255, 255, 255) (255, 255, 255)\n");
    FinishAndRunScript(writer);
    DeleteTempFiles();
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_TRUE(FilesIn(tempFolder).empty());
}

TEST_F(ScriptWriterTest, EveryPictureIsGoneAfterDeleteTempFiles)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    for (int page = 0; page < 12; ++page) {
        auto bitmap = Bitmap(8, 8, static_cast<unsigned char>(page * 10));
        ASSERT_EQ(WriteSlide(writer, bitmap.get(), nullptr, TextMode::Blocks, 1, page), 1);
    }
    FinishAndRunScript(writer);
    ASSERT_EQ(g_tempFiles.size(), 12u);
    std::vector<std::string> names = g_tempFiles;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "two pages share a picture";
    EXPECT_EQ(FilesIn(tempFolder).size(), 12u);
    for (const std::string& name : names)
        EXPECT_NE(ScriptCapture::Text().find("AddPicture \"" + name + "\""), std::string::npos);
    DeleteTempFiles();
    EXPECT_TRUE(FilesIn(tempFolder).empty());
    EXPECT_TRUE(g_tempFiles.empty());
}

TEST_F(ScriptWriterTest, AFileMadeAfterDeletingIsNotDeletedByALaterCall)
{
    char name[MAX_PATH];
    ASSERT_GT(MakeTempFileName(sizeof name, name, ".png"), 0u);
    DeleteTempFiles();
    std::FILE* other = std::fopen(name, "w"); // another program takes the name
    ASSERT_TRUE(other);
    std::fclose(other);
    DeleteTempFiles();
    EXPECT_TRUE(std::filesystem::exists(name));
}

TEST_F(ScriptWriterTest, MakeTempFileNameClaimsAFreshName)
{
    char first[MAX_PATH], second[MAX_PATH];
    DWORD length = MakeTempFileName(sizeof first, first, ".png");
    ASSERT_EQ(length, std::strlen(first));
    ASSERT_GT(MakeTempFileName(sizeof second, second, ".png"), 0u);
    EXPECT_STRNE(first, second);
    EXPECT_TRUE(std::filesystem::exists(first));
    // The .tmp name it came from is not left behind.
    EXPECT_FALSE(std::filesystem::exists(std::string(first, length - 4)));
    EXPECT_EQ(g_tempFiles, (std::vector<std::string>{ first, second }));
}

TEST_F(ScriptWriterTest, APictureNeverTakesTheNameOfAnExistingFile)
{
    // Every picture name the folder can give is taken already.
    for (unsigned number = 1; number <= 0xFFFF; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "/tpf%X.tmp.png", number);
        std::FILE* file = std::fopen((tempFolder + name).c_str(), "w");
        ASSERT_TRUE(file);
        std::fputs("keep", file);
        std::fclose(file);
    }
    char name[MAX_PATH];
    EXPECT_EQ(MakeTempFileName(sizeof name, name, ".png"), 0u);
    EXPECT_TRUE(g_tempFiles.empty());
    std::size_t kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tempFolder))
        kept += entry.path().extension() == ".png" && std::filesystem::file_size(entry.path()) == 4;
    EXPECT_EQ(kept, 0xFFFFu);
    EXPECT_EQ(FilesIn(tempFolder).size(), 0xFFFFu); // no .tmp left behind
}

TEST_F(ScriptWriterTest, MakeTempFileNameRefusesBuffersTooSmall)
{
    char name[MAX_PATH];
    EXPECT_EQ(MakeTempFileName(0, name, ".png"), 0u);
    char small[16] = "unset"; // shorter than any name in the folder
    EXPECT_EQ(MakeTempFileName(sizeof small, small, ".png"), 0u);
    EXPECT_STREQ(small, "unset");
    EXPECT_TRUE(g_tempFiles.empty());
    EXPECT_TRUE(FilesIn(tempFolder).empty());
}

TEST_F(ScriptWriterTest, APictureThatCannotBeSavedLeavesTheSlideWithoutOne)
{
    privateTemp.SetTmpDir(tempFolder + "/missing");
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    auto bitmap = Bitmap(8, 8, 0);
    EXPECT_EQ(WriteSlide(writer, bitmap.get(), nullptr, TextMode::Blocks, 1, 99), 1);
    EXPECT_NE(writer->script.find("Slides.Add("), std::string::npos);
    EXPECT_EQ(writer->script.find("AddPicture"), std::string::npos);
    FinishAndRunScript(writer);
}

TEST_F(ScriptWriterTest, APageWhoseImageCannotBeBuiltGetsNoSlide)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    auto grey = Bitmap(8, 8, 0, true, splashModeMono8);
    EXPECT_EQ(WriteSlide(writer, grey.get(), nullptr, TextMode::Blocks, 1, 99), 0);
    EXPECT_EQ(writer->script, kDeckHeader);
    EXPECT_EQ(writer->slideIndex, -1);
    // Without the picture the same page is a slide.
    EXPECT_EQ(WriteSlide(writer, grey.get(), nullptr, TextMode::Blocks, 0, 99), 1);
    EXPECT_EQ(writer->script.find("AddPicture"), std::string::npos);
    EXPECT_TRUE(g_tempFiles.empty());
    FinishAndRunScript(writer);
}

// A bitmap of the layout the writer reads that still gives no image (here
// one past the image object's memory bound, whose pixels are never read)
// is a picture that failed, as one that cannot be saved is: no slide, and
// the writer says so. A layout it does not read only leaves the page out.
TEST_F(ScriptWriterTest, APageImageThatCannotBeMadeFailsThePicture)
{
    auto grey = Bitmap(8, 8, 0, true, splashModeMono8);
    unsigned char pixel[3] = {0, 0, 0};
    PageBitmap tooLarge{pixel, 100000, 100000, 300000, true};
    struct Case {
        const char* what;
        const PageBitmap* bitmap;
        bool failed;
    };
    const Case cases[] = {
        {"a layout not read", grey.get(), false},
        {"an image past the memory bound", &tooLarge, true},
    };
    for (const Case& c : cases) {
        ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
        EXPECT_EQ(WriteSlide(writer, c.bitmap, nullptr, TextMode::Blocks, 1, 99), 0) << c.what;
        EXPECT_EQ(writer->pictureFailed, c.failed) << c.what;
        EXPECT_EQ(writer->script, kDeckHeader) << c.what;
        EXPECT_TRUE(g_tempFiles.empty()) << c.what;
        DiscardScriptWriter(writer);
    }
}

TEST_F(ScriptWriterTest, NullArgumentsWriteNothing)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    EXPECT_EQ(WriteSlide(writer, nullptr, nullptr, TextMode::Blocks, 1, 99), 0);
    EXPECT_EQ(WriteSlide(nullptr, Bitmap(2, 2, 0).get(), nullptr, TextMode::Blocks, 1, 99), 0);
    EXPECT_EQ(AppendScriptText("x", nullptr), 0);
    EXPECT_EQ(AppendScriptFormat(nullptr, "%d", 1), 0);
    EXPECT_EQ(AddPictureShape(nullptr, nullptr, 0, 0, 1, 1), 0);
    EXPECT_EQ(AddPictureShape(writer, nullptr, 0, 0, 1, 1), 0);
    EXPECT_EQ(FinishAndRunScript(nullptr), 0);
    EXPECT_EQ(writer->script, kDeckHeader);
    FinishAndRunScript(writer);
    EXPECT_EQ(ScriptCapture::Runs(), 1);
}

TEST_F(ScriptWriterTest, LongStatementsAreAppendedWhole)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt");
    std::string text(300000, 'x');
    AppendScriptFormat(writer, "strText = unescape(\"%s\")\n", text.c_str());
    EXPECT_EQ(writer->script, std::string(kDeckHeader) + "strText = unescape(\"" + text + "\")\n");
    FinishAndRunScript(writer);
}

struct PathCase {
    const char* path;
    const char* statement;
};

TEST_F(ScriptWriterTest, TheOutputPathIsOneVbScriptString)
{
    const PathCase cases[] = {
        { "/out/deck.ppt", "ppName = \"/out/deck.ppt\"\n" },
        { "/out/my deck, 2%.ppt", "ppName = \"/out/my deck, 2%.ppt\"\n" },
        { "/out/caf\xC3\xA9.ppt", "ppName = \"/out/caf\xC3\xA9.ppt\"\n" },
        // A quote would end the string and run the rest as code.
        { "/out/a\"\nMsgBox 1 '.ppt", "ppName = \"/out/a\"\"\" & Chr(10) & \"MsgBox 1 '.ppt\"\n" },
        { "", "ppName = \"\"\n" },
    };
    for (const PathCase& c : cases) {
        ScriptWriter* writer = CreateScriptWriter(c.path);
        EXPECT_NE(writer->script.find(c.statement), std::string::npos) << writer->script;
        EXPECT_EQ(writer->outputPath, c.path);
        delete writer;
    }
}

TEST_F(ScriptWriterTest, ExplorerProgressWindowVariant)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt", kProgressExplorerWindow);
    BeginSlide(writer, 10, 10, 9);
    FinishAndRunScript(writer);
    const std::string& script = ScriptCapture::Text();
    EXPECT_EQ(script.find("vbscom.api"), std::string::npos);
    EXPECT_NE(script.find("Set ppPres = ppApp.Presentations.Add(1)\nDim objExplorer\nInitprogress\n"),
              std::string::npos);
    EXPECT_NE(script.find("Call Inttoprogress(9)\nppPres.PageSetup.SlideSize"), std::string::npos);
    EXPECT_NE(script.find("\nEndProgress\n\nppApp.Presentations(1).SaveAs(ppName)\n"), std::string::npos);
    std::size_t release = script.find("Set ppApp = Nothing\n");
    ASSERT_NE(release, std::string::npos);
    for (const char* sub : { "Sub Initprogress", "Sub Endprogress", "Sub Inttoprogress(intPercentValue)" })
        EXPECT_GT(script.find(sub), release) << sub;
    for (const char* detail : { "InternetExplorer.Application", "about:blank", "Width = 400", "Height = 110",
                                "Left = 312", "Top = 320", "0.2" })
        EXPECT_NE(script.find(detail), std::string::npos) << detail;
}

TEST_F(ScriptWriterTest, WithoutProgressThereAreNoProgressStatements)
{
    ScriptWriter* writer = CreateScriptWriter("/out/deck.ppt", kProgressNone);
    BeginSlide(writer, 10, 10, 9);
    FinishAndRunScript(writer);
    const std::string& script = ScriptCapture::Text();
    for (const char* progress : { "Progress", "progress", "nRet" })
        EXPECT_EQ(script.find(progress), std::string::npos) << progress;
    EXPECT_NE(script.find("Set ppPres = ppApp.Presentations.Add(1)\nppPres.PageSetup.SlideSize"),
              std::string::npos);
}

} // namespace
