#pragma once

#include <QPoint>

#include "design.h"

namespace brivadoro {

// The board's coordinate scale. Until the first question it is the design's twips; from then on one
// horizontal unit is one pixel of the inner area and one vertical unit 1/512 of its height, both
// counted from the inner area's top-left corner.
class BoardScale {
public:
    static constexpr int kInnerWidth = BoardDesign::kInnerWidthTwips / BoardDesign::kTwipsPerPixel;
    static constexpr int kInnerHeight = BoardDesign::kInnerHeightTwips / BoardDesign::kTwipsPerPixel;
    static constexpr float kScaleHeight = 512;

    [[nodiscard]] bool userDefined() const { return userDefined_; }
    void setUserDefined() { userDefined_ = true; }

    [[nodiscard]] float toPixelsX(float units) const {
        return userDefined_ ? units : units / BoardDesign::kTwipsPerPixel;
    }
    [[nodiscard]] float toPixelsY(float units) const {
        return userDefined_ ? units * (kInnerHeight / kScaleHeight) : units / BoardDesign::kTwipsPerPixel;
    }
    [[nodiscard]] float fromPixelsX(float pixels) const {
        return userDefined_ ? pixels : pixels * BoardDesign::kTwipsPerPixel;
    }
    [[nodiscard]] float fromPixelsY(float pixels) const {
        return userDefined_ ? pixels * (kScaleHeight / kInnerHeight) : pixels * BoardDesign::kTwipsPerPixel;
    }

private:
    bool userDefined_ = false;
};

} // namespace brivadoro
