#include "qt_dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>

namespace brivadoro {

namespace {

constexpr int kButtonsMask = 0x0F;
constexpr int kIconMask = 0xF0;
constexpr int kDefaultButtonMask = 0xF00;

QMessageBox::Icon iconFor(int style) {
    switch (style & kIconMask) {
    case MessageStyle::IconCritical:
        return QMessageBox::Critical;
    case MessageStyle::IconQuestion:
        return QMessageBox::Question;
    case MessageStyle::IconExclamation:
        return QMessageBox::Warning;
    case MessageStyle::IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QString titleOrDefault(const QString& title) {
    return title.isEmpty() ? QString::fromUtf8(kAppTitle) : title;
}

// The shown main window, so that a box opens over the board; none during start-up.
QWidget* parentWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<QMainWindow*>(window))
            return window;
    }
    return nullptr;
}

} // namespace

int QtDialogs::messageBox(const QString& text, int style, const QString& title) {
    QMessageBox box(iconFor(style), titleOrDefault(title), text, QMessageBox::NoButton, parentWindow());
    box.setTextFormat(Qt::PlainText);
    if ((style & kButtonsMask) == MessageStyle::YesNo) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton((style & kDefaultButtonMask) == MessageStyle::DefaultButton2 ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
    box.exec();
    return MessageAnswer::Ok;
}

QString QtDialogs::inputBox(const QString& prompt) {
    QInputDialog dialog(parentWindow());
    dialog.setWindowTitle(QString::fromUtf8(kAppTitle));
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

} // namespace brivadoro
