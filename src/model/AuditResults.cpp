#include "model/AuditResults.h"

#include <cstdio>

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

std::string AuditFigureText(double figure) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", figure);
    return text;
}

}  // namespace sg
