// Linked into a second build of a test program: the whole suite runs under
// the user's locale, as in the desktop program, which sets it at start. The
// test runs with LC_ALL naming a locale whose decimal separator is a comma.
#include <gtest/gtest.h>

#include <clocale>

namespace {

class UserLocale : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr) << "the locale named by LC_ALL is not installed";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "LC_ALL must name a comma-decimal locale";
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

[[maybe_unused]] ::testing::Environment* const userLocale = ::testing::AddGlobalTestEnvironment(new UserLocale);

} // namespace
