#pragma once
// The tokens of a style sheet as CSS Syntax Level 3 reads them (section 4, "Tokenization"),
// one at a time, for scanners that look for a few kinds: comments are skipped, escapes decoded
// in names, strings and unquoted url(...), and a string or url(...) that the standard calls
// bad comes out as its own kind. The text is UTF-8; other bytes pass through unchanged.

#include <cstddef>
#include <string>
#include <string_view>

namespace sg {

class CssTokenizer {
  public:
    enum class Kind {
        End,
        Whitespace,
        // value: the decoded name, without "@" or "(".
        Ident,
        Function,
        AtKeyword,
        // value: the decoded contents, without the quotes or "url(" and ")".
        String,
        Url,
        // An unclosed line in a string; an unquoted url(...) holding a quote, "(", a blank
        // inside, a control byte or a bad escape. No value.
        BadString,
        BadUrl,
        // "<!--" and "-->", which a style sheet's top level ignores.
        CdoOrCdc,
        OpenBrace,
        CloseBrace,
        Semicolon,
        // Every other token: numbers, dimensions, hashes, delimiters, brackets, "(", ")".
        Other,
    };

    struct Token {
        Kind kind = Kind::End;
        // Valid until the next call of Next().
        std::string_view value;
    };

    explicit CssTokenizer(std::string_view css) : css_(css) {}

    // The next token; End at the end of the text and from then on. Each call reads on from
    // where the previous one stopped, so the whole text takes linear time.
    Token Next();

  private:
    // The byte at i (0..255), or -1 past the end.
    int At(std::size_t i) const {
        return i < css_.size() ? static_cast<unsigned char>(css_[i]) : -1;
    }
    bool IsEscape(std::size_t i) const;
    bool StartsIdent(std::size_t i) const;
    bool StartsNumber(std::size_t i) const;
    void SkipWhitespace();
    void AppendEscaped(std::string& out);
    std::string_view ConsumeName();
    Token ConsumeIdentLike();
    Token ConsumeNumeric();
    Token ConsumeString(char quote);
    Token ConsumeUrl();
    void ConsumeBadUrlRemnants();

    std::string_view css_;
    std::size_t at_ = 0;
    // Decoded values that differ from the text; reused from token to token.
    std::string scratch_;
};

}  // namespace sg
