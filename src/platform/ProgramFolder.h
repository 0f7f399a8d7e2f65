#pragma once
// The folder the program runs from: it holds MDI.BMP and receives the
// logout hand-over file. Tests point it elsewhere.

#include <QString>

namespace nbr {

QString programFolder();
// Overrides the folder (empty returns to the executable's own folder).
void setProgramFolder(const QString& folder);

} // namespace nbr
