#pragma once
// The command history of a DXC or WWC command box: the lines typed, newest first, kept to 25 by
// the Enter that adds one, and stored across runs in a small text file of one entry a line.

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace zenthra {

enum class HistoryKind
{
    // A typed command appears once, ignoring case and outer blanks; blank lines are not kept.
    Dxc,
    // Every Enter goes in at the top, even a blank one, which the next Enter removes again.
    Wwc,
};

class CommandHistory : public QObject
{
    Q_OBJECT
public:
    // An Enter on a full list first drops the 25th entry.
    static constexpr int fullLength = 25;

    explicit CommandHistory(HistoryKind kind, QObject* parent = nullptr);

    HistoryKind kind() const { return m_kind; }
    // Newest first, as typed.
    const QStringList& entries() const { return m_entries; }
    void setEntries(const QStringList& entries);
    void clear() { setEntries({}); }

    // What an Enter of `line` does to the list.
    void enter(const QString& line);
    // Delete pressed while entry `index` is chosen and `selectedLength` characters of the edit
    // text are selected: the entry goes when the whole of it is selected. True when it went.
    bool deleteChosen(int index, int selectedLength);
    // Becomes a copy of `other` without its blank entries (the twin box of the same link).
    void mirror(const CommandHistory& other);

    // The rules themselves, for tests and for whoever holds a list of its own.
    static QStringList afterEnter(QStringList entries, const QString& line, HistoryKind kind);
    static QStringList withoutBlanks(const QStringList& entries);

    // The first `fullLength` entries a history file holds (blank lines skipped), or nothing when it
    // cannot be read.
    static std::optional<QStringList> readFile(const QString& path);
    // Rewrites the file whole with the non-blank entries; the old file stays when that fails.
    static bool writeFile(const QString& path, const QStringList& entries);

Q_SIGNALS:
    void changed();

private:
    HistoryKind m_kind;
    QStringList m_entries;
};

} // namespace zenthra
