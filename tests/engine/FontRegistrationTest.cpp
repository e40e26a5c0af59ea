// Display fonts from the installed-font list and "fontfile.map", the
// Windows version that picks the list's key, and the fallback for CID fonts
// the document does not carry, down to the file the PDF core resolves.
#include "engine/EngineOutputDevs.h"
#include "engine/resources/DisplayFonts.h"
#include "engine/resources/FontFileMap.h"
#include "engine/resources/FontRegistry.h"
#include "engine/resources/InstalledFonts.h"
#include "platform/win32/registry/FontKey.h"
#include "tests/ScopedEnv.h"
#include "tests/engine/HandMadePdf.h"
#include "tests/support/PdfMaker.h"
#include "tests/engine/PelmoraModule.h"

#include <GfxFont.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <goo/GooString.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const dejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A module "Pelmora.dll" in a scratch folder makes that folder the program
// folder, and a scratch Windows folder with its "fonts" goes with it.
class ScratchProgram {
public:
    ScratchProgram() : pelmora_(program_.Path()) { fs::create_directory(windows_.File("fonts")); }
    bool Loaded() const { return pelmora_.Loaded(); }
    std::string Program(const std::string& name) const { return program_.File(name); }
    std::string Font(const std::string& name) const { return windows_.File("fonts/" + name); }
    void Map(const std::string& text) const { std::ofstream(Program("fontfile.map"), std::ios::binary) << text; }

private:
    ScratchFolder program_, windows_;
    PelmoraModule pelmora_;
    ScopedEnv windowsFolder_{"VANTREL_WINDOWS_DIR", windows_.Path().c_str()};
};

// Adds a value at the end of the installed-font key.
void AddFontValue(const std::string& name, const std::string& file)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kFontKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()), DWORD(file.size() + 1));
    RegCloseKey(key);
}

// The installed-font key's values in order.
std::vector<std::pair<std::string, std::string>> FontValues()
{
    std::vector<std::pair<std::string, std::string>> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        char name[4096], data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data;
        LONG status = RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS)
            values.emplace_back(name, data);
    }
    RegCloseKey(key);
    return values;
}

std::string NamedFile(GlobalParams* params, const std::string& name)
{
    DisplayFontTable& named = DisplayFontsOf(params).displayNamedCIDFonts;
    auto found = named.find(name);
    return found == named.end() ? "(none)" : found->second->tt.fileName;
}

std::string CoreFile(GlobalParams* params, const std::string& name)
{
    std::unique_ptr<GooString> path(params->findFontFile(name));
    return path ? path->toStr() : "(none)";
}

TEST(WindowsVersion, CodesFollowThePlatformVersionAndBuild)
{
    struct Case {
        DWORD platform, major, minor, build;
        int code;
    } cases[] = {
        {1, 4, 0, 950, 1},    {1, 4, 0, 951, 2},    {1, 4, 0, 1080, 2},   {1, 4, 3, 1081, 3},  {1, 4, 0, 949, 104},
        {1, 4, 10, 1998, 4},  {1, 4, 10, 1999, 5},  {1, 4, 10, 2182, 5},  {1, 4, 10, 2183, 6}, {1, 4, 10, 1997, 104},
        {1, 4, 90, 3000, 7},  {1, 4, 50, 3000, 104}, {1, 5, 0, 950, 104}, {2, 3, 51, 1057, 101}, {2, 4, 0, 1381, 102},
        {2, 5, 0, 2195, 103}, {2, 5, 1, 2600, 104}, {2, 10, 0, 19045, 104}, {3, 4, 0, 0, 201},   {0, 3, 1, 0, 104},
        {1, 4, 10, 0x000107CE, 4}, // only the build's low 16 bits count: 0x07CE = 1998
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA version = {sizeof version, c.major, c.minor, c.build, c.platform, ""};
        EXPECT_EQ(WindowsVersionCode(version), c.code) << c.platform << " " << c.major << "." << c.minor << " " << c.build;
    }
    char name[100];
    int code = 0;
    EXPECT_EQ(GetWindowsVersionName(name, sizeof name, &code), 1);
    EXPECT_EQ(code, 104);
    EXPECT_STREQ(name, "Windows XP");
}

TEST(FontRegistry, TheKeyListsFontconfigsFacesWithTheirFiles)
{
    auto values = FontValues();
    ASSERT_FALSE(values.empty());
    bool dejaVu = false;
    for (const auto& [name, file] : values) {
        EXPECT_TRUE(fs::exists(file)) << name;
        dejaVu = dejaVu || (name == "DejaVu Sans (TrueType)" && file == dejaVuSans);
    }
    EXPECT_TRUE(dejaVu);
}

TEST(FontRegistry, TheFirstValueStartingWithTheFaceIsTakenAndOverlongOnesStepped)
{
    // The face takes the first value whose name begins with it, ignoring
    // case: with DejaVu Sans that need not be the regular face's value.
    std::pair<std::string, std::string> first;
    for (const auto& value : FontValues())
        if (first.first.empty() && strncasecmp(value.first.c_str(), "DEJAVU SANS", 11) == 0)
            first = value;
    char name[1000], file[1000];
    ASSERT_EQ(LookupFontFileInRegistry("DEJAVU SANS", name, sizeof name, file, sizeof file), 1);
    EXPECT_EQ(name, first.first);
    EXPECT_EQ(file, first.second);

    // A name or file too long for the walk's buffers is stepped over.
    AddFontValue("Zz Walk Face " + std::string(300, 'x'), "long-name.ttf");
    AddFontValue("Zz Walk Face Bold (TrueType)", std::string(300, 'f') + ".ttf");
    AddFontValue("Zz Walk Face (TrueType)", "walk.ttf");
    ASSERT_EQ(LookupFontFileInRegistry("zz walk face", name, sizeof name, file, sizeof file), 1);
    EXPECT_STREQ(name, "Zz Walk Face (TrueType)");
    EXPECT_STREQ(file, "walk.ttf");

    // Results are cut to the buffers; nothing is found for no face.
    char shortName[5], shortFile[4];
    ASSERT_EQ(LookupFontFileInRegistry("Zz Walk", shortName, sizeof shortName, shortFile, sizeof shortFile), 1);
    EXPECT_STREQ(shortName, "Zz W");
    EXPECT_STREQ(shortFile, "wal");
    for (const char* face : {"", "No Such Face 123"})
        EXPECT_EQ(LookupFontFileInRegistry(face, name, sizeof name, file, sizeof file), 0) << face;
    EXPECT_EQ(LookupFontFileInRegistry(nullptr, name, sizeof name, file, sizeof file), 0);
    EXPECT_STREQ(name, "");
}

TEST(FontRegistration, InstalledFacesAndMapLinesBecomeNamedDisplayFonts)
{
    ScratchProgram program;
    ASSERT_TRUE(program.Loaded()) << dlerror();
    fs::copy_file(dejaVuSans, program.Program("beside.ttf"));
    fs::copy_file(dejaVuSans, program.Font("infonts.ttf"));
    AddFontValue("Qq Relative (TrueType)", "infonts.ttf");
    program.Map("; a comment=beside.ttf\n"
                "\n"
                "Mapped Face=beside.ttf\r\n"
                "In Fonts\tinfonts.ttf\n"
                "Blanks = beside.ttf\n"
                "Name Only\n"
                "Missing File=nowhere.ttf\n"
                "DejaVu Sans=beside.ttf\n"
                "Twice=nowhere-but-first.ttf\n"
                "Twice=infonts.ttf\n"
                // Past the line buffer's 1023 characters comes what would read as
                // an entry of its own.
                "Too Long=" + std::string(1014, 'y') + "Tail Entry=beside.ttf\n");

    fs::copy_file(dejaVuSans, program.Program(" beside.ttf"));
    auto params = std::make_unique<GlobalParams>();
    ASSERT_EQ(RegisterWindowsFonts(params.get()), 1);
    GlobalParams* p = params.get();
    // A face of the installed-font list that no family enumeration gives.
    EXPECT_EQ(AddInstalledFont("Qq Relative", p), 1);
    EXPECT_EQ(AddInstalledFont(nullptr, p), 0);
    struct Case {
        const char* name;
        std::string file;
    } cases[] = {
        {"Mapped Face", program.Program("beside.ttf")},
        {"In Fonts", program.Font("infonts.ttf")},
        {"Blanks ", program.Program(" beside.ttf")}, // the blanks belong to the tokens
        {"Name Only", "(none)"},
        {"Missing File", "(none)"},
        {"; a comment", "(none)"},
        {"DejaVu Sans", program.Program("beside.ttf")}, // the map wins over the installed face
        {"Twice", program.Font("infonts.ttf")},
        {"Too Long", "(none)"},
        {"Tail Entry", "(none)"},
        {"Qq Relative", program.Font("infonts.ttf")}, // a file name is in the fonts folder
    };
    for (const Case& c : cases)
        EXPECT_EQ(NamedFile(p, c.name), c.file) << c.name;
    // An installed face whose list entry is a full path keeps it whole.
    EXPECT_EQ(NamedFile(p, "DejaVu Serif").rfind("/usr/share/fonts/", 0), 0u) << NamedFile(p, "DejaVu Serif");

    // The core finds each under the name and the forms documents write.
    EXPECT_EQ(CoreFile(p, "Mapped Face"), program.Program("beside.ttf"));
    EXPECT_EQ(CoreFile(p, "Mapped-Face"), program.Program("beside.ttf"));
    EXPECT_EQ(CoreFile(p, "MappedFace"), program.Program("beside.ttf"));
    EXPECT_EQ(CoreFile(p, "DejaVu Sans"), program.Program("beside.ttf"));
    EXPECT_EQ(CoreFile(p, "Missing File"), "(none)");
    ForgetDisplayFonts(p);
}

TEST(FontRegistration, AnExplicitMapNameWinsOverEveryDerivedForm)
{
    ScratchProgram program;
    ASSERT_TRUE(program.Loaded()) << dlerror();
    for (const char* file : {"first.ttf", "second.ttf", "third.ttf", "one.ttf", "two.ttf"})
        fs::copy_file(dejaVuSans, program.Program(file));
    program.Map("Ab-Cd=first.ttf\n"   // explicit, before the line deriving it
                "Ab Cd=second.ttf\n"  // derives Ab-Cd and AbCd
                "AbCd=third.ttf\n"    // explicit, after
                "Ef Gh=one.ttf\n"     // derives Ef-Gh and EfGh
                "EfGh=two.ttf\n");
    auto params = std::make_unique<GlobalParams>();
    GlobalParams* p = params.get();
    EXPECT_EQ(LoadFontFileMap(p), 5);
    struct Case {
        const char* name;
        const char* file;
    } cases[] = {
        {"Ab-Cd", "first.ttf"}, {"Ab Cd", "second.ttf"}, {"AbCd", "third.ttf"},
        {"Ef Gh", "one.ttf"},   {"Ef-Gh", "one.ttf"},    {"EfGh", "two.ttf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CoreFile(p, c.name), program.Program(c.file)) << c.name;
    ForgetDisplayFonts(p);
}

TEST(FontRegistration, AMapLineNamingAnythingButARegularFileIsSkipped)
{
    ScratchProgram program;
    ASSERT_TRUE(program.Loaded()) << dlerror();
    fs::create_directory(program.Program("folder"));
    // A folder beside the program gives way to a file in the fonts folder.
    fs::create_directory(program.Program("shadow.ttf"));
    fs::copy_file(dejaVuSans, program.Font("shadow.ttf"));
    program.Map("Dot=.\n"
                "Folder=folder\n"
                "Fonts Folder=..\n"
                "Device=../../../../../../../../dev/null\n"
                "Shadowed=shadow.ttf\n");
    auto params = std::make_unique<GlobalParams>();
    GlobalParams* p = params.get();
    EXPECT_EQ(LoadFontFileMap(p), 1);
    for (const char* name : {"Dot", "Folder", "Fonts Folder", "Device"}) {
        EXPECT_EQ(NamedFile(p, name), "(none)") << name;
        EXPECT_EQ(CoreFile(p, name), "(none)") << name;
    }
    EXPECT_EQ(NamedFile(p, "Shadowed"), program.Font("shadow.ttf"));
    ForgetDisplayFonts(p);
}

// A map that a read would wait on for ever, or never reach the end of:
// nothing is waited on, and the reading stops after the first MiB.
TEST(FontRegistration, AMapThatIsNoRegularFileOrHasNoEndIsNeverWaitedOn)
{
    alarm(30); // a hang ends the program instead of the run
    ScratchProgram program;
    ASSERT_TRUE(program.Loaded()) << dlerror();
    fs::copy_file(dejaVuSans, program.Program("beside.ttf"));
    const std::string map = program.Program("fontfile.map");
    const struct {
        const char* what;
        std::function<void()> make;
        int registered;
    } cases[] = {
        {"a pipe", [&] { ASSERT_EQ(mkfifo(map.c_str(), 0600), 0); }, 0},
        {"a link to /dev/zero", [&] { ASSERT_EQ(symlink("/dev/zero", map.c_str()), 0); }, 0},
        // A line within the first MiB, a hole of 2 MiB of zeros, a line past it.
        {"a sparse file of 2 MiB",
         [&] {
             program.Map("Near=beside.ttf\n");
             fs::resize_file(map, 2 << 20);
             std::ofstream(map, std::ios::binary | std::ios::app) << "\nFar=beside.ttf\n";
         },
         1},
    };
    for (const auto& c : cases) {
        fs::remove(map);
        c.make();
        auto params = std::make_unique<GlobalParams>();
        EXPECT_EQ(LoadFontFileMap(params.get()), c.registered) << c.what;
        EXPECT_EQ(NamedFile(params.get(), "Far"), "(none)") << c.what;
        ForgetDisplayFonts(params.get());
    }
    alarm(0);
}

// The fonts /F1 of the document's first page, as the core makes it.
std::shared_ptr<GfxFont> FirstPageFont(PDFDoc& doc)
{
    Dict* resources = doc.getPage(1)->getResourceDict();
    Object fonts = resources->lookup("Font");
    Ref ref = fonts.dictLookupNF("F1").getRef();
    Object dict = fonts.dictLookup("F1");
    return GfxFont::makeFont(doc.getXRef(), "F1", ref, dict.getDict());
}

std::string LocatedFile(PDFDoc& doc, GfxFont& font)
{
    std::optional<GfxFontLoc> location = font.locateFont(doc.getXRef(), nullptr);
    return location && location->locType == gfxFontLocExternal ? location->path : "(not external)";
}

TEST(FontRegistration, TheCoreResolvesFontsTheDocumentLacksToTheMappedFiles)
{
    ScratchProgram program;
    ASSERT_TRUE(program.Loaded()) << dlerror();
    fs::copy_file(dejaVuSans, program.Program("simple.ttf"));
    fs::copy_file(dejaVuSans, program.Program("cid.ttf"));
    fs::copy_file(dejaVuSans, program.Program("fallback.ttf"));
    program.Map("Map Only Face=simple.ttf\nRyumin Light=cid.ttf\ndefaultwinfont=fallback.ttf\n");
    globalParams = std::make_unique<GlobalParams>();
    RegisterWindowsFonts(globalParams.get());

    ScratchFolder folder;
    struct Case {
        const char* name;
        std::vector<std::string> font;
        std::string file;
    } cases[] = {
        {"simple", GlyphNameFont("Map-Only-Face", {"A"}), program.Program("simple.ttf")},
        {"cid", IdentityCidFont("Ryumin-Light", "Japan1"), program.Program("cid.ttf")},
        {"fallback", IdentityCidFont("No-Such-Mincho", "Japan1"), program.Program("fallback.ttf")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.File(std::string(c.name) + ".pdf");
        std::ofstream(path, std::ios::binary) << OnePagePdf("BT /F1 24 Tf 20 50 Td <0041> Tj ET", c.font);
        PDFDoc doc(std::make_unique<GooString>(path));
        ASSERT_TRUE(doc.isOk());
        // The raster device's font update gives a CID font the document
        // lacks its display font before the core looks for the file.
        EngineSplashOutputDev raster;
        raster.startDoc(&doc);
        doc.displayPage(&raster, 1, 150, 150, 0, true, false, false);
        std::shared_ptr<GfxFont> font = FirstPageFont(doc);
        ASSERT_TRUE(font);
        EXPECT_EQ(LocatedFile(doc, *font), c.file);
    }
    ForgetDisplayFonts(globalParams.get());
    globalParams.reset();
}

TEST(FontRegistration, CidFallbackOrder)
{
    auto params = std::make_unique<GlobalParams>();
    GlobalParams* p = params.get();
    auto add = [&](DisplayFontTable& table, const std::string& key, const std::string& file) {
        auto font = std::make_unique<DisplayFontParam>(key, displayFontTT);
        font->tt.fileName = file;
        table[key] = std::move(font);
    };
    DisplayFonts& fonts = DisplayFontsOf(p);
    struct Step {
        const char* add; // what is registered before the lookup
        const char* expected;
    } steps[] = {
        {"", "(null)"},
        {"Arial", "arial.ttf"},
        {"defaultwinfont", "default.ttf"},
        {"collection", "japan.ttf"},
        {"named", "mincho.ttf"},
    };
    for (const Step& step : steps) {
        std::string what = step.add;
        if (what == "Arial")
            add(fonts.displayNamedCIDFonts, "Arial", "arial.ttf");
        else if (what == "defaultwinfont")
            add(fonts.displayNamedCIDFonts, "defaultwinfont", "default.ttf");
        else if (what == "collection")
            add(fonts.displayCIDFonts, "Adobe-Japan1", "japan.ttf");
        else if (what == "named")
            add(fonts.displayNamedCIDFonts, "MS Mincho", "mincho.ttf");
        std::string name = "MS-Mincho";
        DisplayFontParam* found = getDisplayCIDFont(p, name, "Adobe-Japan1");
        EXPECT_EQ(found ? found->tt.fileName : "(null)", step.expected) << "after adding " << what;
        EXPECT_EQ(name, "MS Mincho");
    }
    std::string unnamed;
    EXPECT_EQ(getDisplayCIDFont(p, unnamed, "Adobe-Japan1")->tt.fileName, "japan.ttf");
    ForgetDisplayFonts(p);
}

} // namespace
