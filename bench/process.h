#pragma once

// What the harnesses that time whole runs of a program share.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>

// Waits for the child `pid` to end and returns its status, with what it used
// in `usage`; ends the harness when it cannot wait.
inline int waitForChild(pid_t pid, rusage &usage)
{
    int status = 0;
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::perror("wait4");
            std::exit(2);
        }
    }
    return status;
}

template <typename T>
T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
