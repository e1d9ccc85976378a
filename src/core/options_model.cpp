#include "core/options_model.h"

namespace zenthra {

OptionsModel::OptionsModel(QObject* parent) : QObject(parent) {}

bool OptionsModel::checked(const QString& item) const
{
    return m_checks.value(item, false);
}

void OptionsModel::setChecked(const QString& item, bool on)
{
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
    if (bool* flag = companionFlag(item)) {
        *flag = on;
    }
    return on;
}

bool* OptionsModel::companionFlag(const QString& item)
{
    // The items whose click handler keeps a flag equal to the mark, for code outside the window.
    if (item == QLatin1String("mnuDxc(6)")) {
        return &blnNoAutoScroll;
    }
    if (item == QLatin1String("mnuEsOptions(2)")) {
        return &classifier.blnDigiJt6m;
    }
    if (item == QLatin1String("mnuEsOptions(3)")) {
        return &classifier.blnDigiWsjt;
    }
    if (item == QLatin1String("mnuEsQrb(0)")) {
        return &classifier.blnEs2mWindows;
    }
    if (item == QLatin1String("mnuEsQrb(5)")) {
        return &classifier.blnEsBeyond5000;
    }
    if (item == QLatin1String("mnuEsJt65")) {
        return &classifier.blnDigiJt65;
    }
    if (item == QLatin1String("mnuEsDoubleHop(0)")) {
        return &blnCalcDoubleHop;
    }
    if (item == QLatin1String("mnuEsDoubleHop(2)")) {
        return &blnDoubleHop50;
    }
    if (item == QLatin1String("mnuEsDoubleHop(3)")) {
        return &blnDoubleHop70;
    }
    if (item == QLatin1String("mnuEsDoubleHop(4)")) {
        return &blnDoubleHop144;
    }
    if (item == QLatin1String("mnuMapDraw(5)")) {
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
