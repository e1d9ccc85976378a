#pragma once
// The main window's caption, which is the program's status line. The subsystems set their texts
// (a link's status, the import's advice, a spot's summary); while spots are not being stored, the
// caption says so and why, whatever else is set meanwhile. A text set then is shown for a moment
// and kept: once spots are stored again, the latest text is the caption.

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

namespace zenthra {

class StatusCaption : public QObject
{
    Q_OBJECT
public:
    // How long a text set while spots wait is shown before the note about them comes back.
    static constexpr std::chrono::milliseconds textShown{800};

    explicit StatusCaption(QString initial, QObject* parent = nullptr);

    // A status text: the caption now; while the note stands, for textShown (from the first of
    // several texts set in a row, so that a stream of them cannot keep the note away).
    void setText(const QString& text);
    // A text of the spot road's own progress, which comes with every spot: while the note stands
    // it is kept for afterwards rather than shown over the note.
    void setRoadText(const QString& text);
    // Why spots are not being stored and how many wait; empty once they are stored again.
    void setNote(const QString& note);

    // What the caption shows.
    const QString& shown() const { return m_shown; }
    // The latest text, which the caption shows whenever no note stands.
    const QString& text() const { return m_text; }
    const QString& note() const { return m_note; }

Q_SIGNALS:
    void shownChanged(const QString& caption);

private:
    void show(const QString& caption);
    void noteBack();

    QString m_text;
    QString m_note;
    QString m_shown;
    QTimer m_textShown;
};

} // namespace zenthra
