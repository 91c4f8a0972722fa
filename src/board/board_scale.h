#pragma once

#include <algorithm>

#include <QRect>
#include <QSize>

#include "design.h"

namespace brivadoro {

// The one mapping from the board's units to the window's pixels. Until the first question the
// board's units are the design's twips; from then on one horizontal unit is one design pixel of the
// inner area and one vertical unit 1/512 of its height, both counted from the inner area's top-left
// corner. The zoom then sizes the whole inner area uniformly: at 1 it has its design size.
class BoardScale {
public:
    static constexpr int kInnerWidth = BoardDesign::kInnerWidthTwips / BoardDesign::kTwipsPerPixel;
    static constexpr int kInnerHeight = BoardDesign::kInnerHeightTwips / BoardDesign::kTwipsPerPixel;
    static constexpr float kScaleHeight = 512;
    // The board never gets smaller than this, whatever the window or the screen.
    static constexpr double kSmallestZoom = 0.25;

    // The largest zoom at which the inner area fits in room.
    [[nodiscard]] static double zoomToFit(QSize room) {
        return std::min(room.width() / double(kInnerWidth), room.height() / double(kInnerHeight));
    }

    [[nodiscard]] bool userDefined() const { return userDefined_; }
    void setUserDefined() { userDefined_ = true; }
    [[nodiscard]] double zoom() const { return zoom_; }
    void setZoom(double zoom) { zoom_ = zoom; }

    [[nodiscard]] QSize innerSize() const { return {pixels(kInnerWidth), pixels(kInnerHeight)}; }
    // A design rectangle in twips; controls of one design size keep one size wherever they stand.
    [[nodiscard]] QRect fromTwips(int left, int top, int width, int height) const {
        constexpr double k = BoardDesign::kTwipsPerPixel;
        return {pixels(left / k), pixels(top / k), pixels(width / k), pixels(height / k)};
    }

    [[nodiscard]] float toPixelsX(float units) const {
        return zoomed(userDefined_ ? units : units / BoardDesign::kTwipsPerPixel);
    }
    [[nodiscard]] float toPixelsY(float units) const {
        return zoomed(userDefined_ ? units * (kInnerHeight / kScaleHeight)
                                   : units / BoardDesign::kTwipsPerPixel);
    }
    [[nodiscard]] float fromPixelsX(float pixels) const {
        const float design = unzoomed(pixels);
        return userDefined_ ? design : design * BoardDesign::kTwipsPerPixel;
    }
    [[nodiscard]] float fromPixelsY(float pixels) const {
        const float design = unzoomed(pixels);
        return userDefined_ ? design * (kScaleHeight / kInnerHeight) : design * BoardDesign::kTwipsPerPixel;
    }

private:
    [[nodiscard]] int pixels(double designPixels) const { return qRound(designPixels * zoom_); }
    [[nodiscard]] float zoomed(float designPixels) const { return float(designPixels * zoom_); }
    [[nodiscard]] float unzoomed(float pixels) const { return float(pixels / zoom_); }

    bool userDefined_ = false;
    double zoom_ = 1.0;
};

} // namespace brivadoro
