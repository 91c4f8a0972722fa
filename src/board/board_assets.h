#pragma once

#include <QCursor>
#include <QIcon>

namespace brivadoro::BoardAssets {

// The board's pictures and pointers, drawn by this project as SVG and compiled in.
QIcon windowIcon();
QIcon exitPicture();
QIcon nextPicture();
QCursor gunSightPointer();     // the board's pointer: a gun sight with a small red cross at its centre
QCursor targetPointer();       // paricmd's own pointer, hot spot at 10, 10
QCursor standardIconPointer(); // a small square inside a square

} // namespace brivadoro::BoardAssets
