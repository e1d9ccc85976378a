#include "shell/window_commands.h"

#include "core/error_log.h"
#include "platform/data_folder.h"
#include "platform/legacy_value.h"
#include "platform/rtf_writer.h"

namespace zenthra::windowcommands {

namespace {

constexpr double errPathFileAccess = 75;

} // namespace

std::optional<QString> refusalOf(const QString& name)
{
    bool control = false;
    QString shown = name;
    for (QChar& c : shown) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Format) {
            control = true;
            c = u'?';
        }
    }
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QLatin1String("..")) || control) {
        return QStringLiteral("The name \"") + shown +
               QStringLiteral("\" cannot be used: a file name here may not hold /, \\, .. or control "
                              "characters.\rThe file was not saved");
    }
    return std::nullopt;
}

SaveResult SAVE_TO_FILE(const std::optional<QString>& name, const QString& text, int pointSize,
                        const DataFolder& folder, ErrorLog& log)
{
    using Outcome = SaveResult::Outcome;
    if (!name || name->trimmed().isEmpty()) {
        return {};
    }
    if (const auto refusal = refusalOf(*name)) {
        return {Outcome::Refused, QString::fromLatin1(saveTitle), *refusal};
    }
    const QString fileName = *name + QStringLiteral(".rtf");
    QString why;
    if (!writeRtfFile(folder.file(fileName), text, pointSize, &why)) {
        log.WRITE_ERROR_LOG(errPathFileAccess, QStringLiteral("SAVE_TO_FILE()"));
        return {Outcome::Failed, QString::fromLatin1(saveFailedTitle),
                QString::number(errPathFileAccess) + QStringLiteral(" - ") + why +
                    QStringLiteral("\rThe file was not saved")};
    }
    return {Outcome::Saved,
            {},
            QStringLiteral("File: ") + fileName + QStringLiteral(" saved in ") + folder.path()};
}

std::optional<QString> messageCommand(const QString& selection)
{
    if (selection.isEmpty()) {
        return std::nullopt;
    }
    if (selection.contains(u'\r') || selection.contains(u'\n') ||
        selection.contains(QChar::ParagraphSeparator) || selection.contains(QChar::LineSeparator)) {
        return QString();
    }
    QString call = legacy::trim(selection.toLower());
    call.remove(QStringLiteral("/msg "));
    return QStringLiteral("/MSG ") + call + u' ';
}

} // namespace zenthra::windowcommands
