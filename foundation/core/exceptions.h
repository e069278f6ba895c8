#pragma once
#include <QString>
#include <QByteArray>
#include <exception>

// Root of every exception the program raises on purpose: it carries the Spanish
// message shown to the user.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : msg_(std::move(message)), utf8_(msg_.toUtf8()) {}
    const QString& message() const noexcept { return msg_; }
    const char* what() const noexcept override { return utf8_.constData(); }
private:
    QString msg_;
    QByteArray utf8_;
};

// A text that is not a number where one was required.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Integer division or remainder by zero.
class EIntDivByZero : public Exception {
public:
    EIntDivByZero() : Exception(QStringLiteral("División entera por cero")) {}
    using Exception::Exception;
};

// Silent cancellation: caught at the top and never shown.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operación cancelada")) {}
    using Exception::Exception;
};
