#include "backdrop.h"

#include "board_scale.h"

namespace brivadoro {

namespace {
constexpr int kStripes = 256;
constexpr int kStripeUnits = 2;
constexpr int kDigitStep = 20;
} // namespace

void paintBackdrop(QPainter& painter, QSize size, BackdropDigits digits, const QRect& within) {
    const double pixelsPerUnit = size.height() / double(BoardScale::kScaleHeight);
    int y = 0;
    for (int k = 0; k < kStripes; ++k) {
        const int top = qRound(y * pixelsPerUnit);
        const int bottom = qRound((y + kStripeUnits) * pixelsPerUnit);
        y += kStripeUnits;
        if (bottom <= within.top() || top > within.bottom())
            continue;
        painter.fillRect(0, top, size.width(), bottom - top,
                         QColor(kDigitStep * digits.first, kDigitStep * digits.second, k));
    }
}

} // namespace brivadoro
