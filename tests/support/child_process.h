// A check run in a child process of its own, for what must not touch the test program: resource limits,
// other user ids, memory use, a second writer.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testing_support {

// Starts `check` in a child process that exits with its result; the parent goes on at once.
inline pid_t startChild(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(check());
    return child;
}

// The child's status as waitpid gives it; -1 when there is no such child.
inline int statusOf(pid_t child) {
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child ? status : -1;
}

inline bool exitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

// The child's status as waitpid gives it; `check` returns the child's exit code.
inline int statusOfChild(const std::function<int()>& check) { return statusOf(startChild(check)); }

inline bool childSucceeds(const std::function<bool()>& check) {
    return exitedWith(statusOfChild([&] { return check() ? 0 : 1; }), 0);
}

}  // namespace testing_support
