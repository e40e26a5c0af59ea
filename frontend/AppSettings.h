// The program's eleven user settings, one instance per process, loaded from
// and saved to its store in the section "Settings".
#pragma once

#include "frontend/SettingsStore.h"

#include <string>

class CAppSettings {
public:
    // Creates the instance on first use; null when it cannot be allocated.
    static CAppSettings* Instance();
    static void Release();

    void GetOutputFolder(CString& value) const { value = OutputFolder; }
    void SetOutputFolder(CString value) { OutputFolder = value; }
    void GetOutputLocation(int& value) const { value = OutputLocation; }
    void SetOutputLocation(int value) { OutputLocation = value; }
    void GetCvtPage(int& value) const { value = CvtPage; }
    void SetCvtPage(int value) { CvtPage = value; }
    void GetCvtPages(CString& value) const { value = CvtPages; }
    void SetCvtPages(CString value) { CvtPages = value; }
    void GetPDFPWD(CString& value) const { value = PDFPWD; }
    void SetPDFPWD(CString value) { PDFPWD = value; }
    void GetRunOCR(int& value) const { value = RunOCR; }
    void SetRunOCR(int value) { RunOCR = value; }
    void GetOCRLan(int& value) const { value = OCRLan; }
    void SetOCRLan(int value) { OCRLan = value; }
    void GetAutoRotate(int& value) const { value = AutoRotate; }
    void SetAutoRotate(int value) { AutoRotate = value; }
    void GetIncSubDir(int& value) const { value = IncSubDir; }
    void SetIncSubDir(int value) { IncSubDir = value; }
    void GetOverwrite(int& value) const { value = Overwrite; }
    void SetOverwrite(int value) { Overwrite = value; }
    void GetOpenOutput(int& value) const { value = OpenOutput; }
    void SetOpenOutput(int value) { OpenOutput = value; }

    CSettingsStore* GetStore() { return store; }

    void LoadSettings();
    // The nine keys the settings sheet edits. Each save says whether the
    // store took every key; the values stay in the object either way.
    bool SaveSheetSettings();
    // Writes the nine sheet keys' defaults, then loads everything again.
    bool RestoreDefaults();
    // OutputFolder, then OutputLocation.
    bool SaveOutputSettings();

    // After a save that did not go through, once while the program runs:
    // the message that tells the user, naming the file and why. False when
    // there is nothing (more) to tell.
    bool RefusalToTell(std::string& message);

private:
    CAppSettings();
    ~CAppSettings();
    CAppSettings(const CAppSettings&) = delete;
    CAppSettings& operator=(const CAppSettings&) = delete;

    bool WriteSheetKeys(const CString& cvtPages, const CString& password, const int (&values)[7]);
    // Ends a save: remembers why it was refused, when it was.
    bool Saved(bool written, const std::string& refusal);

    CString OutputFolder;
    int OutputLocation = 0;
    int CvtPage = 0;
    CString CvtPages;
    CString PDFPWD;
    int RunOCR = 1;
    int OCRLan = 0;
    int AutoRotate = 1;
    int IncSubDir = 1;
    int Overwrite = 0;
    int OpenOutput = 1;
    CSettingsStore* store;
    std::string saveRefusal; // why the last refused save was refused
    bool refusalTold = false;
};
