#pragma once

#include <QIcon>

namespace goalvanta {

// The game's icon in every size it ships, for the window and the About box.
QIcon ApplicationIcon();

// The game's name, version, desktop entry and icon, on the running application.
void SetUpApplication();

} // namespace goalvanta
