#pragma once
// frmMapping, the average-MUF map window: for one UTC day, a dot per locator square shaded by the
// square's average MUF, and the list of squares, highest first. It redraws the current UTC day
// every refresh period and keeps its place and rate in avg_mapper.dat.

#include "maps/avg_map_query.h"
#include "maps/mapper_window.h"

class QAction;

namespace zenthra {

class AvgMapWindow : public MapperWindow
{
    Q_OBJECT
public:
    static constexpr double designWidth = 9735;
    static constexpr double designHeight = 5925;

    // `mainWindow` gives the first position (its own) and is the parent.
    AvgMapWindow(const MapperServices& services, QWidget* mainWindow);
    ~AvgMapWindow() override;

    // Erases the map and draws the averages of the typed day (any form mapDate reads), or of
    // the current UTC day when the text is not a date.
    void AVERAGE_DRAW(const QString& dateText);
    // The last drawing's picture (list lines, dots, squares left out).
    const AvgMapPicture& picture() const { return m_picture; }

protected:
    void refresh() override { AVERAGE_DRAW(QString()); }
    void showDay(const QString& dateText) override { AVERAGE_DRAW(dateText); }

private:
    void buildMenus();

    AvgMapPicture m_picture;
};

} // namespace zenthra
