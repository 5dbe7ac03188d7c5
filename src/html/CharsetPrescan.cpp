#include "html/CharsetPrescan.h"

#include <optional>

#include "html/EncodingLabel.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

struct Attribute {
    std::string_view name;
    std::string_view value;
};

// The bytes being read and where; every step fails once the bytes run out.
class Prescan {
  public:
    explicit Prescan(std::string_view text) : text_(text) {}

    std::string Run();

  private:
    bool Ended() const { return at_ >= text_.size(); }
    bool LetterAt(std::size_t i) const { return i < text_.size() && IsAsciiLetter(text_[i]); }
    bool StartsWith(std::string_view prefix) const {
        return StartsWithNoCase(text_.substr(at_), prefix);
    }
    std::optional<Attribute> NextAttribute();
    // The encoding a <meta> names, with the position just after "<meta" and its blank; empty
    // when it names none.
    std::string MetaCharset();

    std::string_view text_;
    std::size_t at_ = 0;
};

// The label after "charset" and "=" in a content attribute ("text/html; charset=utf-8"), as
// the standard's "extract a character encoding from a meta element" reads it.
std::optional<std::string_view> CharsetInContent(std::string_view content) {
    std::size_t at = 0;
    for (;;) {
        std::size_t found = std::string_view::npos;
        for (std::size_t i = at; i + 7 <= content.size(); ++i) {
            if (EqualsNoCase(content.substr(i, 7), "charset")) {
                found = i;
                break;
            }
        }
        if (found == std::string_view::npos) {
            return std::nullopt;
        }
        at = found + 7;
        while (at < content.size() && IsSpace(content[at])) {
            ++at;
        }
        if (at < content.size() && content[at] == '=') {
            break;
        }
    }
    ++at;
    while (at < content.size() && IsSpace(content[at])) {
        ++at;
    }
    if (at >= content.size()) {
        return std::nullopt;
    }
    if (content[at] == '"' || content[at] == '\'') {
        const std::size_t close = content.find(content[at], at + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        return content.substr(at + 1, close - at - 1);
    }
    std::size_t end = at;
    while (end < content.size() && !IsSpace(content[end]) && content[end] != ';') {
        ++end;
    }
    return content.substr(at, end - at);
}

// The standard's "get an attribute": a name up to "=", a blank, "/" or ">", then a value
// quoted, unquoted or none. Nullopt at ">" or when the bytes run out.
std::optional<Attribute> Prescan::NextAttribute() {
    while (!Ended() && (IsSpace(text_[at_]) || text_[at_] == '/')) {
        ++at_;
    }
    if (Ended() || text_[at_] == '>') {
        return std::nullopt;
    }
    const std::size_t nameStart = at_;
    for (;; ++at_) {
        if (Ended()) {
            return std::nullopt;
        }
        const char c = text_[at_];
        if ((c == '=' && at_ > nameStart) || IsSpace(c) || c == '/' || c == '>') {
            break;
        }
    }
    Attribute attribute{text_.substr(nameStart, at_ - nameStart), {}};
    while (!Ended() && IsSpace(text_[at_])) {
        ++at_;
    }
    if (Ended()) {
        return std::nullopt;
    }
    if (text_[at_] != '=') {
        return attribute;
    }
    ++at_;
    while (!Ended() && IsSpace(text_[at_])) {
        ++at_;
    }
    if (Ended()) {
        return std::nullopt;
    }
    const char first = text_[at_];
    if (first == '>') {
        return attribute;
    }
    if (first == '"' || first == '\'') {
        const std::size_t close = text_.find(first, at_ + 1);
        if (close == std::string_view::npos) {
            at_ = text_.size();
            return std::nullopt;
        }
        attribute.value = text_.substr(at_ + 1, close - at_ - 1);
        at_ = close + 1;
        return attribute;
    }
    const std::size_t valueStart = at_;
    while (!Ended() && !IsSpace(text_[at_]) && text_[at_] != '>') {
        ++at_;
    }
    if (Ended()) {
        return std::nullopt;
    }
    attribute.value = text_.substr(valueStart, at_ - valueStart);
    return attribute;
}

std::string Prescan::MetaCharset() {
    bool seenHttpEquiv = false;
    bool seenContent = false;
    bool seenCharset = false;
    bool gotPragma = false;
    std::optional<bool> needPragma;
    std::optional<std::string> charset;
    while (const std::optional<Attribute> attribute = NextAttribute()) {
        if (EqualsNoCase(attribute->name, "http-equiv") && !seenHttpEquiv) {
            seenHttpEquiv = true;
            gotPragma = EqualsNoCase(attribute->value, "content-type");
        } else if (EqualsNoCase(attribute->name, "content") && !seenContent) {
            seenContent = true;
            if (!charset) {
                if (const auto label = CharsetInContent(attribute->value)) {
                    charset = EncodingOfLabel(*label);
                    needPragma = true;
                }
            }
        } else if (EqualsNoCase(attribute->name, "charset") && !seenCharset) {
            seenCharset = true;
            charset = EncodingOfLabel(attribute->value);
            needPragma = false;
        }
    }
    // A tag cut off by the end of the bytes read counts for nothing.
    if (Ended() || !needPragma || (*needPragma && !gotPragma) || !charset || charset->empty()) {
        return {};
    }
    if (charset->starts_with("UTF-16")) {
        return "UTF-8";
    }
    return *charset;
}

std::string Prescan::Run() {
    while (!Ended()) {
        if (StartsWith("<!--")) {
            // The dashes of "<!--" may end it too: "<!-->" is a whole comment.
            const std::size_t close = text_.find("-->", at_ + 2);
            at_ = close == std::string_view::npos ? text_.size() : close + 3;
            continue;
        }
        if (StartsWith("<meta") && at_ + 5 < text_.size() &&
            (IsSpace(text_[at_ + 5]) || text_[at_ + 5] == '/')) {
            at_ += 6;
            std::string charset = MetaCharset();
            if (!charset.empty()) {
                return charset;
            }
        } else if (text_[at_] == '<' &&
                   (LetterAt(at_ + 1) || (StartsWith("</") && LetterAt(at_ + 2)))) {
            // Another tag: its attributes, whose values may hold "<meta", are skipped.
            while (!Ended() && !IsSpace(text_[at_]) && text_[at_] != '>') {
                ++at_;
            }
            while (NextAttribute()) {
            }
        } else if (StartsWith("<!") || StartsWith("</") || StartsWith("<?")) {
            const std::size_t close = text_.find('>', at_ + 2);
            at_ = close == std::string_view::npos ? text_.size() : close;
        }
        ++at_;
    }
    return {};
}

}  // namespace

std::string PrescanMetaCharset(std::string_view page) {
    return Prescan(page.substr(0, kCharsetPrescanBytes)).Run();
}

}  // namespace sg
