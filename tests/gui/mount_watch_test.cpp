// The window's drive list following the machine's mount table by itself. The test mounts file
// systems: it runs in a mount namespace of its own, as the root of a user namespace of its own, so
// it needs no privilege and nothing outside it sees the mounts.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>

#include <gtest/gtest.h>

#include "app/wizard.h"
#include "gui/main_window.h"
#include "platform/host_file_service.h"
#include "support/scripted_dialogs.h"

namespace {

bool isolated = false;

bool writeProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// Done before any thread starts: a process with threads cannot enter a user namespace.
bool enterNamespacesOfItsOwn() {
    const std::string uid = std::to_string(::getuid());
    const std::string gid = std::to_string(::getgid());
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        return false;
    }
    (void)writeProcFile("/proc/self/setgroups", "deny");
    return writeProcFile("/proc/self/uid_map", "0 " + uid + " 1") &&
           writeProcFile("/proc/self/gid_map", "0 " + gid + " 1") &&
           ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

QStringList entriesOf(const QComboBox& list) {
    QStringList entries;
    for (int i = 0; i < list.count(); ++i) {
        entries << list.itemText(i);
    }
    return entries;
}

}  // namespace

namespace xq::gui {
namespace {

TEST(MountWatch, TheDriveListFollowsTheMountTableByItself) {
    if (!isolated) {
        GTEST_SKIP() << "this machine gives no user and mount namespace of its own";
    }
    // A scratch /mnt of its own, where the card's file system is then mounted and unmounted.
    ASSERT_EQ(::mount("scratch", "/mnt", "tmpfs", 0, "size=64k"), 0);
    ASSERT_EQ(::mkdir("/mnt/card", 0755), 0);

    const std::unique_ptr<DriveTable> machine = makeHostDriveTable();
    HostFileService files(*machine, hostTemporaryFolder());
    WindowModel model;
    test::ScriptedDialogs dialogs;
    Wizard wizard(model, *machine, files, dialogs);
    MainWindow window(wizard, model);
    window.show();
    auto* list = window.findChild<QComboBox*>(QStringLiteral("DriveList"));
    const int system = list->findText(QStringLiteral("c:"), Qt::MatchStartsWith);
    ASSERT_GE(system, 0);
    list->setCurrentIndex(system);
    const QStringList before = entriesOf(*list);

    ASSERT_EQ(::mount("card", "/mnt/card", "tmpfs", 0, "size=1m"), 0);
    ASSERT_TRUE(waitFor([&] { return list->count() == before.size() + 1; }))
        << entriesOf(*list).join(QStringLiteral(", ")).toStdString();
    EXPECT_TRUE(list->currentText().startsWith(QStringLiteral("c:")));
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("DriveSize"))
                    ->text()
                    .contains(QStringLiteral("Drive C:")));

    ASSERT_EQ(::umount("/mnt/card"), 0);
    ASSERT_TRUE(waitFor([&] { return entriesOf(*list) == before; }))
        << entriesOf(*list).join(QStringLiteral(", ")).toStdString();
    EXPECT_TRUE(list->currentText().startsWith(QStringLiteral("c:")));
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace xq::gui

int main(int argc, char* argv[]) {
    isolated = enterNamespacesOfItsOwn();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
