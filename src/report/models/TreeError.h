#pragma once
// A refused change to a TreeNodesModel (duplicate key, unknown relative),
// carrying the message shown to the user.

#include <QString>
#include <exception>

namespace nbr {

class TreeError : public std::exception {
public:
    explicit TreeError(QString message) : m_message(std::move(message)) {}

    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return "tree error"; }

private:
    QString m_message;
};

} // namespace nbr
