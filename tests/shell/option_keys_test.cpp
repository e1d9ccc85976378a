#include "core/options_model.h"
#include "shell/menu_table.h"
#include "shell/settings_file.h"
#include "support/critical_messages.h"
#include "support/settings_lines.h"
#include "support/temp_folder.h"

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

// The items a handler must be bound to: every command, and the check marks whose click does
// more than flip the mark. An item bound under a misspelt name stays on the list.
TEST(OptionKeys, TheItemsWithoutTheirHandlerAreListedInMenuOrder)
{
    QStringList handledChecks;
    for (const MenuEntry& e : menuTable()) {
        if (e.check == CheckBehaviour::Toggle && needsHandler(e)) {
            handledChecks.append(e.name);
        }
    }
    EXPECT_EQ(handledChecks.join(u' ').toStdString(),
              "mnuDxcAlwaysOnTop mnuDxSpiderView mnuWwc(7) mnuWwcAlwaysOnTop chkCalcHF chkCalcHF_Hidden "
              "mnuAnnToDb mnuEsDoubleHop(0) mnuEsQrb(0) mnuEsQrb(5)");

    const struct
    {
        QStringList missing;
        const char* unbound; // the names, in menu order
    } cases[] = {
        {{}, ""},
        {{QStringLiteral("mnuWwcAlwaysOnTop")}, "mnuWwcAlwaysOnTop"},
        // A plain check mark needs no handler of its own: the options model flips it.
        {{keys::filterHF(3), keys::wwcEcho}, ""},
        {{keys::esQrb(5), keys::exitProgram, keys::esQrb(4), keys::filterHF(3)},
         "mnuFile(4) mnuEsQrb(4) mnuEsQrb(5)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unboundMenuItems([&](const QString& name) { return !c.missing.contains(name); })
                      .join(u' ')
                      .toStdString(),
                  c.unbound)
            << c.missing.join(u',').toStdString();
    }
}

// The commands and menus the windows reach by name, and every index of each indexed family.
TEST(OptionKeys, EveryCommandAndMenuKeyNamesAnEntryOfItsKind)
{
    const auto expectEntry = [](const QString& key, MenuKind kind, bool command) {
        const MenuEntry* e = findMenuEntry(key);
        ASSERT_NE(e, nullptr) << key.toStdString();
        EXPECT_EQ(e->kind, kind) << key.toStdString();
        if (command) {
            EXPECT_EQ(e->check, CheckBehaviour::None) << key.toStdString();
        }
    };
    for (const QString& menu :
         {keys::dxcMenu, keys::wwcMenu, keys::bbsMenu, keys::optionsMenu, keys::esMenu, keys::spiderMenu}) {
        expectEntry(menu, MenuKind::Menu, true);
    }
    for (const QString& command :
         {keys::dxcCopyText, keys::wwcCopyText, keys::vhfCopyText, keys::mufCopyText, keys::currentSettings,
          keys::saveSettings, keys::restoreScreen, keys::exitProgram, keys::sqlServer, keys::fontSize,
          keys::backupDb, keys::windowBuffer, keys::miniUpdateDxDatabase, keys::searchCallLocDatabase,
          keys::esSpotFilter, keys::handMuf, keys::ddeSetup}) {
        expectEntry(command, MenuKind::Item, true);
    }
    for (const QString& command :
         {keys::help, keys::dxcClearHistory, keys::dxcSeparateWindow, keys::wwcClearHistory,
          keys::wwcSeparateWindow, keys::mapSingleSpot, keys::mapLoadAverage}) {
        expectEntry(command, MenuKind::Item, true);
    }
    const struct
    {
        QString (*item)(int);
        int count;
    } families[] = {
        {keys::bellByMode, 9}, {keys::windowSaved, 5}, {keys::esOptions, 7},    {keys::esDoubleHop, 5},
        {keys::esQrb, 6},      {keys::mapMufFreq, 4},  {keys::filterHF, 10},    {keys::filterVHF, 4},
        {keys::filterUHF, 6},  {keys::filterHFAll, 2}, {keys::filterVHFAll, 2}, {keys::filterUHFAll, 2},
        {keys::tab, 7},        {keys::dxc, 9},         {keys::dxcCommand, 6},   {keys::wwc, 9},
        {keys::wwcCommand, 7}, {keys::bbs, 6},         {keys::bbsCommand, 6}};
    for (const auto& f : families) {
        for (int i = 0; i < f.count; ++i) {
            expectEntry(f.item(i), MenuKind::Item, false);
        }
    }
}

TEST(OptionKeysDeathTest, AKeyThatNamesNoCheckMarkIsAProgrammingError)
{
    const QString misspelt = QStringLiteral("mnuDxc(22)");
#ifdef QT_NO_DEBUG
    // Release builds compile the assertion out: the error is logged instead.
    QStringList criticals;
    {
        const zenthra::test::CriticalMessages logged;
        OptionsModel o;
        EXPECT_FALSE(o.checked(misspelt));
        o.setChecked(keys::filterHF(0), true);
        criticals = logged.list();
    }
    ASSERT_EQ(criticals.size(), 1);
    EXPECT_EQ(criticals[0], QStringLiteral("\"mnuDxc(22)\" is no check mark of the menus"));
#else
    EXPECT_DEATH(OptionsModel().checked(misspelt), "a key that names no check mark");
#endif
}

// The flag beside each of these marks follows it however the mark is set: in code, by a toggle,
// and from its line of the settings file.
TEST(OptionKeys, ACompanionFlagFollowsItsMarkWhicheverWayItIsSet)
{
    OptionsModel o;
    ClassifierOptions& c = o.classifier;
    const struct
    {
        const QString& key;
        bool* flag;
        int line;
    } companions[] = {
        {keys::noAutoScroll, &o.blnNoAutoScroll, 17},   {keys::esBeyond5000, &c.blnEsBeyond5000, 48},
        {keys::countJt6m, &c.blnDigiJt6m, 49},          {keys::countWsjt, &c.blnDigiWsjt, 50},
        {keys::es2mWindows, &c.blnEs2mWindows, 51},     {keys::stickyMap, &o.blnStickyMap, 67},
        {keys::calcDoubleHop, &o.blnCalcDoubleHop, 95}, {keys::doubleHop50, &o.blnDoubleHop50, 96},
        {keys::doubleHop70, &o.blnDoubleHop70, 97},     {keys::doubleHop144, &o.blnDoubleHop144, 98},
        {keys::countJt65, &c.blnDigiJt65, 117},
    };
    test::TempFolder folder;
    const QString path = folder.file(QStringLiteral("zenthra.dat"));
    for (const auto& m : companions) {
        const std::string name = m.key.toStdString();
        EXPECT_EQ(o.companionFlag(m.key), m.flag) << name;
        o.setChecked(m.key, true);
        EXPECT_TRUE(*m.flag) << name;
        o.toggle(m.key);
        EXPECT_FALSE(*m.flag) << name;

        test::prepareSettings(folder, {{m.line, QStringLiteral("True")}}, SettingsReader::lineCount);
        SettingsReader(path).readOptionLines(o);
        EXPECT_TRUE(o.checked(m.key)) << name;
        EXPECT_TRUE(*m.flag) << name;
        o.setChecked(m.key, false);
        EXPECT_FALSE(*m.flag) << name;
    }
}

} // namespace
} // namespace zenthra
