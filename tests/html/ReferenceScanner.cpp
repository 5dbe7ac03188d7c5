#include "html/ReferenceScanner.h"

#include <algorithm>
#include <cstdio>

namespace sg::ref {
namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return s;
}

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Tail of s from pos, empty when pos lies beyond it.
std::string Mid(const std::string& s, std::size_t pos) {
    return pos >= s.size() ? std::string() : s.substr(pos);
}

int CountAltOf(const std::string& page, const std::string& tagStart) {
    int count = 0;
    std::string copy = page;
    for (;;) {
        int start = FindNoCase(copy, tagStart);
        if (start < 0) {
            return count;
        }
        copy = copy.substr(start);
        std::size_t close = copy.find('>');
        if (close == std::string::npos) {
            return count;
        }
        if (FindNoCase(copy.substr(0, close), " alt") >= 0) {
            ++count;
        }
        copy = copy.substr(close);
    }
}

}  // namespace

int FindNoCase(const std::string& text, const std::string& pattern) {
    std::size_t at = Lower(text).find(Lower(pattern));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

std::string TrimBlanks(std::string text) {
    while (!text.empty() && Blank(text.front())) {
        text.erase(0, 1);
    }
    while (!text.empty() && Blank(text.back())) {
        text.pop_back();
    }
    return text;
}

int CountImageTags(const std::string& page) {
    std::string lower = Lower(page);
    int count = 0;
    for (std::size_t at = lower.find("<img"); at != std::string::npos;
         at = lower.find("<img", at + 4)) {
        ++count;
    }
    return count;
}

int CountAltTags(const std::string& page) {
    return CountAltOf(page, "<img") + CountAltOf(page, "<area") + CountAltOf(page, "<applet");
}

std::string TagText(std::string text, const std::string& tagStart) {
    int at = FindNoCase(text, tagStart);
    if (at < 0) {
        return {};
    }
    text = text.substr(at + tagStart.size());
    std::size_t close = text.find('>');
    if (close == std::string::npos) {
        return {};
    }
    text = text.substr(close + 1);
    std::size_t open = text.find('<');
    if (open == std::string::npos) {
        return {};
    }
    return text.substr(0, open);
}

std::string VisibleTextAfterHead(const std::string& page) {
    std::string result;
    bool inTag = true;
    for (std::size_t i = 0; i + 5 <= page.size(); ++i) {
        bool head = page[i] == '/' && (page[i + 1] == 'h' || page[i + 1] == 'H') &&
                    (page[i + 2] == 'e' || page[i + 2] == 'E') &&
                    (page[i + 3] == 'a' || page[i + 3] == 'A') &&
                    (page[i + 4] == 'd' || page[i + 4] == 'D');
        if (!head) {
            continue;
        }
        std::string rest = Mid(page, i + 7);
        for (std::size_t j = 0; j < rest.size(); ++j) {
            if (rest[j] != '<' && !inTag) {
                result += rest[j];
            } else if (rest[j] == '>') {
            } else {
                while (rest[j] != '>') {
                    ++j;
                    inTag = false;
                    if (j >= rest.size()) {
                        inTag = true;
                        break;
                    }
                }
            }
        }
    }
    return result;
}

std::string StripFragment(const std::string& url) {
    std::size_t hash = url.find('#');
    return hash == std::string::npos ? url : url.substr(0, hash);
}

std::string StripPort(const std::string& url) {
    std::size_t colon = url.find(':');
    while (colon != std::string::npos) {
        if (colon == url.size() - 1) {
            return url;
        }
        if (url[colon + 1] >= '0' && url[colon + 1] <= '9') {
            break;
        }
        colon = url.find(':', colon + 1);
    }
    if (colon == std::string::npos) {
        return url;
    }
    std::size_t slash = url.find('/', colon);
    std::string out = url.substr(0, colon);
    if (slash != std::string::npos) {
        out += url.substr(slash);
    }
    return out;
}

std::string StripHttpPrefix(std::string url) {
    std::size_t at = url.find("http://");
    while (at != std::string::npos) {
        url.erase(at, 7);
        at = url.find("http://", at);
    }
    return url;
}

std::string EnsureHttpPrefix(const std::string& url) {
    return url.find("http:") != std::string::npos ? url : "http://" + url;
}

std::string PercentEncode(const std::string& text) {
    const std::string reserved = "\"<>%\\^[]`+$,@:;/!#?=&";
    std::string out;
    for (char c : text) {
        signed char s = static_cast<signed char>(c);
        if (s >= 33 && s <= 122 && reserved.find(c) == std::string::npos) {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        }
    }
    return out;
}

}  // namespace sg::ref
