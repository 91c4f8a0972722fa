#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace brivadoro::testing {

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
