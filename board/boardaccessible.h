// boardaccessible.h: what screen readers meet of the board: a table of 5 rows and
// 6 columns named by the board's grid, whose cells, row by row, are the slot boxes.
#pragma once

namespace board {

// Installs the table and cell interfaces; once, before the first slot box is made.
void installAccessibility();

} // namespace board
