#pragma once
// The peak memory of some work, measured in a child process of its own, so that neither what
// the calling process held before nor the peak of other work hides it.

#include <cstdio>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zenthra::test {

// The peak resident memory, in MB, of a child process that runs `work`; -1 when the child fails
// or `work` returns false.
inline double childPeakMb(const std::function<bool()>& work)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// How much `work` adds to the peak of a child that does nothing, in MB; nothing when it fails.
inline std::optional<double> addedPeakMb(const std::function<bool()>& work)
{
    const double peak = childPeakMb(work);
    const double idle = childPeakMb([] { return true; });
    return peak < 0 || idle < 0 ? std::nullopt : std::optional<double>(peak - idle);
}

} // namespace zenthra::test
