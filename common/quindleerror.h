#pragma once
// A failure that ends a command: the message is shown as the program's error
// report and the program goes on.
#include <QString>
#include <stdexcept>

class QuindleError : public std::runtime_error {
public:
    explicit QuindleError(const QString& message)
        : std::runtime_error(message.toLocal8Bit().toStdString()) {}
    QString message() const { return QString::fromLocal8Bit(what()); }
};
