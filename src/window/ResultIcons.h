#pragma once

#include <QIcon>
#include <QImage>
#include <array>

namespace goalvanta {

// The roster's result marks: a bold letter filling the cell on a transparent
// ground, N white (not played), W red (won), D silver (drew), L blue (lost).
const std::array<QIcon, 4>& ResultIcons();

// The image of result mark `result` (0 to 3) at `size` pixels square. At 16 pixels
// the letter is an 8 x 8 pixel design drawn in 2 x 2 squares, crisp on a screen at
// normal scale. Larger images (32 for a doubled screen, 48 and 64) draw the same
// letter from its outline, smoothed, so that a high-resolution screen shows a
// sharp letter rather than the small image's squares blown up.
QImage ResultIconImage(std::size_t result, int size);

} // namespace goalvanta
