#pragma once

#include <QIcon>

namespace xq::gui {

// The program's own icon: the one the desktop has installed under the program's name, else the
// one built into the program.
QIcon programIcon();

}  // namespace xq::gui
