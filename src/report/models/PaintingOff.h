#pragma once
// A grid's painting off (Redraw false) for as long as the guard lives: many
// changes reach the views as one reset, and painting comes back however the
// scope is left, so a failing query never leaves a grid unpainted.

#include "report/models/FlexGridModel.h"

namespace nbr {

class PaintingOff {
public:
    explicit PaintingOff(FlexGridModel& grid) : m_grid(grid) { m_grid.setRedraw(false); }
    ~PaintingOff() { m_grid.setRedraw(true); }
    PaintingOff(const PaintingOff&) = delete;
    PaintingOff& operator=(const PaintingOff&) = delete;

private:
    FlexGridModel& m_grid;
};

} // namespace nbr
