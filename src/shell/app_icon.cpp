#include "shell/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zenthra {

QIcon zenthraIcon()
{
    // A path arching over the globe: drawn rather than shipped, so it is sharp at every size.
    QIcon icon;
    for (int side : {16, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = side;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x5f, 0xa8));
        p.drawEllipse(QRectF(s * 0.1, s * 0.35, s * 0.8, s * 0.6));
        QPainterPath arc;
        arc.moveTo(s * 0.15, s * 0.6);
        arc.quadTo(s * 0.5, -s * 0.1, s * 0.85, s * 0.6);
        p.setPen(QPen(QColor(0xf0, 0xa0, 0x20), std::max(1.5, s / 12)));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arc);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace zenthra
