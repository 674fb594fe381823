// The program's own icons, drawn as vector shapes so that they stay sharp at any scale.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPen>

class QPainter;

namespace omni::ui {

enum class IconId {
    New,
    Open,
    Save,
    Print,
    Cut,
    Copy,
    Paste,
    Delete,
    NewMenuCode,
    SwitchMode,
    Send,
    MoveUp,
    MoveDown,
    FolderClosed,
    FolderOpen,
    Leaf2D,  // a group of the 2D catalog: a small matrix symbol
    Leaf1D,  // a group of the 1D catalog: a small bar code
    Program,
    Picture,  // an image page
    Camera,   // taking a picture
};

QIcon icon(IconId id);

// The palette and pen of the drawn icons, for icons drawn next to their widgets.
namespace iconstyle {
inline const QColor kInk(0x33, 0x3b, 0x45);
inline const QColor kPaper(0xfb, 0xfb, 0xf8);
inline const QColor kAccent(0x2f, 0x6f, 0xb5);

inline QPen ink(qreal width = 2.0) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}
}  // namespace iconstyle

// An icon drawn by `draw` on the 32 by 32 grid at whatever size it is shown; faded when
// disabled.
QIcon drawnIcon(void (*draw)(QPainter&));

}  // namespace omni::ui
