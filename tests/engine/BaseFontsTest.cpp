// The base-14 fonts of the "Resource" folder beside the program.
#include "engine/BaseFonts.h"
#include "tests/support/PdfMaker.h"

#include <GlobalParams.h>
#include <goo/GooString.h>

#include <gtest/gtest.h>

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
}

} // namespace
