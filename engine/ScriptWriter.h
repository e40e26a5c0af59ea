// The slide script writer: builds, slide by slide, the VBScript program that
// drives the presentation application, then runs it through the script host.
//
//   ScriptWriter* w = CreateScriptWriter("/out/deck.ppt");           // header
//   WriteSlide(w, &bitmap, &text, TextMode::Blocks, 1, percentage); // per page
//   FinishAndRunScript(w);                                          // footer, run, delete
//
// Every statement of the program is written here, by the ScriptWriter*.cpp
// files. Statements end with a line feed only; numbers are decimal.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/TextRun.h"

class CxImage;

// How the program shows its progress.
enum ProgressMode {
    kProgressNone = 0,
    kProgressExplorerWindow = 1, // an Internet Explorer window with a bar
    kProgressComponent = 2,      // the "vbscom.api" component, once per slide
};

// The subroutines Initprogress, Endprogress and Inttoprogress that the
// footer appends in the Explorer-window mode.
extern const char* const kExplorerProgressSubs;

struct ScriptWriter {
    int slideIndex = -1; // 0-based index of the last slide begun
    std::string script;
    std::string outputPath;
    std::vector<TextRun> runs; // runs of the text box being written
    int progressMode = kProgressComponent;
    bool pictureFailed = false; // a page picture could not be written

    int LookupColor(int color) const { return color; }
    std::string LookupFont(const std::string& fontName) const { return fontName; }
};

// Room reserved for the program text so that appending rarely reallocates.
constexpr std::size_t kScriptReserve = 20971520;

// The most slides the presentation application saves in one presentation.
constexpr int kMaxSlides = 4093;

// Null only when memory is exhausted.
ScriptWriter* CreateScriptWriter(const char* outputPath);
ScriptWriter* CreateScriptWriter(const char* outputPath, int progressMode);

int AppendScriptText(const char* text, ScriptWriter* writer);
int AppendScriptFormat(ScriptWriter* writer, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A VBScript string literal holding text exactly: quotes doubled, line
// breaks joined in with Chr().
std::string VbStringLiteral(const std::string& text);

void BeginSlide(ScriptWriter* writer, int width, int height, int percentage);

// What the text of a page becomes.
enum class TextMode {
    Blocks = 0,           // one box per text block: the mode conversions use
    WordsInBlocks = 1,    // one box per block, one run per word
    Lines = 2,            // one box per line
    BlocksToo = 3,        // the same as Blocks
    WordsInFragments = 4, // one box per line fragment, one run per word
};

// The page picture as the raster device leaves it.
struct PageBitmap {
    const unsigned char* data = nullptr; // the first row in memory
    int width = 0;
    int height = 0;
    int rowSize = 0;           // bytes from one row to the next; negative for bottom-up rows
    bool blueGreenRed = false; // 8 bits each: the only layout read
};

// The page text, walked by the text boxes, which hand the writer their
// boxes and runs.
class PageText {
public:
    virtual ~PageText() = default;
    // Line mode Lines: one box per line, else one per block. 1 when written.
    virtual int WriteTextBoxes(ScriptWriter* writer, float sx, float sy, TextMode lineMode, int boxMode) const = 0;
    // WordsInBlocks or WordsInFragments. 1 when written.
    virtual int WriteTextFragBoxes(ScriptWriter* writer, float sx, float sy, TextMode textMode) const = 0;
    // The page's distinct word colours and font names; returns the colours' count.
    virtual int CollectTextStyles(std::vector<int>& colors, std::vector<std::string>& fontNames) const = 0;
};

// 1 when a slide was written. Without text, the slide has only the picture.
// A picture that cannot be built from a bitmap of the layout it reads, or
// cannot be saved, sets the writer's pictureFailed.
int WriteSlide(ScriptWriter* writer, const PageBitmap* bitmap, const PageText* text, TextMode textMode,
               int picture, int percentage);

// Saves the image as a temporary PNG and places it; 1 on success.
int AddPictureShape(ScriptWriter* writer, CxImage* image, int left, int top, int right, int bottom);
bool IsImageAllWhite(const CxImage* image);

// The text box statement, and the statements of its runs.
void AddTextboxShape(ScriptWriter* writer, int left, int top, int width, int height);
void AddTextRun(ScriptWriter* writer, const char* text, int fontSize, int color, const char* fontName,
                int bold, int italic, int underline, int lineEnd);
// A run that stands for one line break and carries no font.
void AddLineBreakRun(ScriptWriter* writer);
// Writes the statements of the current box from its runs, empties the runs
// and ends the box.
void FlushTextRuns(ScriptWriter* writer);

// Appends the footer, runs the program and deletes the writer. Returns the
// script host's result.
int FinishAndRunScript(ScriptWriter* writer);

// Deletes the writer without running its program.
void DiscardScriptWriter(ScriptWriter* writer);

// The function that runs a finished program; RunScript unless a test
// replaces it. Returns the one it replaces; null restores RunScript.
using ScriptRunner = int (*)(const char* script);
ScriptRunner SetScriptRunner(ScriptRunner runner);
