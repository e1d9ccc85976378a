#pragma once
// CPU time spent while a test waits: what the program costs while it has nothing it can do, as
// the share of one core it used, measured as CPU time rather than against the clock on the wall.

#include <QTest>

#include <chrono>
#include <ctime>

namespace zenthra::test {

// The CPU time of the whole process (every thread), or of the calling thread only.
inline std::chrono::nanoseconds cpuTime(clockid_t which)
{
    timespec t{};
    ::clock_gettime(which, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// Runs the event loop for `span` and gives the share of one core (0.0 to 1.0, more with several
// threads busy) that `which` used meanwhile.
inline double coreShareWhileWaiting(std::chrono::milliseconds span,
                                    clockid_t which = CLOCK_PROCESS_CPUTIME_ID)
{
    const auto before = cpuTime(which);
    const auto start = std::chrono::steady_clock::now();
    QTest::qWait(int(span.count()));
    const auto used = cpuTime(which) - before;
    const auto passed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double>(used).count() / std::chrono::duration<double>(passed).count();
}

} // namespace zenthra::test
