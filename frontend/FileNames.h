// File names between the file system's bytes and the toolkit's text. A
// name need not be UTF-8: the toolkit decodes names with its file-name
// converter, which keeps each byte that does not decode as a private-use
// character, so the bytes come back exactly.
#pragma once

#include <string>

#include <wx/string.h>

// The file system's bytes of a name the toolkit gave (a drop, a picker).
std::string FileSystemName(const wxString& name);

// A name as the toolkit holds it, for text that is read back with
// FileSystemName (an edit field).
wxString FileNameAsToolkitText(const std::string& bytes);

// A name for the eye: UTF-8 as it is, and each byte that does not decode
// shown as the Windows-1252 character it is (an ANSI name on Windows).
wxString FileNameForDisplay(const std::string& bytes);
