#pragma once
// How dense a keyword phrase is on a page: its occurrences per word, in percent, where the
// number of words is taken to be the number of blanks (code 32) on the page.

#include <string>
#include <string_view>

namespace sg {

struct KeywordDensityResult {
    // The density with two decimals and no percent sign, as the report prints it.
    std::string text;
    // The printed text read back, so that what is stored is what the user saw.
    double value = 0.0;
};

// Occurrences start at 1, so a phrase that is not on the page still gets a density above zero.
// Matching is exact and restarts at the byte after a mismatch (that byte is not tried as a
// first byte again). A page without any blank has no word count to divide by: it gets "0.00"
// (value 0) rather than an infinite density.
KeywordDensityResult KeywordDensity(std::string_view phrase, std::string_view documentText);

// A number as "%.2f" would print it in the C locale, whatever the process locale is.
std::string FormatDensity(double value);

}  // namespace sg
