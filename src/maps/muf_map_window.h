#pragma once
// The MUF MAP tab of the main window: the map picture inside its frame, moved by the two
// scroll bars. It shows what the map logic draws and scrolls where it asks; a double-click
// redraws, and moving the pointer with the right button held asks for the map's options menu.

#include "maps/locator_grid.h"

#include <QWidget>

class QFrame;
class QLabel;
class QScrollBar;

namespace zenthra {

class MapCanvas;
class MufMap;

// The picture: the canvas at its full size, painted from its two layers.
class MapPicture : public QWidget
{
    Q_OBJECT
public:
    explicit MapPicture(MapCanvas& canvas, QWidget* parent = nullptr);

Q_SIGNALS:
    void doubleClicked();
    // The pointer moved with the right button held, at this screen position.
    void rightDragged(const QPoint& global);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    MapCanvas& m_canvas;
};

class MufMapTab : public QWidget
{
    Q_OBJECT
public:
    explicit MufMapTab(MufMap& map, QWidget* parent = nullptr);

    QFrame* fmeMufMap() const { return m_frame; }
    MapPicture* picMufMap() const { return m_picture; }
    QScrollBar* scrHoriz() const { return m_scrHoriz; }
    QScrollBar* scrVert() const { return m_scrVert; }

    // Sets both scroll ranges from the picture's and the frame's sizes.
    void RESIZE_SCROLLERS();
    // Scrolls so that the square lies in the middle of the frame, as far as the ranges allow.
    void centreOn(GridSquare square);

Q_SIGNALS:
    void optionsMenuRequested(const QPoint& global);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scrollChanged();
    float twipsPerPixel() const;

    MufMap& m_map;
    QFrame* m_frame = nullptr;
    MapPicture* m_picture = nullptr;
    QLabel* m_lblMapRedraw = nullptr;
    QScrollBar* m_scrHoriz = nullptr;
    QScrollBar* m_scrVert = nullptr;
};

} // namespace zenthra
