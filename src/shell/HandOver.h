#pragma once
// The logout hand-over to the host program: the file "Command.Dll" in the
// program's folder (or the folder named by DBConfig's HandOverDir) holding the
// line "注销" (GBK, CR LF), then activation of the host's window "Corvale系统2011版".

#include <QString>

namespace nbr {

struct AppContext;

// Where the hand-over file goes: HandOverDir when it is set (a relative one
// counts from the program's folder), else the program's own folder. Throws
// SettingsError when the settings store cannot be read.
QString handOverFolder(const AppContext& context);

// The bytes of the hand-over file.
QByteArray handOverFileContent();

// Writes the hand-over file into the folder, replacing an existing one.
// Throws FileError, with the reason, when it cannot be written.
void writeHandOverFile(const QString& folder);

} // namespace nbr
