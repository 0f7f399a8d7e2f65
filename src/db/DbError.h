#pragma once
// A failure reported by the database layer: the driver's native error number
// and its description text (all diagnostic records joined).

#include "platform/Error.h"

namespace nbr {

class DbError : public Error {
public:
    using Error::Error;
};

} // namespace nbr
