// A check run in a child process of its own, for what must not touch the test program: resource limits,
// other user ids, memory use, a second writer.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

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

// In a child: goes on as the user nobody when started as root (root reads and opens everything); false when
// the rights cannot be dropped.
inline bool dropRights() { return ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0); }

// Whether a child without rights reaches the folder: a temporary folder closed to others (TMPDIR of mode
// 0700) keeps it out of every folder in it.
inline bool reachableWithoutRights(const std::string& folder) {
    return childSucceeds([&] { return dropRights() && ::access(folder.c_str(), X_OK) == 0; });
}

}  // namespace testing_support
