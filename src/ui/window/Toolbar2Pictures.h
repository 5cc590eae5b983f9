#pragma once

#include <QIcon>

// The pictures of the three Toolbar2 buttons, drawn for the program.
namespace Toolbar2Pictures {

QIcon share(); // a record going up to the web
QIcon tools(); // a wrench
QIcon quit();  // a door with an arrow leaving it

} // namespace Toolbar2Pictures
