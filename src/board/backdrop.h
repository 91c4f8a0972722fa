#pragma once

#include <QPainter>

namespace brivadoro {

// The question's digits, which set the backdrop's colours.
struct BackdropDigits {
    int first = 0;
    int second = 0;
};

// The question's backdrop: 256 horizontal stripes, two vertical units each, over an area of the
// given size; stripe k has red 20 * first digit, green 20 * second digit and blue k. Only the
// stripes that cross `within` are painted.
void paintBackdrop(QPainter& painter, QSize size, BackdropDigits digits, const QRect& within);

} // namespace brivadoro
