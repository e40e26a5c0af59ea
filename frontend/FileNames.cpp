#include "frontend/FileNames.h"

#include <wx/strconv.h>

namespace {

// What the toolkit's converter makes of an undecodable byte b.
constexpr wxUint32 kByteInPrivateUse = 0x100000;

}  // namespace

std::string FileSystemName(const wxString& name) {
    const wxCharBuffer bytes = name.fn_str();
    return bytes.data() ? std::string(bytes.data(), bytes.length()) : std::string();
}

wxString FileNameAsToolkitText(const std::string& bytes) { return wxString(bytes.c_str(), *wxConvFileName); }

wxString FileNameForDisplay(const std::string& bytes) {
    static const wxMBConvUTF8 keepingBytes(wxMBConvUTF8::MAP_INVALID_UTF8_TO_PUA);
    const wxString decoded(bytes.c_str(), keepingBytes);
    wxString shown;
    shown.reserve(decoded.length());
    for (wxUniChar c : decoded) {
        const wxUint32 value = c.GetValue();
        if (value >= kByteInPrivateUse + 0x80 && value <= kByteInPrivateUse + 0xFF)
            shown += value >= kByteInPrivateUse + 0xA0 ? wxUniChar(value - kByteInPrivateUse) : wxUniChar(0xFFFD);
        else
            shown += c;
    }
    return shown;
}
