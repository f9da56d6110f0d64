#pragma once
// Small things several test binaries make: a test sound, and an environment variable
// set for the length of a test.

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <optional>
#include <string>

namespace kavimo::test {

// 8 kHz 8-bit mono square wave of the given peak (0 to 127 around the midpoint 128).
QByteArray squareWav(double seconds, int peak);

// Sets an environment variable for the lifetime of the object.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        setenv(name, value, 1);
    }
    EnvVar(const char* name, const QString& value) : EnvVar(name, value.toLocal8Bit().constData()) {}
    ~EnvVar() {
        if (saved_) setenv(name_, saved_->c_str(), 1);
        else unsetenv(name_);
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

}  // namespace kavimo::test
