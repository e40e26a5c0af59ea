#include "frontend/AppSettings.h"
#include "platform/win32/registry/RegistryHive.h"
#include "platform/win32/registry/SharedFile.h"
#include "tests/support/PdfMaker.h"
#include "tests/frontend/FileOpens.h"
#include "tests/frontend/FileText.h"
#include "tests/frontend/HostileHives.h"
#include "tests/ScopedEnv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

const char kSettingsKey[] = "software\\Norvik\\Slidemint\\Settings";

struct Values {
    CString outputFolder;
    int outputLocation, cvtPage;
    CString cvtPages, password;
    int runOcr, ocrLan, autoRotate, incSubDir, overwrite, openOutput;
};

Values Read(CAppSettings& s)
{
    Values v;
    s.GetOutputFolder(v.outputFolder);
    s.GetOutputLocation(v.outputLocation);
    s.GetCvtPage(v.cvtPage);
    s.GetCvtPages(v.cvtPages);
    s.GetPDFPWD(v.password);
    s.GetRunOCR(v.runOcr);
    s.GetOCRLan(v.ocrLan);
    s.GetAutoRotate(v.autoRotate);
    s.GetIncSubDir(v.incSubDir);
    s.GetOverwrite(v.overwrite);
    s.GetOpenOutput(v.openOutput);
    return v;
}

void Write(CAppSettings& s, const Values& v)
{
    s.SetOutputFolder(v.outputFolder);
    s.SetOutputLocation(v.outputLocation);
    s.SetCvtPage(v.cvtPage);
    s.SetCvtPages(v.cvtPages);
    s.SetPDFPWD(v.password);
    s.SetRunOCR(v.runOcr);
    s.SetOCRLan(v.ocrLan);
    s.SetAutoRotate(v.autoRotate);
    s.SetIncSubDir(v.incSubDir);
    s.SetOverwrite(v.overwrite);
    s.SetOpenOutput(v.openOutput);
}

std::string Describe(const Values& v)
{
    std::ostringstream out;
    out << "[" << v.outputFolder << "] " << v.outputLocation << " " << v.cvtPage << " [" << v.cvtPages << "] ["
        << v.password << "] " << v.runOcr << " " << v.ocrLan << " " << v.autoRotate << " " << v.incSubDir << " "
        << v.overwrite << " " << v.openOutput;
    return out.str();
}

const Values kDefaults{"", 0, 0, "", "", 1, 0, 1, 1, 0, 1};
const Values kCustom{"/home/u/out put", 1, 1, "  1, 3, 5-12 ", "pa ss", 0, 4, 0, 0, 1, 0};

class SettingsTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string file = folder.File("registry");
    ScopedEnv env{"VANTREL_REGISTRY", file.c_str()};

    void TearDown() override { CAppSettings::Release(); }

    // A fresh instance over the program's registry key, loaded.
    CAppSettings& Fresh()
    {
        CAppSettings::Release();
        CAppSettings* settings = CAppSettings::Instance();
        settings->GetStore()->SetStoreNames("Norvik", "Slidemint");
        settings->LoadSettings();
        return *settings;
    }

    void SetRaw(const char* name, DWORD type, const std::string& data)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
        RegCloseKey(key);
    }
};

TEST_F(SettingsTest, AFirstStartGivesTheDefaultsAndLeavesTheEmptyKeys)
{
    EXPECT_EQ(Describe(Read(Fresh())), Describe(kDefaults));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    char name[64];
    DWORD size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(SettingsTest, SavedSettingsComeBackInANewProcessAsTheyWere)
{
    CAppSettings& settings = Fresh();
    Write(settings, kCustom);
    settings.SaveSheetSettings();
    settings.SaveOutputSettings();
    EXPECT_EQ(Describe(Read(Fresh())), Describe(kCustom));
}

TEST_F(SettingsTest, SettersAloneNeverReachTheStore)
{
    CAppSettings& settings = Fresh();
    Write(settings, kCustom);
    EXPECT_EQ(Describe(Read(settings)), Describe(kCustom));
    EXPECT_EQ(Describe(Read(Fresh())), Describe(kDefaults));
}

TEST_F(SettingsTest, OnlyTheSheetOrOnlyTheOutputKeysAreSaved)
{
    CAppSettings& settings = Fresh();
    Write(settings, kCustom);
    settings.SaveOutputSettings();
    Values outputOnly = kDefaults;
    outputOnly.outputFolder = kCustom.outputFolder;
    outputOnly.outputLocation = kCustom.outputLocation;
    EXPECT_EQ(Describe(Read(Fresh())), Describe(outputOnly));
}

TEST_F(SettingsTest, RestoreDefaultsKeepsTheOutputLocation)
{
    CAppSettings& settings = Fresh();
    Write(settings, kCustom);
    settings.SaveSheetSettings();
    settings.SaveOutputSettings();
    settings.RestoreDefaults();
    Values expected = kDefaults;
    expected.outputFolder = kCustom.outputFolder;
    expected.outputLocation = kCustom.outputLocation;
    EXPECT_EQ(Describe(Read(settings)), Describe(expected));
    EXPECT_EQ(Describe(Read(Fresh())), Describe(expected));
}

TEST_F(SettingsTest, IntegersCountOnlyAsFourByteDwords)
{
    struct Case {
        const char* what;
        DWORD type;
        std::string data;
        int expected;
    } cases[] = {
        {"dword", REG_DWORD, std::string("\x05\x00\x00\x00", 4), 5},
        {"negative dword", REG_DWORD, std::string("\xff\xff\xff\xff", 4), -1},
        {"short dword", REG_DWORD, std::string("\x05\x00", 2), 1},
        {"text", REG_SZ, std::string("5\0", 2), 1},
        {"binary of four bytes", REG_BINARY, std::string("\x05\x00\x00\x00", 4), 1},
        {"empty", REG_DWORD, std::string(), 1},
        {"long", REG_DWORD, std::string(8, '\x05'), 1},
    };
    for (const Case& c : cases) {
        SetRaw("RunOCR", c.type, c.data);
        int value = 99;
        Fresh().GetRunOCR(value);
        EXPECT_EQ(value, c.expected) << c.what;
    }
}

TEST_F(SettingsTest, StringsAreReadWholeAndAlwaysEnded)
{
    struct Case {
        const char* what;
        std::string data;
        std::string expected;
    } cases[] = {
        {"ended", std::string("/out\0", 5), "/out"},
        {"not ended", std::string("/out", 4), "/out"},
        {"inner NUL", std::string("/a\0/b\0", 6), "/a"},
        {"empty data", std::string(), ""},
        {"long", std::string(20000, 'd') + '\0', std::string(20000, 'd')},
    };
    for (const Case& c : cases) {
        SetRaw("OutputFolder", REG_SZ, c.data);
        CString value = "unset";
        Fresh().GetOutputFolder(value);
        EXPECT_EQ(value.Text(), c.expected) << c.what;
    }
}

TEST_F(SettingsTest, AForeignRegistryFileGivesTheDefaultsAndStaysAsItWas)
{
    const std::string foreign = "[Settings]\nOverwrite=1\n";
    std::ofstream(file) << foreign;
    CAppSettings& settings = Fresh();
    EXPECT_EQ(Describe(Read(settings)), Describe(kDefaults));
    Write(settings, kCustom);
    settings.SaveSheetSettings();
    EXPECT_EQ(ReadFile(file), foreign);
}

TEST_F(SettingsTest, TheIniFormKeepsTheSameValues)
{
    std::string ini = folder.File("settings.ini");
    CAppSettings::Release();
    CAppSettings& settings = *CAppSettings::Instance();
    settings.GetStore()->SetStoreNames(nullptr, ini.c_str());
    settings.LoadSettings();
    EXPECT_EQ(Describe(Read(settings)), Describe(kDefaults));
    Values custom = kCustom;
    custom.cvtPages = "1-3"; // the INI form drops blanks around a value
    Write(settings, custom);
    settings.SaveSheetSettings();
    settings.SaveOutputSettings();
    settings.SetOutputFolder(CString(std::string(5000, 'f')));
    settings.SaveOutputSettings();
    settings.LoadSettings();
    Values expected = custom;
    expected.outputFolder = CString(std::string(4095, 'f'));
    EXPECT_EQ(Describe(Read(settings)), Describe(expected));
    EXPECT_NE(ReadFile(ini).find("[Settings]\n"), std::string::npos);
    EXPECT_EQ(ReadFile(file), "") << "the registry is not touched";
}

// "Overwrite" stored as 1 under the program's key, in the file's own form.
const char kStoredOverwrite[] = "K\tsoftware\\Norvik\\Slidemint\\Settings\nV\tOverwrite\t4\t01000000\n";

// The deep line alone is lost; a start that changes nothing writes nothing,
// and the first save keeps the file aside.
TEST_F(SettingsTest, ADeeplyNestedKeyIsSkippedAndEveryStartKeepsTheOtherSettings)
{
    const std::string text = HiveHeader() + kStoredOverwrite + NestedKeyLine(400000, "a");
    WriteFile(file, text);
    Values stored = kDefaults;
    stored.overwrite = 1;
    EXPECT_EQ(Describe(Read(Fresh())), Describe(stored));
    EXPECT_TRUE(ReadFile(file) == text);
    EXPECT_EQ(Describe(Read(Fresh())), Describe(stored));
    Fresh().SaveOutputSettings();
    EXPECT_TRUE(ReadFile(file + ".damaged") == text);
    EXPECT_EQ(Describe(Read(Fresh())), Describe(stored));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

// Each key line used to spell its whole path, so one write made a line per
// level, each as long as the path to it.
TEST_F(SettingsTest, SavingOverADeeplyNestedFileLeavesItReadable)
{
    struct Case {
        const char* what;
        size_t depth;
        std::string name;
        bool kept; // within the bound: the deep key stays
    } cases[] = {
        {"20,000 levels", 20000, "a", false},
        {"the bound, with long names", kMaxKeyDepth, std::string(2000, 'n'), true},
    };
    for (const Case& c : cases) {
        const std::string text = HiveHeader() + kStoredOverwrite + NestedKeyLine(c.depth, c.name);
        WriteFile(file, text);
        CAppSettings& settings = Fresh();
        int overwrite = -1;
        settings.GetOverwrite(overwrite);
        EXPECT_EQ(overwrite, 1) << c.what << ": the line before the deep one";
        Write(settings, kCustom);
        settings.SaveSheetSettings();
        settings.SaveOutputSettings();
        EXPECT_LT(ReadFile(file).size(), text.size() + 4096) << c.what;
        EXPECT_EQ(Describe(Read(Fresh())), Describe(kCustom)) << c.what;
        HKEY deepest = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, NestedKeyPath(c.depth, c.name).c_str(), 0, KEY_READ, &deepest),
                  c.kept ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND)
            << c.what;
        RegCloseKey(deepest);
        unlink((file + ".damaged").c_str());
    }
}

TEST_F(SettingsTest, LoadingTheSettingsReadsTheFileOnce)
{
    CAppSettings& settings = Fresh();
    Write(settings, kCustom);
    settings.SaveSheetSettings();
    settings.SaveOutputSettings();
    FileOpens opens(file);
    EXPECT_EQ(Describe(Read(Fresh())), Describe(kCustom));
    EXPECT_EQ(opens.Count(), 1);
}

// Counts the files renamed into a folder under one name while it lives.
class RenamesInto {
public:
    RenamesInto(const std::string& folder, std::string name) : name_(std::move(name))
    {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0 && inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO) < 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~RenamesInto()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    int Count()
    {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; fd_ >= 0 && (n = read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
                count_ += reinterpret_cast<inotify_event*>(p)->len > 0 && reinterpret_cast<inotify_event*>(p)->name == name_;
        return fd_ >= 0 ? count_ : -1;
    }

private:
    std::string name_;
    int fd_ = -1;
    int count_ = 0;
};

// A file of ours, size bytes long, with a value of padding bytes under
// "software\\pad"; the value name's length makes the hexadecimal even.
std::string PaddedHive(size_t size)
{
    std::string text = HiveHeader() + "K\tsoftware\\pad\nV\tp\t3\t";
    if ((size - text.size() - 1) % 2 != 0)
        text.insert(text.size() - 3, "p");
    text.resize(size - 1, 'a');
    return text + "\n";
}

TEST_F(SettingsTest, ALoadAndEachSaveReadAndWriteTheFileOnce)
{
    WriteFile(file, PaddedHive(1 << 20));
    RenamesInto renames(folder.Path(), "registry");
    {
        FileOpens opens(file);
        CAppSettings& settings = Fresh(); // creates the four keys
        EXPECT_EQ(opens.Count(), 1);
        EXPECT_EQ(renames.Count(), 1);
        Write(settings, kCustom);
    }
    for (auto save : {&CAppSettings::SaveSheetSettings, &CAppSettings::SaveOutputSettings}) {
        FileOpens opens(file);
        int before = renames.Count();
        (CAppSettings::Instance()->*save)();
        EXPECT_EQ(opens.Count(), 1);
        EXPECT_EQ(renames.Count(), before + 1);
    }
    EXPECT_EQ(Describe(Read(Fresh())), Describe(kCustom));
}

// Creating the keys would take the file past what may be read back: every
// creation is refused, and the load still reads the file only once.
TEST_F(SettingsTest, AFullFileWithoutTheKeysLoadsTheDefaultsFromOneReading)
{
    const std::string text = PaddedHive(kSharedFileMaxSize - 8);
    ASSERT_EQ(text.size(), kSharedFileMaxSize - 8);
    WriteFile(file, text);
    FileOpens opens(file);
    EXPECT_EQ(Describe(Read(Fresh())), Describe(kDefaults));
    EXPECT_EQ(opens.Count(), 1);
    EXPECT_TRUE(ReadFile(file) == text);
}

} // namespace
