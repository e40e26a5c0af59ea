// File names are bytes: a name that is not UTF-8 (Latin-1, from an old
// archive or a shared drive) must reach the file system unchanged through
// the engine, the program text, the script control and the presentation.
#include "engine/Corvane.h"
#include "engine/ScriptHost.h"
#include "platform/com/Com.h"
#include "tests/ScopedEnv.h"
#include "tests/engine/FolderFiles.h"
#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A word and a red bar: a slide with text and a picture.
const char* const cafePage = R"(%!PS
<< /PageSize [240 120] >> setpagedevice
/Times-Roman findfont 30 scalefont setfont
30 60 moveto (Caf\351) show
1 0 0 setrgbcolor 30 20 180 12 rectfill
showpage
)";

bool IsCompoundFile(const std::string& path)
{
    return FileText(path).rfind(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), 0) == 0;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class AnsiPaths : public testing::Test {
protected:
    void SetUp() override
    {
        CorvaneSetup("");
        pdf_ = MakePdf(folder, "cafe", cafePage);
    }

    // Copies the fixture PDF to the given name in the folder.
    std::string SourceNamed(const std::string& name)
    {
        std::string path = folder.File(name);
        std::filesystem::copy_file(pdf_, path, std::filesystem::copy_options::overwrite_existing);
        return path;
    }

    int Convert(const std::string& pdf, const std::string& out)
    {
        testing::internal::CaptureStdout();
        int result = Corvane(pdf.c_str(), out.c_str(), "");
        printed = testing::internal::GetCapturedStdout();
        return result;
    }

    ScratchFolder folder;
    std::string printed;

private:
    std::string pdf_;
};

TEST_F(AnsiPaths, SourceAndOutputConvertUnderExactlyTheirNames)
{
    struct Case {
        const char* source;
        const char* output;
    };
    const Case cases[] = {
        {"caf\xE9.pdf", "caf\xE9.ppt"},                  // Latin-1
        {"caf\xC3\xA9.pdf", "caf\xC3\xA9.ppt"},          // UTF-8, as before
        {"\xC3(\x80\xFF.pdf", "\xED\xA0\x80 \xC0\xAF.ppt"},  // bytes no decoder takes
        {"quote\".pdf", "quote\" \xE9.ppt"},
    };
    for (const Case& c : cases) {
        ScratchFolder run;
        std::filesystem::copy_file(SourceNamed("x.pdf"), run.File(c.source));
        std::string out = run.File(c.output);
        EXPECT_EQ(Convert(run.File(c.source), out), kCorvaneOk) << c.output << "\n" << printed;
        EXPECT_EQ(Sorted(FilesIn(run.Path())), Sorted({c.source, c.output})) << c.output;
        EXPECT_TRUE(IsCompoundFile(out)) << c.output;
    }
}

TEST_F(AnsiPaths, NamesDifferingInOneByteGiveTwoFiles)
{
    std::string pdf = SourceNamed("d\xE9j\xE0.pdf");
    ScratchFolder run;
    std::string depot = run.File("d\xE9p\xF4t");
    std::filesystem::create_directory(depot);
    std::string first = depot + "/caf\xE9.ppt", second = depot + "/caf\xE8.ppt";
    ASSERT_EQ(Convert(pdf, first), kCorvaneOk) << printed;
    ASSERT_EQ(Convert(pdf, second), kCorvaneOk) << printed;
    EXPECT_EQ(Sorted(FilesIn(depot)), Sorted({"caf\xE8.ppt", "caf\xE9.ppt"}));
    EXPECT_TRUE(IsCompoundFile(first));
    EXPECT_TRUE(IsCompoundFile(second));
}

// The page pictures live under the temporary path, which may hold such bytes
// too; the presentation then still embeds the picture it was given.
TEST_F(AnsiPaths, PicturesUnderALatinOneTemporaryPathAreEmbedded)
{
    std::string temp = folder.File("t\xE9mp");
    std::filesystem::create_directory(temp);
    ScopedEnv tmpdir("TMPDIR", temp.c_str());
    std::string out = folder.File("picture.ppt");
    ASSERT_EQ(Convert(SourceNamed("picture.pdf"), out), kCorvaneOk) << printed;
    EXPECT_NE(FileText(out).find("\x89PNG\r\n\x1A\n"), std::string::npos) << "no picture embedded";
    EXPECT_TRUE(FilesIn(temp).empty()) << "temporary pictures left behind";
}

// The error report quotes the program's line with the bytes it was given.
TEST(AnsiProgramText, ErrorReportsQuoteTheLineByteForByte)
{
    CoInitialize(nullptr);
    testing::internal::CaptureStdout();
    RunScript("x = 1\ny = \"caf\xE9\" +\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: Expected expression, y = \"caf\xE9\" +; in line 2\n");
    CoUninitialize();
}

}  // namespace
