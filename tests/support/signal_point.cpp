#include "support/signal_point.h"

#include <unistd.h>

namespace xq::test {

namespace {

constexpr const char* kStrace = "/usr/bin/strace";

}  // namespace

std::vector<std::string> signalAt(const std::filesystem::path& path, At call, int signal,
                                  const std::string& program,
                                  const std::vector<std::string>& arguments) {
    // Only the calls naming the path are traced (-P); the first call among them gets the signal on
    // its way in, and completes.
    const std::string calls = call == At::MakingFolder  ? "mkdir,mkdirat"
                              : call == At::OpeningFile ? "open,openat,creat"
                                                        : "unlink,unlinkat,rmdir";
    std::vector<std::string> line = {
        kStrace,
        "-f",
        "-qq",
        "-o",
        "/dev/null",
        "-P",
        path.string(),
        "-e",
        "trace=" + calls,
        "-e",
        "inject=" + calls + ":signal=" + std::to_string(signal) + ":when=1",
        program};
    line.insert(line.end(), arguments.begin(), arguments.end());
    return line;
}

std::string signalPointsUnavailable() {
    return ::access(kStrace, X_OK) == 0 ? std::string()
                                        : std::string(kStrace) + " is not installed";
}

}  // namespace xq::test
