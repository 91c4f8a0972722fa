#pragma once

class QApplication;

namespace brivadoro {

// What the game expects of the application, in the program and in tests alike: its name (which
// names the records folder), the Fusion style, the board's fonts and Italian standard buttons.
void configureApplication(QApplication& app);

} // namespace brivadoro
