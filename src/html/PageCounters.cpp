#include "html/PageCounters.h"

#include <vector>

#include "html/TextUtil.h"

namespace sg {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

std::size_t CountAltTagsOf(std::string_view page, std::string_view tagStart) {
    std::size_t count = 0;
    std::size_t from = 0;
    for (;;) {
        const std::ptrdiff_t start = FindNoCase(page, tagStart, from);
        if (start < 0) {
            return count;
        }
        const std::size_t close = page.find('>', static_cast<std::size_t>(start));
        if (close == kNone) {
            return count;
        }
        if (FindNoCase(page.substr(start, close - start), " alt") >= 0) {
            ++count;
        }
        from = close;
    }
}

// First position of `c` at or after `from`, or the text size. The walks ask with positions that
// never decrease, so remembering the last answer keeps all their searches linear together.
class NextByte {
  public:
    NextByte(std::string_view text, char c) : text_(text), c_(c) {}

    std::size_t From(std::size_t from) {
        if (from < askedFrom_ || from > found_) {
            const std::size_t at = text_.find(c_, from);
            askedFrom_ = from;
            found_ = at == kNone ? text_.size() : at;
        }
        return found_;
    }

  private:
    std::string_view text_;
    char c_;
    std::size_t askedFrom_ = 1;  // empty cache: 1 > 0
    std::size_t found_ = 0;
};

}  // namespace

std::size_t CountImageTags(std::string_view page) {
    std::size_t count = 0;
    for (std::ptrdiff_t at = FindNoCase(page, "<img"); at >= 0;
         at = FindNoCase(page, "<img", static_cast<std::size_t>(at) + 4)) {
        ++count;
    }
    return count;
}

std::size_t CountAltTags(std::string_view page) {
    return CountAltTagsOf(page, "<img") + CountAltTagsOf(page, "<area") +
           CountAltTagsOf(page, "<applet");
}

std::string TagText(std::string_view text, std::string_view tagStart) {
    const std::ptrdiff_t start = FindNoCase(text, tagStart);
    if (start < 0) {
        return {};
    }
    const std::size_t close = text.find('>', static_cast<std::size_t>(start) + tagStart.size());
    if (close == kNone) {
        return {};
    }
    const std::size_t next = text.find('<', close + 1);
    if (next == kNone) {
        return {};
    }
    return std::string(text.substr(close + 1, next - close - 1));
}

// The designed walk: for each "/head" (letters in either case) at i, walk the text from i+7 to
// its end with a flag "in tag" that carries over from one walk to the next:
//   - not in tag, byte is not "<": the byte is kept;
//   - else a ">" does nothing;
//   - else skip to the next ">" (consumed) and clear the flag; at the end of the text first, the
//     flag is set again.
// Walking every occurrence to the end is quadratic. A walk is in one of three states: kept
// (flag clear), waiting (flag set, only ">" seen since the walk began) or skipping. Whatever its
// state, a walk that reads a "<" is skipping afterwards, so from the first "<" after its start
// every walk follows one shared walk, begun skipping just after the first "<" after the first
// start. That shared walk is run once; each walk then costs its stretch up to its own first "<"
// plus the copy of the shared walk's output from there on. The output itself can be quadratic in
// the page size (every occurrence repeats the text after it); the time is linear in page plus
// output.
std::string VisibleTextAfterHead(std::string_view page, std::size_t limit) {
    const std::size_t n = page.size();
    std::vector<std::size_t> starts;
    for (std::ptrdiff_t at = FindNoCase(page, "/head"); at >= 0;
         at = FindNoCase(page, "/head", static_cast<std::size_t>(at) + 1)) {
        starts.push_back(std::min(static_cast<std::size_t>(at) + 7, n));
    }
    if (starts.empty()) {
        return {};
    }
    const std::size_t walks = starts.size();

    // The first "<" at or after each start (n when none).
    std::vector<std::size_t> firstOpen(walks);
    NextByte nextOpen(page, '<');
    for (std::size_t j = 0; j < walks; ++j) {
        firstOpen[j] = nextOpen.From(starts[j]);
    }

    // The shared walk, from just after firstOpen[0], skipping. sharedFrom[j] is how much of its
    // output lies before firstOpen[j] + 1, where walk j joins it.
    std::string shared;
    std::vector<std::size_t> sharedFrom(walks, 0);
    bool sharedEndsInTag = true;
    if (firstOpen[0] < n) {
        std::size_t pending = 0;
        auto settle = [&](std::size_t boundary) {
            while (pending < walks && firstOpen[pending] < n &&
                   firstOpen[pending] + 1 <= boundary) {
                sharedFrom[pending++] = shared.size();
            }
        };
        std::size_t p = firstOpen[0] + 1;
        bool skipping = true;
        settle(p);
        while (p < n) {
            if (skipping) {
                const std::size_t close = page.find('>', p);
                if (close == kNone) {
                    p = n;
                    break;
                }
                p = close + 1;
                skipping = false;
            } else {
                const std::size_t open = page.find('<', p);
                const std::size_t end = open == kNone ? n : open;
                shared.append(page.substr(p, end - p));
                if (open == kNone) {
                    p = n;
                    break;
                }
                p = open + 1;
                skipping = true;
            }
            settle(p);
        }
        settle(n);
        sharedEndsInTag = skipping;
    }

    // Each walk's own stretch [start, firstOpen) holds no "<".
    std::string result;
    // Appends up to the limit; false once the limit is reached.
    auto append = [&](std::string_view piece) {
        result.append(piece.substr(0, std::min(piece.size(), limit - result.size())));
        return result.size() < limit;
    };
    NextByte nextClose(page, '>');
    bool inTag = true;
    for (std::size_t j = 0; j < walks; ++j) {
        const std::size_t start = starts[j];
        const std::size_t open = firstOpen[j];
        if (!inTag) {
            if (!append(page.substr(start, open - start))) {
                return result;
            }
        } else {
            std::size_t first = start;  // the first byte that is not ">"
            while (first < open && page[first] == '>') {
                ++first;
            }
            if (first < open) {
                const std::size_t close = nextClose.From(first + 1);
                if (close < open) {
                    if (!append(page.substr(close + 1, open - close - 1))) {
                        return result;
                    }
                    inTag = false;
                }
                // else: still skipping at `open`, or at the end of the text (flag set again).
            }
        }
        if (open < n) {
            if (!append(std::string_view(shared).substr(sharedFrom[j]))) {
                return result;
            }
            inTag = sharedEndsInTag;
        }
    }
    return result;
}

}  // namespace sg
