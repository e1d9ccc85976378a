#include "shell/dialog_menus.h"

#include "platform/legacy_value.h"
#include "propagation/hand_muf_window.h"
#include "shell/application.h"
#include "shell/database_backup.h"
#include "shell/main_window.h"
#include "shell/option_dialogs.h"
#include "shell/option_menus.h"
#include "shell/settings_display.h"
#include "shell/text_windows.h"
#include "shell/topmost.h"
#include "spots/spot_filter_window.h"
#include "spots/sql_server_window.h"

#include <QCoreApplication>
#include <QPlainTextEdit>

namespace zenthra {

DialogMenus::DialogMenus(Application& app, MainWindow& window, OptionMenus& dialogs)
    : QObject(&window), m_app(app), m_window(window), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("dialogMenus"));
    // "&Help" belongs to the link menus, with the help window.
    window.setMenuHandler(keys::currentSettings, [this] { mnuFile_Click(1); });
    window.setMenuHandler(keys::fontSize, [this] { FONT_SIZE(); });
    window.setMenuHandler(keys::backupDb, [this] { mnuBackupDb_Click(); });
    window.setMenuHandler(keys::windowBuffer, [this] { mnuWindowBuffer_Click(); });
    window.setMenuHandler(keys::sqlServer, [this] { mnuSqlServer_Click(); });
    for (int index = 0; index <= 3; ++index) {
        window.setMenuHandler(keys::mapMufFreq(index), [this, index] { MAPPING_SETTINGS(index); });
    }
    window.setMenuHandler(keys::esSpotFilter, [this] { mnuEsSpotFilter_Click(); });
    window.setMenuHandler(keys::handMuf, [this] { mnufrmMUF_Click(); });
}

SpotFilterWindow* DialogMenus::frmSpotFilter() const
{
    return m_frmSpotFilter;
}

HandMufWindow* DialogMenus::frmMUF() const
{
    return m_frmMUF;
}

void DialogMenus::mnuFile_Click(int index)
{
    if (index == 1) {
        SHOW_SYSTEM_SETTINGS();
    }
}

void DialogMenus::SHOW_SYSTEM_SETTINGS()
{
    m_dialogs.tell(QMessageBox::Information, QString::fromLatin1(systemSettingsTitle),
                   systemSettingsText(m_app.options()), true);
}

void DialogMenus::FONT_SIZE()
{
    const int remembered = m_window.TBCluster()->font().pointSize();
    const std::optional<QString> answer =
        m_dialogs.ask(QString::fromLatin1(optiondialogs::fontSizeTitle),
                      QString::fromLatin1(optiondialogs::fontSizePrompt), {});
    const std::optional<qint16> size = optiondialogs::fontSizeAnswer(answer.value_or(QString()));
    if (!size) {
        m_app.options().intFontSize = static_cast<qint16>(remembered);
        return;
    }
    m_app.options().intFontSize = *size;
    m_window.applyFontSize(*size);
}

void DialogMenus::mnuBackupDb_Click()
{
    const QString result = BACKUP_DATABASE(m_app.options().database, m_app.folder(), m_app.errorLog());
    m_dialogs.tell(QMessageBox::Information, QString::fromLatin1(backupResultTitle), result);
}

void DialogMenus::mnuWindowBuffer_Click()
{
    OptionsModel& options = m_app.options();
    const std::optional<QString> answer = m_dialogs.ask(QCoreApplication::applicationName(),
                                                        QString::fromLatin1(TextWindows::windowBufferPrompt),
                                                        legacy::numberText(options.sngWindowBuffer));
    if (!answer) {
        return;
    }
    if (const auto value = TextWindows::windowBufferAnswer(*answer)) {
        options.sngWindowBuffer = *value;
    }
}

void DialogMenus::mnuSqlServer_Click()
{
    if (!m_frmSqlServer) {
        m_frmSqlServer = new SqlServerWindow(m_app.options().database, &m_window, &m_window);
        m_frmSqlServer->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_frmSqlServer->show();
    m_frmSqlServer->raise();
}

void DialogMenus::MAPPING_SETTINGS(int index)
{
    OptionsModel& options = m_app.options();
    const QString prompt = optiondialogs::mappingPrompt(index, options);
    if (prompt.isEmpty()) {
        return;
    }
    const std::optional<QString> answer = m_dialogs.ask(QCoreApplication::applicationName(), prompt,
                                                        optiondialogs::mappingDefault(index, options));
    optiondialogs::applyMappingAnswer(index, answer.value_or(QString()), options);
}

void DialogMenus::mnuEsSpotFilter_Click()
{
    if (!m_frmSpotFilter) {
        m_frmSpotFilter = new SpotFilterWindow(m_app.database(), m_app.keywords(), m_dialogs, &m_window);
    }
    m_frmSpotFilter->show();
    SET_TOPMOST(m_frmSpotFilter, true);
}

void DialogMenus::mnufrmMUF_Click()
{
    if (!m_frmMUF) {
        m_frmMUF = new HandMufWindow(m_app.options(), m_app.errorLog(), m_app.folder(), m_dialogs, &m_window);
        SET_TOPMOST(m_frmMUF, true);
    }
    m_frmMUF->show();
    m_frmMUF->raise();
    m_frmMUF->focusFromBox();
}

} // namespace zenthra
