#pragma once
// The user's words for why the system refused a file: the common causes in
// Chinese (a full disk, no permission, a missing folder …), anything rarer
// as the system's own text with its number.

#include <QString>

namespace nbr {

// error: an errno value.
QString systemErrorText(int error);

} // namespace nbr
