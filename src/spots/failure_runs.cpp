#include "spots/failure_runs.h"

#include "core/error_log.h"

namespace zenthra {

FailureRuns::~FailureRuns()
{
    for (auto it = m_runs.cbegin(); it != m_runs.cend(); ++it) {
        end(it.key(), it.value());
    }
}

void FailureRuns::failed(const QString& routine, double number, const QString& text)
{
    const auto it = m_runs.find(routine);
    if (it != m_runs.end() && it->number == number) {
        ++it->repeats;
        return;
    }
    if (it != m_runs.end()) {
        end(routine, *it);
    }
    m_log.WRITE_ERROR_LOG(number, text);
    m_runs.insert(routine, Run{number, 0});
}

void FailureRuns::succeeded(const QString& routine)
{
    const auto it = m_runs.constFind(routine);
    if (it != m_runs.cend()) {
        end(routine, *it);
        m_runs.erase(it);
    }
}

void FailureRuns::end(const QString& routine, const Run& run)
{
    if (run.repeats > 0) {
        m_log.WRITE_ERROR_LOG(
            run.number, QStringLiteral("%1(): the same failure %2 more times").arg(routine).arg(run.repeats));
    }
}

} // namespace zenthra
