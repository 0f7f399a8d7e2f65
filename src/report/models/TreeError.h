#pragma once
// A refused change to a TreeNodesModel (duplicate key, unknown relative,
// unknown relationship), carrying the message shown to the user.

#include "platform/Error.h"

namespace nbr {

class TreeError : public Error {
public:
    explicit TreeError(QString message) : Error(0, std::move(message)) {}
};

} // namespace nbr
