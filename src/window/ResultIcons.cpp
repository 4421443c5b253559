#include "window/ResultIcons.h"

#include <QImage>
#include <QPixmap>

namespace goalvanta {

namespace {

// 8 x 8 letters, each pixel drawn as a square so the letter fills the cell.
using TGlyph = std::array<const char*, 8>;
constexpr TGlyph Glyphs[4] = {
    {"XX....XX", "XXX...XX", "XXXX..XX", "XX.XX.XX", "XX..XXXX", "XX...XXX", "XX....XX",
     "XX....XX"},
    {"XX....XX", "XX....XX", "XX....XX", "XX.XX.XX", "XX.XX.XX", "XXXXXXXX", "XXX..XXX",
     "XX....XX"},
    {"XXXXXX..", "XX...XX.", "XX....XX", "XX....XX", "XX....XX", "XX....XX", "XX...XX.",
     "XXXXXX.."},
    {"XX......", "XX......", "XX......", "XX......", "XX......", "XX......", "XXXXXXXX",
     "XXXXXXXX"},
};
constexpr QRgb Colours[4] = {qRgb(0xFF, 0xFF, 0xFF), qRgb(0xFF, 0x00, 0x00), qRgb(0xC0, 0xC0, 0xC0),
                             qRgb(0x00, 0x00, 0xFF)};

QPixmap Draw(const TGlyph& glyph, QRgb colour, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const int scale = size / 8;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (glyph[static_cast<std::size_t>(y / scale)][x / scale] == 'X')
                image.setPixel(x, y, colour);
    return QPixmap::fromImage(image);
}

} // namespace

const std::array<QIcon, 4>& ResultIcons() {
    static const std::array<QIcon, 4> icons = [] {
        std::array<QIcon, 4> made;
        for (std::size_t i = 0; i < made.size(); ++i)
            for (int size : {16, 32, 48, 64})
                made[i].addPixmap(Draw(Glyphs[i], Colours[i], size));
        return made;
    }();
    return icons;
}

} // namespace goalvanta
