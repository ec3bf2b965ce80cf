#include "process/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

namespace quorbel::process {
namespace {

// Sets up the child side and replaces it with the program; never returns.
[[noreturn]] void execProgram(const ProgramOptions& options) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!options.realAudio) setenv("QUORBEL_AUDIO", "null", 1);
    if (!options.tmpdir.empty()) {
        setenv("TMPDIR", options.tmpdir.c_str(), 1);
        // Recovery also looks in the state folder: the user's own is none of these runs'.
        setenv("XDG_STATE_HOME", (options.tmpdir + "/../state").c_str(), 1);
    }
    if (!options.tmpdir.empty() && !options.realAudio) {
        // Qt would otherwise make its runtime folder in TMPDIR.
        const std::string runtime = options.tmpdir + "/../runtime";
        ::mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    // The program must set up its own signal handling, as it would when started from a shell.
    ::signal(SIGXFSZ, SIG_DFL);
    if (options.fileSizeLimit) {
        struct rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = *options.fileSizeLimit;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.memoryLimit) {
        struct rlimit limit {};
        ::getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = *options.memoryLimit;
        ::setrlimit(RLIMIT_AS, &limit);
    }
    std::vector<char*> argv;
    std::vector<std::string> launcher = options.launcher;
    for (std::string& a : launcher) argv.push_back(a.data());
    std::string binary = options.binary.empty() ? QUORBEL_BINARY : options.binary;
    argv.push_back(binary.data());
    // The user's list of recent files is none of these tests' business.
    std::string noSettings = "--no-settings";
    argv.push_back(noSettings.data());
    std::vector<std::string> arguments = options.arguments;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

bool ProgramResult::has(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

ProgramResult runScript(const std::string& folder, const std::string& script,
                        const std::vector<std::string>& files, ProgramOptions options,
                        int timeoutMs) {
    const std::string scriptPath = folder + "/script.txt";
    if (!writeText(scriptPath, script)) return {};
    options.arguments = {"--script", scriptPath};
    options.arguments.insert(options.arguments.end(), files.begin(), files.end());
    options.tmpdir = folder + "/work";
    return runProgram(options, timeoutMs);
}

pid_t startProgram(const ProgramOptions& options, const std::string& outputFile) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!outputFile.empty()) {
            const int fd = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                ::dup2(fd, 1);
                ::dup2(fd, 2);
                ::close(fd);
            }
        }
        execProgram(options);
    }
    return pid;
}

ProgramResult runProgram(const ProgramOptions& options, int timeoutMs) {
    ProgramResult result;
    int out[2], err[2];
    if (::pipe(out) != 0) return result;
    if (::pipe(err) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close(out[0]);
        ::close(err[0]);
        ::close(out[1]);
        ::close(err[1]);
        execProgram(options);
    }
    ::close(out[1]);
    ::close(err[1]);
    std::string stdoutText, stderrText;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? stdoutText : stderrText).append(buffer, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& p : fds) {
        if (p.fd >= 0) ::close(p.fd);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.lines = splitLines(stdoutText);
    result.errors = stderrText;
    return result;
}

}  // namespace quorbel::process
