#pragma once
// frmMapSingle, the single-spot map window: lists one UTC day's stored sporadic-E spots by their
// text and draws the paths of the spot picked, with the marks its options menu ticks. Drawings
// stay until "&Clear Map". The list follows the current UTC day every refresh period; the place,
// rate and ticks are kept in sng_mapper.dat.

#include "maps/mapper_window.h"
#include "maps/single_map_query.h"

class QAction;

namespace zenthra {

class SingleMapWindow : public MapperWindow
{
    Q_OBJECT
public:
    static constexpr double designWidth = 9735;
    static constexpr double designHeight = 5895;

    SingleMapWindow(const MapperServices& services, QWidget* mainWindow);
    ~SingleMapWindow() override;

    // Lists the spots of the typed day, or of the current UTC day when the text is not a date.
    void LOAD_SPOT_LIST(const QString& dateText);
    // Draws every row of the listed day whose spot text is exactly this one.
    void SINGLE_DRAW(const QString& spotText);
    // Ticks "Lines?" (1), "Points?" (2), "Centre?" (3), "Your Path?" (4).
    void mnuMap_Click(int index);
    QAction* mnuMap(int index) const { return m_mnuMap[index]; }
    singlemap::Ticks ticks() const;
    QDate spotDay() const { return m_spotDay; }

protected:
    void refresh() override { LOAD_SPOT_LIST(QString()); }
    void showDay(const QString& dateText) override { LOAD_SPOT_LIST(dateText); }
    std::optional<std::array<bool, 4>> ticksToSave() const override;

private:
    void buildMenus();

    QAction* m_mnuMap[5] = {};
    QDate m_spotDay;
    int m_pickedRow = -1; // the row a pick just drew, until its click arrives
};

} // namespace zenthra
