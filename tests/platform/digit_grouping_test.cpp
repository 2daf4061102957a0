#include <locale>
#include <optional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "support/process.h"

#ifdef _WIN32
#include "platform/windows_headers.h"
#endif

namespace xq {
namespace {

#ifdef _WIN32

// Changes one of the user's regional settings, as the Region control panel does, for one test
// and puts the previous value back.
class ScopedRegionalSetting {
  public:
    ScopedRegionalSetting(LCTYPE setting, const wchar_t* value) : setting_(setting) {
        wchar_t previous[16] = {};
        if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, setting_, previous, 16) > 0) {
            previous_ = previous;
        }
        changed_ = ::SetLocaleInfoW(LOCALE_USER_DEFAULT, setting_, value) != 0;
    }
    ScopedRegionalSetting(const ScopedRegionalSetting&) = delete;
    ScopedRegionalSetting& operator=(const ScopedRegionalSetting&) = delete;
    ~ScopedRegionalSetting() {
        if (changed_ && previous_) {
            ::SetLocaleInfoW(LOCALE_USER_DEFAULT, setting_, previous_->c_str());
        }
    }
    bool changed() const { return changed_; }

  private:
    LCTYPE setting_;
    std::optional<std::wstring> previous_;
    bool changed_ = false;
};

TEST(RegionalDigitGrouping, FollowsTheUsersRegionalSettings) {
    ScopedRegionalSetting separator(LOCALE_STHOUSAND, L".");
    ScopedRegionalSetting groups(LOCALE_SGROUPING, L"3;0");
    ASSERT_TRUE(separator.changed() && groups.changed());
    EXPECT_EQ(formatGrouped(1234567, regionalDigitGrouping()), "1.234.567");
    {
        ScopedRegionalSetting none(LOCALE_SGROUPING, L"0");
        ASSERT_TRUE(none.changed());
        EXPECT_EQ(formatGrouped(1234567, regionalDigitGrouping()), "1234567");
    }
    ScopedRegionalSetting indian(LOCALE_SGROUPING, L"3;2;0");
    ASSERT_TRUE(indian.changed());
    // Only the first group size is kept.
    EXPECT_EQ(formatGrouped(1234567, regionalDigitGrouping()), "1.234.567");
}

#else

bool localeInstalled(const char* name) {
    try {
        std::locale probe(name);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

TEST(RegionalDigitGrouping, LocalesWithoutGroupingAndUnknownLocalesGroupByThousands) {
    for (const char* name : {"C", "POSIX", "C.UTF-8", "xx_NOWHERE.UTF-8"}) {
        test::ScopedEnvironmentVariable locale("LC_ALL", name);
        const DigitGrouping grouping = regionalDigitGrouping();
        EXPECT_EQ(grouping.separator, ",") << name;
        EXPECT_EQ(grouping.groupSize, 3) << name;
    }
    EXPECT_EQ(std::locale().name(), "C");  // the program's own locale is left alone
}

TEST(RegionalDigitGrouping, FollowsTheUserLocale) {
    if (!localeInstalled("de_DE.UTF-8")) {
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    }
    test::ScopedEnvironmentVariable locale("LC_ALL", "de_DE.UTF-8");
    const DigitGrouping grouping = regionalDigitGrouping();
    EXPECT_EQ(formatGrouped(1234567, grouping), "1.234.567");
}

#endif

}  // namespace
}  // namespace xq
