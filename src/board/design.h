#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "toolkit/app_title.h"

namespace brivadoro {

// A colour as the board stores it: 0x00BBGGRR, blue in the high byte, red in the low byte.
using Colour = std::uint32_t;

namespace Colours {
inline constexpr Colour Cyan = 0x00FFFF00;
inline constexpr Colour Green = 0x0000FF00;
inline constexpr Colour Red = 0x000000FF;
} // namespace Colours

enum class ControlKind { GraphicalButton, StandardButton, TextBox, Label };

// The pointer shown over a control: the board's gun sight, the standard arrow, the standard icon
// pointer (a small square in a square), or paricmd's own.
enum class Pointer { Board, Arrow, StandardIcon, TargetSight };

struct FontDesign {
    std::string_view face; // empty: the platform's default font
    double points = 0;
    bool bold = false;
    bool italic = false;
};

namespace LabelFlag {
inline constexpr unsigned Border = 1;
inline constexpr unsigned Centred = 2;
inline constexpr unsigned AutoSize = 4;
inline constexpr unsigned Transparent = 8;
} // namespace LabelFlag

// One control as the board stores it. Positions and sizes are twips of the board's inner area.
struct ControlDesign {
    ControlKind kind;
    std::string_view name;
    std::string_view caption;
    int left, top, width, height;
    std::optional<Colour> backColor; // nullopt: the platform's colour
    std::optional<Colour> textColor;
    FontDesign font;
    unsigned flags; // LabelFlag bits
    bool visible;
    bool enabled;
    int tabIndex;
    std::string_view tooltip;
    Pointer pointer;
};

struct MenuDesign {
    std::string_view name;
    std::string_view caption;
    std::string_view parent; // empty: on the menu bar
};

namespace BoardDesign {
inline constexpr std::string_view kCaption = kAppTitle;
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kInnerWidthTwips = 9120;
inline constexpr int kInnerHeightTwips = 10080;
inline constexpr int kTimer1IntervalMs = 1000;
inline constexpr int kTimer2IntervalMs = 1300;
inline constexpr bool kTimer1Enabled = true;
inline constexpr bool kTimer2Enabled = false;

// Every control of the board, in the order they are created.
std::span<const ControlDesign> controls();
// The menu tree, in menu bar order, each item after its parent.
std::span<const MenuDesign> menus();
} // namespace BoardDesign

} // namespace brivadoro
