#pragma once

#include <QIcon>

// The pictures of the entry form's buttons, drawn with QPainter at whatever size and pixel
// density they are shown, so they stay sharp on high-DPI screens.
namespace Toolbar1Icons {

enum class Picture {
    Add,     // a page with a plus
    Replace, // a page with a pencil
    Clear,   // a blank new page with a folded corner
    Switch   // two opposed arrows (telephone/fax)
};

QIcon icon(Picture picture);

} // namespace Toolbar1Icons
