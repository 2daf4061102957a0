// A whole conversion of the largest set the format allows (99 full diskettes), by the terminal
// front end, next to the plainest job that does the same work with the same care, both in this
// run and on the same file system: the diskette folders copied into a working folder, that copied
// to the card folder, the file system synced, and every card file read back from the medium (its
// cached pages dropped first). Wall time and peak resident memory of the converter; the bundled
// sample set is converted too, to show that memory does not grow with the set.
//
// Each measurement is taken a few times, each time onto an empty card folder after the host's
// caches were written out; the median time and the highest peak are shown.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "process_runs.h"

namespace {

namespace fs = std::filesystem;
using namespace xq::bench;

constexpr int kRounds = 5;
constexpr int kLargestDiskettes = 99;
constexpr int kSampleDiskettes = 3;
constexpr double kTimeTarget = 1.5;       // conversion time / the careful copy's time
constexpr long kMemoryTargetKiB = 16384;  // 16 MiB

std::vector<std::string> conversionOf(const fs::path& set, int count, const fs::path& card) {
    std::vector<std::string> command = {XQ_CONVERT_PROGRAM, "--yes", "--diskettes"};
    for (const std::string& folder : disketteFolders(set, count)) {
        command.push_back(folder);
    }
    command.insert(command.end(), {"--card", card.string()});
    return command;
}

// Reads every file below `folder` from the medium, as the converter reads a card back: each
// file's cached pages are dropped before it is read. False when a file cannot be read.
bool readBackFromMedium(const fs::path& folder) {
    std::vector<char> buffer(1 << 20);
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) {
            continue;
        }
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ssize_t got = 0;
        while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) {
        }
        ::close(fd);
        if (got < 0) {
            return false;
        }
    }
    return !ec;
}

// The careful copy: diskettes to a working folder, that to the card, synced and read back. Its
// time is the sum of its steps; each copy and the sync run as child processes.
Measured carefulCopy(const fs::path& set, const fs::path& base,
                     const std::vector<std::string>& env) {
    std::vector<std::string> toWork = {"cp", "-r"};
    for (const std::string& folder : disketteFolders(set, kLargestDiskettes)) {
        toWork.push_back(folder);
    }
    toWork.push_back(freshFolder(base / "work").string() + "/");
    const fs::path card = freshFolder(base / "copy-card");
    const std::vector<std::vector<std::string>> steps = {
        toWork,
        {"cp", "-r", (base / "work").string(), card.string() + "/"},
        {"sync", "-f", card.string()}};

    Measured copy;
    copy.status = 0;
    for (const std::vector<std::string>& step : steps) {
        const Measured m = spawnAndWait(step, env);
        copy.seconds += m.seconds;
        copy.userCpu += m.userCpu;
        copy.systemCpu += m.systemCpu;
        copy.peakKiB = std::max(copy.peakKiB, m.peakKiB);
        copy.status = copy.status != 0 ? copy.status : m.status;
    }
    const auto start = std::chrono::steady_clock::now();
    const bool readBack = readBackFromMedium(card);
    copy.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!readBack && copy.status == 0) {
        copy.status = 1;
    }
    return copy;
}

}  // namespace

int main() {
    const ScratchFolder scratch;
    if (scratch.path().empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path base = scratch.path();
    for (const char* folder : {"largest", "sample"}) {
        fs::create_directories(base / folder);
    }
    const std::vector<std::string> env = converterEnvironment(base);

    if (spawnAndWait({XQ_SAMPLE_PROGRAM, (base / "largest").string(), "--largest"}, env).status !=
            0 ||
        spawnAndWait({XQ_SAMPLE_PROGRAM, (base / "sample").string()}, env).status != 0) {
        std::fprintf(stderr, "cannot write the sets\n");
        return 1;
    }

    std::vector<Measured> conversions;
    std::vector<Measured> copies;
    std::vector<Measured> samples;
    for (int round = 0; round < kRounds; ++round) {
        const fs::path card = freshFolder(base / "card");
        conversions.push_back(
            spawnAndWait(conversionOf(base / "largest", kLargestDiskettes, card), env));
        copies.push_back(carefulCopy(base / "largest", base, env));

        const fs::path sampleCard = freshFolder(base / "sample-card");
        samples.push_back(
            spawnAndWait(conversionOf(base / "sample", kSampleDiskettes, sampleCard), env));
    }
    const Summary conversion = summaryOf(conversions);
    const Summary careful = summaryOf(copies);
    const Summary sample = summaryOf(samples);
    const double ratio = conversion.seconds / careful.seconds;
    const bool memoryMet =
        conversion.peakKiB < kMemoryTargetKiB && sample.peakKiB < kMemoryTargetKiB;

    std::printf("build type: %s; median time of %d rounds, highest peak\n", XQ_BUILD_TYPE, kRounds);
    std::printf("largest set: %d diskettes of 1.44 MB, 100 file lines\n", kLargestDiskettes);
    printLine("xq3100-convert --yes", conversion);
    printLine("careful copy", careful);
    std::printf("    (cp -r to a working folder, cp -r that to the card, sync -f, read back)\n");
    std::printf("  time ratio:           %7.2f    target %.1f or less: %s\n", ratio, kTimeTarget,
                verdict(ratio <= kTimeTarget));
    std::printf("bundled sample set: %d diskettes\n", kSampleDiskettes);
    printLine("xq3100-convert --yes", sample);
    std::printf("peak memory: target under %ld KiB for both sets: %s\n", kMemoryTargetKiB,
                verdict(memoryMet));
    std::printf("rounds (convert / careful copy / sample):");
    for (int round = 0; round < kRounds; ++round) {
        std::printf("  %.3f/%.3f/%.3f", conversions[static_cast<std::size_t>(round)].seconds,
                    copies[static_cast<std::size_t>(round)].seconds,
                    samples[static_cast<std::size_t>(round)].seconds);
    }
    std::printf("\n");
    return conversion.status == 0 && careful.status == 0 && sample.status == 0 ? 0 : 1;
}
