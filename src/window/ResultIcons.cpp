#include "window/ResultIcons.h"

#include <QPainter>
#include <QPainterPath>
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

// The pixel letters at a whole multiple of their 8 pixels.
QImage DrawPixels(const TGlyph& glyph, QRgb colour, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const int scale = size / 8;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (glyph[static_cast<std::size_t>(y / scale)][x / scale] == 'X')
                image.setPixel(x, y, colour);
    return image;
}

// The area of the same letters on the 8 x 8 grid: the pixel design's bars where
// it has bars, true slants where it has steps.
QPainterPath Outline(std::size_t result) {
    if (result == 2) { // D: a frame one unit thick at top and bottom, two at the left
        QPainterPath path;
        path.addPolygon(QPolygonF({{0, 0}, {6, 0}, {8, 2}, {8, 6}, {6, 8}, {0, 8}}));
        path.closeSubpath();
        path.addPolygon(QPolygonF({{2, 1}, {5, 1}, {6, 2}, {6, 6}, {5, 7}, {2, 7}}));
        path.closeSubpath();
        return path; // odd-even fill: the inner polygon is the hole
    }
    // N, W and L: strokes two units wide along their middle lines.
    QPainterPath line;
    switch (result) {
    case 0: // N
        line.moveTo(1, 8);
        line.lineTo(1, 0);
        line.lineTo(7, 8);
        line.lineTo(7, 0);
        break;
    case 1: // W
        line.moveTo(1, 0);
        line.lineTo(1, 8);
        line.moveTo(7, 0);
        line.lineTo(7, 8);
        line.moveTo(1, 7);
        line.lineTo(4, 3.5);
        line.lineTo(7, 7);
        break;
    default: // L
        line.moveTo(1, 0);
        line.lineTo(1, 7);
        line.lineTo(8, 7);
        break;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(2);
    stroker.setCapStyle(Qt::SquareCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    return stroker.createStroke(line).simplified();
}

QImage DrawOutline(std::size_t result, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 8.0, size / 8.0);
    painter.setClipRect(QRectF(0, 0, 8, 8));
    painter.fillPath(Outline(result), QColor::fromRgb(Colours[result]));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QImage ResultIconImage(std::size_t result, int size) {
    if (result >= std::size(Glyphs) || size <= 0)
        return {};
    if (size < 32 && size % 8 == 0)
        return DrawPixels(Glyphs[result], Colours[result], size);
    return DrawOutline(result, size);
}

const std::array<QIcon, 4>& ResultIcons() {
    static const std::array<QIcon, 4> icons = [] {
        std::array<QIcon, 4> made;
        for (std::size_t i = 0; i < made.size(); ++i)
            for (int size : {16, 32, 48, 64})
                made[i].addPixmap(QPixmap::fromImage(ResultIconImage(i, size)));
        return made;
    }();
    return icons;
}

} // namespace goalvanta
