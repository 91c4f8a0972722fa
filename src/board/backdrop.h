#pragma once

#include <QImage>

namespace brivadoro {

// The question's backdrop: 256 horizontal stripes, two vertical units each, over the whole image;
// stripe k has red 20 * firstDigit, green 20 * secondDigit and blue k.
void paintBackdrop(QImage& image, int firstDigit, int secondDigit);

} // namespace brivadoro
