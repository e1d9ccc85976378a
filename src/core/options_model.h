#pragma once
// Every option of the program: the menu check marks and the option variables beside them.
// The menus show this model and change it; logic reads it, never a widget. The settings file
// reads and writes it.

#include "core/classifier_options.h"
#include "core/current_node.h"
#include "core/database_settings.h"
#include "core/option_keys.h"

#include <QHash>
#include <QObject>
#include <QString>

namespace zenthra {

class OptionsModel : public QObject
{
    Q_OBJECT
public:
    explicit OptionsModel(QObject* parent = nullptr);

    // Check marks, reached by the menu item's name, one of the constants of option_keys.h
    // (keys::autoClx, keys::calcVhf). An item that was never set reads as not ticked, as every
    // item is in the window's design; a name that is no check mark is a programming error.
    // Setting a mark that has a flag beside it sets the flag too.
    bool checked(const QString& item) const;
    void setChecked(const QString& item, bool on);
    // Flips the mark. Returns the new mark.
    bool toggle(const QString& item);

    // The flag that stands beside a menu item and that the settings file stores in its place,
    // or nullptr when the item has none. The model sets it whenever the mark is set.
    bool* companionFlag(const QString& item);

    // The user's home locator, upper case as typed or loaded.
    const QString& homeLocator() const { return m_homeLocator; }
    void setHomeLocator(const QString& text);

    // "DX Spider" menu: hidden in the design, shown by "View DX Spider menu?".
    bool spiderMenuVisible() const { return m_spiderMenuVisible; }
    void setSpiderMenuVisible(bool visible);

    // Database kind and server settings (lines 1-5).
    DatabaseSettings database;
    // Sporadic-E counting options and distance limits.
    ClassifierOptions classifier;

    // Current node of each link.
    CurrentNode nodes;

    qint16 intReconnectMinutes = 0;
    qint16 intFontSize = 0;
    float sngBellMufLevel = 0;
    double dblMasl = 0;
    double dblELayerHeight = 0;

    QString strDdeExeName;
    QString strDdeTopic;
    QString strDdeItem;

    qint16 intMapSpotCount = 0;
    float sngMapBand = 0;
    float sngMapMinMuf = 0;
    float sngMapMaxMuf = 0;
    bool blnStickyMap = false;

    float sngWindowBuffer = 0;
    QString strWwcAwayText;
    QString strWwcPersonalText;

    qint16 intDoubleHopMinQrb = 0;
    bool blnCalcDoubleHop = false;
    bool blnDoubleHop50 = false;
    bool blnDoubleHop70 = false;
    bool blnDoubleHop144 = false;

    // Not stored: follows "Disable window auto Scroll".
    bool blnNoAutoScroll = false;

Q_SIGNALS:
    void checkChanged(const QString& item, bool on);
    void homeLocatorChanged(const QString& text);
    void spiderMenuVisibleChanged(bool visible);

private:
    QHash<QString, bool> m_checks;
    QString m_homeLocator;
    bool m_spiderMenuVisible = false;
};

} // namespace zenthra
