#pragma once
// The logout hand-over to the host program: the file "Command.Dll" in the
// program's folder holding the line "注销" (GBK, CR LF), then activation of
// the host's window "Corvale系统2011版".

#include <QString>

namespace nbr {

// The bytes of the hand-over file.
QByteArray handOverFileContent();

// Writes the hand-over file into the folder, replacing an existing one.
// Returns false and the reason when it cannot be written.
bool writeHandOverFile(const QString& folder, QString* error);

} // namespace nbr
