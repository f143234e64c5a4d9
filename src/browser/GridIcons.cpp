#include "browser/GridIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace tervalo::browser {

namespace {

QPixmap canvas() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// An envelope crossed out in red.
QPixmap noEmail() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 90), 1));
    p.setBrush(QColor(250, 250, 235));
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 8.5), QPointF(14.5, 3.5)}));
    p.setPen(QPen(QColor(220, 0, 0), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 14), QPointF(13, 2));
    return pixmap;
}

// A red "no entry" disc.
QPixmap excluded() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 0, 0), 1));
    p.setBrush(QColor(225, 30, 30));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 7, 8, 2.2));
    return pixmap;
}

// A yellow note with a folded corner and lines.
QPixmap note() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath sheet;
    sheet.moveTo(2.5, 1.5);
    sheet.lineTo(10.5, 1.5);
    sheet.lineTo(13.5, 4.5);
    sheet.lineTo(13.5, 14.5);
    sheet.lineTo(2.5, 14.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(150, 120, 0), 1));
    p.setBrush(QColor(255, 225, 80));
    p.drawPath(sheet);
    p.setPen(QPen(QColor(120, 90, 0), 1));
    for (double y : {6.5, 9.0, 11.5}) {
        p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
    }
    return pixmap;
}

}  // namespace

const QPixmap& gridIcon(GridIcon icon) {
    static const QPixmap none;
    static const QPixmap icons[] = {noEmail(), excluded(), note()};
    switch (icon) {
        case GridIcon::NoEmail:
            return icons[0];
        case GridIcon::Excluded:
            return icons[1];
        case GridIcon::Note:
            return icons[2];
        case GridIcon::None:
            break;
    }
    return none;
}

}  // namespace tervalo::browser
