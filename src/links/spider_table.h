#pragma once
// The DX Spider command list: the table tblSpider in the spots database, its import from
// spider_menu.txt, and the commands of the seventeen menu groups as the menus show them. The
// windows build their menu items from groups() and rebuild them on menusChanged().

#include "links/spider_file.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace zenthra {

class Database;

class SpiderTable : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* fileName = "spider_menu.txt";
    // A menu group holds at most this many commands (the largest item index of a menu array).
    static constexpr int groupLimit = 32767;
    // Error numbers of the import's failures that are not the database's.
    static constexpr double errInvalidArgument = 5;
    static constexpr double errFileNotFound = 53;
    static constexpr double errFileAccess = 75;

    struct ImportOutcome
    {
        bool ok = false;
        int count = 0; // rows stored
        double errorNumber = 0;
        QString description;
    };

    // `typeWords`: the stored type of each menu group, upper case, in menu order.
    SpiderTable(Database& db, QStringList typeWords, QObject* parent = nullptr);

    // Replaces the whole table with the commands of the file, in one transaction: a file that
    // cannot be read or is larger than spiderFileLargest, a line that cannot be stored or a row
    // the database refuses leaves the table and the menus as they were, and the description
    // names the line. On success the menus are cleared and loaded again from the table.
    ImportOutcome IMPORT_SPIDER_COMMANDS(const QString& path);

    // Creates the table when it is missing and loads every group's commands from it, in ascending
    // order; afterwards each group holds exactly the table's commands of its type, so running it
    // again never adds a command twice. When the table cannot be read the groups stay as they were.
    void LOAD_MENU_ITEMS();
    // Empties every group.
    void CLEAR_SPIDER_MENUS();

    const QStringList& typeWords() const { return m_typeWords; }
    // The commands of each group, in menu order (as many as typeWords()).
    const QList<QStringList>& groups() const { return m_groups; }
    // The separator that stands in a group's place while it holds no commands: hidden by every
    // load, shown again where a clearing removed commands.
    bool placeholderVisible(int group) const { return m_placeholderVisible.value(group); }

Q_SIGNALS:
    void menusChanged();

private:
    Database& m_db;
    QStringList m_typeWords;
    QList<QStringList> m_groups;
    QList<bool> m_placeholderVisible;
};

} // namespace zenthra
