#include "window/PlatformFont.h"

#include <QFont>
#include <QString>
#include <QWidget>
#include <windows.h>

namespace goalvanta {

void UsePlatformFont(QWidget& window) {
    LOGFONTW font{};
    if (!::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0) ||
        font.lfFaceName[0] == L'\0')
        return; // the toolkit's own choice, the message font, stays
    QFont chosen(QString::fromWCharArray(font.lfFaceName));
    // A negative height is the characters' height in pixels of the screen; a
    // positive one includes the internal leading, as near as makes no difference.
    if (font.lfHeight != 0) {
        HDC screen = ::GetDC(nullptr);
        const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen != nullptr)
            ::ReleaseDC(nullptr, screen);
        const int pixels = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
        chosen.setPointSizeF(pixels * 72.0 / (dpi > 0 ? dpi : 96));
    }
    chosen.setWeight(font.lfWeight >= FW_BOLD ? QFont::Bold : QFont::Normal);
    chosen.setItalic(font.lfItalic != 0);
    window.setFont(chosen);
}

} // namespace goalvanta
