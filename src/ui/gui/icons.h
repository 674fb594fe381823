// The program's own icons, drawn as vector shapes so that they stay sharp at any scale.
#pragma once

#include <QIcon>

namespace omni::gui {

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

}  // namespace omni::gui
