#pragma once

#include <QByteArray>
#include <QMargins>
#include <QMetaObject>
#include <QObject>
#include <QRect>

class QMainWindow;
class QScreen;

namespace brivadoro {

// How the first board opens: fitted to its screen's free area, or full screen over that screen.
enum class WindowStart { Fitted, FullScreen };

// What a board's window hands on to the next game's window: its geometry, state and screen, and
// the state that full screen will give back.
struct KeptWindow {
    QByteArray geometry;
    bool maximisedUnderFullScreen = false;
};

// The board window's size and screen: the fit before its first show, full screen with F11, and a
// new fit when its screen changes or that screen's free area shrinks below it. The board inside
// scales itself to whatever size the window gets.
class WindowFit final : public QObject {
    Q_OBJECT
public:
    explicit WindowFit(QMainWindow& window);

    // Before the window first shows. A fitted window opens on the screen under the pointer, where
    // the player has just answered the boxes, at the design size or smaller, its frame counted.
    void startAs(WindowStart start);
    // Before the window first shows: as the kept window was, on its screen (where the platform lets
    // a program place its windows), skipping the fit.
    void startAs(const KeptWindow& kept);
    [[nodiscard]] KeptWindow kept() const;
    // The window's first show: from now on it follows its screen.
    void shown();

    // Full screen, and back to the state before it: maximised, or normal at the earlier size.
    void toggleFullScreen();

    // The zoom at which the whole window, frame and menu bar included, fits area: at most the
    // design size, and never below the smallest zoom the board allows, whatever the area.
    [[nodiscard]] double zoomFor(const QRect& area) const;

private:
    // A normal window larger than area is fitted to it again and moved wholly inside it.
    void refitInto(const QRect& area);
    void followScreen(QScreen* screen);
    [[nodiscard]] QSize windowSizeAt(double zoom) const;
    // Moves the window so that its frame's top-left corner stands at topLeft.
    void placeFrameAt(QPoint topLeft);
    // The window manager's frame, or an allowance for it while it is not known yet.
    [[nodiscard]] QMargins expectedFrame() const;

    QMainWindow& window_;
    bool started_ = false;
    bool following_ = false;
    bool maximisedUnderFullScreen_ = false;
    QMetaObject::Connection areaChanged_;
};

} // namespace brivadoro
