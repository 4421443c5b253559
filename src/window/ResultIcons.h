#pragma once

#include <QIcon>
#include <array>

namespace goalvanta {

// The roster's result marks: a pixel letter filling the cell on a transparent
// ground, N white (not played), W red (won), D silver (drew), L blue (lost). Each
// icon carries 16, 32, 48 and 64 pixel images drawn from the same pixels, so it
// stays crisp on high-resolution screens.
const std::array<QIcon, 4>& ResultIcons();

} // namespace goalvanta
