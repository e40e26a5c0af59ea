#include "platform/win32/Registry.h"
#include "platform/win32/SharedFile.h"
#include "tests/engine/PdfMaker.h"
#include "tests/frontend/FileText.h"
#include "tests/ScopedEnv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const REGSAM kAppAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE; // 0x2001F

class RegistryTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string file = folder.File("registry");
    ScopedEnv env{"VANTREL_REGISTRY", file.c_str()};

    HKEY Create(const char* path, REGSAM access = kAppAccess, HKEY root = HKEY_CURRENT_USER)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr),
                  ERROR_SUCCESS)
            << path;
        return key;
    }

    LONG SetString(const char* path, const char* name, const std::string& text, HKEY root = HKEY_CURRENT_USER)
    {
        HKEY key = Create(path, kAppAccess, root);
        LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     DWORD(text.size() + 1));
        RegCloseKey(key);
        return status;
    }

    // The value's bytes, or nullopt-like "<missing>" with the status.
    LONG Query(const char* path, const char* name, std::string& data, DWORD& type, HKEY root = HKEY_CURRENT_USER)
    {
        HKEY key = nullptr;
        LONG status = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
        if (status != ERROR_SUCCESS)
            return status;
        DWORD size = 0;
        status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        if (status == ERROR_SUCCESS) {
            data.assign(size, '\0');
            status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        }
        RegCloseKey(key);
        return status;
    }

    std::string QueryString(const char* path, const char* name)
    {
        std::string data;
        DWORD type = 0;
        if (Query(path, name, data, type) != ERROR_SUCCESS)
            return "<missing>";
        EXPECT_EQ(type, DWORD(REG_SZ));
        return data.empty() ? data : data.substr(0, data.size() - 1);
    }
};

TEST_F(RegistryTest, ValuesOfEveryKindComeBackByteForByteWhateverTheNameCase)
{
    struct Case {
        const char* name;
        const char* lookup;
        DWORD type;
        std::string data;
    } cases[] = {
        {"OutputFolder", "outputfolder", REG_SZ, std::string("/home/u/out\0", 12)},
        {"OutputLocation", "OUTPUTLOCATION", REG_DWORD, std::string("\x01\x00\x00\x00", 4)},
        {"Blob", "blob", REG_BINARY, std::string("\x00\n\t%\xff\r", 6)},
        {"Empty", "empty", REG_SZ, std::string()},
        {"", "", REG_SZ, std::string("default\0", 8)},
        {"Tab\tand\nline %41", "tab\tAND\nline %41", REG_SZ, std::string(100000, 'x')},
    };
    HKEY key = Create("Software\\Norvik\\Slidemint\\Settings");
    for (const Case& c : cases)
        ASSERT_EQ(RegSetValueExA(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                                 DWORD(c.data.size())),
                  ERROR_SUCCESS);
    RegCloseKey(key);
    for (const Case& c : cases) {
        std::string data;
        DWORD type = 99;
        ASSERT_EQ(Query("software/NORVIK\\slidemint\\settings", c.lookup, data, type), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(data, c.data) << c.name;
    }
}

TEST_F(RegistryTest, QueryReportsTheSizeAndRefusesASmallBuffer)
{
    ASSERT_EQ(SetString("a", "v", "hello"), ERROR_SUCCESS);
    HKEY key = Create("a");
    char buffer[4] = "zzz";
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_STREQ(buffer, "zzz");
    size = 10;
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, EnumerationKeepsTheOrderValuesWereFirstSetIn)
{
    HKEY key = Create("Fonts");
    for (const char* name : {"Zeta", "Arial Bold", "arial", "Beta"}) {
        DWORD n = 0;
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4);
    }
    DWORD n = 7; // replaces "Arial Bold" in place
    RegSetValueExA(key, "ARIAL BOLD", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4);
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[64];
        DWORD nameSize = sizeof name, data = 0, dataSize = 4, type = 0;
        LONG status = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(nameSize, strlen(name));
        names.push_back(name + std::string("=") + std::to_string(data));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Zeta=0", "Arial Bold=7", "arial=0", "Beta=0"}));
    char small[4];
    DWORD smallSize = sizeof small;
    EXPECT_EQ(RegEnumValueA(key, 1, small, &smallSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    RegCloseKey(key);
}

TEST_F(RegistryTest, HandlesKeepTheAccessTheyWereOpenedWith)
{
    HKEY app = Create("software\\Norvik");
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Norvik", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    DWORD value = 1;
    EXPECT_EQ(RegSetValueExA(readOnly, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_ACCESS_DENIED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(readOnly, "New", 0, nullptr, 0, kAppAccess, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(sub, nullptr);
    HKEY writeOnly = Create("software\\Norvik", KEY_SET_VALUE);
    EXPECT_EQ(RegSetValueExA(writeOnly, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExA(writeOnly, "x", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_ACCESS_DENIED);
    for (HKEY key : {app, readOnly, writeOnly})
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(app), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(app, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, OpeningAMissingKeyFailsAndCreatingReportsWhetherItWasNew)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Nobody", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Nobody", 0, nullptr, 0, kAppAccess, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\nobody", 0, nullptr, 0, kAppAccess, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
    RegCloseKey(key);
}

TEST_F(RegistryTest, TheUserFileIsPrivateAndTheMachineHiveStaysInMemory)
{
    ASSERT_EQ(SetString("software\\Norvik", "PDFPWD", "secret"), ERROR_SUCCESS);
    ASSERT_EQ(SetString("Software\\Fonts", "Arial (TrueType)", "arial.ttf", HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string text = ReadFile(file);
    EXPECT_EQ(text.find("Fonts"), std::string::npos);
    std::string data;
    DWORD type;
    EXPECT_EQ(Query("software\\Fonts", "Arial (TrueType)", data, type, HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(Query("software\\Fonts", "Arial (TrueType)", data, type), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, WithoutTheVariableTheFileLivesInTheUserConfigFolder)
{
    ScopedEnv config("XDG_CONFIG_HOME", folder.File("config").c_str());
    unsetenv("VANTREL_REGISTRY");
    EXPECT_EQ(UserRegistryPath(), folder.File("config/vantrel/registry"));
    ASSERT_EQ(SetString("software", "k", "v"), ERROR_SUCCESS);
    struct stat st;
    ASSERT_EQ(stat(folder.File("config/vantrel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(QueryString("software", "k"), "v");
}

// Each child writes its own values under one key, many times over, while the
// other does the same; no write may lose the other's.
TEST_F(RegistryTest, TwoProcessesWritingAtOnceBothKeepTheirValues)
{
    const int kWrites = 60;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            for (int i = 0; i < kWrites; ++i) {
                std::string name = "p" + std::to_string(child) + "_" + std::to_string(i);
                if (SetString("software\\Shared", name.c_str(), name) != ERROR_SUCCESS)
                    _exit(1);
            }
            _exit(0);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int child = 0; child < 2; ++child)
        for (int i = 0; i < kWrites; ++i) {
            std::string name = "p" + std::to_string(child) + "_" + std::to_string(i);
            EXPECT_EQ(QueryString("software\\Shared", name.c_str()), name);
        }
}

TEST_F(RegistryTest, AProcessKilledBeforeTheRenameLeavesTheOldFileWhole)
{
    ASSERT_EQ(SetString("software\\Norvik", "OutputFolder", "/old"), ERROR_SUCCESS);
    std::string before = ReadFile(file);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        SetSharedFileReplaceHook([] { raise(SIGKILL); });
        SetString("software\\Norvik", "OutputFolder", "/new");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(QueryString("software\\Norvik", "OutputFolder"), "/old");
    // The next writer is not held up by what the dead one left.
    ASSERT_EQ(SetString("software\\Norvik", "OutputFolder", "/next"), ERROR_SUCCESS);
    EXPECT_EQ(QueryString("software\\Norvik", "OutputFolder"), "/next");
}

TEST_F(RegistryTest, AForeignFileReadsAsEmptyAndIsNeverWritten)
{
    const std::string foreign[] = {
        "[Settings]\nOutputFolder=/x\n",
        std::string("\x7f" "ELF\x02\x01\x01\0\0", 9),
        "vantrel registry 2\nK\tsoftware\n",
    };
    for (const std::string& text : foreign) {
        WriteFile(file, text);
        EXPECT_EQ(QueryString("software", "k"), "<missing>");
        HKEY key = nullptr;
        EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "software", 0, nullptr, 0, kAppAccess, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(key, nullptr);
        EXPECT_EQ(ReadFile(file), text);
    }
}

TEST_F(RegistryTest, ADamagedFileReadsAsEmptyAndIsKeptAsideOnTheFirstChange)
{
    const std::string damaged[] = {
        "vantrel registry 1\nK\tsoftware\nV\tk\t1\t7600\nV\tcut\t1\t76",    // cut short
        "vantrel registry 1\nV\tk\t1\t7600\n",                               // a value outside any key
        "vantrel registry 1\nK\tsoftware\nV\tk\t1\t7g00\n",                  // bad hex
        "vantrel registry 1\nK\tsoftware\nV\tk\t99999999999\t7600\n",        // type out of range
        "vantrel registry 1\nK\tsoftware\nX\n",                              // unknown line
    };
    int generation = 1;
    for (const std::string& text : damaged) {
        WriteFile(file, text);
        EXPECT_EQ(QueryString("software", "k"), "<missing>");
        ASSERT_EQ(SetString("software", "k", "fresh"), ERROR_SUCCESS);
        EXPECT_EQ(QueryString("software", "k"), "fresh");
        std::string aside = file + (generation == 1 ? ".damaged" : ".damaged-" + std::to_string(generation));
        EXPECT_EQ(ReadFile(aside), text);
        ++generation;
    }
}

} // namespace
