#include "analysis/readiness/ReadinessAnalyzer.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "analysis/crawl/HttpsDowngradeLog.h"
#include "analysis/readiness/MetaTagAnalyzer.h"
#include "analysis/readiness/ReadinessBoxes.h"
#include "html/PageCharset.h"
#include "html/PageCounters.h"
#include "html/TextUtil.h"
#include "html/UrlText.h"
#include "model/ProgressSink.h"
#include "model/RunResults.h"
#include "net/FetchAhead.h"
#include "net/Fetcher.h"
#include "net/TlsProblemLog.h"
#include "platform/RunControl.h"
#include "reports/ReportLine.h"

namespace sg {
namespace {

constexpr std::size_t kVisibleTextLimit = 200;
// The structure check and the analysis each fetch the page.
constexpr int kFetchesPerPage = 2;

// The page's address as fetched: a fragment names a place in the page and is no part of the
// request (a server would look for a file of that name).
std::optional<Url> FetchedUrl(const std::string& pageUrl) {
    return Url::Parse(StripFragment(pageUrl));
}

// The page's answer from the fetcher (fetched ahead when it is a FetchAhead that was given
// the page); kOk when the page was read.
Answer FetchPage(Fetcher& fetcher, const std::string& pageUrl) {
    const std::string address = StripFragment(pageUrl);
    const std::optional<Url> url = FetchedUrl(pageUrl);
    Answer answer;
    answer.result = Answer::kBadAddress;
    if (url) {
        answer = fetcher.Fetch(*url);
    }
    CountProgress(ProgressCount::PageFetched);
    if (answer.result != Answer::kOk) {
        LogTlsProblem(answer, address);
    } else {
        LogHttpsDowngrade(answer, address);
    }
    return answer;
}

// The page lines from the first up to and including the first one by which `tag` has occurred
// (in any case), or all of them. The lines lie end to end in the body, so this is a prefix.
std::string_view LinesThrough(std::string_view body, const std::vector<std::string_view>& lines,
                              std::string_view tag) {
    const std::ptrdiff_t at = FindNoCase(body, tag);
    if (at < 0) {
        return body;
    }
    const std::size_t tagEnd = static_cast<std::size_t>(at) + tag.size();
    std::size_t end = 0;
    for (const std::string_view line : lines) {
        end += line.size();
        if (end >= tagEnd) {
            break;
        }
    }
    return body.substr(0, end);
}

void ReplaceWithBlank(std::string& text, std::string_view characters) {
    for (char& c : text) {
        if (characters.find(c) != std::string_view::npos) {
            c = ' ';
        }
    }
}

// Fetches the page; true when it was fetched and holds both "</html" and "</head" (in any
// case). Otherwise appends the connection or missing-tag message and answers false.
bool CheckPageStructure(Fetcher& fetcher, const std::string& reportPath,
                        const std::string& pageUrl) {
    const Answer answer = FetchPage(fetcher, pageUrl);
    if (answer.result != Answer::kOk) {
        AppendLineOrStop(reportPath,
                         "<b>The application could not connect to your site.  Please see that "
                         "you have entered the site address correctly and try again.</b><br><br>");
        return false;
    }
    const std::string& page = answer.BodyText();
    if (FindNoCase(page, "</html") < 0) {
        AppendLineOrStop(reportPath,
                         "The Url you have entered is missing the '/HTML' tag.  This is necessary "
                         "in order to conduct Search Engine Analysis on your site.  We suggest "
                         "that you add this tag since search engines will not be able to "
                         "successfully spider your site if this tag is missing.<br><br>");
        return false;
    }
    if (FindNoCase(page, "</head") < 0) {
        AppendLineOrStop(reportPath,
                         "The Url you have entered is missing the '/HEAD' tag.  This is necessary "
                         "in order to conduct Search Engine Analysis on your site.  We suggest "
                         "that you add this tag since search engines will not be able to "
                         "successfully spider your site if this tag is missing.<br><br>");
        return false;
    }
    return true;
}

// A meta tag's content part as the page means it: without the enclosing double quotes (and
// the "/" of a tag written "<meta ... />").
std::string_view MetaContent(std::string_view content) {
    content = TrimBlanksView(content);
    if (!content.empty() && content.back() == '/') {
        content = TrimBlanksView(content.substr(0, content.size() - 1));
    }
    if (!content.empty() && content.front() == '"') {
        content.remove_prefix(1);
    }
    if (!content.empty() && content.back() == '"') {
        content.remove_suffix(1);
    }
    return content;
}

TagResult MetaTagResult(bool found, std::string_view content, std::size_t length, bool fits,
                        std::size_t limit, PageCharset charset) {
    TagResult tag;
    tag.found = found;
    tag.text = Utf8Text(MetaContent(content), charset);
    tag.length = length;
    tag.limit = limit;
    tag.ok = found && fits;
    return tag;
}

// What the boxes of a page that was analyzed show, in `result`.
void KeepPageResult(PageReadiness& result, const std::string& title, const MetaTagTexts& found,
                    std::size_t imageCount, std::size_t altCount, PageCharset charset) {
    result.analyzed = true;
    result.title.found = !title.empty();
    result.title.text = Utf8Text(title, charset);
    result.title.length = CharacterCount(title, charset);
    result.title.limit = kTitleLimit;
    result.title.ok = result.title.found && result.title.length <= kTitleLimit;
    result.description =
        MetaTagResult(found.descriptionFound, found.description, found.descriptionLength,
                      found.descriptionFits, kDescriptionLimit, charset);
    result.keywords = MetaTagResult(found.keywordsFound, found.keywords, found.keywordsLength,
                                    found.keywordsFits, kKeywordsLimit, charset);
    result.images = imageCount;
    result.imagesWithoutAlt = altCount >= imageCount ? 0 : imageCount - altCount;
}

}  // namespace

void FetchReadinessAhead(FetchAhead& ahead, const std::vector<std::string>& pageUrls) {
    std::vector<FetchAhead::Request> requests;
    for (const std::string& pageUrl : pageUrls) {
        const std::optional<Url> url = FetchedUrl(pageUrl);
        for (int n = 0; url && n < kFetchesPerPage; ++n) {
            requests.emplace_back(FetchAhead::Kind::Page, std::string(url->FetchKey()));
        }
    }
    ahead.Prefetch(requests);
}

void AnalyzePageReadiness(Fetcher& fetcher, const std::string& reportPath,
                          const std::string& pageUrl, UrlEntry* densitySink,
                          PageReadiness* findings) {
    MetaTagTexts found;
    if (findings != nullptr) {
        findings->url = Utf8Text(pageUrl, PageCharset::Utf8);
    }
    if (!CheckPageStructure(fetcher, reportPath, pageUrl)) {
        AppendLineOrStop(reportPath,
                         "Search Engine Analysis could not be conducted on your site.  Please fix "
                         "the error that was encountered and try again.");
        return;
    }
    if (RunCancelled()) {
        return;
    }
    const Answer answer = FetchPage(fetcher, pageUrl);
    if (answer.result != Answer::kOk) {
        AppendLineOrStop(reportPath,
                         "The application could not connect to the site that you have specified. "
                         " Please try again.");
        return;
    }
    if (RunCancelled()) {
        return;
    }

    const std::string_view body = answer.BodyText();
    const std::size_t imageCount = CountImageTags(body);
    const std::size_t altCount = CountAltTags(body);
    const std::string title = TrimBlanks(TagText(body, "<title"));
    const std::vector<std::string_view> lines = BodyPieces(body);
    const std::string_view headText = LinesThrough(body, lines, "</head");
    const std::string_view documentText = LinesThrough(body, lines, "</html");
    const PageCharset charset = DeclaredCharset(answer.ContentTypeLine(), body);
    // A character of UTF-8 takes up to four bytes.
    const std::size_t visibleBytes =
        charset == PageCharset::Utf8 ? 4 * kVisibleTextLimit : kVisibleTextLimit;

    bool metaFound = false;
    bool titleWritten = false;
    bool visibleDone = false;
    std::string visibleText;
    std::size_t lineBegin = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = body.substr(lineBegin, lines[i].size());
        lineBegin += lines[i].size();
        // The head is read as a whole; after it, a "meta" on a later line is read on its own.
        const std::string_view tested = i == 0 ? headText : line;
        if (!metaFound && FindNoCase(tested, "meta") >= 0) {
            AnalyzeMetaTags(reportPath, tested, found, charset);
            metaFound = true;
            if (RunCancelled()) {
                return;
            }
        }
        // A line end is CR LF only, so a page with bare LFs arrives in 511-byte pieces and its
        // "</head" may begin in the piece before: the piece is tested with that piece's last
        // five bytes in front of it.
        const std::size_t lineStart = lineBegin - line.size();
        const std::size_t reachStart = lineStart >= 5 ? lineStart - 5 : 0;
        const std::string_view reach = body.substr(reachStart, lineBegin - reachStart);
        if (!visibleDone && FindNoCase(reach, "</head") >= 0) {
            visibleText = VisibleTextAfterHead(documentText, visibleBytes);
            visibleDone = true;
        }
        if (!titleWritten && !title.empty()) {
            if (!WriteTitleBox(reportPath, CharacterCount(title, charset))) {
                return;
            }
            titleWritten = true;
        }
    }

    if (findings != nullptr) {
        KeepPageResult(*findings, title, found, imageCount, altCount, charset);
    }
    // The snapshot and content box show these texts inside markup of their own.
    ReplaceWithBlank(found.description, "<\">");
    ReplaceWithBlank(found.keywords, "<\"");
    visibleText.resize(CharacterPrefix(visibleText, kVisibleTextLimit, charset).size());

    if (!WriteAltTextBox(reportPath, imageCount, altCount) ||
        !WriteSnapshot(reportPath, pageUrl, ReportCharsetText(title, charset),
                       ReportCharsetText(visibleText, charset),
                       ReportCharsetText(found.description, charset)) ||
        !WriteKeywordContentBox(reportPath, ReportCharsetText(found.keywords, charset)) ||
        !WriteKeywordDensityBox(reportPath, found.keywords, documentText, densitySink, charset,
                                findings != nullptr ? &findings->density : nullptr)) {
        return;
    }
    if (!metaFound &&
        !AppendLineOrStop(reportPath,
                          "<B><U><BR>The application did not find any meta-tags on your page.  "
                          "Please ensure that your meta-tags are located between the 'HEAD' and "
                          "'/HEAD' tags on your web page or they will NOT be spidered by search "
                          "engines.</B></U><BR><BR>")) {
        return;
    }
    AppendLineOrStop(reportPath, "</font></td></tr></table></div></td></tr></table></div>");
}

}  // namespace sg
