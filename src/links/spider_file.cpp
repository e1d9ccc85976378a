#include "spider_file.h"

#include <QHash>

namespace zenthra {

namespace {

constexpr qsizetype shortestLine = 5;

// Tabs stay: a tab-led type is stored as written (and so matches no menu).
QString trimSpaces(QStringView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ') {
        ++from;
    }
    while (to > from && text[to - 1] == u' ') {
        --to;
    }
    return text.mid(from, to - from).toString();
}

} // namespace

SpiderLine readSpiderLine(const QString& line)
{
    if (line.size() < shortestLine || line.front() == u'#' || line.front() == u' ') {
        return {};
    }
    const qsizetype first = line.indexOf(u',');
    if (first < 0) {
        return {SpiderLineKind::NoComma, {}, {}};
    }
    const qsizetype last = line.lastIndexOf(u',');
    return {SpiderLineKind::Command, trimSpaces(QStringView(line).left(first)).toUpper(),
            trimSpaces(QStringView(line).mid(last + 1)).toUpper()};
}

SpiderFile readSpiderFile(const QStringList& lines)
{
    SpiderFile file;
    QHash<QString, int> seen;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        const SpiderLine line = readSpiderLine(lines[i]);
        QString problem;
        switch (line.kind) {
        case SpiderLineKind::Skipped:
            continue;
        case SpiderLineKind::NoComma:
            problem = QStringLiteral("no comma between type and command");
            break;
        case SpiderLineKind::Command:
            if (line.type.size() > spiderTypeWidth) {
                problem = QStringLiteral("the type is longer than %1 characters").arg(spiderTypeWidth);
            } else if (line.command.size() > spiderCommandWidth) {
                problem = QStringLiteral("the command is longer than %1 characters").arg(spiderCommandWidth);
            } else if (const auto it = seen.constFind(line.command); it != seen.constEnd()) {
                problem = QStringLiteral("%1 is listed already in line %2").arg(line.command).arg(*it);
            }
            break;
        }
        if (!problem.isEmpty()) {
            file.commands.clear();
            file.badLine = number;
            file.problem = problem;
            return file;
        }
        seen.insert(line.command, number);
        file.commands.append({line.type, line.command, number});
    }
    return file;
}

} // namespace zenthra
