#include "ScriptCapture.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <TextOutputDev.h>
#include <splash/SplashBitmap.h>

#include "engine/PageBitmap.h"
#include "engine/ScriptWriter.h"
#include "engine/TextBoxes.h"
#include "engine/resources/InstalledFonts.h"

namespace {

std::string g_captured;
int g_runs = 0;

int Capture(const char* script)
{
    g_captured = script;
    ++g_runs;
    return 7;
}

void IgnoreCoreErrors(ErrorCategory, Goffset, const char*) { }

} // namespace

ScriptCapture::ScriptCapture() : runner_(Capture)
{
    g_captured.clear();
    g_runs = 0;
}

ScriptCapture::~ScriptCapture() = default;

const std::string& ScriptCapture::Text()
{
    return g_captured;
}

int ScriptCapture::Runs()
{
    return g_runs;
}

std::string FixturePdf(const std::string& name)
{
    return std::string(WRITER_FIXTURES) + "/" + name;
}

int WriteFixtureSlides(ScriptWriter* writer, const std::string& pdfPath, TextMode textMode,
                       const std::vector<int>& pages)
{
    if (!globalParams)
        globalParams = std::make_unique<GlobalParams>();
    setErrorCallback(IgnoreCoreErrors);
    PDFDoc doc(std::make_unique<GooString>(pdfPath));
    if (!doc.isOk())
        return -1;
    SplashColor white = { 255, 255, 255 };
    SplashOutputDev raster(splashModeBGR8, 1, false, white, true);
    raster.startDoc(&doc);
    const int count = doc.getNumPages();
    std::vector<int> selected = pages;
    for (int n = 1; pages.empty() && n <= count; ++n)
        selected.push_back(n);
    int written = 0;
    for (int n : selected) {
        doc.displayPage(&raster, n, 150, 150, 0, false, true, false);
        TextOutputDev text(nullptr, true, 0.0, false, false);
        doc.displayPage(&text, n, 150, 150, 0, false, true, false);
        int percentage = int((n * 100.0 - 1) / count);
        PageBitmap bitmap = PageBitmapOf(raster.getBitmap());
        TextDevicePage pageText(&text);
        written += WriteSlide(writer, &bitmap, &pageText, textMode, 1, percentage);
    }
    return written;
}

std::vector<std::string> Lines(const std::string& script)
{
    std::vector<std::string> lines;
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string TextBoxPart(const std::string& script)
{
    std::size_t from = script.find("\nSet ppShape = ");
    std::size_t to = script.find("\nppApp.Presentations(1).SaveAs");
    if (from == std::string::npos || to == std::string::npos || to < from)
        return std::string();
    return script.substr(from, to - from);
}

int RunTool(const std::string& command, std::string* output)
{
    CommandResult run = RunProgram({"/bin/sh", "-c", command});
    if (output)
        *output = run.output;
    return run.status;
}

namespace {

std::string MakePrivateFolder()
{
    static const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string templ = (base / "engine-test-XXXXXX").string();
    return mkdtemp(templ.data()) ? templ : std::string();
}

} // namespace

PrivateTempFolder::PrivateTempFolder() : path_(MakePrivateFolder()), tmpdir_("TMPDIR", path_.c_str())
{
}

PrivateTempFolder::~PrivateTempFolder()
{
    if (!path_.empty())
        std::filesystem::remove_all(path_);
}

void LoadInstalledFontFamilies()
{
    if (!globalParams)
        globalParams = std::make_unique<GlobalParams>();
    RegisterWindowsFonts(globalParams.get());
}
