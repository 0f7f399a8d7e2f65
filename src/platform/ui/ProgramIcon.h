#pragma once
// The program's own icon (assets/program-icon.mvg), for every window.

#include <QIcon>

namespace nbr {

QIcon programIcon();

} // namespace nbr
