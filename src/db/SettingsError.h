#pragma once
// Connection settings that cannot be used: the settings file is missing,
// unreadable or not in its format, or a required key is missing or has a
// value the program does not know. Told to the user as its description
// alone; it has no number.

#include "platform/Error.h"

namespace nbr {

class SettingsError : public Error {
public:
    explicit SettingsError(QString description) : Error(0, std::move(description)) {}
};

} // namespace nbr
