// Documents whose text the PDF core decodes only through its language data
// convert with the right Unicode text while the system's copy of that data
// is hidden from the process: the core reads what the engine carries.
#include "engine/Corvane.h"
#include "tests/engine/HandMadePdf.h"
#include "tests/support/PdfMaker.h"
#include "tests/presentation/ExternalReaders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const systemData = "/usr/share/poppler";
constexpr int kCannotHide = 77, kStillVisible = 78;

// Runs the conversion in a child process that sees an empty folder in place
// of the system's language data. Returns the child's exit status.
int ConvertWithSystemDataHidden(const std::string& pdf, const std::string& out)
{
    pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", systemData, "tmpfs", 0, "size=64k") != 0)
            _exit(kCannotHide);
        if (access((std::string(systemData) + "/cidToUnicode/Adobe-Japan1").c_str(), F_OK) == 0)
            _exit(kStillVisible);
        _exit(Corvane(pdf.c_str(), out.c_str(), "") == kCorvaneOk ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The text as POI's description writes it: printable ASCII as is, every
// other UTF-16 unit as \uXXXX.
std::string PoiEscaped(const std::u16string& text)
{
    std::string escaped;
    for (char16_t unit : text) {
        if (unit >= 0x20 && unit < 0x7F && unit != '\\') {
            escaped += char(unit);
        } else {
            char code[7];
            std::snprintf(code, sizeof code, "\\u%04x", unsigned(unit));
            escaped += code;
        }
    }
    return escaped;
}

struct Script {
    const char* name;
    std::vector<std::string> fontObjects;
    std::string shown; // the operand of Tj
    std::u16string expected;
};

std::string Letters(size_t count)
{
    std::string text = "(";
    for (size_t i = 0; i < count; ++i)
        text += char('A' + i);
    return text + ")";
}

std::vector<Script> Scripts()
{
    const std::vector<std::string> bulgarian = {"Buki", "jerr", "ljudi", "glagol", "as", "rzui", "ja"};
    const std::vector<std::string> greek = {"Ksi", "omikron", "dzeta", "khi", "sigmafinal"};
    const std::vector<std::string> thai = {"ThaiCharacterPhoSamphao",   "ThaiCharacterSaraAa",
                                           "ThaiCharacterSoRusi",       "ThaiCharacterSaraAa",
                                           "ThaiCharacterSaraAiMaimalai", "ThaiCharacterThoThahan",
                                           "ThaiCharacterYoYak"};
    const std::vector<std::string> hebrew = {"afii57689", "afii57676", "afii57669", "afii57677"};
    return {
        {"japanese", IdentityCidFont("Ryumin-Light", "Japan1"), CidString({3284, 3722, 1952}), u"\u65e5\u672c\u8a9e"},
        {"simplified", IdentityCidFont("STSong-Light", "GB1"), CidString({2149, 3640, 4559, 3795}),
         u"\u7b80\u4f53\u4e2d\u6587"},
        {"traditional", IdentityCidFont("MingLiU", "CNS1"), CidString({5183, 5911, 661, 726}),
         u"\u7e41\u9ad4\u4e2d\u6587"},
        {"korean", IdentityCidFont("HYSMyeongJo-Medium", "Korea1"), CidString({3296, 1204, 2479}),
         u"\ud55c\uad6d\uc5b4"},
        {"cyrillic", GlyphNameFont("TimesBulgarian", bulgarian), Letters(bulgarian.size()),
         u"\u0411\u044a\u043b\u0433\u0430\u0440\u044f"},
        {"greek", GlyphNameFont("TimesGreek", greek), Letters(greek.size()), u"\u039e\u03bf\u03b6\u03c7\u03c3"},
        {"thai", GlyphNameFont("AngsanaThai", thai), Letters(thai.size()),
         u"\u0e20\u0e32\u0e29\u0e32\u0e44\u0e17\u0e22"},
        {"hebrew", GlyphNameFont("DavidHebrew", hebrew), Letters(hebrew.size()), u"\u05e9\u05dc\u05d5\u05dd"},
    };
}

TEST(LanguageData, TextDecodesThroughTheEmbeddedDataWithTheSystemCopyHidden)
{
    ScratchFolder folder;
    CorvaneSetup("");
    for (const Script& script : Scripts()) {
        SCOPED_TRACE(script.name);
        std::string pdf = folder.File(std::string(script.name) + ".pdf");
        std::string out = folder.File(std::string(script.name) + ".ppt");
        std::ofstream(pdf, std::ios::binary)
            << OnePagePdf("BT /F1 24 Tf 20 50 Td " + script.shown + " Tj ET", script.fontObjects);
        int status = ConvertWithSystemDataHidden(pdf, out);
        if (status == kCannotHide)
            GTEST_SKIP() << "needs a private mount namespace in which '/' is a mount point and " << systemData
                         << " can be covered (not so in a chroot)" << (geteuid() == 0 ? "" : "; making one needs root");
        ASSERT_EQ(status, 0);
        CommandResult poi = DescribeWithPoi(out);
        ASSERT_EQ(poi.status, 0) << poi.output;
        EXPECT_NE(poi.output.find("text \"" + PoiEscaped(script.expected)), std::string::npos) << poi.output;
    }
}

} // namespace
