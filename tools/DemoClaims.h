#pragma once
// The demo ledger: the accounting subjects and the reimbursement claims of
// three years (the base year with the years before and after it) with their
// lines. Claims are spread over every month, both non-budget ("非预算", what
// the monthly report reads) and budget ones, and include what real books
// hold: corrections with negative amounts, lines without tax, claims not yet
// approved or not yet paid.

#include "DemoDataset.h"
#include "DemoRandom.h"

namespace nbr::demo {

class DemoClaims {
public:
    static constexpr int kClaimsPerScale = 1200;

    // Adds the subjects, then claims of baseYear - 1 to baseYear + 1 for the
    // departments already in data.
    static void build(DemoDataset& data, int scale, int baseYear, DemoRandom& random);
};

} // namespace nbr::demo
