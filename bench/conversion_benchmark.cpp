// A whole conversion of the largest set the format allows (99 full diskettes), by the terminal
// front end, next to `cp -r` of the same diskette folders, both as child processes of this run:
// wall time and peak resident memory of each. The bundled sample set is converted too, to show
// that memory does not grow with the set.
//
// Each measurement is taken a few times, each time onto an empty card folder after the host's
// caches were written out; the median time and the highest peak are shown.

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
constexpr double kTimeTarget = 4.0;       // conversion time / cp -r time
constexpr long kMemoryTargetKiB = 65536;  // 64 MiB

std::vector<std::string> conversionOf(const fs::path& set, int count, const fs::path& card) {
    std::vector<std::string> command = {XQ_CONVERT_PROGRAM, "--yes", "--diskettes"};
    for (const std::string& folder : disketteFolders(set, count)) {
        command.push_back(folder);
    }
    command.insert(command.end(), {"--card", card.string()});
    return command;
}

}  // namespace

int main() {
    const ScratchFolder scratch;
    if (scratch.path().empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path base = scratch.path();
    for (const char* folder : {"largest", "sample", "tmp", "run"}) {
        fs::create_directories(base / folder);
    }
    // The converter's working folders and instance lock are private to this run.
    const std::vector<std::string> env = environmentWith(
        {"TMPDIR=" + (base / "tmp").string(), "XDG_RUNTIME_DIR=" + (base / "run").string()});

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

        std::vector<std::string> copy = {"cp", "-r"};
        for (const std::string& folder : disketteFolders(base / "largest", kLargestDiskettes)) {
            copy.push_back(folder);
        }
        copy.push_back(freshFolder(base / "copy").string() + "/");
        copies.push_back(spawnAndWait(copy, env));

        const fs::path sampleCard = freshFolder(base / "sample-card");
        samples.push_back(
            spawnAndWait(conversionOf(base / "sample", kSampleDiskettes, sampleCard), env));
    }
    const Summary conversion = summaryOf(conversions);
    const Summary plainCopy = summaryOf(copies);
    const Summary sample = summaryOf(samples);
    const double ratio = conversion.seconds / plainCopy.seconds;
    const bool memoryMet =
        conversion.peakKiB < kMemoryTargetKiB && sample.peakKiB < kMemoryTargetKiB;

    std::printf("build type: %s; median time of %d rounds, highest peak\n", XQ_BUILD_TYPE, kRounds);
    std::printf("largest set: %d diskettes of 1.44 MB, 100 file lines\n", kLargestDiskettes);
    printLine("xq3100-convert --yes", conversion);
    printLine("cp -r", plainCopy);
    std::printf("  time ratio:           %7.2f    target %.0f or less: %s\n", ratio, kTimeTarget,
                verdict(ratio <= kTimeTarget));
    std::printf("bundled sample set: %d diskettes\n", kSampleDiskettes);
    printLine("xq3100-convert --yes", sample);
    std::printf("peak memory: target under %ld KiB for both sets: %s\n", kMemoryTargetKiB,
                verdict(memoryMet));
    std::printf("rounds (convert / cp -r / sample):");
    for (int round = 0; round < kRounds; ++round) {
        std::printf("  %.3f/%.3f/%.3f", conversions[static_cast<std::size_t>(round)].seconds,
                    copies[static_cast<std::size_t>(round)].seconds,
                    samples[static_cast<std::size_t>(round)].seconds);
    }
    std::printf("\n");
    return conversion.status == 0 && plainCopy.status == 0 && sample.status == 0 ? 0 : 1;
}
