#pragma once

#include <QStringList>
#include <QtGlobal>

namespace zenthra::test {

// Collects the critical messages logged while it lives, for the release builds where a programming
// error is logged rather than asserted. One at a time: Qt has one message handler.
class CriticalMessages
{
public:
    CriticalMessages()
    {
        texts().clear();
        m_previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == QtCriticalMsg) {
                    texts().append(text);
                }
            });
    }
    ~CriticalMessages() { qInstallMessageHandler(m_previous); }
    CriticalMessages(const CriticalMessages&) = delete;
    CriticalMessages& operator=(const CriticalMessages&) = delete;

    const QStringList& list() const { return texts(); }

private:
    static QStringList& texts()
    {
        static QStringList collected;
        return collected;
    }
    QtMessageHandler m_previous = nullptr;
};

} // namespace zenthra::test
