#include "command_history.h"

#include "platform/legacy_value.h"
#include "platform/text_file.h"

namespace zenthra {

namespace {

bool blank(const QString& text)
{
    return legacy::trim(text).isEmpty();
}

} // namespace

CommandHistory::CommandHistory(HistoryKind kind, QObject* parent) : QObject(parent), m_kind(kind) {}

void CommandHistory::setEntries(const QStringList& entries)
{
    m_entries = entries;
    Q_EMIT changed();
}

void CommandHistory::enter(const QString& line)
{
    setEntries(afterEnter(m_entries, line, m_kind));
}

bool CommandHistory::deleteChosen(int index, int selectedLength)
{
    if (index < 0 || index >= m_entries.size() || m_entries.at(index).size() != selectedLength) {
        return false;
    }
    m_entries.removeAt(index);
    Q_EMIT changed();
    return true;
}

void CommandHistory::mirror(const CommandHistory& other)
{
    setEntries(withoutBlanks(other.entries()));
}

QStringList CommandHistory::afterEnter(QStringList entries, const QString& line, HistoryKind kind)
{
    if (entries.size() >= fullLength) {
        entries.removeAt(fullLength - 1);
    }
    const QString typed = legacy::trim(line);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString entry = legacy::trim(entries.at(i));
        // The first match ends the scan; for the chat line so does the blank entry an empty
        // Enter left on top.
        if (entry.compare(typed, Qt::CaseInsensitive) == 0 || (kind == HistoryKind::Wwc && entry.isEmpty())) {
            entries.removeAt(i);
            break;
        }
    }
    if (kind == HistoryKind::Wwc || !typed.isEmpty()) {
        entries.prepend(line);
    }
    return entries;
}

QStringList CommandHistory::withoutBlanks(const QStringList& entries)
{
    QStringList kept;
    for (const QString& entry : entries) {
        if (!blank(entry)) {
            kept << entry;
        }
    }
    return kept;
}

std::optional<QStringList> CommandHistory::readFile(const QString& path)
{
    // A history holds its 25 newest entries, and the file lists the newest first: a longer file
    // (made by hand, or by some other program) is read no further, so its size costs nothing.
    textfile::LineReader reader(path);
    if (reader.status() != textfile::LineReader::Status::open) {
        return std::nullopt;
    }
    QStringList entries;
    while (entries.size() < fullLength) {
        std::optional<QString> line = reader.next(textfile::listLineBytes);
        if (!line) {
            break;
        }
        if (!blank(*line)) {
            entries.append(std::move(*line));
        }
    }
    if (reader.failed()) {
        return std::nullopt;
    }
    return entries;
}

bool CommandHistory::writeFile(const QString& path, const QStringList& entries)
{
    return textfile::writeLines(path, withoutBlanks(entries), textfile::ownerOnly);
}

} // namespace zenthra
