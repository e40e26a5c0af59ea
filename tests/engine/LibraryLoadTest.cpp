// Loading the engine library makes its own temporary folder; unloading it
// removes the folder again. The test loads the real library with dlopen,
// under a private TMPDIR.
#include "tests/ScopedEnv.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <dlfcn.h>
#include <filesystem>
#include <regex>
#include <set>
#include <stdlib.h>
#include <string>

namespace {

std::set<std::string> Entries(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    return names;
}

TEST(LibraryLoad, TheTemporaryFolderLivesAsLongAsTheLibrary)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "engine-load-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    ScopedEnv tmpdir("TMPDIR", pattern.c_str());

    void* library = dlopen(CORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    std::set<std::string> whileLoaded = Entries(pattern);
    ASSERT_EQ(whileLoaded.size(), 1u);
    EXPECT_TRUE(std::regex_match(*whileLoaded.begin(), std::regex("\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}/")))
        << *whileLoaded.begin();
    EXPECT_NE(dlsym(library, "Corvane"), nullptr);
    EXPECT_NE(dlsym(library, "CorvaneSetup"), nullptr);
    EXPECT_EQ(dlsym(library, "SetPageSet"), nullptr) << "internals are not exported";

    ASSERT_EQ(dlclose(library), 0);
    EXPECT_TRUE(Entries(pattern).empty());

    // A second load gets another folder.
    library = dlopen(CORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    std::set<std::string> again = Entries(pattern);
    EXPECT_EQ(again.size(), 1u);
    EXPECT_NE(again, whileLoaded);
    dlclose(library);
    EXPECT_TRUE(Entries(pattern).empty());
    std::filesystem::remove_all(pattern);
}

} // namespace
