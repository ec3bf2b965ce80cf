#pragma once

// Runs a piece of a test in a forked child process, for faults that must not touch the test
// process itself: resource limits, a lost privilege, a signal that would kill it.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace quorbel::testing {

struct ChildResult {
    bool exited = false;  // ended by returning (not by a signal)
    int signal = 0;       // the signal that ended it, if one did
    std::string output;   // what the body returned
};

// The user the child becomes when `unprivileged` and the test runs as root: root ignores file
// permissions, so read-only folders only hold for someone else.
inline constexpr uid_t kNobody = 65534;

// Runs `body` in a child; its returned text comes back through a pipe. With `unprivileged`, a
// child of root first becomes user and group 65534. A body that throws ends the child with
// status 4 (`exited` false).
inline ChildResult RunInChild(const std::function<std::string()>& body, bool unprivileged = false) {
    ChildResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (unprivileged && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(3);
        }
        std::string out;
        try {
            out = body();
        } catch (...) {
            ::_exit(4);  // never back into the test runner: it belongs to the parent
        }
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::write(pipeFds[1], out.data() + done, out.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);  // no exit handlers: the child shares the parent's test state
    }
    ::close(pipeFds[1]);
    if (pid < 0) {
        ::close(pipeFds[0]);
        return result;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

}  // namespace quorbel::testing
