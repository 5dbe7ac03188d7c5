#include "analysis/readiness/DensityBar.h"

#include <array>

#include "html/KeywordDensity.h"

namespace sg {
namespace {

constexpr int kCells = 16;

struct Bound {
    double upTo;
    int cells;
};

// Each bound is an upper limit that belongs to its row (0.1 gives 1 cell, 0.11 gives 2).
constexpr std::array<Bound, 16> kBounds = {{
    {0.1, 1},
    {0.2, 2},
    {0.3, 3},
    {0.4, 4},
    {0.5, 5},
    {0.6, 6},
    {0.7, 7},
    {0.8, 8},
    {0.9, 9},
    {10.0, 10},
    {15.0, 11},
    {20.0, 12},
    {30.0, 13},
    {40.0, 14},
    {50.0, 15},
    {100.0, 16},
}};

}  // namespace

int DensityBarCells(double density) {
    if (density <= 0.0) {
        return 0;
    }
    for (const Bound& bound : kBounds) {
        if (density <= bound.upTo) {
            return bound.cells;
        }
    }
    // Above 100 (or not a number): no cell.
    return 0;
}

std::string DensityBar(double density) {
    const int filled = DensityBarCells(density);
    const std::string text = FormatDensity(density) + "%";
    const int length = static_cast<int>(text.size());
    const int start = (kCells - length) / 2 + 1;
    std::string bar =
        "<table align = 'center' border = '0' width = '80' height = '10'cellpadding='0' "
        "cellspacing='0' ><tr>";
    for (int c = 0; c < kCells; ++c) {
        bar += c < filled ? "<td bgcolor = '#007FFF' width = '6'><font size='1' color = 'white'>"
                          : "<td bgcolor = '#E8F3FF' width = '6'><font size='1' color = 'navy'>";
        if (c >= start && c < start + length) {
            bar += text[static_cast<std::size_t>(c - start)];
        } else if (c != start + length) {
            // The cell just after the text stays empty; all others hold a blank.
            bar += "&nbsp";
        }
        bar += "</font></td>";
    }
    bar += "</tr></table>";
    return bar;
}

}  // namespace sg
