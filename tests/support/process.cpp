#include "support/process.h"

#include <cstdlib>
#include <thread>

#include "support/temp_dir.h"

#ifdef _WIN32
#include <algorithm>
#include <cwctype>

#include "platform/win32_text.h"
#include "platform/windows_headers.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace xq::test {

namespace fs = std::filesystem;

namespace {

std::string readOutput(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        return {};  // the program did not start
    }
    std::string text = readFile(path);
#ifdef _WIN32
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            lines += text[i];
        }
    }
    text = std::move(lines);
#endif
    return text;
}

#ifdef _WIN32

using native::utf16FromUtf8;
using native::utf8FromUtf16;

// One argument as the C runtime's command-line parser reads it back: quoted when it holds blanks
// or quotes, with the backslashes before a quote (and before the closing quote) doubled.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, L'\\');
    return text + L'"';
}

std::wstring upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

HANDLE inheritable(const wchar_t* path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

#else

std::vector<std::string> environmentWith(const EnvironmentChanges& changes) {
    std::map<std::string, std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        entries[text.substr(0, text.find('='))] = text;
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            entries[name] = name + '=' + *value;
        } else {
            entries.erase(name);
        }
    }
    std::vector<std::string> all;
    for (auto& entry : entries) {
        all.push_back(std::move(entry.second));
    }
    return all;
}

#endif

}  // namespace

#ifdef _WIN32

std::wstring commandLineOf(const std::string& program, const std::vector<std::string>& arguments) {
    std::wstring commandLine = quoted(utf16FromUtf8(program));
    for (const std::string& argument : arguments) {
        commandLine += L' ' + quoted(utf16FromUtf8(argument));
    }
    return commandLine;
}

// "name=value" entries sorted by name without regard to case, each ended by a null, the block by
// one more.
std::wstring environmentBlockWith(const EnvironmentChanges& changes) {
    std::map<std::wstring, std::wstring> entries;  // by upper-case name
    if (wchar_t* strings = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
            const std::wstring text(entry);
            // Per-drive current folders ("=C:=C:\...") have their "=" in the name's first place.
            const std::size_t equals = text.find(L'=', 1);
            entries[upper(text.substr(0, equals))] = text;
        }
        ::FreeEnvironmentStringsW(strings);
    }
    for (const auto& [name, value] : changes) {
        const std::wstring wideName = utf16FromUtf8(name);
        if (value) {
            entries[upper(wideName)] = wideName + L'=' + utf16FromUtf8(*value);
        } else {
            entries.erase(upper(wideName));
        }
    }
    std::wstring block;
    for (const auto& entry : entries) {
        block += entry.second;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const EnvironmentChanges& environment, const fs::path& outputFolder,
                           const std::optional<std::string>& input)
    : out_(outputFolder / "out.txt"), err_(outputFolder / "err.txt") {
    const fs::path in = input ? outputFolder / "in.txt" : fs::path();
    if (input) {
        writeFile(in, *input);
    }
    const std::wstring application = utf16FromUtf8(program);
    std::wstring commandLine = commandLineOf(program, arguments);
    std::wstring block = environmentBlockWith(environment);

    const HANDLE standardInput =
        inheritable(in.empty() ? L"NUL" : in.c_str(), GENERIC_READ, OPEN_EXISTING);
    const HANDLE output = inheritable(out_.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE error = inheritable(err_.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = standardInput;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION info{};
    if (standardInput != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE &&
        error != INVALID_HANDLE_VALUE &&
        ::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(), nullptr,
                         &startup, &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    for (const HANDLE handle : {standardInput, output, error}) {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
}

ChildProcess::~ChildProcess() {
    kill();
}

bool ChildProcess::started() const {
    return process_ != nullptr;
}

void ChildProcess::kill() {
    if (process_ != nullptr) {
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, INFINITE);
        ::CloseHandle(process_);
        process_ = nullptr;
    }
}

ProcessOutcome ChildProcess::wait(std::chrono::milliseconds limit) {
    ProcessOutcome outcome;
    if (process_ != nullptr &&
        ::WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (::GetExitCodeProcess(process_, &code)) {
            outcome.status = static_cast<int>(code);
        }
        ::CloseHandle(process_);
        process_ = nullptr;
    }
    kill();
    outcome.out = readOutput(out_);
    outcome.err = readOutput(err_);
    return outcome;
}

std::optional<std::string> environmentVariable(const std::string& name) {
    const wchar_t* value = ::_wgetenv(utf16FromUtf8(name).c_str());
    return value != nullptr ? std::optional(utf8FromUtf16(value)) : std::nullopt;
}

namespace {
void setVariable(const std::string& name, const std::optional<std::string>& value) {
    // An empty value removes the variable.
    ::_wputenv_s(utf16FromUtf8(name).c_str(), value ? utf16FromUtf8(*value).c_str() : L"");
}
}  // namespace

#else

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const EnvironmentChanges& environment, const fs::path& outputFolder,
                           const std::optional<std::string>& input)
    : out_(outputFolder / "out.txt"), err_(outputFolder / "err.txt") {
    const fs::path in = input ? outputFolder / "in.txt" : fs::path();
    if (input) {
        writeFile(in, *input);
    }
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, in.empty() ? "/dev/null" : in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> env = environmentWith(environment);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &files, nullptr, argv.data(), envp.data()) == 0) {
        pid_ = child;
    }
    posix_spawn_file_actions_destroy(&files);
}

ChildProcess::~ChildProcess() {
    kill();
}

bool ChildProcess::started() const {
    return pid_ > 0;
}

void ChildProcess::signal(int number) const {
    if (pid_ > 0) {
        ::kill(pid_, number);
    }
}

void ChildProcess::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

ProcessOutcome ChildProcess::wait(std::chrono::milliseconds limit) {
    ProcessOutcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0) {
        int status = 0;
        const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
        if (ended == pid_) {
            outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid_ = -1;
        } else if (ended < 0 || std::chrono::steady_clock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    kill();
    outcome.out = readOutput(out_);
    outcome.err = readOutput(err_);
    return outcome;
}

std::optional<std::string> environmentVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

namespace {
void setVariable(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}
}  // namespace

#endif

ProcessOutcome runProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const EnvironmentChanges& environment, const fs::path& outputFolder,
                          const std::optional<std::string>& input) {
    return ChildProcess(program, arguments, environment, outputFolder, input).wait();
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name,
                                                     const std::optional<std::string>& value)
    : name_(std::move(name)), previous_(environmentVariable(name_)) {
    setVariable(name_, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    setVariable(name_, previous_);
}

}  // namespace xq::test
