#pragma once

#include <memory>

#include <QApplication>

#include "toolkit/application_setup.h"

namespace brivadoro::bench {

// The application a benchmark runs in, set up as the game sets itself up; offscreen unless a
// platform is asked for. argc must outlive it, as Qt requires.
inline std::unique_ptr<QApplication> startApplication(int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    auto app = std::make_unique<QApplication>(argc, argv);
    configureApplication(*app);
    return app;
}

} // namespace brivadoro::bench
