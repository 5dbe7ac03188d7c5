#include "model/AuditResults.h"

namespace sg {

std::string_view AuditSeverityName(AuditSeverity severity) {
    switch (severity) {
        case AuditSeverity::Error:
            return "error";
        case AuditSeverity::Warning:
            return "warning";
        case AuditSeverity::Notice:
            break;
    }
    return "notice";
}

}  // namespace sg
