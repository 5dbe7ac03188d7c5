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

std::string_view AuditSeverityHeading(AuditSeverity severity) {
    switch (severity) {
        case AuditSeverity::Error:
            return "Errors";
        case AuditSeverity::Warning:
            return "Warnings";
        case AuditSeverity::Notice:
            break;
    }
    return "Notices";
}

}  // namespace sg
