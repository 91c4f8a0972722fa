// Renders an SVG picture to a square PNG with a transparent background:
// render_icon <picture.svg> <icon.png> <size in pixels>.

#include <cstdio>

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

// cppcheck-suppress constParameter ; main's argv is char*[] by the language
int main(int argc, char* argv[]) {
    bool sizeRead = false;
    const int size = argc == 4 ? QString::fromLocal8Bit(argv[3]).toInt(&sizeRead) : 0;
    if (!sizeRead || size <= 0) {
        std::fputs("usage: render_icon <picture.svg> <icon.png> <size in pixels>\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "render_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
