#include "engines/TotalRules.h"

#include <limits>

#include "engines/MarkerCut.h"
#include "html/TextUtil.h"

namespace sg {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::string_view kAltaVistaFound = "AltaVista found ";
constexpr std::string_view kAltaVistaNothing = "AltaVista found no document matching your query.";

std::string Text(MarkerCut cut) {
    return cut ? std::string(*cut) : std::string();
}

// The piece copied with every "results:" and "result:" left out.
std::string WithoutResultLabels(std::string_view piece) {
    std::string out;
    out.reserve(piece.size());
    for (std::size_t i = 0; i < piece.size();) {
        if (piece.substr(i, 8) == "results:") {
            i += 8;
        } else if (piece.substr(i, 7) == "result:") {
            i += 7;
        } else {
            out += piece[i++];
        }
    }
    return out;
}

std::string AltaVistaPiece(std::string_view page) {
    // The "no document" sentence begins with the "found" marker too; it has to be told apart
    // first, or its words would be taken for the count.
    if (Contains(page, kAltaVistaNothing)) {
        return {};
    }
    const MarkerCut found = After(page, kAltaVistaFound);
    if (!found) {
        return {};
    }
    MarkerCut piece = UpTo(found, "results");
    if (!piece) {
        piece = UpTo(found, "result");
    }
    return piece ? WithoutResultLabels(*piece) : std::string();
}

// Google's count: past "of about" (then "of About"), the digits that follow the first "<b>"
// directly followed by a digit, up to the next "<".
std::string GooglePiece(std::string_view page) {
    std::string_view text = page;
    if (const std::size_t at = text.find("of about"); at != kNone) {
        text.remove_prefix(at);
    }
    if (const std::size_t at = text.find("of About"); at != kNone) {
        text.remove_prefix(at);
    }
    for (std::size_t at = text.find("<b>"); at != kNone; at = text.find("<b>", at + 1)) {
        const std::size_t digit = at + 3;
        if (digit < text.size() && text[digit] >= '0' && text[digit] <= '9') {
            return Text(UpTo(text.substr(digit), "<"));
        }
    }
    return {};
}

std::string MsnPiece(std::string_view page) {
    if (!Contains(page, "Results 0-") && !Contains(page, "Results 1-")) {
        return {};
    }
    const MarkerCut rest = After(page, "of about ");
    MarkerCut piece = UpTo(rest, "containing '<span");
    if (!piece) {
        piece = UpTo(rest, "containing \"<span");
    }
    return Text(piece);
}

std::string HotBotPiece(std::string_view page) {
    const MarkerCut before = UpTo(page, "<!-- RESULTS -->");
    if (!before) {
        return {};
    }
    const std::size_t f = before->rfind('f');
    if (f == kNone) {
        return {};
    }
    const MarkerCut piece = UpTo(before->substr(f + 1), ")");
    return piece ? TrimBlanks(*piece) : std::string();
}

std::string EuroseekPiece(std::string_view page) {
    return Text(UpTo(After(After(page, "esigrh"), "of"), ")"));
}

std::string YahooPiece(std::string_view page) {
    const std::size_t at = page.find("WEB RESULTS");
    if (at == kNone) {
        return {};
    }
    std::string_view text = page.substr(at);
    if (const MarkerCut after = After(text, "out of about ")) {
        text = *after;
    }
    if (Contains(text, "<font")) {
        return Text(UpTo(After(After(text, "<font"), ">"), "<"));
    }
    return std::string(text);
}

std::string ExcitePiece(std::string_view page) {
    const MarkerCut piece = UpTo(After(page, "Web search results for"), ")");
    if (!piece) {
        return {};
    }
    const std::size_t blank = piece->rfind(' ');
    return TrimBlanks(blank == kNone ? *piece : piece->substr(blank + 1));
}

std::string AolPiece(std::string_view page) {
    const MarkerCut piece = UpTo(After(page, "Page 1 of"), "<");
    return piece ? TrimBlanks(*piece) : std::string();
}

}  // namespace

bool HasFixedTotal(EngineId id) {
    return id == EngineId::Overture || id == EngineId::AskJeeves;
}

std::int64_t ReadCount(std::string_view text) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    bool inDigits = false;
    for (char c : text) {
        if (c == ',' || c == '.') {
            continue;
        }
        if (!inDigits && IsBlank(c)) {
            continue;
        }
        if (c < '0' || c > '9') {
            break;
        }
        inDigits = true;
        const int digit = c - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

std::string TotalRuleText(EngineId id, std::string_view page) {
    switch (id) {
        case EngineId::AltaVista:
            return AltaVistaPiece(page);
        case EngineId::Google:
            if (!Contains(page, "About ") && !Contains(page, "about ")) {
                return {};
            }
            return GooglePiece(page);
        case EngineId::AllTheWeb:
            return Text(UpTo(After(page, "<span class=\"ofSoMany\">"), "</span>"));
        case EngineId::MSN:
            return MsnPiece(page);
        case EngineId::HotBot:
            return HotBotPiece(page);
        case EngineId::Euroseek:
            return EuroseekPiece(page);
        case EngineId::Yahoo:
            return YahooPiece(page);
        case EngineId::Excite:
            return ExcitePiece(page);
        case EngineId::AOL:
            return AolPiece(page);
        case EngineId::Overture:
        case EngineId::AskJeeves:
            break;
    }
    return {};
}

std::int64_t EngineTotal(EngineId id, std::string_view page) {
    if (HasFixedTotal(id)) {
        return kFixedTotal;
    }
    if (id == EngineId::AltaVista && !Contains(page, kAltaVistaFound)) {
        return ReadCount(page);
    }
    const std::int64_t count = ReadCount(TotalRuleText(id, page));
    if (id == EngineId::AOL) {
        constexpr std::int64_t kMaxPages = std::numeric_limits<std::int64_t>::max() / 10;
        return count > kMaxPages ? std::numeric_limits<std::int64_t>::max() : count * 10;
    }
    return count;
}

}  // namespace sg
