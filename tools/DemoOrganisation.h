#pragma once
// The demo organisation: department tree, positions, staff and logins of
// the fictitious 澄川实业集团. The base part is fixed and holds every case
// the program has to cope with (terminated departments and links, a
// department under two parents, staff who left, a NULL category name, ...);
// a scale above 1 adds generated departments for benchmarks (third-level,
// and second-level ones once a parent has used all 99 child codes).

#include "DemoDataset.h"

namespace nbr::demo {

class DemoOrganisation {
public:
    // Departments that the claim generator treats specially.
    static constexpr const char* kTerminatedDepartment = "0203";
    // The one active base department without non-budget claims in the base year.
    static constexpr const char* kQuietDepartment = "010102";

    // Fills categories, departments, parent links, positions, staff,
    // assignments, audit rights and the demo logins. Terminations and
    // departures are dated in the year before the base year.
    static void build(DemoDataset& data, int scale, int baseYear);

    // Departments added for a scale: three per step above 1.
    static int extraDepartments(int scale) { return 3 * (scale - 1); }
};

} // namespace nbr::demo
