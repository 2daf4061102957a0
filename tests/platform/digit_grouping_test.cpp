#include <stdlib.h>

#include <locale>
#include <optional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"

namespace xq {
namespace {

// Sets LC_ALL for one test and puts the previous value back.
class ScopedLocaleVariable {
  public:
    explicit ScopedLocaleVariable(const char* value) {
        if (const char* old = ::getenv("LC_ALL")) {
            previous_ = old;
        }
        ::setenv("LC_ALL", value, 1);
    }
    ScopedLocaleVariable(const ScopedLocaleVariable&) = delete;
    ScopedLocaleVariable& operator=(const ScopedLocaleVariable&) = delete;
    ~ScopedLocaleVariable() {
        if (previous_) {
            ::setenv("LC_ALL", previous_->c_str(), 1);
        } else {
            ::unsetenv("LC_ALL");
        }
    }

  private:
    std::optional<std::string> previous_;
};

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
        ScopedLocaleVariable locale(name);
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
    ScopedLocaleVariable locale("de_DE.UTF-8");
    const DigitGrouping grouping = regionalDigitGrouping();
    EXPECT_EQ(formatGrouped(1234567, grouping), "1.234.567");
}

}  // namespace
}  // namespace xq
