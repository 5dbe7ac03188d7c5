#include "platform/LocalDateText.h"

#include <iomanip>
#include <locale>
#include <sstream>

namespace sg {

std::string LocalDateText(std::time_t when) {
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr) {
        return {};
    }
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::put_time(&local, "%c");
    return text.fail() ? std::string() : text.str();
}

}  // namespace sg
