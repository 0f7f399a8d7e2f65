#include "session/CommandLine.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString commandLineText(const QStringList& arguments) {
    return arguments.mid(1).join(u' ');
}

CommandLineSession applyCommandLine(const QString& text, SessionState& session) {
    if (text.isEmpty())
        return CommandLineSession::Absent;
    const QStringList fields = text.split(u',', Qt::KeepEmptyParts, Qt::CaseSensitive);
    if (fields.size() < SessionState::kFieldCount)
        return CommandLineSession::Incomplete;
    for (int i = 0; i < SessionState::kFieldCount; ++i)
        session.field(i) = fields[i];
    return CommandLineSession::Complete;
}

} // namespace nbr
