#pragma once
// A department as the report names it: its code and its name.

#include <QString>

namespace nbr {

struct Department {
    QString code;
    QString name; // carriage-return line-feed pairs removed

    friend bool operator==(const Department&, const Department&) = default;
};

} // namespace nbr
