#include "shell/menu_table.h"
#include "shell/options_model.h"

#include <QSet>
#include <gtest/gtest.h>

namespace zenthra {
namespace {

// Every check mark of the menu bar is a key the model knows, and nothing else is.
TEST(OptionKeys, TheModelKnowsExactlyTheMenusCheckMarks)
{
    QSet<QString> menuMarks;
    for (const MenuEntry& e : menuTable()) {
        if (e.check == CheckBehaviour::Toggle) {
            menuMarks.insert(e.name);
        }
    }
    const QList<QString>& keys = keys::checkMarks();
    EXPECT_EQ(QSet<QString>(keys.cbegin(), keys.cend()), menuMarks);
    EXPECT_EQ(keys.size(), 81);
}

// The commands and menus the windows reach by name, and every index of each indexed family.
TEST(OptionKeys, EveryCommandAndMenuKeyNamesAnEntryOfItsKind)
{
    const struct
    {
        const QString& key;
        MenuKind kind;
    } named[] = {
        {keys::dxcMenu, MenuKind::Menu},
        {keys::wwcMenu, MenuKind::Menu},
        {keys::bbsMenu, MenuKind::Menu},
        {keys::optionsMenu, MenuKind::Menu},
        {keys::esMenu, MenuKind::Menu},
        {keys::spiderMenu, MenuKind::Menu},
        {keys::dxcCopyText, MenuKind::Item},
        {keys::wwcCopyText, MenuKind::Item},
        {keys::vhfCopyText, MenuKind::Item},
        {keys::mufCopyText, MenuKind::Item},
        {keys::currentSettings, MenuKind::Item},
        {keys::saveSettings, MenuKind::Item},
        {keys::restoreScreen, MenuKind::Item},
        {keys::exitProgram, MenuKind::Item},
        {keys::sqlServer, MenuKind::Item},
        {keys::fontSize, MenuKind::Item},
        {keys::backupDb, MenuKind::Item},
        {keys::windowBuffer, MenuKind::Item},
        {keys::miniUpdateDxDatabase, MenuKind::Item},
        {keys::searchCallLocDatabase, MenuKind::Item},
        {keys::esSpotFilter, MenuKind::Item},
        {keys::handMuf, MenuKind::Item},
        {keys::ddeSetup, MenuKind::Item},
    };
    for (const auto& n : named) {
        const MenuEntry* e = findMenuEntry(n.key);
        ASSERT_NE(e, nullptr) << n.key.toStdString();
        EXPECT_EQ(e->kind, n.kind) << n.key.toStdString();
        EXPECT_EQ(e->check, CheckBehaviour::None) << n.key.toStdString();
    }
    const struct
    {
        QString (*item)(int);
        int count;
    } families[] = {{keys::bellByMode, 9},  {keys::windowSaved, 5},  {keys::esOptions, 7},
                    {keys::esDoubleHop, 5}, {keys::esQrb, 6},        {keys::mapMufFreq, 4},
                    {keys::filterHF, 10},   {keys::filterVHF, 4},    {keys::filterUHF, 6},
                    {keys::filterHFAll, 2}, {keys::filterVHFAll, 2}, {keys::filterUHFAll, 2},
                    {keys::tab, 7}};
    for (const auto& f : families) {
        for (int i = 0; i < f.count; ++i) {
            const MenuEntry* e = findMenuEntry(f.item(i));
            ASSERT_NE(e, nullptr) << f.item(i).toStdString();
            EXPECT_EQ(e->kind, MenuKind::Item) << f.item(i).toStdString();
        }
    }
}

TEST(OptionKeysDeathTest, AKeyThatNamesNoCheckMarkIsAProgrammingError)
{
    const QString misspelt = QStringLiteral("mnuDxc(22)");
#ifdef QT_NO_DEBUG
    // Release builds compile the assertion out: the error is logged instead.
    static QStringList criticals;
    criticals.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg) {
                criticals.append(text);
            }
        });
    OptionsModel o;
    EXPECT_FALSE(o.checked(misspelt));
    o.setChecked(keys::filterHF(0), true);
    qInstallMessageHandler(previous);
    ASSERT_EQ(criticals.size(), 1);
    EXPECT_EQ(criticals[0], QStringLiteral("\"mnuDxc(22)\" is no check mark of the menus"));
#else
    EXPECT_DEATH(OptionsModel().checked(misspelt), "a key that names no check mark");
#endif
}

} // namespace
} // namespace zenthra
