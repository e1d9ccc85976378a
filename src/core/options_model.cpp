#include "core/options_model.h"

#include "core/log.h"

#include <QSet>

namespace zenthra {

namespace {

// A key that names no check mark is a misspelt or stale constant, never an option that is simply
// unticked: it stops a debug build and is logged in a release one.
bool known(const QString& item)
{
    static const QSet<QString> marks(keys::checkMarks().cbegin(), keys::checkMarks().cend());
    if (marks.contains(item)) {
        return true;
    }
    qCCritical(lcCore, "\"%s\" is no check mark of the menus", qUtf8Printable(item));
    Q_ASSERT_X(false, "OptionsModel", "a key that names no check mark");
    return false;
}

} // namespace

OptionsModel::OptionsModel(QObject* parent) : QObject(parent) {}

bool OptionsModel::checked(const QString& item) const
{
    // Asked for every spot and line: a mark in the table passed known() when it was set, so only
    // an absent one is looked up a second time.
    const auto it = m_checks.constFind(item);
    if (it != m_checks.cend()) {
        return *it;
    }
    known(item);
    return false;
}

void OptionsModel::setChecked(const QString& item, bool on)
{
    if (!known(item)) {
        return;
    }
    // The flag follows its mark whoever sets it: a click, the settings file or code.
    if (bool* flag = companionFlag(item)) {
        *flag = on;
    }
    auto it = m_checks.find(item);
    if (it != m_checks.end() && *it == on) {
        return;
    }
    if (it == m_checks.end() && !on) {
        m_checks.insert(item, false);
        return;
    }
    m_checks.insert(item, on);
    Q_EMIT checkChanged(item, on);
}

bool OptionsModel::toggle(const QString& item)
{
    const bool on = !checked(item);
    setChecked(item, on);
    return on;
}

bool* OptionsModel::companionFlag(const QString& item)
{
    // The items with a flag beside them that code outside the window reads.
    if (item == keys::noAutoScroll) {
        return &blnNoAutoScroll;
    }
    if (item == keys::countJt6m) {
        return &classifier.blnDigiJt6m;
    }
    if (item == keys::countWsjt) {
        return &classifier.blnDigiWsjt;
    }
    if (item == keys::es2mWindows) {
        return &classifier.blnEs2mWindows;
    }
    if (item == keys::esBeyond5000) {
        return &classifier.blnEsBeyond5000;
    }
    if (item == keys::countJt65) {
        return &classifier.blnDigiJt65;
    }
    if (item == keys::calcDoubleHop) {
        return &blnCalcDoubleHop;
    }
    if (item == keys::doubleHop50) {
        return &blnDoubleHop50;
    }
    if (item == keys::doubleHop70) {
        return &blnDoubleHop70;
    }
    if (item == keys::doubleHop144) {
        return &blnDoubleHop144;
    }
    if (item == keys::stickyMap) {
        return &blnStickyMap;
    }
    return nullptr;
}

void OptionsModel::setHomeLocator(const QString& text)
{
    if (text == m_homeLocator) {
        return;
    }
    m_homeLocator = text;
    Q_EMIT homeLocatorChanged(m_homeLocator);
}

void OptionsModel::setSpiderMenuVisible(bool visible)
{
    if (visible == m_spiderMenuVisible) {
        return;
    }
    m_spiderMenuVisible = visible;
    Q_EMIT spiderMenuVisibleChanged(visible);
}

} // namespace zenthra
