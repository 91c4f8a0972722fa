#pragma once

#include <QApplication>

#include "toolkit/application_setup.h"

namespace brivadoro::testing {

// Configures the test's application as the game configures its own.
inline void configureTestApplication() {
    configureApplication(*qobject_cast<QApplication*>(qApp));
}

} // namespace brivadoro::testing
