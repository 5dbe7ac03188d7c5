#include "analysis/crawl/RobotsTxt.h"

#include <charconv>
#include <optional>

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// RFC 9309 section 2.2.2: octets outside US-ASCII (and controls and blanks) percent-encoded, an
// encoded unreserved character decoded, every other escape with upper-case digits. Patterns and
// paths both go through it, so they compare byte for byte.
std::string NormalPath(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexDigitValue(text[i + 1]);
            const int low = HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                const auto decoded = static_cast<unsigned char>(high * 16 + low);
                if (IsUnreserved(decoded)) {
                    out.push_back(static_cast<char>(decoded));
                } else {
                    out.push_back('%');
                    out.push_back(kHex[high]);
                    out.push_back(kHex[low]);
                }
                i += 2;
                continue;
            }
        }
        if (c <= 0x20 || c >= 0x7F) {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// Whether `path` matches `pattern` from its start: "*" stands for any run of bytes, and an
// anchored pattern must reach the end of the path. The pieces between stars are each taken at
// their leftmost place, which is where any match can take them.
bool PatternMatches(std::string_view pattern, bool anchored, std::string_view path) {
    std::size_t star = pattern.find('*');
    const std::string_view first = pattern.substr(0, star);
    if (path.substr(0, first.size()) != first) {
        return false;
    }
    if (star == std::string_view::npos) {
        return !anchored || path.size() == first.size();
    }
    std::size_t at = first.size();
    for (;;) {
        const std::size_t next = pattern.find('*', star + 1);
        const std::string_view piece = pattern.substr(
            star + 1, next == std::string_view::npos ? std::string_view::npos : next - star - 1);
        if (next == std::string_view::npos) {
            if (!anchored) {
                return path.find(piece, at) != std::string_view::npos;
            }
            // The last piece must end the path, after what the others took.
            return path.size() >= at + piece.size() &&
                   path.substr(path.size() - piece.size()) == piece;
        }
        const std::size_t found = path.find(piece, at);
        if (found == std::string_view::npos) {
            return false;
        }
        at = found + piece.size();
        star = next;
    }
}

// The product token at the start of a user-agent value ("Googlebot/2.1" names "googlebot").
std::string ProductToken(std::string_view value) {
    std::size_t end = 0;
    while (end < value.size()) {
        const char c = value[end];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-')) {
            break;
        }
        ++end;
    }
    return ToLowerAnsi(value.substr(0, end));
}

bool IsAbsoluteUrl(std::string_view value) {
    return StartsWithNoCase(value, "http://") || StartsWithNoCase(value, "https://");
}

// The key a line names as Google's parser reads it: its typos of the standard keys taken for
// them.
std::string GoogleKey(std::string key) {
    if (key == "useragent" || key == "user agent") {
        return "user-agent";
    }
    if (key == "disalow" || key == "dissallow" || key == "dissalow" || key == "diasllow" ||
        key == "disallaw") {
        return "disallow";
    }
    if (key == "site-map") {
        return "sitemap";
    }
    return key;
}

// A user-agent value that names every crawler: "*" alone, or followed by a blank.
bool IsAnyAgent(std::string_view value) {
    return !value.empty() && value[0] == '*' &&
           (value.size() == 1 || value[1] == ' ' || value[1] == '\t');
}

// Extensions other crawlers read; not wrong, just not rules for the engines this checks for.
bool IsKnownExtension(std::string_view key) {
    return key == "host" || key == "clean-param";
}

// A Crawl-delay value: a non-negative decimal number of seconds; nullopt for anything else.
std::optional<double> DelaySeconds(std::string_view value) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != value.data() + value.size() || !(seconds >= 0)) {
        return std::nullopt;
    }
    return seconds;
}

}  // namespace

RobotsTxt RobotsTxt::AllowAll() {
    return RobotsTxt();
}

RobotsTxt RobotsTxt::DisallowAll() {
    RobotsTxt robots;
    robots.disallowAll_ = true;
    return robots;
}

RobotsTxt RobotsTxt::Parse(std::string_view text) {
    RobotsTxt robots = ParseAs(text, RobotsReading::Rfc9309);
    RobotsTxt google = ParseAs(text, RobotsReading::Google);
    robots.googleGroups_ = std::move(google.groups_);
    // Lines Google reads though RFC 9309 does not: its reading kept in their problems.
    std::size_t g = 0;
    for (RobotsProblem& problem : robots.problems_) {
        while (g < google.problems_.size() && google.problems_[g].line < problem.line) {
            ++g;
        }
        if (g < google.problems_.size() && google.problems_[g].line == problem.line) {
            problem.googleReads = google.problems_[g].googleReads;
        }
    }
    return robots;
}

RobotsTxt RobotsTxt::ParseAs(std::string_view text, RobotsReading reading) {
    const bool google = reading == RobotsReading::Google;
    RobotsTxt robots;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    // The group that user-agent lines add to: a rule line closes the run of user-agent lines,
    // so the next user-agent line begins a new group.
    bool inAgentLines = false;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        // CR LF, CR or LF ends a line.
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') {
            ++pos;
        }
        ++lineNumber;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        line = TrimBlanksView(line);
        if (line.empty()) {
            continue;
        }
        std::size_t colon = line.find(':');
        // Google reads "key value" as "key: value" when the line holds just those two words.
        bool blankForColon = false;
        if (colon == std::string_view::npos && google) {
            const std::size_t blank = line.find_first_of(" \t");
            if (blank != std::string_view::npos &&
                TrimBlanksView(line.substr(blank)).find_first_of(" \t") == std::string_view::npos) {
                colon = blank;
                blankForColon = true;
            }
        }
        if (colon == std::string_view::npos) {
            robots.problems_.push_back({lineNumber, "no colon", {}});
            continue;
        }
        const std::string written = ToLowerAnsi(TrimBlanksView(line.substr(0, colon)));
        const std::string key = google ? GoogleKey(written) : written;
        const std::string_view value = TrimBlanksView(line.substr(colon + 1));
        // Only a line Google then obeys reads differently; one whose key it ignores too does not.
        const bool obeyed =
            key == "user-agent" || key == "allow" || key == "disallow" || key == "sitemap";
        if (google && obeyed && (blankForColon || key != written)) {
            // In Google's pass a problem stands for a line read leniently: how it reads it.
            robots.problems_.push_back({lineNumber, {}, key + ": " + std::string(value)});
        }
        if (key == "user-agent") {
            if (!inAgentLines) {
                robots.groups_.emplace_back();
                inAgentLines = true;
            }
            // "*bot" names no crawler: only "*" (and what follows a blank) is every crawler.
            robots.groups_.back().agents.push_back(IsAnyAgent(value) ? std::string("*")
                                                                     : ProductToken(value));
        } else if (key == "allow" || key == "disallow") {
            if (robots.groups_.empty()) {
                robots.problems_.push_back({lineNumber, "a rule before any user-agent line", {}});
                continue;
            }
            inAgentLines = false;
            // An empty rule matches nothing.
            if (value.empty()) {
                continue;
            }
            if (value[0] != '/' && value[0] != '*') {
                robots.problems_.push_back(
                    {lineNumber, "a pattern not starting with / or *: " + std::string(value), {}});
                continue;
            }
            Rule rule;
            rule.allow = key == "allow";
            std::string_view pattern = value;
            if (pattern.back() == '$') {
                rule.anchored = true;
                pattern.remove_suffix(1);
            }
            if (pattern.find('$') != std::string_view::npos) {
                robots.problems_.push_back({lineNumber, "a $ not at the end of the pattern", {}});
            }
            rule.pattern = NormalPath(pattern);
            // Google takes an allowed ".../index.htm[l]" to allow its folder too, exactly.
            const std::size_t slash = rule.pattern.rfind('/');
            if (google && rule.allow && slash != std::string::npos &&
                std::string_view(rule.pattern).substr(slash).starts_with("/index.htm")) {
                robots.groups_.back().rules.push_back(
                    {true, true, rule.pattern.substr(0, slash + 1)});
            }
            robots.groups_.back().rules.push_back(std::move(rule));
        } else if (key == "crawl-delay") {
            const std::optional<double> seconds = DelaySeconds(value);
            if (!seconds) {
                robots.problems_.push_back(
                    {lineNumber, "a crawl-delay that is no number: " + std::string(value), {}});
            } else if (robots.groups_.empty()) {
                robots.problems_.push_back({lineNumber, "a rule before any user-agent line", {}});
            } else if (robots.groups_.back().crawlDelay < 0) {
                robots.groups_.back().crawlDelay = *seconds;
            }
        } else if (key == "sitemap") {
            if (IsAbsoluteUrl(value)) {
                robots.sitemaps_.emplace_back(value);
            } else {
                robots.problems_.push_back(
                    {lineNumber, "a relative sitemap address: " + std::string(value), {}});
            }
        } else if (!IsKnownExtension(key)) {
            robots.problems_.push_back({lineNumber, "unknown directive \"" + key + "\"", {}});
        }
    }
    return robots;
}

bool RobotsTxt::Allowed(std::string_view agent, std::string_view pathAndQuery,
                        RobotsReading reading) const {
    const std::string path =
        NormalPath(pathAndQuery.empty() ? std::string_view("/") : pathAndQuery);
    if (path == "/robots.txt") {
        return true;
    }
    if (disallowAll_) {
        return false;
    }
    const std::vector<const Group*> groups = GroupsOf(agent, reading);
    std::size_t best = 0;
    bool matched = false;
    bool allowed = true;
    for (const Group* group : groups) {
        for (const Rule& rule : group->rules) {
            const std::size_t length = rule.pattern.size() + (rule.anchored ? 1 : 0);
            if (matched && length < best) {
                continue;
            }
            if (!PatternMatches(rule.pattern, rule.anchored, path)) {
                continue;
            }
            if (!matched || length > best) {
                allowed = rule.allow;
            } else {
                allowed = allowed || rule.allow;
            }
            matched = true;
            best = length;
        }
    }
    return allowed;
}

std::vector<const RobotsTxt::Group*> RobotsTxt::GroupsOf(std::string_view agent,
                                                         RobotsReading reading) const {
    const std::string token = ToLowerAnsi(agent);
    const std::vector<Group>& groups = reading == RobotsReading::Google ? googleGroups_ : groups_;
    auto matching = [&](std::string_view name) {
        std::vector<const Group*> found;
        for (const Group& group : groups) {
            for (const std::string& groupAgent : group.agents) {
                if (groupAgent == name) {
                    found.push_back(&group);
                    break;
                }
            }
        }
        return found;
    };
    std::vector<const Group*> found = matching(token);
    return found.empty() ? matching("*") : found;
}

double RobotsTxt::CrawlDelay(std::string_view agent) const {
    for (const Group* group : GroupsOf(agent)) {
        if (group->crawlDelay >= 0) {
            return group->crawlDelay;
        }
    }
    return 0;
}

std::string RobotsPathOf(std::string_view url) {
    if (StartsWithNoCase(url, "http://")) {
        url.remove_prefix(7);
    } else if (StartsWithNoCase(url, "https://")) {
        url.remove_prefix(8);
    }
    url = url.substr(0, url.find('#'));
    const std::size_t start = url.find_first_of("/?");
    if (start == std::string_view::npos) {
        return "/";
    }
    std::string path(url.substr(start));
    if (path[0] == '?') {
        path.insert(path.begin(), '/');
    }
    return path;
}

}  // namespace sg
