#pragma once

#include <QIcon>

namespace goalvanta {

// The game's icon in every size it ships, for the window and the About box.
QIcon ApplicationIcon();

} // namespace goalvanta
