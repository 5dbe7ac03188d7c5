#include "html/IdnHost.h"

#include <idn2.h>

#include <memory>

namespace sg {
namespace {

struct HostSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Where the host lies: after an optional "scheme://" and user part, up to the port, path,
// query or fragment.
HostSpan FindHost(std::string_view address) {
    HostSpan span;
    const std::size_t scheme = address.find("://");
    if (scheme != std::string_view::npos && address.find_first_of("/?#") > scheme) {
        span.begin = scheme + 3;
    }
    std::size_t end = address.find_first_of("/?#", span.begin);
    if (end == std::string_view::npos) {
        end = address.size();
    }
    const std::size_t at = address.rfind('@', end);
    if (at != std::string_view::npos && at >= span.begin) {
        span.begin = at + 1;
    }
    const std::size_t colon = address.find(':', span.begin);
    span.end = colon != std::string_view::npos && colon < end ? colon : end;
    return span;
}

bool HasNonAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

bool HasAceLabel(std::string_view host) {
    for (std::size_t i = 0; i + 4 <= host.size(); ++i) {
        if ((i == 0 || host[i - 1] == '.') && (host[i] == 'x' || host[i] == 'X') &&
            (host[i + 1] == 'n' || host[i + 1] == 'N') && host[i + 2] == '-' &&
            host[i + 3] == '-') {
            return true;
        }
    }
    return false;
}

using Converter = int (*)(const char*, char**, int);

std::string Converted(std::string_view address, Converter convert, bool wanted) {
    const HostSpan span = FindHost(address);
    if (!wanted || span.end <= span.begin) {
        return std::string(address);
    }
    const std::string host(address.substr(span.begin, span.end - span.begin));
    char* output = nullptr;
    if (convert(host.c_str(), &output, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL) != IDN2_OK ||
        output == nullptr) {
        idn2_free(output);
        return std::string(address);
    }
    const std::unique_ptr<char, decltype(&idn2_free)> owned(output, &idn2_free);
    std::string result(address.substr(0, span.begin));
    result += owned.get();
    result += address.substr(span.end);
    return result;
}

int ToUnicode(const char* input, char** output, int flags) {
    return idn2_to_unicode_8z8z(input, output, flags);
}

}  // namespace

std::string AsciiHostForm(std::string_view address) {
    const HostSpan span = FindHost(address);
    return Converted(address, &idn2_to_ascii_8z,
                     HasNonAscii(address.substr(span.begin, span.end - span.begin)));
}

std::string UnicodeHostForm(std::string_view address) {
    const HostSpan span = FindHost(address);
    return Converted(address, &ToUnicode,
                     HasAceLabel(address.substr(span.begin, span.end - span.begin)));
}

bool HasInternationalHost(std::string_view address) {
    const HostSpan span = FindHost(address);
    const std::string_view host = address.substr(span.begin, span.end - span.begin);
    return HasNonAscii(host) || HasAceLabel(host);
}

}  // namespace sg
