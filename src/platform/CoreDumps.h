#pragma once
// The programs hold the database password while they connect: a core dump
// would put it on disk, readable by whoever reads the dump. Core dumps are
// switched off for the whole process, first thing in main().

namespace nbr {

void disableCoreDumps();

} // namespace nbr
