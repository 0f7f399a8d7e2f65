#pragma once
// Writes a DemoDataset as a new SQLite file with the program's schema: into
// <path>.tmp in one transaction with prepared statements, then renamed over
// <path>, so a reader never sees a half-written database.

#include "DemoDataset.h"

#include <stdexcept>
#include <string>

namespace nbr::demo {

class DemoDbWriter {
public:
    // Throws std::runtime_error with a message for the user; leaves no
    // temporary file behind.
    static void write(const DemoDataset& data, const std::string& path);
};

} // namespace nbr::demo
