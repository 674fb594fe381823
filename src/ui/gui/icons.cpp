#include "ui/gui/icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace omni::ui {
namespace {

// Every icon is drawn on a 32 by 32 grid and rendered at the sizes toolbars and trees use.
using Draw = void (*)(QPainter&);

using iconstyle::ink;
using iconstyle::kAccent;
using iconstyle::kInk;
using iconstyle::kPaper;
const QColor kFolder(0xe8, 0xb8, 0x4a);

void page(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 7, r.top());
    path.lineTo(r.right(), r.top() + 7);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(r.right() - 7, r.top()), QPointF(r.right() - 7, r.top() + 7),
                              QPointF(r.right(), r.top() + 7)}));
}

void drawNew(QPainter& p) {
    page(p, QRectF(7, 3, 18, 26));
    p.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 20), QPointF(22, 28));
    p.drawLine(QPointF(18, 24), QPointF(26, 24));
}

void folder(QPainter& p, bool open) {
    p.setPen(ink());
    p.setBrush(kFolder.darker(115));
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(15, 11);
    back.lineTo(28, 11);
    back.lineTo(28, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(kFolder);
    if (open) {
        p.drawPolygon(
            QPolygonF({QPointF(7, 15), QPointF(31, 15), QPointF(27, 26), QPointF(3, 26)}));
    } else {
        p.drawRect(QRectF(3, 14, 25, 12));
    }
}

void drawOpen(QPainter& p) {
    folder(p, true);
}
void drawFolderClosed(QPainter& p) {
    folder(p, false);
}

void drawSave(QPainter& p) {
    p.setPen(ink());
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(kInk);
    p.drawRect(QRectF(18, 6, 3, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(8, 18, 16, 10));
}

void drawPrint(QPainter& p) {
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 3, 14, 9));
    p.setBrush(QColor(0xb9, 0xc2, 0xcc));
    p.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 18, 14, 11));
    p.setPen(QPen(kInk, 1.5));
    p.drawLine(QPointF(12, 22), QPointF(20, 22));
    p.drawLine(QPointF(12, 25), QPointF(18, 25));
    p.setBrush(QColor(0x3c, 0xa0, 0x5a));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(25, 15), 1.5, 1.5);
}

void drawCut(QPainter& p) {
    p.setPen(ink(2.2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(11, 3), QPointF(20, 21));
    p.drawLine(QPointF(21, 3), QPointF(12, 21));
    p.setPen(QPen(kAccent, 2.5));
    p.drawEllipse(QPointF(10, 25), 4, 4);
    p.drawEllipse(QPointF(22, 25), 4, 4);
}

void drawCopy(QPainter& p) {
    page(p, QRectF(4, 3, 16, 20));
    page(p, QRectF(12, 9, 16, 20));
}

void drawPaste(QPainter& p) {
    p.setPen(ink());
    p.setBrush(QColor(0xc8, 0x9a, 0x5c));
    p.drawRoundedRect(QRectF(5, 5, 20, 24), 2, 2);
    p.setBrush(QColor(0xb9, 0xc2, 0xcc));
    p.drawRoundedRect(QRectF(10, 2, 10, 6), 1.5, 1.5);
    page(p, QRectF(14, 12, 15, 18));
}

void drawDelete(QPainter& p) {
    p.setPen(QPen(QColor(0xc6, 0x3a, 0x32), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(24, 24));
    p.drawLine(QPointF(24, 8), QPointF(8, 24));
}

void finder(QPainter& p, qreal x, qreal y, qreal s) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(QRectF(x, y, s, s));
    p.setBrush(kPaper);
    p.drawRect(QRectF(x + s / 7, y + s / 7, s * 5 / 7, s * 5 / 7));
    p.setBrush(kInk);
    p.drawRect(QRectF(x + s * 2 / 7, y + s * 2 / 7, s * 3 / 7, s * 3 / 7));
}

void matrix(QPainter& p, QRectF r) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawRect(r);
    const qreal s = r.width() * 7 / 18;
    finder(p, r.left(), r.top(), s);
    finder(p, r.right() - s, r.top(), s);
    finder(p, r.left(), r.bottom() - s, s);
    p.setBrush(kInk);
    const qreal m = r.width() / 9;
    static const int dots[][2] = {{5, 5}, {7, 6}, {6, 8}, {8, 8}, {5, 7}, {8, 5}, {4, 1}, {1, 4}};
    for (const auto& d : dots)
        p.drawRect(QRectF(r.left() + d[0] * m, r.top() + d[1] * m, m, m));
}

void bars(QPainter& p, QRectF r) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setBrush(kInk);
    static const qreal widths[] = {1, 1, 3, 1, 1, 3, 3, 1, 1, 1, 3, 1};
    qreal x = r.left() + 1;
    bool bar = true;
    for (qreal w : widths) {
        const qreal dx = w * r.width() / 26;
        if (bar)
            p.drawRect(QRectF(x, r.top() + 1, dx, r.height() - 2));
        x += dx;
        bar = !bar;
    }
}

void drawNewMenuCode(QPainter& p) {
    matrix(p, QRectF(3, 3, 22, 22));
    p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(25, 20), QPointF(25, 30));
    p.drawLine(QPointF(20, 25), QPointF(30, 25));
}

void drawSwitchMode(QPainter& p) {
    bars(p, QRectF(2, 2, 16, 13));
    matrix(p, QRectF(16, 16, 14, 14));
    p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(22, 5), QPointF(27, 5), QPointF(27, 12)}));
    p.drawPolyline(QPolygonF({QPointF(24, 10), QPointF(27, 13), QPointF(30, 10)}));
    p.drawPolyline(QPolygonF({QPointF(10, 27), QPointF(5, 27), QPointF(5, 20)}));
    p.drawPolyline(QPolygonF({QPointF(2, 22), QPointF(5, 19), QPointF(8, 22)}));
}

void arrow(QPainter& p, qreal angle) {
    p.translate(16, 16);
    p.rotate(angle);
    p.setPen(QPen(kAccent.darker(110), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kAccent);
    p.drawPolygon(QPolygonF({QPointF(-12, -4), QPointF(2, -4), QPointF(2, -11), QPointF(13, 0),
                             QPointF(2, 11), QPointF(2, 4), QPointF(-12, 4)}));
}

void drawSend(QPainter& p) {
    arrow(p, 0);
}
void drawMoveUp(QPainter& p) {
    arrow(p, -90);
}
void drawMoveDown(QPainter& p) {
    arrow(p, 90);
}
void drawFolderOpen(QPainter& p) {
    folder(p, true);
}
void drawLeaf2D(QPainter& p) {
    matrix(p, QRectF(5, 5, 22, 22));
}
void drawLeaf1D(QPainter& p) {
    bars(p, QRectF(3, 6, 26, 20));
}

void drawProgram(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    matrix(p, QRectF(6, 6, 20, 20));
}

// A picture: a framed landscape with a sun.
void drawPicture(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(235, 244, 252));
    p.drawRect(QRectF(3, 6, 26, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 140, 70));
    p.drawPolygon(QPolygonF(
        {QPointF(4, 25), QPointF(13, 14), QPointF(19, 21), QPointF(23, 17), QPointF(28, 25)}));
    p.setBrush(QColor(230, 170, 40));
    p.drawEllipse(QPointF(22, 11), 3, 3);
}

// A camera, for taking a picture with the reader.
void drawCamera(QPainter& p) {
    p.setPen(QPen(QColor(50, 50, 50), 2));
    p.setBrush(QColor(120, 130, 145));
    p.drawRoundedRect(QRectF(3, 9, 26, 18), 3, 3);
    p.drawRect(QRectF(11, 5, 10, 4));
    p.setBrush(QColor(225, 235, 245));
    p.drawEllipse(QPointF(16, 18), 6, 6);
}

Draw drawerOf(IconId id) {
    switch (id) {
        case IconId::New:
            return drawNew;
        case IconId::Open:
            return drawOpen;
        case IconId::Save:
            return drawSave;
        case IconId::Print:
            return drawPrint;
        case IconId::Cut:
            return drawCut;
        case IconId::Copy:
            return drawCopy;
        case IconId::Paste:
            return drawPaste;
        case IconId::Delete:
            return drawDelete;
        case IconId::NewMenuCode:
            return drawNewMenuCode;
        case IconId::SwitchMode:
            return drawSwitchMode;
        case IconId::Send:
            return drawSend;
        case IconId::MoveUp:
            return drawMoveUp;
        case IconId::MoveDown:
            return drawMoveDown;
        case IconId::FolderClosed:
            return drawFolderClosed;
        case IconId::FolderOpen:
            return drawFolderOpen;
        case IconId::Leaf2D:
            return drawLeaf2D;
        case IconId::Leaf1D:
            return drawLeaf1D;
        case IconId::Program:
            return drawProgram;
        case IconId::Picture:
            return drawPicture;
        case IconId::Camera:
            return drawCamera;
    }
    return drawNew;
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

QPixmap render(Draw draw, int size, bool disabled) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    if (disabled)
        p.setOpacity(0.35);
    draw(p);
    return pixmap;
}

}  // namespace

QIcon icon(IconId id) {
    QIcon result;
    const Draw draw = drawerOf(id);
    for (int size : {16, 24, 32, 48}) {
        result.addPixmap(render(draw, size, false), QIcon::Normal);
        result.addPixmap(render(draw, size, true), QIcon::Disabled);
    }
    return result;
}

QIcon drawnIcon(void (*draw)(QPainter&)) {
    return QIcon(new DrawnIcon(draw));
}

}  // namespace omni::ui
