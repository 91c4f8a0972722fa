#include "window_fit.h"

#include <algorithm>

#include <QCursor>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include "board_scale.h"

namespace brivadoro {

namespace {

// What a window manager's frame is taken to add before the real frame is known.
constexpr QMargins kFrameAllowance{8, 40, 8, 8};
constexpr Qt::WindowStates kNotNormal = Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized;

} // namespace

WindowFit::WindowFit(QMainWindow& window) : QObject(&window), window_(window) {}

void WindowFit::startAs(WindowStart start) {
    started_ = true;
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = window_.screen();
    const QRect area = screen->availableGeometry();
    window_.resize(windowSizeAt(zoomFor(area)));
    QRect outer(QPoint(), window_.size().grownBy(expectedFrame()));
    outer.moveCenter(area.center());
    placeFrameAt(outer.topLeft());
    if (start == WindowStart::FullScreen)
        window_.setWindowState(window_.windowState() | Qt::WindowFullScreen);
}

void WindowFit::startAs(const KeptWindow& kept) {
    started_ = true;
    maximisedUnderFullScreen_ = kept.maximisedUnderFullScreen;
    window_.restoreGeometry(kept.geometry);
}

KeptWindow WindowFit::kept() const {
    return {window_.saveGeometry(), maximisedUnderFullScreen_};
}

void WindowFit::shown() {
    if (!started_)
        startAs(WindowStart::Fitted);
    if (following_)
        return;
    following_ = true;
    followScreen(window_.screen());
    connect(window_.windowHandle(), &QWindow::screenChanged, this, [this](QScreen* screen) {
        followScreen(screen);
        if (screen)
            refitInto(screen->availableGeometry());
    });
}

void WindowFit::followScreen(QScreen* screen) {
    disconnect(areaChanged_);
    if (screen)
        areaChanged_ = connect(screen, &QScreen::availableGeometryChanged, this, &WindowFit::refitInto);
}

void WindowFit::refitInto(const QRect& area) {
    if (window_.windowState().testAnyFlags(kNotNormal))
        return;
    const QMargins frame = expectedFrame();
    QSize outer = window_.size().grownBy(frame);
    if (outer.width() <= area.width() && outer.height() <= area.height())
        return;
    window_.resize(windowSizeAt(zoomFor(area)));
    outer = window_.size().grownBy(frame);
    const QPoint at = window_.geometry().topLeft() - QPoint(frame.left(), frame.top());
    // Wholly inside the area, or from its top-left corner when even the smallest board is larger.
    placeFrameAt({std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width())),
                  std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height()))});
}

void WindowFit::toggleFullScreen() {
    const Qt::WindowStates state = window_.windowState();
    if (state.testFlag(Qt::WindowFullScreen)) {
        window_.setWindowState(maximisedUnderFullScreen_ ? Qt::WindowMaximized : Qt::WindowNoState);
        return;
    }
    // A window manager may drop the maximised state while the window is full screen: it is kept here.
    maximisedUnderFullScreen_ = state.testFlag(Qt::WindowMaximized);
    window_.setWindowState((state & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
}

double WindowFit::zoomFor(const QRect& area) const {
    const QSize room = area.size().shrunkBy(expectedFrame());
    // The menu bar may wrap onto more lines in a narrower window: fit once more with its height there.
    double zoom = 1.0;
    for (int width = BoardScale::kInnerWidth, pass = 0; pass < 2; ++pass) {
        const double fits = BoardScale::zoomToFit(room - QSize(0, window_.menuBar()->heightForWidth(width)));
        zoom = std::clamp(fits, BoardScale::kSmallestZoom, 1.0);
        width = qRound(BoardScale::kInnerWidth * zoom);
    }
    return zoom;
}

QSize WindowFit::windowSizeAt(double zoom) const {
    BoardScale scale;
    scale.setZoom(zoom);
    const QSize inner = scale.innerSize();
    return {inner.width(), inner.height() + window_.menuBar()->heightForWidth(inner.width())};
}

void WindowFit::placeFrameAt(QPoint topLeft) {
    // Placed by its inner area, which every platform honours, so that the frame fits around it.
    const QMargins frame = expectedFrame();
    window_.setGeometry(QRect(topLeft + QPoint(frame.left(), frame.top()), window_.size()));
}

QMargins WindowFit::expectedFrame() const {
    const QWindow* window = window_.windowHandle();
    return window && !window->frameMargins().isNull() ? window->frameMargins() : kFrameAllowance;
}

} // namespace brivadoro
