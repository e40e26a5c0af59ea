// One conversion through every layer: result codes, the presentation file
// written, temporary pictures removed, and presentation-application
// processes ended first.
#include "engine/Corvane.h"
#include "engine/EngineApp.h"
#include "engine/PageDeviceHooks.h"
#include "engine/PageSet.h"
#include "engine/RenderResolution.h"
#include "engine/ScriptHost.h"
#include "engine/ScriptWriter.h"
#include "engine/ScriptWriterTempFiles.h"
#include "engine/TempFolder.h"
#include "tests/ChildProcess.h"
#include "tests/ScopedEnv.h"
#include "tests/ScopedValue.h"
#include "tests/engine/FolderFiles.h"
#include "tests/engine/HandMadePdf.h"
#include "tests/engine/ScopedScriptRunner.h"
#include "tests/engine/NamedProcesses.h"
#include "tests/engine/Occurrences.h"
#include "tests/support/OutsidePrograms.h"
#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <vector>

namespace {

const char* const helloPage = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
20 100 moveto (Hello) show
0 0 1 setrgbcolor 200 20 60 40 rectfill
showpage
)";

const char* const twoPages = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
20 100 moveto (One) show showpage
20 100 moveto (Two) show showpage
)";

std::string Bytes(const std::string& path, size_t count)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), std::streamsize(count));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

// A compound file that `file` takes for a presentation.
bool IsPresentationFile(const std::string& path)
{
    if (Bytes(path, 8) != std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return false;
    return RunProgram({"file", "--mime-type", "-b", path}).output == "application/vnd.ms-powerpoint\n";
}

class Conversion : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(temp());
        tmpdir_.Set(temp().c_str()); // temporary pictures go here
        CorvaneSetup("");
    }
    std::string temp() const { return folder.File("temp"); }

    int Convert(const std::string& pdf, const std::string& out, const char* password = "")
    {
        testing::internal::CaptureStdout();
        int result = Corvane(pdf.c_str(), out.c_str(), password);
        printed = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(FilesIn(temp()).empty()) << "temporary pictures left behind";
        return result;
    }

    ScratchFolder folder;
    std::string printed;

private:
    ScopedEnv tmpdir_{"TMPDIR", std::getenv("TMPDIR")};
};

TEST_F(Conversion, APageWithTextAndGraphicsGivesAPresentation)
{
    std::string pdf = MakePdf(folder, "hello", helloPage);
    std::string out = folder.File("hello.ppt");
    EXPECT_EQ(Convert(pdf, out), kCorvaneOk) << printed;
    EXPECT_TRUE(IsPresentationFile(out));
}

// Keeps a copy of each page picture before the program runs, for PIL to read.
std::string keptPictures;

int KeepPicturesThenRun(const char* script)
{
    int n = 0;
    for (const std::string& picture : g_tempFiles)
        if (std::filesystem::exists(picture))
            std::filesystem::copy_file(picture, keptPictures + "/page" + std::to_string(++n) + ".png");
    return RunScript(script);
}

TEST_F(Conversion, ThePagePictureHasTheGraphicsButNoText)
{
    std::string pdf = MakePdf(folder, "hello", helloPage);
    keptPictures = folder.File("kept");
    std::filesystem::create_directory(keptPictures);
    {
        ScopedScriptRunner keep(KeepPicturesThenRun);
        EXPECT_EQ(Convert(pdf, folder.File("hello.ppt")), kCorvaneOk);
    }
    ASSERT_TRUE(std::filesystem::exists(keptPictures + "/page1.png"));
    // 150 dpi: "Hello" lies in x 40..190, y 90..170; the blue rectangle in
    // x 417..541, y 333..375 (pixels from the top left).
    std::string check = "import sys; from PIL import Image\n"
                        "im = Image.open(sys.argv[1]).convert('RGB')\n"
                        "assert im.size == (625, 417), im.size\n"
                        "text = [im.getpixel((x, y)) for x in range(30, 200) for y in range(80, 180)]\n"
                        "assert all(p == (255, 255, 255) for p in text), 'text pixels'\n"
                        "assert im.getpixel((480, 354)) == (0, 0, 255), im.getpixel((480, 354))\n";
    CommandResult python = RunProgram({"/usr/bin/python3", "-c", check, keptPictures + "/page1.png"});
    EXPECT_EQ(python.status, 0) << python.output;
}

std::string capturedScript;

int CaptureScript(const char* script)
{
    capturedScript = script;
    return 0;
}

// The percentages of the program's progress calls, in order.
std::vector<int> ProgressPercentages(const std::string& script)
{
    std::vector<int> percentages;
    const std::string call = "nRet = ProgressCOM.ShowProgress(0, ";
    for (size_t at = script.find(call); at != std::string::npos; at = script.find(call, at + 1))
        percentages.push_back(std::atoi(script.c_str() + at + call.size()));
    return percentages;
}

TEST_F(Conversion, ProgressCountsPagesFromTheFirstToTheLast)
{
    std::string tenPages = "%!PS\n<< /PageSize [100 100] >> setpagedevice\n/Helvetica findfont 12 scalefont setfont\n";
    for (int page = 1; page <= 10; ++page)
        tenPages += "10 50 moveto (Page " + std::to_string(page) + ") show showpage\n";
    std::string pdf = MakePdf(folder, "ten", tenPages);
    ScopedScriptRunner capture(CaptureScript);
    struct Case {
        const char* pageSet;
        std::vector<int> percentages;
    };
    const Case cases[] = {
        {"", {9, 19, 29, 39, 49, 59, 69, 79, 89, 99}},
        {"2, 5", {19, 49}},
        {"10", {99}},
    };
    for (const Case& c : cases) {
        CorvaneSetup(c.pageSet);
        Convert(pdf, folder.File("ten.ppt"));
        EXPECT_EQ(ProgressPercentages(capturedScript), c.percentages) << "page set '" << c.pageSet << "'";
    }
    std::string one = MakePdf(folder, "one", helloPage);
    CorvaneSetup("");
    Convert(one, folder.File("one.ppt"));
    EXPECT_EQ(ProgressPercentages(capturedScript), std::vector<int>{99});
}

// The statement's number in the program, -1 when it has none.
int StatementNumber(const std::string& script, const std::string& statement)
{
    size_t at = script.find(statement);
    return at == std::string::npos ? -1 : std::atoi(script.c_str() + at + statement.size());
}

// Every picture statement's width and height, in order.
std::vector<std::pair<int, int>> PictureSizes(const std::string& script)
{
    std::vector<std::pair<int, int>> sizes;
    const std::string call = "ppSlide.Shapes.AddPicture ";
    for (size_t at = script.find(call); at != std::string::npos; at = script.find(call, at + 1)) {
        int left, top, width, height;
        size_t args = script.find(", 0, 1, ", at);
        if (std::sscanf(script.c_str() + args, ", 0, 1, %d, %d, %d, %d", &left, &top, &width, &height) == 4)
            sizes.emplace_back(width, height);
    }
    return sizes;
}

// A letter-size page beside an A0 page: the resolution comes from the
// largest page the page set selects, and holds for every slide.
TEST_F(Conversion, TheLargestSelectedPageSetsTheResolutionOfEveryPage)
{
    std::string pdf = MakePdf(folder, "mixed", R"(%!PS
<< /PageSize [300 200] >> setpagedevice 0 0 1 setrgbcolor 10 10 50 50 rectfill showpage
<< /PageSize [2384 3370] >> setpagedevice 0 0 1 setrgbcolor 10 10 500 500 rectfill showpage
)");
    ScopedScriptRunner capture(CaptureScript);
    struct Case {
        const char* pageSet;
        int slideWidth, slideHeight;
        std::vector<std::pair<int, int>> pictures;
    };
    // 4032 / 3370 slide points per page point once the A0 page is selected.
    const Case cases[] = {
        {"1", 625, 417, {{625, 417}}},
        {"", 359, 239, {{359, 239}, {2852, 4032}}},
        {"2", 2852, 4032, {{2852, 4032}}},
    };
    for (const Case& c : cases) {
        CorvaneSetup(c.pageSet);
        EXPECT_EQ(Convert(pdf, folder.File("mixed.ppt")), kCorvaneNothingSaved); // the program is not run
        EXPECT_EQ(StatementNumber(capturedScript, "ppPres.PageSetup.SlideWidth = "), c.slideWidth) << c.pageSet;
        EXPECT_EQ(StatementNumber(capturedScript, "ppPres.PageSetup.SlideHeight = "), c.slideHeight) << c.pageSet;
        EXPECT_EQ(PictureSizes(capturedScript), c.pictures) << c.pageSet;
    }
}

// 150 dpi while the long side stays within 4032 pixels; past that, the
// resolution at which it spans exactly 4032.
TEST(RenderResolution, LowersOnlyPagesPastTheLargestSlide)
{
    EXPECT_EQ(PixelSide(300, 150), 625);
    EXPECT_EQ(PixelSide(200, 150), 417);
    EXPECT_EQ(PixelSide(1e300, 150), INT_MAX);
    for (double points : {1.0, 612.0, 1935.0, 1935.5})
        EXPECT_EQ(ResolutionToFit(points), 150) << points;
    for (double points : {1935.6, 2384.0, 3370.0, 13000.0, 14400.0, 1e7, 1e300}) {
        double dpi = ResolutionToFit(points);
        EXPECT_LT(dpi, 150) << points;
        EXPECT_EQ(PixelSide(points, dpi), 4032) << points;
    }
}

TEST_F(Conversion, ADocumentThatCannotBeOpenedGivesMinusTwo)
{
    std::ofstream(folder.File("not.pdf")) << "this is no PDF";
    const std::string inputs[] = {folder.File("missing.pdf"), folder.File("not.pdf")};
    for (const std::string& pdf : inputs) {
        std::string out = folder.File("none.ppt");
        EXPECT_EQ(Convert(pdf, out), kCorvaneCannotOpen) << pdf;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(Conversion, OpenPasswordsDecideWhetherTheDocumentOpens)
{
    std::string locked = MakePdf(folder, "locked", helloPage, "-sOwnerPassword=owner -sUserPassword=user");
    std::string ownerOnly = MakePdf(folder, "owneronly", helloPage, "-sOwnerPassword=owner");
    struct Case {
        std::string pdf;
        const char* password;
        int result;
    };
    const Case cases[] = {
        {locked, "user", kCorvaneOk},
        {locked, "owner", kCorvaneOk},
        {locked, "wrong", kCorvaneCannotOpen},
        {locked, "", kCorvaneCannotOpen},
        {ownerOnly, "wrong", kCorvaneOk}, // opens on the second try, with no password
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string out = folder.File("pw" + std::to_string(n++) + ".ppt");
        EXPECT_EQ(Convert(c.pdf, out, c.password), c.result) << c.pdf << " with '" << c.password << "'";
        EXPECT_EQ(std::filesystem::exists(out), c.result == kCorvaneOk);
    }
}

TEST_F(Conversion, APageSetThatSelectsNothingGivesMinusFourAndStillSaves)
{
    std::string pdf = MakePdf(folder, "two", twoPages);
    const char* sets[] = {"abc", "3-9", "07"};
    int n = 0;
    for (const char* set : sets) {
        CorvaneSetup(set);
        std::string out = folder.File("empty" + std::to_string(n++) + ".ppt");
        EXPECT_EQ(Convert(pdf, out), kCorvaneNoSlide) << set;
        EXPECT_TRUE(IsPresentationFile(out)) << "the empty presentation is saved all the same";
    }
    CorvaneSetup("2");
    EXPECT_EQ(Convert(pdf, folder.File("second.ppt")), kCorvaneOk);
}

TEST_F(Conversion, NothingSavedAtTheOutputPathGivesMinusFive)
{
    std::string pdf = MakePdf(folder, "hello", helloPage);
    EXPECT_EQ(Convert(pdf, folder.File("no/such/folder/out.ppt")), kCorvaneNothingSaved);

    // A file that was there before and is not written again counts too:
    // here the program is not run at all, as when the application is missing.
    std::string stale = folder.File("stale.ppt");
    std::ofstream(stale) << "old";
    {
        ScopedScriptRunner notRun([](const char*) { return 0; });
        EXPECT_EQ(Convert(pdf, stale), kCorvaneNothingSaved);
    }
    EXPECT_EQ(Bytes(stale, 16), "old");
    EXPECT_EQ(Convert(pdf, stale), kCorvaneOk);
    EXPECT_TRUE(IsPresentationFile(stale));
}

// Under a temporary path too long for a picture's name (255 characters) or
// for the path itself (260 and more), no page picture can be written: the
// conversion fails as when its writer cannot be made, and saves nothing.
TEST_F(Conversion, APagePictureThatCannotBeWrittenGivesMinusThree)
{
    std::string pdf = MakePdf(folder, "hello", helloPage);
    std::string out = folder.File("hello.ppt");
    for (size_t length : {255u, 260u, 300u}) {
        std::string tmp = LongFolder(folder.Path(), length);
        ScopedEnv env("TMPDIR", tmp.c_str());
        EXPECT_EQ(Convert(pdf, out), kCorvaneNoWriter) << length;
        EXPECT_NE(printed.find("Can't create '" + out + "' file.\n"), std::string::npos) << printed;
        EXPECT_FALSE(std::filesystem::exists(out)) << length;
        EXPECT_TRUE(FilesIn(tmp).empty()) << length;
    }
    EXPECT_EQ(Convert(pdf, out), kCorvaneOk) << printed;
}

// The per-load folder is made again when something removed it; one that
// cannot be made fails the conversion before anything is written.
TEST_F(Conversion, APerLoadFolderThatCannotBeMadeGivesMinusThree)
{
    std::string pdf = MakePdf(folder, "hello", helloPage);
    std::string out = folder.File("hello.ppt");
    ASSERT_GT(std::filesystem::remove_all(g_tempFolder.Text()), 0u); // the folder and its mark
    EXPECT_EQ(Convert(pdf, out), kCorvaneOk) << printed;
    EXPECT_TRUE(std::filesystem::is_directory(g_tempFolder.Text()));

    std::ofstream(folder.File("file")) << "x";
    for (std::string unmade : {folder.File("file") + "/{GUID}/", std::string()}) {
        ScopedValue<CString> gone(g_tempFolder, CString(unmade));
        std::string other = folder.File("other.ppt");
        EXPECT_EQ(Convert(pdf, other), kCorvaneNoWriter) << unmade;
        EXPECT_NE(printed.find("Can't create '" + other + "' file.\n"), std::string::npos) << printed;
        EXPECT_FALSE(std::filesystem::exists(other)) << unmade;
    }
}

// A temporary path that does not exist is not made: the per-load folder
// under it cannot be, so the conversion fails before anything is written,
// and nothing is left above where the folder would have been.
TEST_F(Conversion, ATemporaryPathThatDoesNotExistGivesMinusThree)
{
    std::string pdf = MakePdf(folder, "hello", helloPage);
    std::string out = folder.File("hello.ppt");
    const std::string missing = folder.File("missing");
    for (const std::string& tmp : {missing, missing + "/deeper"}) {
        ScopedEnv env("TMPDIR", tmp.c_str());
        ScopedValue<CString> load(g_tempFolder, TempFolder());
        EXPECT_EQ(g_tempFolder.Text().rfind(tmp + "/", 0), 0u) << g_tempFolder.Text();
        EXPECT_EQ(Convert(pdf, out), kCorvaneNoWriter) << tmp;
        EXPECT_NE(printed.find("Can't create '" + out + "' file.\n"), std::string::npos) << printed;
        EXPECT_FALSE(std::filesystem::exists(missing)) << tmp;
        EXPECT_FALSE(std::filesystem::exists(out)) << tmp;
    }
}

// A temporary disk that holds the page picture but not the core's language
// data (here a file-size limit under every file's size but the picture's):
// the copy that fails is the temporary folder failing, -3, and the copies
// already made are removed.
TEST_F(Conversion, LanguageDataThatCannotBeCopiedGivesMinusThree)
{
    std::string pdf = MakePdf(folder, "hello", helloPage);
    std::string out = folder.File("full.ppt");
    const std::string coreData = std::string(g_tempFolder.Text()) + "coredata";
    ChildRun run = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG
        rlimit size{64 << 10, 64 << 10};
        if (setrlimit(RLIMIT_FSIZE, &size) != 0)
            return 10;
        int result = -Corvane(pdf.c_str(), out.c_str(), "");
        return std::filesystem::exists(coreData) ? 11 : result;
    });
    ASSERT_TRUE(WIFEXITED(run.status)) << "the child ended by signal " << WTERMSIG(run.status);
    EXPECT_EQ(WEXITSTATUS(run.status), -kCorvaneNoWriter);
    EXPECT_NE(run.printed.find("Can't create '" + out + "' file.\n"), std::string::npos) << run.printed;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_TRUE(FilesIn(temp()).empty()) << "temporary pictures left behind";
    EXPECT_EQ(Convert(pdf, out), kCorvaneOk) << printed; // without the limit
}

// A source that is no regular file (a FIFO no program writes, a socket, a
// device, a folder) is never waited on or read: -2 at once. The alarm ends
// the test program should a regression block.
TEST_F(Conversion, ASourceThatIsNoRegularFileGivesMinusTwoAtOnce)
{
    const std::string fifo = folder.File("fifo.pdf"), socketName = folder.File("socket.pdf");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketName.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketName.c_str(), socketName.size() + 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string sources[] = {fifo, socketName, "/dev/zero", "/dev/null", folder.Path()};
    alarm(120);
    for (const std::string& source : sources) {
        std::string out = folder.File("none.ppt");
        EXPECT_EQ(Convert(source, out), kCorvaneCannotOpen) << source;
        EXPECT_FALSE(std::filesystem::exists(out)) << source;
    }
    alarm(0);
    close(listener);
}

// The document is read from its own path alone and never written. An
// output that names it (the same path, another spelling, a link either
// way) is refused with -5 before a page is rendered; a missing document is
// -2 even where the resource search would find a file of its name (beside
// the program, under the temporary folder); a PDF named like an embedded
// resource converts.
TEST_F(Conversion, TheSourceIsReadFromItsOwnPathAndNeverWritten)
{
    const std::string pdf = MakePdf(folder, "hello", helloPage), bytes = FileText(pdf);
    const std::string same = folder.File("same.ppt"), pid = std::to_string(getpid());
    const std::string shared = folder.File("shared"), besideProgram = ENGINE_TEST_BINARY_DIR "/beside-" + pid + ".pdf";
    std::filesystem::create_directory(shared);
    std::vector<std::string> documents = {same, folder.File("rc"), folder.File("GBK.unicodeMap"), besideProgram,
                                          shared + "/intemp-" + pid + ".pdf"};
    for (const std::string& document : documents)
        std::filesystem::copy_file(pdf, document);
    struct RemoveBesideProgram {
        std::string path;
        ~RemoveBesideProgram() { std::filesystem::remove(path); }
    } removeBesideProgram{besideProgram};
    ASSERT_EQ(symlink(same.c_str(), folder.File("link.ppt").c_str()), 0);
    ASSERT_EQ(link(same.c_str(), folder.File("hard.ppt").c_str()), 0);
    struct Case {
        const char* what;
        std::string source, output;
        std::string tmpdir; // empty: the test's own
        int result;
    };
    const Case cases[] = {
        {"the output is the source", same, same, "", kCorvaneNothingSaved},
        {"the output spells the source otherwise", same, folder.Path() + "/./same.ppt", "", kCorvaneNothingSaved},
        {"the output is a link to the source", same, folder.File("link.ppt"), "", kCorvaneNothingSaved},
        {"the source is a link to the output", folder.File("link.ppt"), same, "", kCorvaneNothingSaved},
        {"the output is a hard link of the source", same, folder.File("hard.ppt"), "", kCorvaneNothingSaved},
        {"missing, its name beside the program", folder.File("gone/beside-" + pid + ".pdf"), folder.File("1.ppt"), "",
         kCorvaneCannotOpen},
        {"missing, its name in the temporary folder", "intemp-" + pid + ".pdf", folder.File("2.ppt"), shared,
         kCorvaneCannotOpen},
        {"named like an embedded resource", folder.File("rc"), folder.File("rc.ppt"), "", kCorvaneOk},
        {"named like embedded language data", folder.File("GBK.unicodeMap"), folder.File("gbk.ppt"), "", kCorvaneOk},
    };
    for (const Case& c : cases) {
        std::optional<ScopedEnv> tmpdir;
        if (!c.tmpdir.empty())
            tmpdir.emplace("TMPDIR", c.tmpdir.c_str());
        g_lastDisplayedPage = 0;
        EXPECT_EQ(Convert(c.source, c.output), c.result) << c.what << "\n" << printed;
        if (c.result == kCorvaneOk) {
            EXPECT_TRUE(IsPresentationFile(c.output)) << c.what;
        } else {
            EXPECT_EQ(g_lastDisplayedPage, 0) << c.what << ": a page was rendered";
        }
        if (c.result == kCorvaneCannotOpen) {
            EXPECT_FALSE(std::filesystem::exists(c.output)) << c.what;
        } else if (c.result == kCorvaneNothingSaved) {
            EXPECT_NE(printed.find("Can't save '" + c.output + "': it is the document converted.\n"),
                      std::string::npos)
                << c.what << "\n" << printed;
        }
        for (const std::string& document : documents)
            EXPECT_EQ(FileText(document), bytes) << c.what << ": " << document << " changed";
        EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.ppt"))) << c.what;
        EXPECT_EQ(std::filesystem::hard_link_count(same), 2u) << c.what;
    }
}

// A presentation holds 4093 slides. More selected pages are refused before
// the first is rendered, with the reason; a page range converts such a
// document in parts.
TEST_F(Conversion, MorePagesThanAPresentationHoldsAreRefusedBeforeAnyIsRendered)
{
    const std::string pdf = folder.File("many.pdf");
    std::ofstream(pdf, std::ios::binary) << BlankPagesPdf(kMaxSlides + 1);
    ScopedScriptRunner capture(CaptureScript); // the program is not run: nothing is saved either way
    struct Case {
        const char* pageSet;
        int slides; // 0: refused
    };
    const Case cases[] = {
        {"", 0},
        {"1-9999", 0},
        {"2-4094", kMaxSlides},
        {"4090-4094", 5},
    };
    for (const Case& c : cases) {
        CorvaneSetup(c.pageSet);
        g_lastDisplayedPage = 0;
        capturedScript.clear();
        std::string out = folder.File("many.ppt");
        EXPECT_EQ(Convert(pdf, out), kCorvaneNothingSaved) << c.pageSet;
        if (c.slides == 0) {
            EXPECT_EQ(g_lastDisplayedPage, 0) << c.pageSet << ": a page was rendered";
            EXPECT_EQ(capturedScript, "") << c.pageSet << ": a program was made";
            EXPECT_NE(printed.find("Can't save '" + out + "': more pages are selected than the 4093 slides"),
                      std::string::npos)
                << printed;
        } else {
            EXPECT_EQ(Count(capturedScript, "ppPres.Slides.Add("), size_t(c.slides)) << c.pageSet;
        }
    }
}

// The writer reserves 20 MiB for its program up front. With the process's
// address space held to 8 MiB more than it uses once a conversion has run,
// the next conversion opens its document but cannot make its writer: it
// says so, returns -3 and saves nothing. Runs in a fresh process, whose
// limit ends with it and whose heap no earlier test has left free room in.
TEST_F(Conversion, AWriterThatCannotBeMadeGivesMinusThree)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
    const char* const childFolder = "CORVANE_TEST_LIMITED_FOLDER";
    if (const char* shared = std::getenv(childFolder)) { // the fresh process
        const std::string base = shared, pdf = base + "/hello.pdf";
        const std::string first = base + "/first.ppt", out = base + "/limited.ppt";
        int result = Corvane(pdf.c_str(), first.c_str(), "") != kCorvaneOk ? 10
                     : !LimitAddressSpace(rlim_t(8) << 20)                  ? 11
                                                                            : -Corvane(pdf.c_str(), out.c_str(), "");
        std::fflush(stdout);
        _exit(result);
    }
    std::string pdf = MakePdf(folder, "hello", helloPage);
    std::string first = folder.File("first.ppt"), out = folder.File("limited.ppt");
    ChildRun run = RunTestAfresh("Conversion.AWriterThatCannotBeMadeGivesMinusThree", childFolder, folder.Path());
    ASSERT_TRUE(WIFEXITED(run.status)) << "the child ended by signal " << WTERMSIG(run.status);
    EXPECT_EQ(WEXITSTATUS(run.status), -kCorvaneNoWriter);
    EXPECT_NE(run.printed.find("Can't create '" + out + "' file.\n"), std::string::npos) << run.printed;
    EXPECT_TRUE(IsPresentationFile(first));
    EXPECT_FALSE(std::filesystem::exists(out));
}

// The width and height a PNG file's header gives, "W H"; empty when the
// file is no PNG.
std::string PngSize(const std::string& path)
{
    const std::string header = Bytes(path, 24);
    if (header.size() < 24 || header.compare(0, 8, "\x89PNG\r\n\x1A\n") != 0)
        return "";
    auto field = [&](size_t at) {
        uint32_t value = 0;
        for (size_t i = at; i < at + 4; ++i)
            value = value << 8 | uint8_t(header[i]);
        return std::to_string(value);
    };
    return field(16) + " " + field(20);
}

// Prints the slides of the program and the size of each page picture,
// then runs it.
int ReportPicturesThenRun(const char* script)
{
    std::printf("slides %zu\n", Count(script, "ppPres.Slides.Add("));
    for (const std::string& picture : g_tempFiles)
        std::printf("picture %s\n", PngSize(picture).c_str());
    return RunScript(script);
}

// A poster page between two letter pages, converted in a fresh process
// whose address space may grow by only so much, from too little for
// anything to enough for all. Memory that runs out anywhere is -3 with no
// presentation; otherwise every page is a slide with its whole picture.
TEST_F(Conversion, MemoryRunningOutIsMinusThreeOrEveryPageIsWhole)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
    const char* const childRun = "CORVANE_TEST_HEADROOM";
    if (const char* shared = std::getenv(childRun)) { // the fresh process: "<headroom> <folder>"
        char* folderName = nullptr;
        const rlim_t headroom = std::strtoull(shared, &folderName, 10);
        const std::string base = folderName + 1, pdf = base + "/three.pdf", out = base + "/three.ppt";
        ScopedScriptRunner report(ReportPicturesThenRun);
        malloc_trim(0);
        int result = LimitAddressSpace(headroom) ? -Corvane(pdf.c_str(), out.c_str(), "") : 10;
        std::fflush(stdout);
        _exit(result);
    }
    MakePdf(folder, "three", R"(%!PS
/Helvetica findfont 24 scalefont setfont
<< /PageSize [612 792] >> setpagedevice 72 700 moveto (Letter) show 0 0 1 setrgbcolor 72 72 200 100 rectfill showpage
<< /PageSize [4000 4000] >> setpagedevice 1 0 0 setrgbcolor 100 100 3000 3000 rectfill showpage
<< /PageSize [612 792] >> setpagedevice 72 700 moveto (Letter) show 0 1 0 setrgbcolor 72 72 200 100 rectfill showpage
)");
    const double dpi = ResolutionToFit(4000);
    const std::string letter = std::to_string(PixelSide(612, dpi)) + " " + std::to_string(PixelSide(792, dpi));
    const std::string whole = "slides 3\npicture " + letter + "\npicture 4032 4032\npicture " + letter + "\n";
    const std::string out = folder.File("three.ppt");
    int refused = 0, converted = 0;
    for (rlim_t headroom = rlim_t(16) << 20; headroom <= (rlim_t(256) << 20); headroom += rlim_t(16) << 20) {
        SCOPED_TRACE(std::to_string(headroom >> 20) + " MiB more");
        std::filesystem::remove(out);
        ChildRun run = RunTestAfresh("Conversion.MemoryRunningOutIsMinusThreeOrEveryPageIsWhole", childRun,
                                     std::to_string(headroom) + " " + folder.Path());
        ASSERT_TRUE(WIFEXITED(run.status)) << "the child ended by signal " << WTERMSIG(run.status) << "\n"
                                           << run.printed;
        const int result = -WEXITSTATUS(run.status);
        if (result == kCorvaneNoWriter) {
            ++refused;
            EXPECT_FALSE(std::filesystem::exists(out));
            EXPECT_NE(run.printed.find("Can't create '" + out + "' file.\n"), std::string::npos) << run.printed;
        } else {
            ++converted;
            ASSERT_EQ(result, kCorvaneOk) << run.printed;
            EXPECT_NE(run.printed.find(whole), std::string::npos) << run.printed;
            EXPECT_TRUE(IsPresentationFile(out));
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(converted, 0);
}

// Memory that runs out while the page set is made leaves a set of no page,
// never the pages of an earlier or a partly read set, and never an
// exception for the caller's thread.
TEST(PageSetup, MemoryRunningOutSelectsNoPage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
    ChildRun run = RunInChild([] {
        std::string range;
        for (int n = 1; range.size() < (size_t(8) << 20); n += 2)
            range += std::to_string(n) + ",";
        CorvaneSetup("1-9");
        malloc_trim(0);
        if (!LimitAddressSpace(rlim_t(1) << 20))
            return 10;
        int result = CorvaneSetup(range.c_str());
        return result != kCorvaneNoWriter ? 11 : IsPageSelected(1) || IsPageSelected(2) ? 12 : 0;
    });
    ASSERT_TRUE(WIFEXITED(run.status)) << "the child ended by signal " << WTERMSIG(run.status);
    EXPECT_EQ(WEXITSTATUS(run.status), 0);
}

TEST_F(Conversion, AnExistingPresentationIsReplaced)
{
    std::string pdf = MakePdf(folder, "hello", helloPage);
    std::string out = folder.File("again.ppt");
    std::ofstream(out) << "old";
    EXPECT_EQ(Convert(pdf, out), kCorvaneOk);
    EXPECT_TRUE(IsPresentationFile(out));
}

// Conversions running beside this test end such processes too. A round
// counts only when this call's own trace shows that it found the process
// still running (exit code 259, STILL_ACTIVE) and ended it, and the process
// has ended by the time the call returns; a process that something else
// ended first is started afresh.
TEST_F(Conversion, EndsRunningPresentationApplicationsFirst)
{
    pid_t other = StartNamed(folder, "viewer.exe");
    std::string missing = folder.File("missing.pdf");
    int rounds = 0;
    for (int attempt = 0; attempt < 20 && rounds < 3; ++attempt) {
        pid_t application = StartNamed(folder, "POWERPNT.EXE");
        EXPECT_EQ(Convert(missing, folder.File("x.ppt")), kCorvaneCannotOpen);
        const std::string pid = std::to_string(application);
        const std::string trace = "POWERPNT.EXE (PID to terminate: " + pid + ")\nExit code for powerpnt.exe: 259\n"
                                  "Process: " + pid + ", was succesful terminated.\n";
        if (printed.find(trace) == std::string::npos && EndsWithin(application, 0)) {
            Stop(application); // ended by another conversion before this one looked
            continue;
        }
        EXPECT_NE(printed.find(trace), std::string::npos) << printed;
        EXPECT_TRUE(EndsWithin(application, 200)) << "still running after the call";
        EXPECT_TRUE(EndsKilled(application));
        ++rounds;
    }
    EXPECT_EQ(rounds, 3);
    EXPECT_TRUE(StillRunning(other)) << "a process named otherwise was ended";
    Stop(other);
}

} // namespace
