#include "board_assets.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace brivadoro::BoardAssets {

namespace {

constexpr int kPointerSize = 32;

QPixmap render(const QString& resource, int size) {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QCursor pointer(const QString& resource, int hotX, int hotY) {
    return QCursor(render(resource, kPointerSize), hotX, hotY);
}

} // namespace

QIcon windowIcon() {
    return QIcon(u":/brivadoro/brivadoro.svg"_s);
}

QIcon exitPicture() {
    return QIcon(u":/brivadoro/exit.svg"_s);
}

QIcon nextPicture() {
    return QIcon(u":/brivadoro/next.svg"_s);
}

QCursor gunSightPointer() {
    return pointer(u":/brivadoro/gunsight.svg"_s, 16, 16);
}

QCursor targetPointer() {
    return pointer(u":/brivadoro/target-pointer.svg"_s, 10, 10);
}

QCursor standardIconPointer() {
    return pointer(u":/brivadoro/icon-pointer.svg"_s, 16, 16);
}

} // namespace brivadoro::BoardAssets
