#include "maps/map_saving.h"

#include "core/error_log.h"
#include "core/prompter.h"
#include "platform/clock.h"
#include "platform/legacy_value.h"
#include "platform/text_file.h"

#include <QBuffer>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>

namespace zenthra {

namespace {

// The hourglass while a save runs, put back on every way out.
class WaitCursor
{
public:
    WaitCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_set = true;
        }
    }
    ~WaitCursor()
    {
        if (m_set) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_set = false;
};

} // namespace

QString mapFileName(const QString& prefix, const QDateTime& utc)
{
    return prefix + utc.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".bmp");
}

bool saveBitmap(const QImage& image, const QString& path, QString* why)
{
    if (image.isNull()) {
        if (why) {
            *why = QStringLiteral("Invalid picture");
        }
        return false;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP")) {
        if (why) {
            *why = QStringLiteral("Invalid picture");
        }
        return false;
    }
    return textfile::replaceFile(path, bytes, why) == textfile::ReplaceResult::replaced;
}

MapSaver::MapSaver(QString prefix, QString routine, QString folder, const Clock& clock, ErrorLog& log,
                   const Prompter& prompter, Hooks hooks)
    : m_prefix(std::move(prefix)), m_routine(std::move(routine)), m_folder(std::move(folder)), m_clock(clock),
      m_log(log), m_prompter(prompter), m_hooks(std::move(hooks))
{
}

QString MapSaver::save(bool full)
{
    if (m_saving) {
        return {};
    }
    m_saving = true;
    if (m_hooks.beforeSave) {
        m_hooks.beforeSave();
    }
    const QString name = mapFileName(m_prefix, m_clock.utcNow());
    const QString path = QDir(m_folder).filePath(name);

    int number = 0;
    QString why;
    {
        const WaitCursor cursor;
        // A small save grabs the window's own pixels; the user's clipboard is never touched.
        const std::function<QImage()>& grab = full ? m_hooks.fullImage : m_hooks.windowImage;
        const QImage image = grab ? grab() : QImage();
        if (image.isNull()) {
            number = invalidPicture;
            why = QStringLiteral("Invalid picture");
        } else if (!saveBitmap(image, path, &why)) {
            number = pathFileAccessError;
            if (why.isEmpty()) {
                why = QStringLiteral("Path/File access error");
            }
        }
    }
    m_saving = false;
    if (number != 0) {
        m_log.WRITE_ERROR_LOG(number, m_routine + u'(' + legacy::flagText(full) + u')');
        m_prompter.tell(Prompter::Icon::Critical, QStringLiteral("Error occured!"),
                        QString::number(number) + QStringLiteral(" - ") + why +
                            QStringLiteral("\rThe file was not saved"));
        return {};
    }
    m_prompter.tell(Prompter::Icon::Information, QStringLiteral("File Saved"),
                    QStringLiteral("The map was saved as ") + QDir::toNativeSeparators(path));
    return path;
}

} // namespace zenthra
