#include "frontend/FileNames.h"

#include "platform/win32/Utf16.h"

#include <wx/strconv.h>

std::string FileSystemName(const wxString& name) {
    const wxCharBuffer bytes = name.fn_str();
    return bytes.data() ? std::string(bytes.data(), bytes.length()) : std::string();
}

wxString FileNameAsToolkitText(const std::string& bytes) { return wxString(bytes.c_str(), *wxConvFileName); }

wxString FileNameForDisplay(const std::string& bytes) {
    return wxString::FromUTF8(Utf8ReadingBadBytesAsWindows1252(bytes));
}
