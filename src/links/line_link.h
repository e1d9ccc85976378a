#pragma once
// A node link whose received text is shown line by line: the network cuts text anywhere, so the
// unfinished tail waits for its line end (or for a pause in the node's sending, for prompts and
// unterminated text) before it is handed on. The chat and BBS links are such links.

#include "line_assembler.h"
#include "telnet_link.h"

#include <QTimer>

namespace zenthra {

class LineLink : public TelnetLink
{
    Q_OBJECT
public:
    // How long an unfinished line waits for its line end before it is passed on.
    static constexpr int partialLineWait = 500;

    LineLink(QString name, qint16* linkError, QObject* parent = nullptr);

protected:
    // Adds received text; each complete line goes to handleLine().
    void deliver(const QString& chunk);
    // A received line with its line end (or an unfinished tail that waited long enough).
    virtual void handleLine(const QString& line) = 0;
    void flushPartial();
    void beforeClose() override { flushPartial(); }

private:
    LineAssembler m_lines;
    QTimer m_partialTimer;
};

} // namespace zenthra
