// One slide: its head, the page picture and the text boxes.
#include "engine/ScriptWriter.h"

#include "engine/ScriptWriterTempFiles.h"
#include "image/CxImage.h"

namespace {

// The page picture as an image object. Only 24-bit blue-green-red bitmaps
// are read; rows may run top-down or bottom-up.
bool BuildPageImage(CxImage& image, const PageBitmap& bitmap)
{
    if (!bitmap.blueGreenRed || !bitmap.data)
        return false;
    const int width = bitmap.width;
    const int height = bitmap.height;
    const int rowSize = bitmap.rowSize;
    if (width <= 0 || height <= 0 || rowSize == 0)
        return false;
    const unsigned char* first = bitmap.data;
    bool topDown = rowSize > 0;
    if (!topDown)
        first += static_cast<long>(rowSize) * (height - 1);
    DWORD bytesPerLine = static_cast<DWORD>(topDown ? rowSize : -rowSize);
    return image.CreateFromArray(first, DWORD(width), DWORD(height), 24, bytesPerLine, topDown);
}

void WritePageText(ScriptWriter* writer, const PageText& text, TextMode textMode)
{
    switch (textMode) {
    case TextMode::Blocks:
    case TextMode::BlocksToo:
        text.WriteTextBoxes(writer, 1.0f, 1.0f, TextMode::Blocks, 0);
        break;
    case TextMode::Lines:
        text.WriteTextBoxes(writer, 1.0f, 1.0f, TextMode::Lines, 0);
        break;
    case TextMode::WordsInBlocks:
    case TextMode::WordsInFragments:
        text.WriteTextFragBoxes(writer, 1.0f, 1.0f, textMode);
        break;
    default:
        break;
    }
}

} // namespace

void BeginSlide(ScriptWriter* writer, int width, int height, int percentage)
{
    if (!writer)
        return;
    if (writer->progressMode == kProgressComponent)
        AppendScriptFormat(writer, "nRet = ProgressCOM.ShowProgress(%d, %d, \"Creating PPT file %d%%\")\n", 0,
                           percentage, percentage);
    else if (writer->progressMode == kProgressExplorerWindow)
        AppendScriptFormat(writer, "Call Inttoprogress(%d)\n", percentage);
    if (++writer->slideIndex == 0) {
        AppendScriptText("ppPres.PageSetup.SlideSize = ppSlideSizeCustom\n", writer);
        AppendScriptFormat(writer, "ppPres.PageSetup.SlideWidth = %d\n", width);
        AppendScriptFormat(writer, "ppPres.PageSetup.SlideHeight = %d\n", height);
    }
    AppendScriptText("\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n", writer);
}

int WriteSlide(ScriptWriter* writer, const PageBitmap* bitmap, const PageText* text, TextMode textMode,
               int picture, int percentage)
{
    if (!writer || !bitmap)
        return 0;
    const int width = bitmap->width;
    const int height = bitmap->height;
    CxImage image;
    if (picture && !BuildPageImage(image, *bitmap)) {
        // Only a layout it cannot read leaves the page out; a bitmap of the
        // layout that gives no image is memory run out.
        if (bitmap->blueGreenRed)
            writer->pictureFailed = true;
        return 0;
    }
    if (text) {
        // The styles are gathered for registration steps that do nothing yet.
        std::vector<int> colors;
        std::vector<std::string> fontNames;
        text->CollectTextStyles(colors, fontNames);
    }
    BeginSlide(writer, width, height, percentage);
    if (image.IsValid() && !IsImageAllWhite(&image) && !AddPictureShape(writer, &image, 0, 0, width, height))
        writer->pictureFailed = true;
    if (text)
        WritePageText(writer, *text, textMode);
    return 1;
}

bool IsImageAllWhite(const CxImage* image)
{
    if (!image || !image->IsValid())
        return false;
    const LONG width = LONG(image->GetWidth());
    const LONG height = LONG(image->GetHeight());
    for (LONG y = 0; y < height; ++y) {
        for (LONG x = 0; x < width; ++x) {
            RGBQUAD c = image->GetPixelColor(x, y, false);
            if (c.rgbRed < 255 || c.rgbGreen < 255 || c.rgbBlue < 255)
                return false;
        }
    }
    return true;
}

int AddPictureShape(ScriptWriter* writer, CxImage* image, int left, int top, int right, int bottom)
{
    if (!writer || !image || !image->IsValid())
        return 0;
    char name[MAX_PATH];
    if (MakeTempFileName(sizeof name, name, ".png") == 0)
        return 0;
    if (!image->Save(name, CXIMAGE_FORMAT_PNG))
        return 0;
    AppendScriptFormat(writer, "\nppSlide.Shapes.AddPicture %s, 0, 1, %d, %d, %d, %d\n",
                       VbStringLiteral(name).c_str(), left, top, right - left, bottom - top);
    return 1;
}
