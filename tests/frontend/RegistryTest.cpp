#include "platform/win32/registry/Registry.h"
#include "platform/win32/registry/RegistryChangeScope.h"
#include "platform/win32/registry/RegistryHive.h"
#include "platform/win32/registry/RegistryReadScope.h"
#include "platform/win32/registry/SharedFile.h"
#include "tests/support/PdfMaker.h"
#include "tests/frontend/FileOpens.h"
#include "tests/frontend/FileText.h"
#include "tests/frontend/HostileHives.h"
#include "tests/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

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
        "vantrel registry 10\nK\tsoftware\n",
        "\xEF\xBB\xBFvantrel registry 1.2 \r\nK\tsoftware\r\n",
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

TEST_F(RegistryTest, ADamagedFileReadsWhatStillParsesAndIsKeptAsideOnTheFirstChange)
{
    const struct {
        std::string text;
        const char* k; // software\k as read before the change
    } damaged[] = {
        {"vantrel registry 1\nK\tsoftware\nV\tk\t1\t7600\nV\tcut\t1\t76", "v"},         // cut short
        {"vantrel registry 1\nV\tk\t1\t7600\n", "<missing>"},                          // a value outside any key
        {"vantrel registry 1\nK\tsoftware\nV\tk\t1\t7g00\n", "<missing>"},             // bad hex
        {"vantrel registry 1\nK\tsoftware\nV\tk\t99999999999\t7600\n", "<missing>"},   // type out of range
        {"vantrel registry 1\nK\tsoftware\nX\n", "<missing>"},                         // unknown line
    };
    int generation = 1;
    for (const auto& [text, k] : damaged) {
        WriteFile(file, text);
        EXPECT_EQ(QueryString("software", "k"), k);
        ASSERT_EQ(SetString("software", "k", "fresh"), ERROR_SUCCESS);
        EXPECT_EQ(QueryString("software", "k"), "fresh");
        std::string aside = file + (generation == 1 ? ".damaged" : ".damaged-" + std::to_string(generation));
        EXPECT_EQ(ReadFile(aside), text);
        ++generation;
    }
}

TEST_F(RegistryTest, KeysNestedDeeperThanTheBoundMakeTheFileDamaged)
{
    const std::string settings = "K\tsoftware\nV\tk\t1\t7600\n"; // software\k = "v"
    struct Case {
        const char* what;
        size_t depth;
        bool damaged;
    } cases[] = {
        {"one line of 400,000 names", 400000, true},
        {"one level past the bound", kMaxKeyDepth + 1, true},
        {"at the bound", kMaxKeyDepth, false},
    };
    for (const Case& c : cases) {
        const std::string text = HiveHeader() + settings + NestedKeyLine(c.depth, "a");
        WriteFile(file, text);
        EXPECT_EQ(QueryString("software", "k"), "v") << c.what << ": the line before the deep one";
        ASSERT_EQ(SetString("software", "k2", "fresh"), ERROR_SUCCESS) << c.what;
        EXPECT_EQ(QueryString("software", "k2"), "fresh") << c.what;
        EXPECT_EQ(QueryString("software", "k"), "v") << c.what;
        EXPECT_TRUE(ReadFile(file + ".damaged") == (c.damaged ? text : "")) << c.what;
        HKEY deepest = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, NestedKeyPath(c.depth, "a").c_str(), 0, KEY_READ, &deepest),
                  c.damaged ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS)
            << c.what;
        RegCloseKey(deepest);
        unlink((file + ".damaged").c_str());
    }
}

TEST_F(RegistryTest, NoKeyIsCreatedBelowTheBound)
{
    HKEY key = nullptr;
    std::string tooDeep = NestedKeyPath(kMaxKeyDepth + 1, "a");
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, tooDeep.c_str(), 0, nullptr, 0, kAppAccess, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(ReadFile(file), "") << "nothing was written";
    HKEY deep = Create(NestedKeyPath(kMaxKeyDepth - 10, "a").c_str());
    EXPECT_EQ(RegCreateKeyExA(deep, NestedKeyPath(11, "b").c_str(), 0, nullptr, 0, kAppAccess, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    HKEY deepest = Create(NestedKeyPath(10, "b").c_str(), kAppAccess, deep);
    EXPECT_NE(deepest, nullptr);
    RegCloseKey(deepest);
    RegCloseKey(deep);
}

TEST_F(RegistryTest, AChangeThatCouldNotBeReadBackIsRefusedAndTheFileStays)
{
    const std::string settings = HiveHeader() + "K\tsoftware\nV\tk\t1\t7600\n"; // software\k = "v"
    auto setValue = [this](size_t size) {
        return [this, size] {
            HKEY key = Create("software");
            std::string data(size, 'd');
            LONG status = RegSetValueExA(key, "new", 0, REG_BINARY, reinterpret_cast<const BYTE*>(data.data()),
                                         DWORD(data.size()));
            RegCloseKey(key);
            return status;
        };
    };
    auto createKey = [](size_t nameSize) {
        return [nameSize] {
            HKEY key = nullptr;
            std::string name(nameSize, 'n');
            return RegCreateKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, kAppAccess, nullptr, &key, nullptr);
        };
    };
    struct Case {
        const char* what;
        std::string text; // the file before the change
        std::function<LONG()> change;
        const char* k; // software\k as read before and after
    } cases[] = {
        // Its hexadecimal form alone is over four times the read limit.
        {"a value of 9 MiB", settings, setValue(9 << 20), "v"},
        // Raw control characters in a key name come back as "%01", three
        // bytes each.
        {"a key name that grows threefold", settings + "K\t" + std::string(kSharedFileMaxSize / 2, '\x01') + "\n",
         setValue(1), "v"},
        // The damaged file is not even set aside.
        {"a 17 MiB key over a damaged file", settings + "X\n", createKey(17 << 20), "v"},
    };
    for (const Case& c : cases) {
        WriteFile(file, c.text);
        ASSERT_EQ(QueryString("software", "k"), c.k) << c.what;
        EXPECT_NE(c.change(), ERROR_SUCCESS) << c.what;
        EXPECT_TRUE(ReadFile(file) == c.text) << c.what;
        EXPECT_EQ(QueryString("software", "k"), c.k) << c.what;
        EXPECT_EQ(access((file + ".new").c_str(), F_OK), -1) << c.what;
        EXPECT_EQ(access((file + ".damaged").c_str(), F_OK), -1) << c.what;
    }
}

// Names as the calls never make them but a file can hold: "%2f" stands for
// "/" and "%5c" for "\\", so each of these is one key.
TEST_F(RegistryTest, KeyNamesWithSeparatorsOrPercentReadBackAsTheSameNames)
{
    const std::vector<std::string> names = {"/", "x/y", "\\", "a\\b/c", "%", "%2f", "100%", "%5C", "tab\there"};
    RegistryKey tree;
    RegistryKey& software = tree.AddSubkey("software");
    for (const std::string& name : names)
        software.AddSubkey(name).SetValue("name", REG_SZ, name);
    WriteFile(file, FormatHive(tree));
    for (const char* value : {"1", "2"}) // the second write reads what the first wrote
        ASSERT_EQ(SetString("software", "k", value), ERROR_SUCCESS);
    EXPECT_EQ(access((file + ".damaged").c_str(), F_OK), -1);
    RegistryKey back;
    ASSERT_EQ(ParseHive(ReadFile(file), back), HiveText::Ours);
    RegistryKey* read = back.Subkey("software");
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->subkeys.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(read->subkeys[i]->name, names[i]);
        RegistryValue* value = read->subkeys[i]->Value("name");
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->data, names[i]);
    }
    EXPECT_EQ(QueryString("software", "k"), "2");
}

TEST_F(RegistryTest, FilesWrittenBeforeNamesEscapedSeparatorsReadAsThen)
{
    RegistryKey tree;
    // A raw separator in a path still parts two names.
    ASSERT_EQ(ParseHive(HiveHeader() + "K\tsoftware\\x/y\nK\tsoftware\\%41%2fB\n", tree), HiveText::Ours);
    RegistryKey* software = tree.Subkey("software");
    ASSERT_NE(software, nullptr);
    ASSERT_EQ(software->subkeys.size(), 2u);
    EXPECT_NE(tree.Descend({"software", "x", "y"}), nullptr);
    EXPECT_EQ(software->subkeys[1]->name, "A/B");
}

// Many keys side by side and many values in one key: each name found by a
// walk over the ones before it made reading quadratic. Reading a file of N
// entries sixteen times and one of 16 N once is the same work when reading
// is linear, sixteen times more for the large file when it is quadratic.
TEST_F(RegistryTest, ReadingStaysLinearInTheNumberOfKeysAndValues)
{
    auto fileOf = [](int entries) {
        std::string text = HiveHeader();
        for (int i = 0; i < entries; ++i)
            text += "K\tk" + std::to_string(i) + "\n";
        text += "K\tsoftware\n";
        for (int i = 0; i < entries; ++i)
            text += "V\tv" + std::to_string(i) + "\t1\t7600\n";
        return text + "V\tlast\t1\t7600\n";
    };
    auto readOnce = [] {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, KEY_READ, &key), ERROR_SUCCESS);
        RegCloseKey(key);
    };
    // The least CPU time of a few trials of reading the file times times,
    // after one reading that is not counted.
    auto readingTime = [&](int entries, int times) {
        WriteFile(file, fileOf(entries));
        readOnce();
        double least = 1e9;
        for (int trial = 0; trial < 3; ++trial) {
            double start = CpuSeconds();
            for (int i = 0; i < times; ++i)
                readOnce();
            least = std::min(least, CpuSeconds() - start);
        }
        EXPECT_EQ(QueryString("software", "last"), "v");
        return least;
    };
    const int most = int(std::min(kMaxHiveKeys, kMaxHiveValues)) - 2;
    double small = readingTime(most / 16, 16), large = readingTime(most, 1);
    EXPECT_LT(large, 8 * std::max(small, 0.001)) << small << " s, then " << large << " s";
}

TEST_F(RegistryTest, AReadScopeReadsTheFileOnceAndSeesItsOwnChanges)
{
    ASSERT_EQ(SetString("software", "k", "old"), ERROR_SUCCESS);
    RegistryReadScope scope;
    {
        FileOpens opens(file);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(QueryString("software", "k"), "old");
        EXPECT_EQ(opens.Count(), 1);
    }
    ASSERT_EQ(SetString("software", "k", "new"), ERROR_SUCCESS);
    EXPECT_EQ(QueryString("software", "k"), "new");
}

// Saves in a process of its own and reports whether the save went through.
bool SavedInAnotherProcess(const std::function<LONG()>& save)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(save() == ERROR_SUCCESS ? 0 : 1);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What stands at a name beside the settings file in each case.
enum class Kind { Fifo, EmptyFolder, FullFolder, LinkToFifo, LinkToNowhere };

void Make(Kind kind, const std::string& path)
{
    switch (kind) {
    case Kind::Fifo:
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        break;
    case Kind::EmptyFolder:
        ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
        break;
    case Kind::FullFolder:
        ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
        WriteFile(path + "/inside", "x");
        break;
    case Kind::LinkToFifo:
        ASSERT_EQ(mkfifo((path + "-fifo").c_str(), 0600), 0);
        ASSERT_EQ(symlink((path + "-fifo").c_str(), path.c_str()), 0);
        break;
    case Kind::LinkToNowhere:
        ASSERT_EQ(symlink((path + "-target").c_str(), path.c_str()), 0);
        break;
    }
}

// A pipe opened for reading waits for a writer: the alarm ends a test that
// would hang instead of the whole run.
class RegistryFileKinds : public RegistryTest {
protected:
    void SetUp() override { alarm(30); }
    void TearDown() override { alarm(0); }
};

TEST_F(RegistryFileKinds, APipeAsTheSettingsFileReadsAsUnreadableAndIsNeverWaitedOn)
{
    for (Kind kind : {Kind::Fifo, Kind::LinkToFifo}) {
        Make(kind, file);
        EXPECT_EQ(QueryString("software", "k"), "<missing>");
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software", 0, nullptr, 0, kAppAccess, nullptr, &key, nullptr),
                  ERROR_ACCESS_DENIED);
        {
            RegistryChangeScope scope; // also reads the file under the lock
            EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software", 0, nullptr, 0, kAppAccess, nullptr, &key, nullptr),
                      ERROR_ACCESS_DENIED);
        }
        struct stat st;
        ASSERT_EQ(stat(file.c_str(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "left as it was";
        unlink(file.c_str());
        unlink((file + "-fifo").c_str());
    }
}

TEST_F(RegistryFileKinds, WhateverStandsAtTheNewFilesNameTheSaveGoesThrough)
{
    const struct {
        const char* what;
        Kind kind;
    } cases[] = {
        {"a pipe", Kind::Fifo},
        {"an empty folder", Kind::EmptyFolder},
        {"a folder with a file in it", Kind::FullFolder},
        {"a link to a pipe", Kind::LinkToFifo},
        {"a link to nowhere", Kind::LinkToNowhere},
    };
    int round = 0;
    for (const auto& c : cases) {
        Make(c.kind, file + ".new");
        const std::string value = "saved " + std::to_string(++round);
        ASSERT_EQ(SetString("software", "k", value), ERROR_SUCCESS) << c.what;
        EXPECT_EQ(QueryString("software", "k"), value) << c.what;
        ASSERT_EQ(SetString("software", "k2", value), ERROR_SUCCESS) << c.what << ": every later save too";
        EXPECT_EQ(access((file + ".new-target").c_str(), F_OK), -1) << c.what << ": nothing written through a link";
        std::filesystem::remove_all(file + ".new");
        unlink((file + ".new-fifo").c_str());
    }
    // No name of our own is left beside the file.
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        EXPECT_TRUE(entry.path().filename() == "registry" || entry.path().filename() == "registry.lock")
            << entry.path();
}

TEST_F(RegistryFileKinds, ALockFileThatIsNotARegularFileIsNotFollowed)
{
    ASSERT_EQ(SetString("software", "k", "before"), ERROR_SUCCESS);
    unlink((file + ".lock").c_str());
    for (Kind kind : {Kind::Fifo, Kind::LinkToNowhere}) {
        Make(kind, file + ".lock");
        EXPECT_EQ(QueryString("software", "k"), "before"); // the read goes on unlocked
        HKEY key = nullptr;
        EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\new", 0, nullptr, 0, kAppAccess, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(QueryString("software", "k"), "before");
        EXPECT_EQ(access((file + ".lock-target").c_str(), F_OK), -1) << "no file made where the link points";
        {
            RegistryChangeScope scope; // without the lock it still reads
            EXPECT_EQ(QueryString("software", "k"), "before");
            EXPECT_NE(SetString("software", "k", "after"), ERROR_SUCCESS);
        }
        EXPECT_EQ(QueryString("software", "k"), "before");
        unlink((file + ".lock").c_str());
    }
}

// Copies of our own file that a crash, a disk or an editor damaged, and
// files of ours too large to read: each is kept aside byte for byte, and
// the next save starts afresh where another process reads it back.
TEST_F(RegistryTest, ADamagedCopyOfOursIsKeptAsideAndTheNextSaveStartsAfresh)
{
    const std::string body = "K\tsoftware\nV\told\t1\t7600\n";
    std::string tooMany = HiveHeader();
    for (size_t i = 0; i <= kMaxHiveKeys; ++i)
        tooMany += "K\tk" + std::to_string(i) + "\n";
    const struct {
        const char* what;
        std::string text;
        const char* old = "<missing>"; // software\old as read before the save
    } cases[] = {
        {"only NULs", std::string(4096, '\0')},
        {"one NUL", std::string(1, '\0')},
        {"cut inside the header", "vantrel regis"},
        {"cut after the header", "vantrel registry 1"},
        {"CR LF line ends", "vantrel registry 1\r\nK\tsoftware\r\nV\told\t1\t7600\r\n", "v"},
        {"ours and over the size limit", HiveHeader() + body + std::string(kSharedFileMaxSize, 'K') + "\n"},
        {"NULs over the size limit", std::string(kSharedFileMaxSize + 1, '\0')},
        {"more keys than a file may hold", tooMany},
    };
    for (const auto& c : cases) {
        WriteFile(file, c.text);
        EXPECT_EQ(QueryString("software", "old"), c.old) << c.what;
        ASSERT_TRUE(SavedInAnotherProcess([this] { return SetString("software", "k", "fresh"); })) << c.what;
        EXPECT_EQ(QueryString("software", "k"), "fresh") << c.what;
        EXPECT_TRUE(ReadFile(file + ".damaged") == c.text) << c.what << ": kept aside whole";
        ASSERT_EQ(unlink((file + ".damaged").c_str()), 0) << c.what;
    }
}

TEST_F(RegistryTest, SetAsideCopiesAreBoundedAndNeverWrittenOver)
{
    // What the previous version left: a thousand copies.
    WriteFile(file + ".damaged", "copy 1");
    for (int n = 2; n <= 1000; ++n)
        WriteFile(file + ".damaged-" + std::to_string(n), "copy " + std::to_string(n));
    WriteFile(file + ".damaged-x", "not a copy");
    for (int round = 1; round <= 7; ++round) {
        const std::string damaged = HiveHeader() + "X " + std::to_string(round) + "\n";
        WriteFile(file, damaged);
        ASSERT_EQ(SetString("software", "k", "fresh"), ERROR_SUCCESS) << round;
        EXPECT_EQ(ReadFile(file + ".damaged-" + std::to_string(1000 + round)), damaged) << round;
    }
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        if (entry.path().filename().string().rfind("registry.damaged", 0) == 0)
            kept.push_back(entry.path().filename());
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> expected = {"registry.damaged-1003", "registry.damaged-1004", "registry.damaged-1005",
                                         "registry.damaged-1006", "registry.damaged-1007", "registry.damaged-x"};
    ASSERT_EQ(kSharedFileKeptCopies, 5);
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(ReadFile(file + ".damaged-x"), "not a copy");
}

TEST_F(RegistryTest, ASettingsFileThatIsALinkIsWrittenWhereTheLinkPoints)
{
    ScratchFolder dotfiles;
    const std::string target = dotfiles.File("registry");
    const struct {
        const char* what;
        std::string link; // what the settings file links to
        bool exists;      // whether the target is there before the save
    } cases[] = {
        {"an absolute link", target, true},
        {"a relative link", "../" + std::filesystem::path(dotfiles.Path()).filename().string() + "/registry", true},
        {"a link whose file is still to be made", target, false},
        {"a link to a link", dotfiles.File("step"), true},
    };
    ASSERT_EQ(symlink(target.c_str(), dotfiles.File("step").c_str()), 0);
    for (const auto& c : cases) {
        unlink(target.c_str());
        if (c.exists)
            WriteFile(target, HiveHeader() + "K\tsoftware\nV\told\t1\t7600\n");
        unlink(file.c_str());
        ASSERT_EQ(symlink(c.link.c_str(), file.c_str()), 0) << c.what;
        ASSERT_EQ(SetString("software", "k", "through"), ERROR_SUCCESS) << c.what;
        struct stat st;
        ASSERT_EQ(lstat(file.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.what << ": the link stays";
        EXPECT_NE(ReadFile(target).find("V\tk\t1\t7468726f75676800\n"), std::string::npos) << c.what;
        EXPECT_EQ(QueryString("software", "old"), c.exists ? "v" : "<missing>") << c.what;
        EXPECT_EQ(QueryString("software", "k"), "through") << c.what;
    }
}

TEST_F(RegistryTest, AValueOnTheUserRootItselfIsRefused)
{
    const BYTE data[] = "v";
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "k", 0, REG_SZ, data, sizeof data), ERROR_ACCESS_DENIED);
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, kAppAccess, &root), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(root, "k", 0, REG_SZ, data, sizeof data), ERROR_ACCESS_DENIED);
    RegCloseKey(root);
    EXPECT_EQ(ReadFile(file), "") << "nothing written";
    // The machine hive lives in memory and keeps them.
    EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "RootValueTest", 0, REG_SZ, data, sizeof data), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "RootValueTest", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof data);
}

// A file the calls must not write over: no change gets through, and a read
// scope keeps its one reading of it.
TEST_F(RegistryTest, ARefusedChangeKeepsTheReadScopesReading)
{
    WriteFile(file, "[Settings]\nOutputFolder=/x\n");
    RegistryReadScope scope;
    FileOpens opens(file);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, KEY_READ, &key), ERROR_SUCCESS);
    int first = opens.Count();
    for (int i = 0; i < 5; ++i) {
        EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "software", 0, nullptr, 0, kAppAccess, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, KEY_READ, &key), ERROR_SUCCESS);
    }
    // One reading for the scope, and one under the lock for each change.
    EXPECT_EQ(opens.Count(), first + 5);
}

TEST_F(RegistryTest, AChangeScopeReadsAndWritesTheFileOnce)
{
    ASSERT_EQ(SetString("software", "k", "old"), ERROR_SUCCESS);
    std::string before = ReadFile(file);
    {
        FileOpens opens(file);
        RegistryChangeScope scope;
        for (int i = 0; i < 9; ++i)
            ASSERT_EQ(SetString("software", ("v" + std::to_string(i)).c_str(), "new"), ERROR_SUCCESS);
        EXPECT_EQ(QueryString("software", "v8"), "new") << "the scope sees its own changes";
        EXPECT_EQ(ReadFile(file), before) << "nothing written yet";
        EXPECT_EQ(opens.Count(), 2) << "the scope's reading and this test's";
        EXPECT_TRUE(scope.Save());
    }
    pid_t pid = fork();
    if (pid == 0) {
        for (int i = 0; i < 9; ++i)
            if (QueryString("software", ("v" + std::to_string(i)).c_str()) != "new")
                _exit(1);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process reads every value";

    // A change the file cannot take fails the scope's one write.
    before = ReadFile(file);
    {
        RegistryChangeScope scope;
        ASSERT_EQ(SetString("software", "small", "v"), ERROR_SUCCESS);
        std::string big(9 << 20, 'd');
        HKEY key = Create("software");
        RegSetValueExA(key, "big", 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()), DWORD(big.size()));
        RegCloseKey(key);
        EXPECT_FALSE(scope.Save());
        EXPECT_NE(SetString("software", "later", "v"), ERROR_SUCCESS);
    }
    EXPECT_TRUE(ReadFile(file) == before);
    EXPECT_EQ(QueryString("software", "small"), "<missing>");
}


// A file this program saved, then what a crash, a disk or an editor made of
// it: every line that still parses reads back in a new process, a start
// that changes nothing writes nothing, and the first save keeps the damaged
// copy aside byte for byte and then holds.
TEST_F(RegistryTest, ADamagedCopyKeepsEveryLineThatStillParses)
{
    const char kKey[] = "software\\Norvik\\Slidemint\\Settings";
    const std::vector<std::string> names = {"v0", "v1", "v2", "v3", "v4"};
    for (const std::string& name : names)
        ASSERT_EQ(SetString(kKey, name.c_str(), "value of " + name), ERROR_SUCCESS);
    const std::string saved = ReadFile(file);
    const size_t headerEnd = saved.find('\n'), keyEnd = saved.find('\n', headerEnd + 1);
    const size_t middleEnd = saved.find('\n', saved.find("V\tv2\t"));
    const size_t lastLine = saved.rfind('\n', saved.size() - 2) + 1;
    ASSERT_EQ(saved.compare(lastLine, 5, "V\tv4\t"), 0) << saved;
    auto inserted = [&](size_t at, const std::string& what) { return std::string(saved).insert(at, what); };
    std::string badDigit = saved;
    badDigit[middleEnd - 3] = 'g';
    std::string crlf;
    for (char c : saved)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    struct Case {
        std::string what;
        std::string text;
        std::string lost; // the value whose line is damaged, if any
    };
    std::vector<Case> cases = {
        {"a bad digit in the middle value", badDigit, "v2"},
        {"a line of an unknown kind", inserted(keyEnd + 1, "W\tsomething\n"), ""},
        {"a byte order mark", "\xEF\xBB\xBF" + saved, ""},
        {"blanks after the header", inserted(headerEnd, " \t "), ""},
        {"a CR on the key line", inserted(keyEnd, "\r"), ""},
        {"a CR on a value line", inserted(middleEnd, "\r"), ""},
        {"CR LF line ends", crlf, ""},
    };
    for (size_t cut = lastLine + 1; cut < saved.size(); ++cut)
        cases.push_back({"cut at byte " + std::to_string(cut), saved.substr(0, cut), "v4"});
    // In a process of its own: the values as a start reads them, in a change
    // scope that creates the key when it is missing.
    auto readsBack = [&](const Case& c, bool withSaved) {
        return SavedInAnotherProcess([&]() -> LONG {
            RegistryChangeScope start;
            HKEY key = Create(kKey);
            RegCloseKey(key);
            for (const std::string& name : names)
                if (QueryString(kKey, name.c_str()) != (name == c.lost ? "<missing>" : "value of " + name))
                    return ERROR_BADDB;
            return !withSaved || QueryString(kKey, "saved") == "yes" ? ERROR_SUCCESS : ERROR_BADDB;
        });
    };
    for (const Case& c : cases) {
        WriteFile(file, c.text);
        EXPECT_TRUE(readsBack(c, false)) << c.what;
        EXPECT_TRUE(ReadFile(file) == c.text) << c.what << ": a start that changes nothing writes nothing";
        EXPECT_EQ(access((file + ".damaged").c_str(), F_OK), -1) << c.what;
        ASSERT_TRUE(SavedInAnotherProcess([&] { return SetString(kKey, "saved", "yes"); })) << c.what;
        EXPECT_TRUE(ReadFile(file + ".damaged") == c.text) << c.what << ": kept aside byte for byte";
        EXPECT_TRUE(readsBack(c, true)) << c.what;
        RegistryKey tree;
        EXPECT_EQ(ParseHive(ReadFile(file), tree), HiveText::Ours) << c.what << ": written afresh";
        ASSERT_EQ(unlink((file + ".damaged").c_str()), 0) << c.what;
    }
}


// One process names the settings file by a link, the other by the file the
// link points to: they take one lock, and every save either reports done
// is in the file.
TEST_F(RegistryTest, ALinkAndItsTargetShareOneLockAndLoseNoSave)
{
    ScratchFolder dotfiles;
    const std::string target = dotfiles.File("registry");
    ASSERT_EQ(symlink(target.c_str(), file.c_str()), 0);
    const int kSaves = 80;
    const std::string names[2] = {file, target};
    int pipes[2][2];
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        ASSERT_EQ(pipe(pipes[child]), 0);
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            setenv("VANTREL_REGISTRY", names[child].c_str(), 1);
            std::string done; // a letter per save: y when reported done
            for (int i = 0; i < kSaves; ++i) {
                const std::string name = "p" + std::to_string(child) + "_" + std::to_string(i);
                done += SetString("software\\Shared", name.c_str(), name) == ERROR_SUCCESS ? 'y' : 'n';
            }
            _exit(write(pipes[child][1], done.data(), done.size()) == ssize_t(done.size()) ? 0 : 1);
        }
        close(pipes[child][1]);
    }
    std::string done[2];
    for (int child = 0; child < 2; ++child) {
        int status = 0;
        ASSERT_EQ(waitpid(children[child], &status, 0), children[child]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        char buffer[kSaves];
        ssize_t n = read(pipes[child][0], buffer, sizeof buffer);
        close(pipes[child][0]);
        ASSERT_EQ(n, kSaves);
        done[child].assign(buffer, size_t(n));
    }
    for (int child = 0; child < 2; ++child)
        for (int i = 0; i < kSaves; ++i) {
            const std::string name = "p" + std::to_string(child) + "_" + std::to_string(i);
            if (done[child][size_t(i)] == 'y') {
                EXPECT_EQ(QueryString("software\\Shared", name.c_str()), name) << "reported done";
            }
        }
    EXPECT_EQ(done[0], std::string(kSaves, 'y')) << "through the link";
    EXPECT_EQ(done[1], std::string(kSaves, 'y')) << "through the target";
    for (const auto& entry : std::filesystem::directory_iterator(dotfiles.Path()))
        EXPECT_TRUE(entry.path().filename() == "registry" || entry.path().filename() == "registry.lock")
            << entry.path();
}

// A writer killed between writing its copy and renaming it leaves the copy,
// with the settings in it; the next save removes it.
TEST_F(RegistryTest, ACopyADeadWriterLeftIsRemovedByTheNextSave)
{
    ASSERT_EQ(SetString("software\\Norvik", "PDFPWD", "old secret"), ERROR_SUCCESS);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        SetSharedFileReplaceHook([] { raise(SIGKILL); });
        SetString("software\\Norvik", "PDFPWD", "new secret");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    auto leftCopies = [&] {
        std::vector<std::string> copies;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            if (entry.path().filename().string().rfind("registry.new-", 0) == 0)
                copies.push_back(entry.path());
        return copies;
    };
    const std::vector<std::string> left = leftCopies();
    ASSERT_EQ(left.size(), 1u);
    struct stat st;
    ASSERT_EQ(stat(left[0].c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_NE(ReadFile(left[0]).find("6e657720736563726574"), std::string::npos) << "the copy holds the new value";
    ASSERT_EQ(SetString("software\\Norvik", "OutputFolder", "/next"), ERROR_SUCCESS);
    EXPECT_TRUE(leftCopies().empty());
    EXPECT_EQ(QueryString("software\\Norvik", "PDFPWD"), "old secret");
}

// Another process holds the lock and does not let go (stopped, or stuck):
// a read gives up waiting and reads the file as it is, a change is refused
// and the file stays as it was.
TEST_F(RegistryFileKinds, ALockKeptByAnotherProcessHoldsNoOneUp)
{
    ASSERT_EQ(SetString("software", "k", "stored"), ERROR_SUCCESS);
    const std::string before = ReadFile(file);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        int fd = open((file + ".lock").c_str(), O_RDWR);
        bool locked = fd >= 0 && flock(fd, LOCK_EX) == 0;
        if (write(ready[1], locked ? "y" : "n", 1) != 1)
            _exit(1);
        pause();
        _exit(0);
    }
    char locked = 0;
    ASSERT_EQ(read(ready[0], &locked, 1), 1);
    ASSERT_EQ(locked, 'y');
    EXPECT_EQ(QueryString("software", "k"), "stored");
    {
        RegistryChangeScope start; // as a start's load does
        EXPECT_EQ(QueryString("software", "k"), "stored");
        EXPECT_NE(SetString("software", "k", "changed"), ERROR_SUCCESS);
        EXPECT_FALSE(start.Save());
    }
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_TRUE(ReadFile(file) == before);
    ASSERT_EQ(SetString("software", "k", "changed"), ERROR_SUCCESS) << "once the holder is gone";
    EXPECT_EQ(QueryString("software", "k"), "changed");
}

} // namespace
