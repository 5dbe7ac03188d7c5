#include "platform/LocalDateText.h"

#include <ctime>
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

std::string LocalIsoDateTime(std::time_t when) {
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr) {
        return {};
    }
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return std::string(text, length);
}

}  // namespace sg
