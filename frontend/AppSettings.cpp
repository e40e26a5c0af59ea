#include "frontend/AppSettings.h"

#include "platform/win32/registry/RegistryChangeScope.h"

#include <new>

namespace {

const char kSection[] = "Settings";

CAppSettings* g_instance = nullptr;

} // namespace

CAppSettings* CAppSettings::Instance()
{
    if (!g_instance)
        g_instance = new (std::nothrow) CAppSettings;
    return g_instance;
}

void CAppSettings::Release()
{
    delete g_instance;
    g_instance = nullptr;
}

CAppSettings::CAppSettings() : store(new CSettingsStore) {}

CAppSettings::~CAppSettings()
{
    delete store;
}

// The eleven reads share one reading of the registry file, and the keys
// they create on a first start are written in one go.
void CAppSettings::LoadSettings()
{
    RegistryChangeScope oneReading;
    OutputFolder = store->ReadString(kSection, "OutputFolder", "");
    OutputLocation = store->ReadInt(kSection, "OutputLocation", 0);
    CvtPage = store->ReadInt(kSection, "CvtPage", 0);
    CvtPages = store->ReadString(kSection, "CvtPages", "");
    PDFPWD = store->ReadString(kSection, "PDFPWD", "");
    RunOCR = store->ReadInt(kSection, "RunOCR", 1);
    OCRLan = store->ReadInt(kSection, "OCRLan", 0);
    AutoRotate = store->ReadInt(kSection, "AutoRotate", 1);
    IncSubDir = store->ReadInt(kSection, "IncSubDir", 1);
    Overwrite = store->ReadInt(kSection, "Overwrite", 0);
    OpenOutput = store->ReadInt(kSection, "OpenOutput", 1);
}

// In the order CvtPage, CvtPages, PDFPWD, then the integers from RunOCR on.
bool CAppSettings::WriteSheetKeys(const CString& cvtPages, const CString& password, const int (&values)[7])
{
    static const char* const intKeys[] = {"RunOCR", "OCRLan", "AutoRotate", "IncSubDir", "Overwrite", "OpenOutput"};
    RegistryChangeScope oneWrite;
    bool written = store->WriteInt(kSection, "CvtPage", values[0]);
    written = store->WriteString(kSection, "CvtPages", cvtPages) && written;
    written = store->WriteString(kSection, "PDFPWD", password) && written;
    for (int i = 0; i < 6; ++i)
        written = store->WriteInt(kSection, intKeys[i], values[i + 1]) && written;
    written = oneWrite.Save() && written;
    return Saved(written, oneWrite.Refusal());
}

bool CAppSettings::SaveSheetSettings()
{
    return WriteSheetKeys(CvtPages, PDFPWD, {CvtPage, RunOCR, OCRLan, AutoRotate, IncSubDir, Overwrite, OpenOutput});
}

bool CAppSettings::RestoreDefaults()
{
    const bool saved = WriteSheetKeys("", "", {0, 1, 0, 1, 1, 0, 1});
    LoadSettings();
    return saved;
}

bool CAppSettings::SaveOutputSettings()
{
    RegistryChangeScope oneWrite;
    bool written = store->WriteString(kSection, "OutputFolder", OutputFolder);
    written = store->WriteInt(kSection, "OutputLocation", OutputLocation) && written;
    written = oneWrite.Save() && written;
    return Saved(written, oneWrite.Refusal());
}

bool CAppSettings::Saved(bool written, const std::string& refusal)
{
    if (!written)
        saveRefusal = refusal.empty() ? "it could not be written" : refusal;
    return written;
}

bool CAppSettings::RefusalToTell(std::string& message)
{
    if (saveRefusal.empty() || refusalTold)
        return false;
    refusalTold = true;
    const std::string file = store->FileName();
    message = "Your settings could not be saved" + (file.empty() ? std::string() : " in " + file) + ": " +
              saveRefusal + ".\n\nThe program goes on with the settings you chose until it ends.";
    return true;
}
