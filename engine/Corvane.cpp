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
#include "engine/resources/PlainFiles.h"
#include "platform/com/ComRuntime.h"

#include <Error.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <goo/GooString.h>

#include <cstdio>
#include <memory>
#include <new>
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

// A presentation the application would refuse to save: nothing is written.
int CannotSave(const char* outputPath, const char* reason)
{
    std::printf("Can't save '%s': %s.\n", outputPath, reason);
    return kCorvaneNothingSaved;
}

int SelectedPageCount(PDFDoc* doc)
{
    int count = 0;
    for (int n = 1; n <= doc->getNumPages(); ++n)
        count += IsPageSelected(n);
    return count;
}

struct WriterDiscard {
    void operator()(ScriptWriter* writer) const { DiscardScriptWriter(writer); }
};
using WriterHandle = std::unique_ptr<ScriptWriter, WriterDiscard>;

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
        const PixelSize size = PagePixelSize(doc, n, dpi);
        if (size.width > 0 && (bitmap.width != size.width || bitmap.height != size.height)) {
            writer->pictureFailed = true; // the core's stand-in for a bitmap it could not make
            break;
        }
        TextDevicePage pageText(text.get());
        slides += WriteSlide(writer, &bitmap, &pageText, TextMode::Blocks, pictureOn,
                             ProgressPercentage(n, first, last));
        if (writer->pictureFailed)
            break;
    }
    return slides;
}

int Convert(const char* pdfPath, const char* outputPath, const char* password, const OutputWatch& output)
{
    std::unique_ptr<PDFDoc> doc = OpenDocument(pdfPath, password);
    if (!doc)
        return kCorvaneCannotOpen;
    if (SelectedPageCount(doc.get()) > kMaxSlides)
        return CannotSave(outputPath, ("more pages are selected than the " + std::to_string(kMaxSlides) +
                                       " slides a presentation holds").c_str());
    WriterHandle writer(CreateScriptWriter(outputPath));
    if (!writer)
        return CannotCreate(outputPath);
    int result = WriteSlides(doc.get(), writer.get()) == 0 ? kCorvaneNoSlide : kCorvaneOk;
    if (writer->pictureFailed)
        return CannotCreate(outputPath);
    doc.reset();  // the program needs none of the document: its memory goes to the program's run
    FinishAndRunScript(writer.release());
    if (result == kCorvaneOk && !output.Written())
        result = kCorvaneNothingSaved;
    return result;
}

// The core's settings for one call, over its private copy of the language
// data; both go when the call ends, however it ends.
class CoreSettings {
public:
    CoreSettings() : coreData_(CoreDataFolder()) {}
    ~CoreSettings()
    {
        ForgetDisplayFonts(globalParams.get());
        globalParams.reset();
        RemoveCoreDataFolder(coreData_);
    }
    CoreSettings(const CoreSettings&) = delete;
    CoreSettings& operator=(const CoreSettings&) = delete;

    bool Install()
    {
        if (PrepareCoreDataFolder(coreData_) < 0)
            return false;
        // The core keeps the folder's text: it outlives the settings object.
        globalParams = std::make_unique<GlobalParams>(coreData_.c_str());
        SetupBaseFonts(globalParams.get(), BaseFontFolder());
        globalParams->setTextEncoding("UTF-8");
        RegisterWindowsFonts(globalParams.get());
        return true;
    }

private:
    const std::string coreData_;
};

int ConvertWithCore(const char* pdfPath, const char* outputPath, const char* password, const OutputWatch& output)
{
    if (!TempFolderReady(g_tempFolder))
        return CannotCreate(outputPath);
    CoreSettings core;
    if (!core.Install())
        return CannotCreate(outputPath);
    return Convert(pdfPath, outputPath, password, output);
}

// An output that is the document itself is refused before anything else.
int Run(const char* pdfPath, const char* outputPath, const char* password, std::optional<OutputWatch>& output)
{
    if (IsSameFile(pdfPath, outputPath))
        return CannotSave(outputPath, "it is the document converted");
    TerminateProcessesByName("powerpnt.exe");
    CoInitialize(nullptr);
    setErrorCallback(SilentError);
    output.emplace(outputPath);
    return ConvertWithCore(pdfPath, outputPath, password, *output);
}

} // namespace

extern "C" int Corvane(const char* pdfPath, const char* outputPath, const char* password)
{
    if (!pdfPath || !outputPath)
        return kCorvaneCannotOpen;
    std::optional<OutputWatch> output;
    int result;
    try {
        result = Run(pdfPath, outputPath, password, output);
    } catch (const std::bad_alloc&) {
        // Memory run out: what the call made went as it unwound; the
        // presentation goes too if it was saved.
        if (output && output->Written())
            std::remove(outputPath);
        result = CannotCreate(outputPath);
    }
    DeleteTempFiles();
    return result;
}
