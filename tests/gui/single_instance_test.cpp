#include "gui/single_instance.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace xq::gui {
namespace {

TEST(SingleInstance, ASecondCopyIsRefusedWhileTheFirstRuns) {
    test::TempDir temp;
    const QString path = QString::fromStdString((temp / "converter.lock").string());
    auto first = std::make_unique<SingleInstance>(path);
    ASSERT_TRUE(first->acquire());
    SingleInstance second(path);
    EXPECT_FALSE(second.acquire());
    first.reset();
    EXPECT_TRUE(second.acquire());
}

TEST(SingleInstance, ALockLeftByACopyThatDiedIsTakenOver) {
    test::TempDir temp;
    const QString path = QString::fromStdString((temp / "converter.lock").string());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance crashed(path);
        // End without releasing the lock, as a crash would.
        ::_exit(crashed.acquire() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    SingleInstance next(path);
    EXPECT_TRUE(next.acquire());
}

}  // namespace
}  // namespace xq::gui
