#pragma once
// A file could not be written (a workbook, the logout hand-over file): the
// system's or the writer's error number and what went wrong. An existing
// file of that name is left as it was.

#include "platform/Error.h"

namespace nbr {

class FileError : public Error {
public:
    using Error::Error;
};

} // namespace nbr
