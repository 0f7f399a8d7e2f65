#pragma once
// How the core reports a failure.
//
// A core function that fails throws an Error of this small hierarchy:
// DbError from the database layer, SettingsError for unusable settings,
// FileError when a file cannot be written. It
// carries the number and the description the user is shown. No core
// function returns an error code, fills an error out-parameter or swallows a
// failure; what has to be undone on the way out is undone by a guard
// (WaitCursor, ReplacingFile).
//
// Errors are caught only where the user is told: in the windows' handlers
// (each window through one guard that catches this base), in the headless
// export, and in the two procedures whose own job includes telling the user
// (openConnection and connectFromSettings report, and say only whether they
// connected). An error reads as errorText(e):
// "错误码: N 错误描述: text", where N is its code(): the number, or what a
// subclass has instead (a database error without a number gives its SQLSTATE).

#include <QByteArray>
#include <QString>
#include <exception>

namespace nbr {

class Error : public std::exception {
public:
    Error(int number, QString description);

    int number() const { return m_number; }
    // What the user is shown as the error's number ("错误码").
    virtual QString code() const { return QString::number(m_number); }
    const QString& description() const { return m_description; }
    // The description in UTF-8, for whoever reports an uncaught exception.
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// The error as the user reads it: "错误码: " code " 错误描述: " description.
QString errorText(const Error& error);

} // namespace nbr
