#pragma once
// A failure reported by the database layer: the driver's native error number,
// its SQLSTATE, and the description text (all diagnostic records joined).

#include "platform/Error.h"

namespace nbr {

class DbError : public Error {
public:
    using Error::Error;
    DbError(int native, QString sqlState, QString description)
        : Error(native, std::move(description)), m_sqlState(std::move(sqlState)) {}

    // The five-character SQLSTATE ("08S01"); empty when the driver gave none.
    const QString& sqlState() const { return m_sqlState; }
    // The native number when the driver gave one, else the SQLSTATE: a driver
    // error such as FreeTDS's "Unknown error" has the number 0.
    QString code() const override {
        return number() == 0 && !m_sqlState.isEmpty() ? m_sqlState : Error::code();
    }

private:
    QString m_sqlState;
};

// A value of a result that cannot be read as what it must be (a number, a
// month), the classic "wrong type" error of the data access layer.
inline constexpr int kUnreadableValue = 3421;

} // namespace nbr
