#include "model/ReportFileName.h"

namespace sg {

std::string ReportFileName(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c == '/' || c == '\0') {
            c = '_';
        }
    }
    return out;
}

}  // namespace sg
