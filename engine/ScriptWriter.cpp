// The writer's life: header, appending statements, footer and the run.
#include "engine/ScriptWriter.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/ScriptHost.h"

// The Explorer window's subroutines. The waits are bounded so that a window
// that never stops being busy, or cannot be made, cannot hold the program.
const char* const kExplorerProgressSubs =
    "\nSub Initprogress\n"
    "Set objExplorer = CreateObject(\"InternetExplorer.Application\")\n"
    "If Not IsObject(objExplorer) Then Exit Sub\n"
    "objExplorer.Navigate \"about:blank\"\n"
    "objExplorer.ToolBar = 0\n"
    "objExplorer.StatusBar = 0\n"
    "objExplorer.Width = 400\n"
    "objExplorer.Height = 110\n"
    "objExplorer.Left = 312\n"
    "objExplorer.Top = 320\n"
    "Dim nWait, tStart\n"
    "For nWait = 1 To 50\n"
    "If Not objExplorer.Busy Then Exit For\n"
    "tStart = Timer\n"
    "Do While Timer - tStart < 0.2 And Timer >= tStart\n"
    "Loop\n"
    "Next\n"
    "objExplorer.Visible = 1\n"
    "End Sub\n"
    "\nSub Endprogress\n"
    "If Not IsObject(objExplorer) Then Exit Sub\n"
    "objExplorer.Visible = 0\n"
    "objExplorer.Quit\n"
    "Set objExplorer = Nothing\n"
    "End Sub\n"
    "\nSub Inttoprogress(intPercentValue)\n"
    "If Not IsObject(objExplorer) Then Exit Sub\n"
    "objExplorer.Document.Body.InnerHTML = \"<table width='100%' border='1'><tr><td>\" & _\n"
    "\"<table width='\" & intPercentValue & \"%' bgcolor='#000080'><tr><td>&nbsp;</td></tr></table>\" & _\n"
    "\"</td></tr></table>\" & intPercentValue & \"%\"\n"
    "End Sub\n";

namespace {

ScriptRunner g_scriptRunner = RunScript;

void AppendHeader(ScriptWriter* writer)
{
    AppendScriptText("On Error Resume Next\n", writer);
    AppendScriptText("Const ppLayoutBlank = 12\n", writer);
    AppendScriptText("Const ppSlideSizeCustom = 7\n", writer);
    AppendScriptText("Dim ppApp,ppPres,ppSlide,ppName,ppShape,ppTextPos1,ppTextPos2,ppFont\n", writer);
    AppendScriptText("Set ppApp = CreateObject(\"PowerPoint.Application\")\n", writer);
    AppendScriptFormat(writer, "ppName = %s\n", VbStringLiteral(writer->outputPath).c_str());
    AppendScriptText("Set ppPres = ppApp.Presentations.Add(1)\n", writer);
    if (writer->progressMode == kProgressComponent)
        AppendScriptText("Set ProgressCOM = CreateObject(\"vbscom.api\")\n", writer);
    else if (writer->progressMode == kProgressExplorerWindow) {
        AppendScriptText("Dim objExplorer\n", writer);
        AppendScriptText("Initprogress\n", writer);
    }
}

void AppendFooter(ScriptWriter* writer)
{
    if (writer->progressMode == kProgressExplorerWindow)
        AppendScriptText("\nEndProgress\n", writer);
    AppendScriptText("\nppApp.Presentations(1).SaveAs(ppName)\n", writer);
    AppendScriptText("ppApp.Quit\n", writer);
    AppendScriptText("Set ppApp = Nothing\n", writer);
    if (writer->progressMode == kProgressExplorerWindow)
        AppendScriptText(kExplorerProgressSubs, writer);
}

} // namespace

ScriptWriter* CreateScriptWriter(const char* outputPath)
{
    return CreateScriptWriter(outputPath, kProgressComponent);
}

ScriptWriter* CreateScriptWriter(const char* outputPath, int progressMode)
{
    ScriptWriter* writer = new (std::nothrow) ScriptWriter;
    if (!writer)
        return nullptr;
    try {
        writer->script.reserve(kScriptReserve);
        writer->outputPath = outputPath ? outputPath : "";
    } catch (const std::bad_alloc&) {
        delete writer;
        return nullptr;
    }
    writer->progressMode = progressMode;
    AppendHeader(writer);
    return writer;
}

int AppendScriptText(const char* text, ScriptWriter* writer)
{
    if (!writer)
        return 0;
    if (text)
        writer->script += text;
    return 1;
}

int AppendScriptFormat(ScriptWriter* writer, const char* format, ...)
{
    if (!writer || !format)
        return 0;
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    if (length > 0) {
        std::string statement(static_cast<std::size_t>(length), '\0');
        std::vsnprintf(statement.data(), statement.size() + 1, format, args);
        writer->script += statement;
    }
    va_end(args);
    return length >= 0;
}

std::string VbStringLiteral(const std::string& text)
{
    std::string literal = "\"";
    for (char c : text) {
        if (c == '"')
            literal += "\"\"";
        else if (c == '\n')
            literal += "\" & Chr(10) & \"";
        else if (c == '\r')
            literal += "\" & Chr(13) & \"";
        else
            literal += c;
    }
    return literal + "\"";
}

int FinishAndRunScript(ScriptWriter* writer)
{
    if (!writer)
        return 0;
    std::unique_ptr<ScriptWriter> owned(writer); // deleted also when memory runs out
    AppendFooter(writer);
    return g_scriptRunner(writer->script.c_str());
}

void DiscardScriptWriter(ScriptWriter* writer)
{
    delete writer;
}

ScriptRunner SetScriptRunner(ScriptRunner runner)
{
    ScriptRunner previous = g_scriptRunner;
    g_scriptRunner = runner ? runner : RunScript;
    return previous;
}
