// The slide script writer: builds, slide by slide, the VBScript program that
// drives the presentation application, then runs it through the script host.
//
//   ScriptWriter* w = CreateScriptWriter("/out/deck.ppt"); // header
//   WriteSlide(w, bitmap, textDevice, 0, 1, percentage);     // per page
//   FinishAndRunScript(w);                                   // footer, run, delete
//
// Statements end with a line feed only; numbers are decimal.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/TextRun.h"

class CxImage;
class SplashBitmap;
class TextOutputDev;

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

    int LookupColor(int color) const { return color; }
    std::string LookupFont(const std::string& fontName) const { return fontName; }
};

// Room reserved for the program text so that appending rarely reallocates.
constexpr std::size_t kScriptReserve = 20971520;

// Null only when memory is exhausted.
ScriptWriter* CreateScriptWriter(const char* outputPath);
ScriptWriter* CreateScriptWriter(const char* outputPath, int progressMode);

int AppendScriptText(const char* text, ScriptWriter* writer);
int AppendScriptFormat(ScriptWriter* writer, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A VBScript string literal holding text exactly: quotes doubled, line
// breaks joined in with Chr().
std::string VbStringLiteral(const std::string& text);

void BeginSlide(ScriptWriter* writer, int width, int height, int percentage);

// Text modes: 0 (used) and 3 one box per block, 2 one box per line, 1 and 4
// one run per word (per block, or per line fragment). 1 when a slide was written.
int WriteSlide(ScriptWriter* writer, SplashBitmap* bitmap, TextOutputDev* textDevice, int textMode,
               int picture, int percentage);

// Saves the image as a temporary PNG and places it; 1 on success.
int AddPictureShape(ScriptWriter* writer, CxImage* image, int left, int top, int right, int bottom);
bool IsImageAllWhite(const CxImage* image);

// Appends the footer, runs the program and deletes the writer. Returns the
// script host's result.
int FinishAndRunScript(ScriptWriter* writer);

// The function that runs a finished program; RunScript unless a test
// replaces it. Returns the one it replaces; null restores RunScript.
using ScriptRunner = int (*)(const char* script);
ScriptRunner SetScriptRunner(ScriptRunner runner);
