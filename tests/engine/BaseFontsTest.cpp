// The base-14 fonts of the "Resource" folder beside the program.
#include "engine/BaseFonts.h"
#include "tests/ChildProcess.h"
#include "tests/engine/FolderFiles.h"
#include "tests/support/PdfMaker.h"

#include <GlobalParams.h>
#include <goo/GooString.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string FoundFile(GlobalParams& params, const char* name)
{
    std::unique_ptr<GooString> path(params.findFontFile(name));
    return path ? path->toStr() : std::string();
}

TEST(BaseFonts, TheFolderIsResourceBesideTheProgram)
{
    EXPECT_EQ(BaseFontFolder(), std::string(ENGINE_TEST_BINARY_DIR) + "/Resource");
}

// This test program linked into a folder far deeper than 260 characters
// and run from there finds "Resource" beside itself, not in a cut folder.
TEST(BaseFonts, AProgramInADeepFolderHasItsWholeFolder)
{
    if (const char* expected = std::getenv("BASE_FONTS_EXPECTED_FOLDER"))
        _exit(BaseFontFolder() == expected ? 0 : 1); // the deep copy's part
    ScratchFolder scratch;
    const std::string folder = LongFolder(scratch.Path(), 600);
    const std::string program = folder + "/BaseFontsTest";
    std::filesystem::create_hard_link(std::filesystem::read_symlink("/proc/self/exe"), program);
    ChildRun run = RunInChild([&] {
        setenv("BASE_FONTS_EXPECTED_FOLDER", (folder + "/Resource").c_str(), 1);
        execl(program.c_str(), "deep", "--gtest_filter=BaseFonts.AProgramInADeepFolderHasItsWholeFolder",
              static_cast<char*>(nullptr));
        return 127;
    });
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status << run.printed;
}

TEST(BaseFonts, RegistersTheType1FilesFoundByName)
{
    ScratchFolder resource;
    std::ofstream(resource.File("n019003l.pfb")) << "%!PS-AdobeFont-1.0";
    std::ofstream(resource.File("Times-Roman.pfb")) << "%!PS-AdobeFont-1.0";
    std::ofstream(resource.File("Courier.pfb")) << "%!PS-AdobeFont-1.0";
    std::ofstream(resource.File("n022003l.pfb")) << "%!PS-AdobeFont-1.0"; // wins over Courier.pfb
    auto params = std::make_unique<GlobalParams>();
    EXPECT_EQ(SetupBaseFonts(params.get(), resource.Path()), 3);
    EXPECT_EQ(FoundFile(*params, "Helvetica"), resource.File("n019003l.pfb"));
    EXPECT_EQ(FoundFile(*params, "Times-Roman"), resource.File("Times-Roman.pfb"));
    EXPECT_EQ(FoundFile(*params, "Courier"), resource.File("n022003l.pfb"));
    EXPECT_EQ(FoundFile(*params, "Symbol"), "");
}

TEST(BaseFonts, AMissingFolderRegistersNothing)
{
    auto params = std::make_unique<GlobalParams>();
    EXPECT_EQ(SetupBaseFonts(params.get(), "/no/such/Resource"), 0);
    EXPECT_EQ(SetupBaseFonts(params.get(), ""), 0);
}

} // namespace
