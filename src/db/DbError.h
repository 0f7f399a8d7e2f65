#pragma once
// A failure reported by the database layer: the driver's native error number
// and its description text (all diagnostic records joined).

#include "platform/Error.h"

namespace nbr {

class DbError : public Error {
public:
    using Error::Error;
};

// A value of a result that cannot be read as what it must be (a number, a
// month), the classic "wrong type" error of the data access layer.
inline constexpr int kUnreadableValue = 3421;

} // namespace nbr
