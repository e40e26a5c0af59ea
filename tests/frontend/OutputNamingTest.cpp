#include "frontend/OutputNaming.h"
#include "tests/ScopedEnv.h"
#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void Touch(const std::string& path)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
}

class OutputNamingTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string root = folder.Path();
    std::string source = root + "/in/report.pdf";

    void SetUp() override { Touch(source); }
};

TEST_F(OutputNamingTest, NamesFollowTheOutputFolderAndNumberExistingFiles)
{
    struct Case {
        const char* what;
        std::string outDir;
        std::vector<std::string> existing;
        BOOL overwrite;
        std::string expected;
    } cases[] = {
        {"folder with separator", root + "/out/", {}, FALSE, root + "/out/report.ppt"},
        // A backslash is part of a folder's name, not a separator.
        {"folder ending in a backslash", root + "/out\\", {}, FALSE, root + "/out\\/report.ppt"},
        {"taken once", root + "/out", {"out/report.ppt"}, FALSE, root + "/out/report_2.ppt"},
        {"taken twice", root + "/out", {"out/report.ppt", "out/report_2.ppt"}, FALSE, root + "/out/report_3.ppt"},
        {"a folder of that name", root + "/out", {"out/report.ppt/"}, FALSE, root + "/out/report_2.ppt"},
        {"overwrite", root + "/out", {"out/report.ppt"}, TRUE, root + "/out/report.ppt"},
        {"beside the source", "", {}, FALSE, root + "/in/report.ppt"},
        {"beside, taken", "", {"in/report.ppt"}, FALSE, root + "/in/report_2.ppt"},
        {"missing tree is made", root + "/new/deep/er", {}, FALSE, root + "/new/deep/er/report.ppt"},
        // Kept one separator: the folder "exists" for no test and the
        // output goes beside the source.
        {"two separators", root + "/out//", {}, FALSE, root + "/in/report.ppt"},
        {"cannot be made", root + "/in/report.pdf/sub", {}, FALSE, root + "/in/report.ppt"},
    };
    for (const Case& c : cases) {
        fs::remove_all(root + "/out");
        fs::remove_all(root + "/out\\");
        fs::remove_all(root + "/new");
        fs::remove(root + "/in/report.ppt");
        fs::remove(root + "/in/report_2.ppt");
        fs::create_directories(root + "/out");
        for (const std::string& name : c.existing) {
            if (name.back() == '/')
                fs::create_directories(root + "/" + name);
            else
                Touch(root + "/" + name);
        }
        EXPECT_EQ(MakeOutputPath(CString(c.outDir), source.c_str(), "ppt", c.overwrite).Text(), c.expected) << c.what;
    }
    MakeOutputPath(CString(root + "/new/deep/er"), source.c_str(), "ppt", FALSE);
    EXPECT_TRUE(fs::is_directory(root + "/new/deep/er"));
}

TEST(OutputFolder, ALeadingTildeIsTheHomeFolderAndOnlyRootedFoldersAreFull)
{
    ScopedEnv home("HOME", "/home/user");
    struct Case {
        const char* typed;
        const char* path;
        bool full;
    } cases[] = {
        {"~", "/home/user", true},
        {" ~/slides ", "/home/user/slides", true},
        {"~/", "/home/user/", true},
        {"/srv/~/decks", "/srv/~/decks", true},
        {"~slides", "~slides", false},
        {"~nobody/out", "~nobody/out", false},
        {"slides/~", "slides/~", false},
        {"./out", "./out", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        CString path = OutputFolderPath(CString(c.typed));
        EXPECT_EQ(path.Text(), c.path) << c.typed;
        EXPECT_EQ(IsFullPath(path), c.full) << c.typed;
    }
}

TEST_F(OutputNamingTest, TheTitleIsTheNameUpToItsLastDot)
{
    struct Case {
        std::string name;
        std::string expected;
    } cases[] = {
        {"a.b.pdf", "a.b.ppt"},
        {".pdf", ".ppt"},
        {"noext", "noext.ppt"},
        {"report[1].pdf", "report[1].ppt"},
        {"dir.d\\x.pdf", "dir.d\\x.ppt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeOutputPath(CString(root + "/out"), (root + "/in/" + c.name).c_str(), "ppt", FALSE).Text(),
                  root + "/out/" + c.expected)
            << c.name;
}

// A backslash in a source's name stays in the output's name: no folder is made
// of the part before it, beside the source or in the output folder.
TEST_F(OutputNamingTest, ABackslashIsPartOfTheName)
{
    std::string source = root + "/edge/we\\ird.pdf";
    Touch(source);
    EXPECT_EQ(MakeOutputPath(CString(""), source.c_str(), "ppt", FALSE).Text(), root + "/edge/we\\ird.ppt");
    EXPECT_EQ(MakeOutputPath(CString(root + "/out"), source.c_str(), "ppt", FALSE).Text(), root + "/out/we\\ird.ppt");
    EXPECT_FALSE(fs::exists(root + "/edge/we"));
    EXPECT_FALSE(fs::exists(root + "/out/we"));
    MakeOutputPath(CString(root + "/a\\b"), source.c_str(), "ppt", FALSE);
    EXPECT_TRUE(fs::is_directory(root + "/a\\b"));
    EXPECT_FALSE(fs::exists(root + "/a"));
}

// "[" is no wildcard: an existing "report[1].ppt" must be seen, or the
// conversion would overwrite it.
TEST_F(OutputNamingTest, BracketsInANameAreNoPattern)
{
    Touch(root + "/out/report[1].ppt");
    Touch(root + "/out/report1.ppt");
    fs::remove(root + "/out/report1.ppt");
    EXPECT_EQ(MakeOutputPath(CString(root + "/out"), (root + "/in/report[1].pdf").c_str(), "ppt", FALSE).Text(),
              root + "/out/report[1]_2.ppt");
    EXPECT_FALSE(FileExists((root + "/out/report1.ppt").c_str()));
}

TEST_F(OutputNamingTest, ExistenceAndFolderTrees)
{
    EXPECT_TRUE(FileExists(source.c_str()));
    EXPECT_TRUE(FileExists((root + "/in").c_str()));
    EXPECT_FALSE(FileExists((root + "/in/").c_str()));
    EXPECT_FALSE(FileExists((root + "/none").c_str()));
    EXPECT_TRUE(CreateDirectoryTree((root + "/a/b/c").c_str()));
    EXPECT_TRUE(fs::is_directory(root + "/a/b/c"));
    EXPECT_TRUE(CreateDirectoryTree((root + "/a/b/c").c_str()));
    EXPECT_FALSE(CreateDirectoryTree((source + "/x").c_str()));
}

std::vector<std::string> Scan(const std::string& folder, int recurse)
{
    std::vector<CString> found;
    ScanFolderForPdfs(CString(folder), "PDF", recurse, found);
    std::vector<std::string> names;
    for (const CString& path : found)
        names.push_back(path.Text());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(OutputNamingTest, ScanningFindsPdfsSkipsTrashAndFollowsNoFolderLink)
{
    std::string data = root + "/data";
    for (const char* name : {"top.pdf", "UPPER.PDF", ".pdf", "notes.pdfx", "pdf", "mixed.PdF", "sub/x.PDF",
                             "sub/deeper/y.pdf", ".Trash-1000/files/t1.pdf", ".Trash/t2.pdf",
                             "home/.local/share/Trash/files/t3.pdf", ".Trash-x/kept.pdf", "Trashy/kept2.pdf",
                             // A Windows drive's recycle bins, in the cases Windows writes them and others.
                             "RECYCLER/S-1-5-21-1004/r1.pdf", "Recycled/r2.pdf", "$Recycle.Bin/S-1-5-18/r3.pdf",
                             "$RECYCLE.BIN/r4.pdf", "recycler/r5.pdf", "sub/RECYCLED/r6.pdf",
                             "Recycled-old/kept3.pdf", "myrecycler/kept4.pdf", "Recycle.Bin/kept5.pdf"})
        Touch(data + "/" + name);
    fs::create_directories(data + "/folder.pdf");
    fs::create_directory_symlink(data, data + "/sub/loop");
    fs::create_symlink(data + "/top.pdf", data + "/linked.pdf");

    EXPECT_EQ(Scan(data, 0), (std::vector<std::string>{data + "/.pdf", data + "/UPPER.PDF", data + "/linked.pdf",
                                                        data + "/mixed.PdF", data + "/top.pdf"}));
    EXPECT_EQ(Scan(data + "/", 1),
              (std::vector<std::string>{data + "/.Trash-x/kept.pdf", data + "/.pdf", data + "/Recycle.Bin/kept5.pdf",
                                        data + "/Recycled-old/kept3.pdf", data + "/Trashy/kept2.pdf",
                                        data + "/UPPER.PDF", data + "/linked.pdf", data + "/mixed.PdF",
                                        data + "/myrecycler/kept4.pdf", data + "/sub/deeper/y.pdf",
                                        data + "/sub/x.PDF", data + "/top.pdf"}));
    for (const char* trash : {"/.Trash-1000", "/RECYCLER", "/$Recycle.Bin/S-1-5-18", "/sub/RECYCLED"})
        EXPECT_TRUE(Scan(data + trash, 1).empty()) << trash;
    EXPECT_TRUE(Scan(root + "/missing", 1).empty());
}

// The file system's own order means nothing to the user: Windows lists a
// folder by name, and so does the scan, whatever order the folder keeps.
TEST_F(OutputNamingTest, AFolderIsScannedInNameOrder)
{
    std::string data = root + "/named";
    std::vector<std::string> names;
    for (int i : {193, 397, 101, 250, 777, 002, 640, 318, 555, 909, 123, 480})
        names.push_back("doc" + std::to_string(i) + ".pdf");
    for (const std::string& name : names)
        Touch(data + "/" + name);
    Touch(data + "/doc3/inner.pdf");
    Touch(data + "/B.pdf");
    Touch(data + "/a.pdf");
    std::vector<CString> found;
    ScanFolderForPdfs(CString(data), "pdf", 1, found);
    std::vector<std::string> paths;
    for (const CString& path : found)
        paths.push_back(path.Text().substr(data.size() + 1));
    EXPECT_EQ(paths, (std::vector<std::string>{"B.pdf", "a.pdf", "doc101.pdf", "doc123.pdf", "doc193.pdf", "doc2.pdf",
                                               "doc250.pdf", "doc3/inner.pdf", "doc318.pdf", "doc397.pdf", "doc480.pdf",
                                               "doc555.pdf", "doc640.pdf", "doc777.pdf", "doc909.pdf"}));
}

TEST_F(OutputNamingTest, ASubFolderIsListedWhereItWasMet)
{
    std::string data = root + "/order";
    Touch(data + "/sub/inner.pdf");
    std::vector<CString> found;
    ScanFolderForPdfs(CString(data), "pdf", 1, found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Text(), data + "/sub/inner.pdf");
}

} // namespace
