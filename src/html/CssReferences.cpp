#include "html/CssReferences.h"

#include "html/CssTokenizer.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

using Kind = CssTokenizer::Kind;

// What the top level's current at-rule prelude makes of the addresses in it.
enum class Prelude {
    // Addresses count: in a style rule, a block, or an at-rule prelude other than these.
    Plain,
    // The first value after @import is the imported sheet.
    ImportStart,
    // The rest of an @import, a misplaced or nested @import, an @namespace: nothing counts,
    // up to the next ";" or brace.
    Ignored,
};

}  // namespace

std::vector<CssReference> ReadCssReferences(std::string_view css) {
    std::vector<CssReference> references;
    CssTokenizer tokens(css);
    std::size_t depth = 0;
    bool importsAllowed = true;
    bool inAtPrelude = false;
    Prelude prelude = Prelude::Plain;
    // After "url(" written with a quote, the string is the address.
    bool urlFunction = false;
    const auto add = [&](std::string_view url) {
        if (prelude == Prelude::Ignored) {
            return;
        }
        if (!url.empty()) {
            references.push_back({std::string(url), prelude == Prelude::ImportStart});
        }
        if (prelude == Prelude::ImportStart) {
            prelude = Prelude::Ignored;
        }
    };
    for (CssTokenizer::Token token = tokens.Next(); token.kind != Kind::End;
         token = tokens.Next()) {
        if (token.kind == Kind::Whitespace) {
            continue;
        }
        const bool wasUrlFunction = urlFunction;
        urlFunction = false;
        const bool topLevelStart = depth == 0 && !inAtPrelude;
        switch (token.kind) {
            case Kind::String:
                if (wasUrlFunction || prelude == Prelude::ImportStart) {
                    add(token.value);
                }
                break;
            case Kind::Url:
                add(token.value);
                break;
            case Kind::Function:
                if (EqualsNoCase(token.value, "url")) {
                    urlFunction = true;
                } else if (prelude == Prelude::ImportStart) {
                    prelude = Prelude::Ignored;
                }
                break;
            case Kind::AtKeyword:
                if (!topLevelStart) {
                    if (EqualsNoCase(token.value, "import")) {
                        prelude = Prelude::Ignored;
                    }
                    break;
                }
                inAtPrelude = true;
                if (EqualsNoCase(token.value, "import")) {
                    prelude = importsAllowed ? Prelude::ImportStart : Prelude::Ignored;
                } else if (EqualsNoCase(token.value, "namespace")) {
                    importsAllowed = false;
                    prelude = Prelude::Ignored;
                } else if (!EqualsNoCase(token.value, "charset") &&
                           !EqualsNoCase(token.value, "layer")) {
                    importsAllowed = false;
                }
                break;
            case Kind::Semicolon:
                inAtPrelude = false;
                prelude = Prelude::Plain;
                break;
            case Kind::OpenBrace:
                // Any block at the top level (a style rule, @media, @layer with rules) ends the
                // place where @import may stand.
                importsAllowed = importsAllowed && depth > 0;
                inAtPrelude = false;
                prelude = Prelude::Plain;
                ++depth;
                break;
            case Kind::CloseBrace:
                depth -= depth > 0 ? 1 : 0;
                prelude = Prelude::Plain;
                break;
            case Kind::CdoOrCdc:
                break;
            default:
                // A style rule's selector, or a value after @import that is no address.
                if (topLevelStart) {
                    importsAllowed = false;
                }
                if (prelude == Prelude::ImportStart) {
                    prelude = Prelude::Ignored;
                }
                break;
        }
    }
    return references;
}

}  // namespace sg
