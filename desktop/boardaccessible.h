// boardaccessible.h: what screen readers meet of the board: a table of 5 rows and
// 6 columns, whose cells, row by row, are the slots.
#pragma once

namespace desktop {

// Installs the table's interface for every board; once, before the first board is made.
void installAccessibility();

} // namespace desktop
