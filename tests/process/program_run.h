#pragma once

// Starts the real program as a child process (offscreen, null audio) with a script, under a
// resource limit when asked, and collects its output; or leaves it running for the test to
// watch and kill.

#include <sys/resource.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace quorbel::process {

struct ProgramOptions {
    std::vector<std::string> arguments;   // after the program's name
    std::string tmpdir;                   // TMPDIR of the program (working files)
    std::optional<rlim_t> fileSizeLimit;  // RLIMIT_FSIZE soft limit, in bytes
    std::optional<rlim_t> memoryLimit;    // RLIMIT_AS soft limit, in bytes
    std::string binary;                   // the program; the test build's own when empty
    // A command the program is started under (strace and its options), before its name.
    std::vector<std::string> launcher;
    // Plays and records through the sound server of the environment instead of the null
    // backend (its XDG_RUNTIME_DIR is kept).
    bool realAudio = false;
};

struct ProgramResult {
    bool exited = false;  // ended by exit (not by a signal)
    int exitCode = -1;
    int signal = 0;                  // the signal that ended it
    std::vector<std::string> lines;  // standard output, line by line
    std::string errors;              // standard error

    bool has(const std::string& line) const;
};

// Starts the program; returns its process id, or -1. Its output goes to `outputFile` (both
// streams) when given.
pid_t startProgram(const ProgramOptions& options, const std::string& outputFile = {});

// Runs the program to its end (at most `timeoutMs`, then it is killed) and collects its output.
ProgramResult runProgram(const ProgramOptions& options, int timeoutMs = 60000);

// Writes `text` to `path`; false when it cannot.
bool writeText(const std::string& path, const std::string& text);

// Runs the program on `script`, written to `folder`/script.txt, with the files `files` named
// after it and its working files in `folder`/work; `options` give the limits.
ProgramResult runScript(const std::string& folder, const std::string& script,
                        const std::vector<std::string>& files = {}, ProgramOptions options = {},
                        int timeoutMs = 60000);

}  // namespace quorbel::process
