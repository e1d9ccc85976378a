#pragma once
// While a server is away every spot fails the same way. Such a run of failures is written to the
// error log once, when it starts, and once more with its count when it ends, instead of one line
// per spot.

#include <QHash>
#include <QString>

namespace zenthra {

class ErrorLog;

class FailureRuns
{
public:
    explicit FailureRuns(ErrorLog& log) : m_log(log) {}
    ~FailureRuns();

    // Writes `text` unless it repeats the failure number of the routine's run.
    void failed(const QString& routine, double number, const QString& text);
    // The routine worked again: a run with repeats ends with its count.
    void succeeded(const QString& routine);

private:
    struct Run
    {
        double number = 0;
        qint64 repeats = 0;
    };
    void end(const QString& routine, const Run& run);

    ErrorLog& m_log;
    QHash<QString, Run> m_runs;
};

} // namespace zenthra
