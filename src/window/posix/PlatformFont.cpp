#include "window/PlatformFont.h"

namespace goalvanta {

// The toolkit already takes the desktop's general font from its platform theme.
void UsePlatformFont(QWidget&) {}

} // namespace goalvanta
