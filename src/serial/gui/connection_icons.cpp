#include "serial/gui/connection_icons.h"

#include "ui/gui/icons.h"

#include <QPainter>
#include <QPixmap>

namespace omni::serial {
namespace {

// Drawn on a 32 by 32 grid in the palette of the program's other icons.
using ui::iconstyle::ink;
using ui::iconstyle::kAccent;
using ui::iconstyle::kInk;
using ui::iconstyle::kPaper;
const QColor kLive(0x3a, 0x9a, 0x4a);

void drawConnection(QPainter& p) {
    // The cable from the left into the plug.
    p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2, 22), QPointF(8, 16));
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(7, 10, 9, 12), 2, 2);
    // Two pins reaching for the socket.
    p.drawLine(QPointF(16, 13), QPointF(20, 13));
    p.drawLine(QPointF(16, 19), QPointF(20, 19));
    // The socket, with its cable to the right.
    p.setBrush(kLive);
    p.drawRoundedRect(QRectF(21, 8, 8, 16), 2, 2);
    p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(29, 16), QPointF(31, 16));
}

void drawPortSettings(QPainter& p) {
    // A D-sub connector face.
    p.setPen(ink());
    p.setBrush(kPaper);
    const QPointF face[] = {{3, 5}, {29, 5}, {26, 15}, {6, 15}};
    p.drawPolygon(face, 4);
    p.setBrush(kInk);
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(8 + i * 4, 9), 0.9, 0.9);
    // Two sliders below it.
    p.setPen(ink(1.5));
    p.drawLine(QPointF(4, 21), QPointF(28, 21));
    p.drawLine(QPointF(4, 27), QPointF(28, 27));
    p.setBrush(kAccent);
    p.setPen(ink(1.5));
    p.drawRect(QRectF(9, 18.5, 5, 5));
    p.drawRect(QRectF(19, 24.5, 5, 5));
}

}  // namespace

QIcon connectionIcon() {
    return ui::drawnIcon(drawConnection);
}

QIcon portSettingsIcon() {
    return ui::drawnIcon(drawPortSettings);
}

}  // namespace omni::serial
