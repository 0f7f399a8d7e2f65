#pragma once
// The name the user running the program logged in with, for the author of
// what an unattended program writes (the headless export's workbooks).

#include <QString>

namespace nbr {

// Empty when the system does not say.
QString loginName();

} // namespace nbr
