// A check run in a child process of its own, for what must not touch the test program: resource limits,
// other user ids, memory use, a second writer.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testing_support {

// The child's status as waitpid gives it; `check` returns the child's exit code.
inline int statusOfChild(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(check());
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child ? status : -1;
}

inline bool childSucceeds(const std::function<bool()>& check) {
    const int status = statusOfChild([&] { return check() ? 0 : 1; });
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testing_support
