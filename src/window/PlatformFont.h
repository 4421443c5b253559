#pragma once

class QWidget;

namespace goalvanta {

// Gives `window`, and every control that takes its parent's font, the font the
// platform means for it: on Windows the system's icon-title font. Elsewhere the
// toolkit's choice, which follows the desktop's settings, stands.
void UsePlatformFont(QWidget& window);

} // namespace goalvanta
