#include "html/CssTokenizer.h"

#include <algorithm>

#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr int kEnd = -1;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool IsNewline(int c) {
    return c == '\n' || c == '\r' || c == '\f';
}

bool IsWhitespace(int c) {
    return c == ' ' || c == '\t' || IsNewline(c);
}

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(int c) {
    return c != kEnd && HexDigitValue(static_cast<char>(c)) >= 0;
}

// NUL counts: the standard's preprocessing makes it U+FFFD, a non-ASCII code point.
bool IsNameStart(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80 || c == 0;
}

bool IsNameChar(int c) {
    return IsNameStart(c) || IsDigit(c) || c == '-';
}

bool IsNonPrintable(int c) {
    return (c >= 1 && c <= 8) || c == 0x0B || (c >= 0x0E && c <= 0x1F) || c == 0x7F;
}

void AppendText(std::string& out, std::string_view text) {
    for (std::size_t nul = text.find('\0'); nul != std::string_view::npos; nul = text.find('\0')) {
        out.append(text.substr(0, nul)).append(kReplacement);
        text.remove_prefix(nul + 1);
    }
    out.append(text);
}

}  // namespace

bool CssTokenizer::IsEscape(std::size_t i) const {
    return At(i) == '\\' && !IsNewline(At(i + 1));
}

bool CssTokenizer::StartsIdent(std::size_t i) const {
    const int c = At(i);
    if (c == '-') {
        return IsNameStart(At(i + 1)) || At(i + 1) == '-' || IsEscape(i + 1);
    }
    return IsNameStart(c) || IsEscape(i);
}

bool CssTokenizer::StartsNumber(std::size_t i) const {
    int c = At(i);
    if (c == '+' || c == '-') {
        c = At(++i);
    }
    return IsDigit(c) || (c == '.' && IsDigit(At(i + 1)));
}

void CssTokenizer::SkipWhitespace() {
    while (IsWhitespace(At(at_))) {
        ++at_;
    }
}

// After the backslash: up to six hex digits and one blank after them, or any one byte.
void CssTokenizer::AppendEscaped(std::string& out) {
    if (At(at_) == kEnd) {
        out.append(kReplacement);
        return;
    }
    if (!IsHexDigit(At(at_))) {
        AppendText(out, css_.substr(at_++, 1));
        return;
    }
    char32_t value = 0;
    for (int digits = 0; digits < 6 && IsHexDigit(At(at_)); ++digits) {
        value = value * 16 + static_cast<char32_t>(HexDigitValue(css_[at_++]));
    }
    if (IsWhitespace(At(at_))) {
        at_ += At(at_) == '\r' && At(at_ + 1) == '\n' ? 2 : 1;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
        out.append(kReplacement);
    } else {
        AppendUtf8(out, value);
    }
}

std::string_view CssTokenizer::ConsumeName() {
    const std::size_t start = at_;
    while (IsNameChar(At(at_))) {
        ++at_;
    }
    if (!IsEscape(at_)) {
        return css_.substr(start, at_ - start);
    }
    scratch_.clear();
    AppendText(scratch_, css_.substr(start, at_ - start));
    while (IsEscape(at_)) {
        ++at_;
        AppendEscaped(scratch_);
        const std::size_t run = at_;
        while (IsNameChar(At(at_))) {
            ++at_;
        }
        AppendText(scratch_, css_.substr(run, at_ - run));
    }
    return scratch_;
}

CssTokenizer::Token CssTokenizer::ConsumeIdentLike() {
    const std::string_view name = ConsumeName();
    if (At(at_) != '(') {
        return {Kind::Ident, name};
    }
    ++at_;
    if (!EqualsNoCase(name, "url")) {
        return {Kind::Function, name};
    }
    while (IsWhitespace(At(at_)) && IsWhitespace(At(at_ + 1))) {
        ++at_;
    }
    const int next = IsWhitespace(At(at_)) ? At(at_ + 1) : At(at_);
    if (next == '"' || next == '\'') {
        return {Kind::Function, name};
    }
    return ConsumeUrl();
}

CssTokenizer::Token CssTokenizer::ConsumeNumeric() {
    if (At(at_) == '+' || At(at_) == '-') {
        ++at_;
    }
    while (IsDigit(At(at_))) {
        ++at_;
    }
    if (At(at_) == '.' && IsDigit(At(at_ + 1))) {
        for (at_ += 2; IsDigit(At(at_));) {
            ++at_;
        }
    }
    if ((At(at_) == 'e' || At(at_) == 'E') &&
        (IsDigit(At(at_ + 1)) ||
         ((At(at_ + 1) == '+' || At(at_ + 1) == '-') && IsDigit(At(at_ + 2))))) {
        for (at_ += 2; IsDigit(At(at_));) {
            ++at_;
        }
    }
    // A unit makes a dimension ("12url" is one token, so no url follows).
    if (StartsIdent(at_)) {
        ConsumeName();
    } else if (At(at_) == '%') {
        ++at_;
    }
    return {Kind::Other, {}};
}

CssTokenizer::Token CssTokenizer::ConsumeString(char quote) {
    ++at_;
    scratch_.clear();
    for (;;) {
        const std::size_t run = at_;
        while (at_ < css_.size() && css_[at_] != quote && css_[at_] != '\\' &&
               !IsNewline(At(at_))) {
            ++at_;
        }
        AppendText(scratch_, css_.substr(run, at_ - run));
        const int c = At(at_);
        if (c == kEnd) {
            return {Kind::String, scratch_};
        }
        if (c == quote) {
            ++at_;
            return {Kind::String, scratch_};
        }
        if (IsNewline(c)) {
            return {Kind::BadString, {}};
        }
        ++at_;
        if (IsNewline(At(at_))) {
            // An escaped line end continues the string.
            at_ += At(at_) == '\r' && At(at_ + 1) == '\n' ? 2 : 1;
        } else if (At(at_) != kEnd) {
            AppendEscaped(scratch_);
        }
    }
}

CssTokenizer::Token CssTokenizer::ConsumeUrl() {
    SkipWhitespace();
    scratch_.clear();
    for (;;) {
        const std::size_t run = at_;
        for (int c = At(at_); c != kEnd && c != ')' && c != '"' && c != '\'' && c != '(' &&
                              c != '\\' && !IsWhitespace(c) && !IsNonPrintable(c);
             c = At(at_)) {
            ++at_;
        }
        AppendText(scratch_, css_.substr(run, at_ - run));
        const int c = At(at_);
        if (c == kEnd) {
            return {Kind::Url, scratch_};
        }
        if (c == ')') {
            ++at_;
            return {Kind::Url, scratch_};
        }
        if (IsWhitespace(c)) {
            SkipWhitespace();
            if (At(at_) == kEnd || At(at_) == ')') {
                at_ = std::min(at_ + 1, css_.size());
                return {Kind::Url, scratch_};
            }
        } else if (IsEscape(at_)) {
            ++at_;
            AppendEscaped(scratch_);
            continue;
        }
        ConsumeBadUrlRemnants();
        return {Kind::BadUrl, {}};
    }
}

void CssTokenizer::ConsumeBadUrlRemnants() {
    for (int c = At(at_); c != kEnd; c = At(at_)) {
        if (c == ')') {
            ++at_;
            return;
        }
        // An escaped ")" does not close it.
        at_ = std::min(at_ + (IsEscape(at_) ? 2 : 1), css_.size());
    }
}

CssTokenizer::Token CssTokenizer::Next() {
    for (;;) {
        if (at_ >= css_.size()) {
            return {Kind::End, {}};
        }
        const int c = At(at_);
        if (c == '/' && At(at_ + 1) == '*') {
            const std::size_t close = css_.find("*/", at_ + 2);
            at_ = close == std::string_view::npos ? css_.size() : close + 2;
            continue;
        }
        if (IsWhitespace(c)) {
            SkipWhitespace();
            return {Kind::Whitespace, {}};
        }
        switch (c) {
            case '"':
            case '\'':
                return ConsumeString(static_cast<char>(c));
            case '#':
                ++at_;
                if (IsNameChar(At(at_)) || IsEscape(at_)) {
                    ConsumeName();
                }
                return {Kind::Other, {}};
            case '+':
            case '.':
                if (StartsNumber(at_)) {
                    return ConsumeNumeric();
                }
                break;
            case '-':
                if (StartsNumber(at_)) {
                    return ConsumeNumeric();
                }
                if (At(at_ + 1) == '-' && At(at_ + 2) == '>') {
                    at_ += 3;
                    return {Kind::CdoOrCdc, {}};
                }
                if (StartsIdent(at_)) {
                    return ConsumeIdentLike();
                }
                break;
            case '<':
                if (css_.substr(at_, 4) == "<!--") {
                    at_ += 4;
                    return {Kind::CdoOrCdc, {}};
                }
                break;
            case '@':
                if (StartsIdent(at_ + 1)) {
                    ++at_;
                    return {Kind::AtKeyword, ConsumeName()};
                }
                break;
            case '\\':
                if (IsEscape(at_)) {
                    return ConsumeIdentLike();
                }
                break;
            case '{':
                ++at_;
                return {Kind::OpenBrace, {}};
            case '}':
                ++at_;
                return {Kind::CloseBrace, {}};
            case ';':
                ++at_;
                return {Kind::Semicolon, {}};
            default:
                if (IsDigit(c)) {
                    return ConsumeNumeric();
                }
                if (IsNameStart(c)) {
                    return ConsumeIdentLike();
                }
                break;
        }
        ++at_;
        return {Kind::Other, {}};
    }
}

}  // namespace sg
