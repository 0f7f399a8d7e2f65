#pragma once
// The session a host program passes on the command line: the ten SessionState
// fields separated by ",", without quoting; fields after the tenth are ignored.

#include "session/SessionState.h"

#include <QStringList>

namespace nbr {

enum class CommandLineSession { Absent, Complete, Incomplete };

// The whole argument text from argv (arguments after the program joined by one blank).
QString commandLineText(const QStringList& arguments);

// Fills the session from the text, untrimmed, when it has ten or more fields.
// An incomplete text (one to nine fields) leaves the session untouched.
CommandLineSession applyCommandLine(const QString& text, SessionState& session);

} // namespace nbr
