// A whole conversion of the largest set the format allows (99 full diskettes), by the terminal
// front end, next to `cp -r` of the same diskette folders, both as child processes of this run:
// wall time and peak resident memory of each. The bundled sample set is converted too, to show
// that memory does not grow with the set.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Measured {
    int status = -1;
    double seconds = 0;
    long peakKiB = 0;
};

Measured spawnAndWait(const std::vector<std::string>& command,
                      const std::vector<std::string>& env) {
    std::vector<char*> argv;
    for (const std::string& part : command) {
        argv.push_back(const_cast<char*>(part.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment = env;
    for (char** e = environ; *e != nullptr; ++e) {
        environment.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& e : environment) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    Measured measured;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &files, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        measured.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        measured.peakKiB = usage.ru_maxrss;
    }
    posix_spawn_file_actions_destroy(&files);
    return measured;
}

std::vector<std::string> diskettes(const std::string& set, int count) {
    std::vector<std::string> folders;
    for (int n = 1; n <= count; ++n) {
        folders.push_back(set + "/diskette" + std::to_string(n));
    }
    return folders;
}

}  // namespace

int main() {
    char root[] = "/tmp/xq3100-conversion-bench-XXXXXX";
    if (::mkdtemp(root) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string base = root;
    for (const char* folder :
         {"/largest", "/sample", "/card1", "/card2", "/card3", "/tmp", "/run"}) {
        ::mkdir((base + folder).c_str(), 0700);
    }
    const std::vector<std::string> env = {"TMPDIR=" + base + "/tmp",
                                          "XDG_RUNTIME_DIR=" + base + "/run"};

    if (spawnAndWait({XQ_SAMPLE_PROGRAM, base + "/largest", "--largest"}, env).status != 0 ||
        spawnAndWait({XQ_SAMPLE_PROGRAM, base + "/sample"}, env).status != 0) {
        std::fprintf(stderr, "cannot write the sets\n");
        return 1;
    }
    ::sync();

    std::vector<std::string> convert = {XQ_CONVERT_PROGRAM, "--yes", "--diskettes"};
    for (const std::string& folder : diskettes(base + "/largest", 99)) {
        convert.push_back(folder);
    }
    convert.insert(convert.end(), {"--card", base + "/card1"});
    const Measured conversion = spawnAndWait(convert, env);

    std::vector<std::string> copy = {"cp", "-r"};
    for (const std::string& folder : diskettes(base + "/largest", 99)) {
        copy.push_back(folder);
    }
    copy.push_back(base + "/card2/");
    const Measured plainCopy = spawnAndWait(copy, env);

    std::vector<std::string> small = {XQ_CONVERT_PROGRAM, "--yes", "--diskettes"};
    for (const std::string& folder : diskettes(base + "/sample", 3)) {
        small.push_back(folder);
    }
    small.insert(small.end(), {"--card", base + "/card3"});
    const Measured sample = spawnAndWait(small, env);

    spawnAndWait({"rm", "-rf", base}, {});

    std::printf("largest set: 99 diskettes of 1.44 MB, 100 file lines\n");
    std::printf("  xq3100-convert --yes: %7.2f s  peak %6ld KiB  (exit %d)\n", conversion.seconds,
                conversion.peakKiB, conversion.status);
    std::printf("  cp -r:                %7.2f s  peak %6ld KiB\n", plainCopy.seconds,
                plainCopy.peakKiB);
    std::printf("  time ratio:           %7.2f    (target: 4 or less)\n",
                conversion.seconds / plainCopy.seconds);
    std::printf("bundled sample set: 3 diskettes\n");
    std::printf("  xq3100-convert --yes: %7.2f s  peak %6ld KiB  (exit %d)\n", sample.seconds,
                sample.peakKiB, sample.status);
    std::printf("peak memory target: under 65536 KiB, the same for both sets\n");
    return conversion.status == 0 && sample.status == 0 ? 0 : 1;
}
