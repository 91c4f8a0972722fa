#include "backdrop.h"

#include <QPainter>

#include "board_scale.h"

namespace brivadoro {

namespace {
constexpr int kStripes = 256;
constexpr int kStripeUnits = 2;
constexpr int kDigitStep = 20;
} // namespace

void paintBackdrop(QImage& image, int firstDigit, int secondDigit) {
    QPainter painter(&image);
    const double pixelsPerUnit = image.height() / double(BoardScale::kScaleHeight);
    int y = 0;
    for (int k = 0; k < kStripes; ++k) {
        const int top = qRound(y * pixelsPerUnit);
        const int bottom = qRound((y + kStripeUnits) * pixelsPerUnit);
        painter.fillRect(0, top, image.width(), bottom - top,
                         QColor(kDigitStep * firstDigit, kDigitStep * secondDigit, k));
        y += kStripeUnits;
    }
}

} // namespace brivadoro
