#include "engine/Corvane.h"

#include "engine/BaseFonts.h"
#include "engine/DisplayPage.h"
#include "engine/EngineApp.h"
#include "engine/EngineOutputDevs.h"
#include "engine/OutputWritten.h"
#include "engine/PageBitmap.h"
#include "engine/PageSet.h"
#include "engine/RenderResolution.h"
#include "engine/ScriptWriter.h"
#include "engine/ScriptWriterTempFiles.h"
#include "engine/TempFolder.h"
#include "engine/TerminateProcesses.h"
#include "engine/TextBoxes.h"
#include "engine/resources/CoreData.h"
#include "engine/resources/DisplayFonts.h"
#include "engine/resources/InstalledFonts.h"
#include "engine/resources/LayerStream.h"
#include "platform/com/ComRuntime.h"

#include <Error.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <goo/GooString.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr int pictureOn = 1;

void SilentError(ErrorCategory, Goffset, const char*) {}

// The document read through the file layer, a fresh stream per attempt:
// with the password, then with none.
std::unique_ptr<PDFDoc> OpenDocument(const char* pdfPath, const char* password)
{
    const std::optional<GooString> secret(GooString(password ? password : ""));
    for (bool withPassword : {true, false}) {
        BaseStream* stream = OpenLayerStream(pdfPath);
        if (!stream)
            return nullptr;
        auto doc = withPassword ? std::make_unique<PDFDoc>(stream, secret, secret) : std::make_unique<PDFDoc>(stream);
        if (doc->isOk())
            return doc;
    }
    return nullptr;
}

// The private folder, inside this load's temporary folder, that the core
// takes its language data from.
std::string CoreDataFolder()
{
    return std::string(g_tempFolder) + "coredata";
}

// The conversion cannot make the files it needs: no presentation is written.
int CannotCreate(const char* outputPath)
{
    std::printf("Can't create '%s' file.\n", outputPath);
    return kCorvaneNoWriter;
}

// trunc(((n - first + 1) * 100 - 1) / (last - first + 1)): 99 for the last page.
int ProgressPercentage(int n, int first, int last)
{
    return int((double(n - first + 1) * 100.0 - 1.0) / double(last - first + 1));
}

// Renders and writes every selected page; returns the slides written.
int WriteSlides(PDFDoc* doc, ScriptWriter* writer)
{
    const int first = 1, last = doc->getNumPages();
    const double dpi = DocumentResolution(doc);
    auto raster = std::make_unique<EngineSplashOutputDev>();
    raster->startDoc(doc);
    int slides = 0;
    for (int n = first; n <= last; ++n) {
        if (!IsPageSelected(n))
            continue;
        DisplayPage(doc, raster.get(), n, dpi);
        auto text = std::make_unique<EngineTextOutputDev>();
        DisplayPage(doc, text.get(), n, dpi);
        PageBitmap bitmap = PageBitmapOf(raster->getBitmap());
        TextDevicePage pageText(text.get());
        slides += WriteSlide(writer, &bitmap, &pageText, TextMode::Blocks, pictureOn,
                             ProgressPercentage(n, first, last));
        if (writer->pictureFailed)
            break;
    }
    return slides;
}

int Convert(const char* pdfPath, const char* outputPath, const char* password)
{
    OutputWatch output(outputPath);
    std::unique_ptr<PDFDoc> doc = OpenDocument(pdfPath, password);
    if (!doc)
        return kCorvaneCannotOpen;
    ScriptWriter* writer = CreateScriptWriter(outputPath);
    if (!writer)
        return CannotCreate(outputPath);
    int result = WriteSlides(doc.get(), writer) == 0 ? kCorvaneNoSlide : kCorvaneOk;
    if (writer->pictureFailed) {
        DiscardScriptWriter(writer);
        return CannotCreate(outputPath);
    }
    doc.reset();  // the program needs none of the document: its memory goes to the program's run
    FinishAndRunScript(writer);
    if (result == kCorvaneOk && !output.Written())
        result = kCorvaneNothingSaved;
    return result;
}

} // namespace

extern "C" int Corvane(const char* pdfPath, const char* outputPath, const char* password)
{
    if (!pdfPath || !outputPath)
        return kCorvaneCannotOpen;
    TerminateProcessesByName("powerpnt.exe");
    CoInitialize(nullptr);
    setErrorCallback(SilentError);
    if (!TempFolderReady(g_tempFolder))
        return CannotCreate(outputPath);

    // The core keeps the folder's text: it outlives the settings object.
    const std::string coreData = CoreDataFolder();
    if (PrepareCoreDataFolder(coreData) < 0) {
        RemoveCoreDataFolder(coreData);
        return CannotCreate(outputPath);
    }
    globalParams = std::make_unique<GlobalParams>(coreData.c_str());
    SetupBaseFonts(globalParams.get(), BaseFontFolder());
    globalParams->setTextEncoding("UTF-8");
    RegisterWindowsFonts(globalParams.get());

    int result = Convert(pdfPath, outputPath, password);

    ForgetDisplayFonts(globalParams.get());
    globalParams.reset();
    RemoveCoreDataFolder(coreData);
    DeleteTempFiles();
    return result;
}
