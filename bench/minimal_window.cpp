// The yardstick for start-up: the least Qt Widgets program that shows one window ("window") or one
// input dialog ("dialog"), as the game shows its board or its name box first.
#include <QApplication>
#include <QInputDialog>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc > 1 && QStringView(u"dialog") == QString::fromLocal8Bit(argv[1])) {
        QInputDialog::getText(nullptr, QStringLiteral("Brivadoro"), QStringLiteral("Come ti chiami?"));
        return 0;
    }
    QWidget window;
    window.resize(608, 672);
    window.show();
    return QApplication::exec();
}
