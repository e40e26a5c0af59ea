// Test helpers: keep the finished program instead of running it, and make
// slides from the fixture PDFs with the core's own page devices.
#pragma once

#include "tests/ScopedEnv.h"
#include "tests/engine/FolderFiles.h"
#include "tests/engine/ScopedScriptRunner.h"
#include "tests/support/OutsidePrograms.h"

#include <string>
#include <vector>


// While alive, finished programs are kept in Text() and not run.
class ScriptCapture {
public:
    ScriptCapture();
    ~ScriptCapture();
    ScriptCapture(const ScriptCapture&) = delete;
    ScriptCapture& operator=(const ScriptCapture&) = delete;

    static const std::string& Text();
    static int Runs();

private:
    ScopedScriptRunner runner_;
};

// The program's opening for the output "/out/deck.ppt" with the progress
// component, and its closing.
inline constexpr const char* kDeckHeader = "On Error Resume Next\n"
                                           "Const ppLayoutBlank = 12\n"
                                           "Const ppSlideSizeCustom = 7\n"
                                           "Dim ppApp,ppPres,ppSlide,ppName,ppShape,ppTextPos1,ppTextPos2,ppFont\n"
                                           "Set ppApp = CreateObject(\"PowerPoint.Application\")\n"
                                           "ppName = \"/out/deck.ppt\"\n"
                                           "Set ppPres = ppApp.Presentations.Add(1)\n"
                                           "Set ProgressCOM = CreateObject(\"vbscom.api\")\n";
inline constexpr const char* kDeckFooter = "\nppApp.Presentations(1).SaveAs(ppName)\n"
                                           "ppApp.Quit\n"
                                           "Set ppApp = Nothing\n";

// The fixture PDFs are made at build time into this folder.
std::string FixturePdf(const std::string& name);

// Renders each page of the PDF at 150 dpi and hands it to WriteSlide with
// the text mode; pages empty means every page. Returns the slides written.
int WriteFixtureSlides(ScriptWriter* writer, const std::string& pdfPath, TextMode textMode,
                       const std::vector<int>& pages = {});

// The program's statements, one per line, empty lines kept.
std::vector<std::string> Lines(const std::string& script);

// The statements between the first text box of the program and the footer.
std::string TextBoxPart(const std::string& script);

// Runs a command; returns its exit status and, in output, what it printed.
int RunTool(const std::string& command, std::string* output = nullptr);

// A fresh private folder for temporary files, the process's TMPDIR while
// the guard lives; the folder goes with it.
class PrivateTempFolder {
public:
    PrivateTempFolder();
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    // Empty when the folder could not be made.
    const std::string& Path() const { return path_; }
    // Points TMPDIR elsewhere until the guard ends.
    void SetTmpDir(const std::string& folder) { tmpdir_.Set(folder.c_str()); }

private:
    std::string path_;
    ScopedEnv tmpdir_;
};

// Fills the installed-family list the font mapping asks, as a conversion does.
void LoadInstalledFontFamilies();
