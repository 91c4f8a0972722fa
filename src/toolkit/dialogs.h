#pragma once

#include <QString>

#include "app_title.h"

namespace brivadoro {

// Message box styles and answers, with the values the game's handlers pass and test.
namespace MessageStyle {
inline constexpr int Ok = 0;
inline constexpr int YesNo = 4;
inline constexpr int IconCritical = 16;
inline constexpr int IconQuestion = 32;
inline constexpr int IconExclamation = 48;
inline constexpr int IconInformation = 64;
inline constexpr int DefaultButton2 = 256;
} // namespace MessageStyle

namespace MessageAnswer {
inline constexpr int Ok = 1;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MessageAnswer

// The two modal boxes of the game. Both hold the caller until the player closes them, while timers
// keep ticking. Every text is shown as plain text, exactly as given.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Returns the code of the pressed button (MessageAnswer).
    virtual int messageBox(const QString& text, int style = MessageStyle::Ok, const QString& title = {}) = 0;
    // Returns the typed text exactly, or the empty text on Cancel.
    virtual QString inputBox(const QString& prompt) = 0;
};

} // namespace brivadoro
