#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QtGlobal>

namespace brivadoro::testing {

// This process's environment without a display of any kind, as a program started over ssh or from
// cron has it.
inline QProcessEnvironment withoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

// Sets or, given a null value, unsets one environment variable for the life of the object, then
// puts back what was there, unset included.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const QString& value)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~EnvironmentValue() {
        if (wasSet_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray old_;
};

} // namespace brivadoro::testing
