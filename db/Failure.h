#pragma once

#include <QString>
#include <exception>

namespace tw {

// A failure reported by a database client or by the platform (a file that cannot be written, say). Its message is
// the client's own text; callers either show it or store it as an error text.
class Failure : public std::exception {
public:
    explicit Failure(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A failure after which the source connection is gone: the server closed it,
// the network failed, or the server stopped answering and the program closed
// it. Nothing more can be read on that connection.
class ConnectionLost : public Failure {
public:
    using Failure::Failure;
};

} // namespace tw
