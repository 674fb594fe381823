#include "serial/gui/connection_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace omni::serial {
namespace {

// Drawn on a 32 by 32 grid, like the program's other icons.
const QColor kInk(0x33, 0x3b, 0x45);
const QColor kPaper(0xfb, 0xfb, 0xf8);
const QColor kAccent(0x2f, 0x6f, 0xb5);
const QColor kLive(0x3a, 0x9a, 0x4a);

QPen ink(qreal width = 2.0) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

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
    QPainterPath face;
    face.moveTo(3, 5);
    face.lineTo(29, 5);
    face.lineTo(26, 15);
    face.lineTo(6, 15);
    face.closeSubpath();
    p.drawPath(face);
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

class DrawnIcon : public QIconEngine {
public:
    explicit DrawnIcon(void (*draw)(QPainter&)) : draw_(draw) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 32.0, rect.height() / 32.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.35);
        draw_(*painter);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new DrawnIcon(draw_); }

private:
    void (*draw_)(QPainter&);
};

}  // namespace

QIcon connectionIcon() {
    return QIcon(new DrawnIcon(drawConnection));
}

QIcon portSettingsIcon() {
    return QIcon(new DrawnIcon(drawPortSettings));
}

}  // namespace omni::serial
