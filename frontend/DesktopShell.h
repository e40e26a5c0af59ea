// What the program asks of the desktop: message boxes, the file and folder
// pickers, and opening a document, folder or address with its default
// handler. The window code calls Shell(); tests put a stand-in in its place.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/WindowMessages.h"

class wxWindow;

class DesktopShell {
public:
    virtual ~DesktopShell() = default;

    // Shows a modal message box; `type` takes the MB_ICON... flags.
    virtual int MessageBox(wxWindow* owner, const std::string& text, const std::string& caption, UINT type);
    // The multi-select PDF picker: the chosen paths, in the picker's order;
    // false when cancelled.
    virtual bool PickPdfFiles(wxWindow* owner, std::vector<std::string>& paths);
    // A folder picker with a prompt; false when cancelled.
    virtual bool PickFolder(wxWindow* owner, const std::string& prompt, std::string& path);
    // Opens a web or mail address, a file or a folder; false when nothing
    // could open it.
    virtual bool Open(const std::string& target);
};

DesktopShell& Shell();
// Opens the target through Shell(); when nothing could, says so in a box
// owned by the window's top-level window, naming the target.
bool OpenOrSay(wxWindow* window, const std::string& target);
// Installs a stand-in (null puts the desktop's own back); returns the old one.
DesktopShell* SetShell(DesktopShell* shell);
