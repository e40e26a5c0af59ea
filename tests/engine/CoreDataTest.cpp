// The core's language data laid out in a private folder from the embedded
// configuration, and the document itself read through the file layer.
#include "engine/Corvane.h"
#include "engine/resources/CoreData.h"
#include "engine/resources/ResStdio.h"
#include "tests/engine/FolderFiles.h"
#include "tests/engine/HandMadePdf.h"
#include "tests/support/PdfMaker.h"
#include "tests/engine/PelmoraModule.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

TEST(CoreData, TheConfigurationBindsEveryEmbeddedFile)
{
    std::vector<CoreDataBinding> bindings = ReadCoreConfiguration("/any/folder/rc");
    std::set<std::string> files, collections;
    for (const CoreDataBinding& binding : bindings) {
        if (binding.kind == "cMapDir")
            collections.insert(binding.name);
        else
            files.insert(binding.file);
    }
    EXPECT_EQ(files.size(), 21u);
    EXPECT_EQ(collections, (std::set<std::string>{"Adobe-GB1", "Adobe-CNS1", "Adobe-Japan1", "Adobe-Korea1"}));
    EXPECT_TRUE(ReadCoreConfiguration("/any/folder/not-rc").empty());
}

// A configuration found on disk is read up to the bound of a data file:
// one that is larger (a huge or sparse file) binds nothing, and is not
// read whole.
TEST(CoreData, AConfigurationLargerThanADataFileBindsNothing)
{
    ScratchFolder folder;
    const std::string binding = "unicodeMap GBK GBK.unicodeMap\n";
    struct Case {
        const char* name;
        uint64_t size;
        size_t bindings;
    } cases[] = {
        {"small.conf", binding.size(), 1},
        {"atbound.conf", kMaxDataFileBytes, 1},
        {"overbound.conf", kMaxDataFileBytes + 1, 0},
        {"sparse.conf", uint64_t(1) << 30, 0},
    };
    for (const Case& c : cases) {
        const std::string path = folder.File(c.name);
        std::ofstream(path, std::ios::binary) << binding;
        fs::resize_file(path, c.size); // the rest reads as NUL bytes
        EXPECT_EQ(ReadCoreConfiguration(path).size(), c.bindings) << c.name;
    }
}

TEST(CoreData, TheFolderIsLaidOutAsTheCoreReadsItAndRemovedWhole)
{
    ScratchFolder scratch;
    const std::string root = scratch.File("data");
    EXPECT_EQ(PrepareCoreDataFolder(root), 25);
    const std::string system = "/usr/share/poppler/";
    for (const char* kind : {"nameToUnicode", "cidToUnicode", "unicodeMap"}) {
        SCOPED_TRACE(kind);
        std::vector<std::string> names = FilesIn(root + "/" + kind);
        ASSERT_FALSE(names.empty());
        for (const std::string& name : names) {
            // nameToUnicode files keep their resource name; the others are
            // named by collection or encoding, as in the system's folder.
            std::string source = std::string(kind) == "nameToUnicode" ? name.substr(0, name.find('.')) : name;
            EXPECT_EQ(FileText(root + "/" + kind + "/" + name), FileText(system + kind + "/" + source)) << name;
        }
    }
    // Without "Resource/CMap" beside the program, the system's CMaps.
    EXPECT_EQ(fs::read_symlink(root + "/cMap/Adobe-Japan1"), system + "cMap/Adobe-Japan1");

    // Preparing again replaces what is there.
    std::ofstream(root + "/cidToUnicode/Adobe-GB1") << "stale";
    EXPECT_EQ(PrepareCoreDataFolder(root), 25);
    EXPECT_EQ(FileText(root + "/cidToUnicode/Adobe-GB1"), FileText(system + "cidToUnicode/Adobe-GB1"));

    // Removal takes links, never what they point at.
    RemoveCoreDataFolder(root);
    EXPECT_FALSE(fs::exists(root));
    EXPECT_TRUE(fs::exists(system + "cMap/Adobe-Japan1/UniJIS-UCS2-H"));
}

TEST(CoreData, CMapsBesideTheProgramComeFirst)
{
    ScratchFolder program;
    {
        PelmoraModule pelmora(program.Path());
        ASSERT_TRUE(pelmora.Loaded()) << dlerror();
        EXPECT_EQ(CMapFolder("Adobe-Japan1"), "/usr/share/poppler/cMap/Adobe-Japan1");
        fs::create_directories(program.File("Resource/CMap"));
        EXPECT_EQ(CMapFolder("Adobe-Japan1"), program.File("Resource/CMap"));
    }
    EXPECT_EQ(CMapFolder("No-Such-Collection"), "");
}

TEST(CoreData, ADocumentNamedLikeAResourceIsReadFromItsOwnFile)
{
    ScratchFolder folder;
    std::string pdf = OnePagePdf("BT /F1 24 Tf 20 50 Td (AB) Tj ET", GlyphNameFont("Helvetica", {"A", "B"}));
    std::ofstream(folder.File("rc"), std::ios::binary) << pdf;
    std::ofstream(folder.File("plain.pdf"), std::ios::binary) << pdf;
    CorvaneSetup("");
    EXPECT_EQ(Corvane(folder.File("plain.pdf").c_str(), folder.File("plain.ppt").c_str(), ""), kCorvaneOk);
    EXPECT_EQ(Corvane(folder.File("rc").c_str(), folder.File("rc.ppt").c_str(), ""), kCorvaneOk);
}

} // namespace
