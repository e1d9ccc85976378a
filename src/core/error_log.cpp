#include "core/error_log.h"

#include "platform/clock.h"
#include "platform/legacy_value.h"
#include "platform/text_file.h"

namespace zenthra {

ErrorLog::ErrorLog(QString folder, const Clock& clock) : m_folder(std::move(folder)), m_clock(clock) {}

QString ErrorLog::path() const
{
    return m_folder + u'/' + QLatin1String(fileName);
}

void ErrorLog::WRITE_ERROR_LOG(double errNumber, const QString& text)
{
    const QDateTime local = m_clock.localNow();
    const QString line = local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u'\t' +
                         legacy::numberText(errNumber) + QStringLiteral(" - ") + text;
    {
        const std::lock_guard lock(m_mutex);
        textfile::appendLine(path(), line, textfile::ownerOnly);
    }
    if (std::this_thread::get_id() == m_owner) {
        intErrorLogged = 1;
    }
}

} // namespace zenthra
