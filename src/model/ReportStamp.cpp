#include "model/ReportStamp.h"

namespace sg {

std::string ReportStamp() {
    return ReportStamp(std::time(nullptr));
}

std::string ReportStamp(std::time_t when) {
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr) {
        return std::string();
    }
    return ReportStamp(local);
}

std::string ReportStamp(const std::tm& when) {
    char buffer[64];
    std::size_t n = std::strftime(buffer, sizeof buffer, "_%m_%d_%Y[%H-%M-%S]", &when);
    return std::string(buffer, n);
}

}  // namespace sg
