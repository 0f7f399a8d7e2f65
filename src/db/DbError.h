#pragma once
// A failure reported by the database layer: the driver's native error number
// and its description text (all diagnostic records joined).

#include <QString>
#include <exception>

namespace nbr {

class DbError : public std::exception {
public:
    DbError(int number, QString description, QString sqlState = {})
        : m_number(number), m_description(std::move(description)), m_sqlState(std::move(sqlState)) {
    }

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& sqlState() const { return m_sqlState; }
    const char* what() const noexcept override { return "database error"; }

private:
    int m_number;
    QString m_description;
    QString m_sqlState;
};

} // namespace nbr
