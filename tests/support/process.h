#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace xq::test {

// Variables changed for a child: a value sets the variable, nullopt removes it. Everything else
// comes from the test's own environment (a Windows program needs SystemRoot and the like to start).
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// How a program run as a child process ended, and what it wrote.
struct ProcessOutcome {
    // The exit status; 128 + the signal for a POSIX child killed by one; -1 when the program
    // could not be started or did not end in time (it is killed then).
    int status = -1;
    // Standard output and error as text: the line ends of a Windows program's text mode ("\r\n")
    // read as "\n", so one expectation serves both hosts.
    std::string out;
    std::string err;
};

// A program running as a child process, its output going to files in `outputFolder` (out.txt,
// err.txt) and its standard input empty, or `input` (from in.txt there). It is killed if it is
// still running on destruction.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const EnvironmentChanges& environment, const std::filesystem::path& outputFolder,
                 const std::optional<std::string>& input = std::nullopt);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    bool started() const;
    // Waits for the program to end, at most `limit`; a program still running then is killed and
    // the outcome's status is -1.
    ProcessOutcome wait(std::chrono::milliseconds limit = std::chrono::seconds(60));
#ifndef _WIN32
    // Sends the signal `number`, as a terminal, a logout or the system would.
    void signal(int number) const;
#endif

  private:
    void kill();

    std::filesystem::path out_;
    std::filesystem::path err_;
#ifdef _WIN32
    void* process_ = nullptr;  // HANDLE
#else
    int pid_ = -1;
#endif
};

// Runs a program to its end (see ChildProcess).
ProcessOutcome runProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const EnvironmentChanges& environment,
                          const std::filesystem::path& outputFolder,
                          const std::optional<std::string>& input = std::nullopt);

#ifdef _WIN32
// The command line CreateProcessW takes for `program` with `arguments`, each quoted the way the C
// runtime's parser reads it back.
std::wstring commandLineOf(const std::string& program, const std::vector<std::string>& arguments);
// The test's own environment with `changes` made, as the block CreateProcessW takes.
std::wstring environmentBlockWith(const EnvironmentChanges& changes);
#endif

// The environment variable's value; nullopt when it is not set.
std::optional<std::string> environmentVariable(const std::string& name);

// Sets (or with nullopt removes) an environment variable of the test process for one scope and
// puts the previous state back.
class ScopedEnvironmentVariable {
  public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;
    ~ScopedEnvironmentVariable();

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace xq::test
