// The window on the largest set the format allows (99 full diskettes, 100 file lines): the real Qt
// window (offscreen), driven as an operator would drive it, next to the terminal front end on the
// same set in the same run, both as child processes of this run. The window is measured with its
// log pane hidden and shown: every line logged then goes to the open log as well.
//
//   xq3100-window-benchmark           the comparison; the window's target is 1.2 times the
//                                     terminal's time or less
//   xq3100-window-benchmark --window hidden|shown CARD DISKETTE...
//                                     one conversion in the window (what the comparison runs)

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include "app/wizard.h"
#include "command_line/virtual_drives.h"
#include "gui/main_window.h"
#include "platform/host_file_service.h"
#include "platform/instance_lock.h"
#include "process_runs.h"

namespace {

namespace fs = std::filesystem;
using namespace xq::bench;

constexpr int kRounds = 5;
constexpr int kLargestDiskettes = 99;
constexpr double kTimeTarget = 1.2;  // window time / terminal time

// Message boxes answered as --yes answers them; any box at all means the run went wrong.
class AnsweringDialogs : public xq::Dialogs {
  public:
    xq::Answer messageBox(std::string_view text, std::string_view, xq::BoxStyle style) override {
        std::fprintf(stderr, "message box: %.*s\n", static_cast<int>(text.size()), text.data());
        ++shown;
        return style.buttons == xq::BoxButtons::YesNo ? xq::Answer::Yes : xq::Answer::Ok;
    }
    int shown = 0;
};

// Presses a button of the window and lets the window handle what the press left for it (paint
// events), as its event loop does between two presses of the operator.
void press(const xq::gui::MainWindow& window, const char* name) {
    window.findChild<QPushButton*>(QString::fromLatin1(name))->click();
    QApplication::processEvents();
}

void select(const xq::gui::MainWindow& window, char letter) {
    auto* list = window.findChild<QComboBox*>(QStringLiteral("DriveList"));
    list->setCurrentIndex(
        list->findText(QString(QChar::fromLatin1(letter).toLower()) + ':', Qt::MatchStartsWith));
    QApplication::processEvents();
}

int convertInTheWindow(int argc, char* argv[]) {
    const bool logShown = std::strcmp(argv[2], "shown") == 0;
    xq::VirtualDriveOptions options;
    options.cardFolder = argv[3];
    for (int i = 4; i < argc; ++i) {
        options.disketteFolders.emplace_back(argv[i]);
    }
    QApplication application(argc, argv);

    // As the window program starts: its drives, its files, its lock.
    AnsweringDialogs dialogs;
    const std::unique_ptr<xq::DriveTable> machine = xq::makeHostDriveTable();
    xq::VirtualDrives drives(*machine, options);
    xq::HostFileService files(drives.table(), xq::hostTemporaryFolder());
    xq::InstanceLock instance;
    if (xq::lockWorkingDirectories(instance, files).outcome != xq::LockOutcome::Acquired) {
        std::fprintf(stderr, "the working directories are locked\n");
        return 1;
    }
    xq::WindowModel model;
    xq::Wizard wizard(model, drives.table(), files, dialogs);
    wizard.onDisketteRequested([&drives](int n) { drives.disketteRequested(n); });
    xq::gui::MainWindow window(wizard, model);
    window.show();
    wizard.startUp();
    window.syncFromModel();
    QApplication::processEvents();

    if (logShown) {
        press(window, "buttonLog");
    }
    select(window, drives.floppyLetter());
    press(window, "buttonOK");
    for (std::size_t n = 1; n <= options.disketteFolders.size(); ++n) {
        press(window, "buttonOK");
    }
    select(window, drives.cardLetter());
    press(window, "buttonOK");
    const bool written = wizard.state().wizardStep == xq::WizardStep::Written;
    press(window, "buttonExit");
    return written && dialogs.shown == 0 ? 0 : 1;
}

std::vector<std::string> windowConversion(const char* log, const fs::path& set,
                                          const fs::path& card, const char* self) {
    std::vector<std::string> command = {self, "--window", log, card.string()};
    for (const std::string& folder : disketteFolders(set, kLargestDiskettes)) {
        command.push_back(folder);
    }
    return command;
}

std::vector<std::string> terminalConversion(const fs::path& set, const fs::path& card) {
    std::vector<std::string> command = {XQ_CONVERT_PROGRAM, "--yes", "--diskettes"};
    for (const std::string& folder : disketteFolders(set, kLargestDiskettes)) {
        command.push_back(folder);
    }
    command.insert(command.end(), {"--card", card.string()});
    return command;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 5 && std::strcmp(argv[1], "--window") == 0) {
        return convertInTheWindow(argc, argv);
    }
    const ScratchFolder scratch;
    if (scratch.path().empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path base = scratch.path();
    fs::create_directories(base / "largest");
    // The window draws offscreen.
    const std::vector<std::string> env = converterEnvironment(base, {"QT_QPA_PLATFORM=offscreen"});
    if (spawnAndWait({XQ_SAMPLE_PROGRAM, (base / "largest").string(), "--largest"}, env).status !=
        0) {
        std::fprintf(stderr, "cannot write the set\n");
        return 1;
    }

    const fs::path set = base / "largest";
    const fs::path self = fs::canonical("/proc/self/exe");
    std::vector<Measured> terminal;
    std::vector<Measured> hidden;
    std::vector<Measured> shown;
    for (int round = 0; round < kRounds; ++round) {
        terminal.push_back(spawnAndWait(terminalConversion(set, freshFolder(base / "card")), env));
        hidden.push_back(spawnAndWait(
            windowConversion("hidden", set, freshFolder(base / "card"), self.c_str()), env));
        shown.push_back(spawnAndWait(
            windowConversion("shown", set, freshFolder(base / "card"), self.c_str()), env));
    }
    const Summary terminalRun = summaryOf(terminal);
    const Summary hiddenRun = summaryOf(hidden);
    const Summary shownRun = summaryOf(shown);
    const double hiddenRatio = hiddenRun.seconds / terminalRun.seconds;
    const double shownRatio = shownRun.seconds / terminalRun.seconds;

    std::printf("build type: %s; median time of %d rounds, highest peak\n", XQ_BUILD_TYPE, kRounds);
    std::printf("largest set: %d diskettes of 1.44 MB, 100 file lines\n", kLargestDiskettes);
    printLine("xq3100-convert --yes", terminalRun);
    printLine("window, log hidden", hiddenRun);
    printLine("window, log shown", shownRun);
    std::printf("  time ratio, log hidden: %5.2f    target %.1f or less: %s\n", hiddenRatio,
                kTimeTarget, verdict(hiddenRatio <= kTimeTarget));
    std::printf("  time ratio, log shown:  %5.2f    target %.1f or less: %s\n", shownRatio,
                kTimeTarget, verdict(shownRatio <= kTimeTarget));
    std::printf("rounds (terminal / window, log hidden / window, log shown):");
    for (int round = 0; round < kRounds; ++round) {
        const auto r = static_cast<std::size_t>(round);
        std::printf("  %.3f/%.3f/%.3f", terminal[r].seconds, hidden[r].seconds, shown[r].seconds);
    }
    std::printf("\n");
    return terminalRun.status == 0 && hiddenRun.status == 0 && shownRun.status == 0 ? 0 : 1;
}
