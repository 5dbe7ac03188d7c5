#include "html/HtmlTokens.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(HtmlTokens, HasTokenMatchesWholeTokensBetweenHtmlBlanks) {
    struct Case {
        const char* tokens;
        const char* token;
        bool held;
    };
    const Case cases[] = {
        {"stylesheet", "stylesheet", true},
        {"  STYLESHEET icon ", "stylesheet", true},
        {"alternate\tstylesheet", "stylesheet", true},
        {"a\nb\rc\fd", "d", true},
        {"stylesheet", "style", false},
        {"my-stylesheet", "stylesheet", false},
        {"", "icon", false},
        {"icon", "", false},
        // A vertical tab is no HTML blank: "a\vb" is one token.
        {"a\vb", "a", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HasToken(c.tokens, c.token), c.held) << c.tokens << " / " << c.token;
    }
}

}  // namespace
}  // namespace sg
