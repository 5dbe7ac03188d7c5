#pragma once
// The small bar that shows one keyword density in the keyword tags table: 16 cells, the first
// ones coloured by how dense the keyword is, with the percentage spelled out one character per
// cell across the middle.

#include <string>

namespace sg {

// The number of coloured cells: none up to 0, one per started tenth of a percent up to 0.9,
// then 10 up to 10, 11 up to 15, 12 up to 20, 13 up to 30, 14 up to 40, 15 up to 50, 16 up to
// 100, and none above 100. Each bound belongs to the row below it.
int DensityBarCells(double density);

// The whole bar as one line of table markup.
std::string DensityBar(double density);

}  // namespace sg
