#pragma once

#include "dialogs.h"

namespace brivadoro {

// The boxes as Qt shows them: QMessageBox and QInputDialog, modal to the main window
// while it is shown.
class QtDialogs final : public Dialogs {
public:
    int messageBox(const QString& text, int style = MessageStyle::Ok, const QString& title = {}) override;
    QString inputBox(const QString& prompt) override;
};

} // namespace brivadoro
