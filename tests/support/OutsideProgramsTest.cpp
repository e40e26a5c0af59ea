// The shared helpers with paths a shell would split or expand: spaces,
// quotes, dollars and letters outside ASCII reach the program as they are.
#include "tests/ScopedEnv.h"
#include "tests/support/OutsidePrograms.h"
#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

const char* const kAwkwardName = "it's a \"ci\" checkout é $HOME `x` *";

TEST(OutsidePrograms, ArgumentsReachTheProgramByteForByte)
{
    EXPECT_EQ(RunProgram({"printf", "%s|%s", kAwkwardName, ""}).output, std::string(kAwkwardName) + "|");
    EXPECT_EQ(RunProgram({"/bin/sh", "-c", "printf %s " + ShellQuote(kAwkwardName)}).output, kAwkwardName);
}

TEST(OutsidePrograms, StatusAndErrorOutputAreAsAsked)
{
    struct Case {
        ErrorOutput errors;
        const char* output;
    };
    const Case cases[] = {{ErrorOutput::Kept, "out err "}, {ErrorOutput::Discarded, "out "}};
    for (const Case& c : cases) {
        CommandResult run = RunProgram({"/bin/sh", "-c", "printf 'out '; printf 'err ' >&2; exit 3"}, c.errors);
        EXPECT_EQ(run.status, 3);
        EXPECT_EQ(run.output, c.output);
    }
    EXPECT_EQ(RunProgram({"false"}).status, 1);
    EXPECT_EQ(RunProgram({"/bin/sh", "-c", "kill -9 $$"}).status, -1) << "a killed program has no exit status";
    EXPECT_EQ(RunProgram({"no-such-program-here"}).status, -1);
    EXPECT_EQ(RunProgram({}).status, -1);
}

TEST(OutsidePrograms, APdfIsMadeUnderATemporaryFolderWithAnAwkwardName)
{
    ScratchFolder outer;
    std::string tmp = outer.File(kAwkwardName);
    std::filesystem::create_directory(tmp);
    ScopedEnv tmpdir("TMPDIR", tmp.c_str());
    ScratchFolder folder;
    ASSERT_EQ(folder.Path().rfind(tmp, 0), 0u) << folder.Path();
    std::string pdf = MakePdf(folder, "page é", "%!PS\n/Times-Roman 20 selectfont 72 720 moveto (Hi) show showpage\n");
    CommandResult info = RunProgram({"pdfinfo", pdf});
    EXPECT_EQ(info.status, 0) << info.output;
    EXPECT_NE(info.output.find("Pages:           1\n"), std::string::npos) << info.output;
}

}  // namespace
