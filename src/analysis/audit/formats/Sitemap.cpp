#include "analysis/audit/formats/Sitemap.h"

#include <libxml/xmlreader.h>

#include <climits>
#include <memory>

#include "html/TextUtil.h"
#include "net/Gunzip.h"

namespace sg {
namespace {

bool IsGzip(std::string_view data) {
    return data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0x1F &&
           static_cast<unsigned char>(data[1]) == 0x8B;
}

std::string_view View(const xmlChar* text) {
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text))
                           : std::string_view();
}

void IgnoreXmlError(void*, xmlErrorPtr) {}

struct ReaderFree {
    void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};

SitemapContent Invalid(SitemapContent content, std::string problem) {
    content.kind = SitemapContent::Kind::Invalid;
    content.problem = std::move(problem);
    return content;
}

}  // namespace

std::string SitemapSizeText(std::size_t bytes) {
    constexpr std::size_t kMegabyte = 1024 * 1024;
    return bytes % kMegabyte == 0 ? std::to_string(bytes / kMegabyte) + " MB"
                                  : GroupedNumber(bytes) + " bytes";
}

SitemapContent ReadSitemap(std::string_view data, const SitemapLimits& limits) {
    SitemapContent content;
    std::string inflated;
    if (IsGzip(data)) {
        if (!Gunzip(data, limits.bytes, inflated)) {
            return Invalid(std::move(content), "damaged gzip data");
        }
        data = inflated;
    }
    if (data.size() > limits.bytes) {
        return Invalid(std::move(content), "over " + SitemapSizeText(limits.bytes));
    }
    if (data.empty()) {
        return Invalid(std::move(content), "not XML");
    }
    // No network, no DTD loaded, entities left unexpanded, no messages on stderr.
    const std::unique_ptr<xmlTextReader, ReaderFree> reader(
        xmlReaderForMemory(data.data(), static_cast<int>(data.size()), nullptr, nullptr,
                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (reader == nullptr) {
        return Invalid(std::move(content), "not XML");
    }
    xmlTextReaderSetStructuredErrorHandler(reader.get(), &IgnoreXmlError, nullptr);

    // The element an address is read from: urlset/url/loc or sitemapindex/sitemap/loc, all in
    // the root's namespace; an extension's (image:loc, video:content_loc, ...) names no page.
    std::string_view entry;
    std::string protocol;
    bool inEntry = false;
    bool inLoc = false;
    std::string loc;
    int read = 0;
    while ((read = xmlTextReaderRead(reader.get())) == 1) {
        const int type = xmlTextReaderNodeType(reader.get());
        const int depth = xmlTextReaderDepth(reader.get());
        if (type == XML_READER_TYPE_ELEMENT) {
            const std::string_view name = View(xmlTextReaderConstLocalName(reader.get()));
            const bool own = View(xmlTextReaderConstNamespaceUri(reader.get())) == protocol;
            if (depth == 0) {
                protocol = View(xmlTextReaderConstNamespaceUri(reader.get()));
                if (name == "urlset") {
                    content.kind = SitemapContent::Kind::UrlSet;
                    entry = "url";
                } else if (name == "sitemapindex") {
                    content.kind = SitemapContent::Kind::Index;
                    entry = "sitemap";
                } else {
                    return Invalid(std::move(content), "the root element is <" + std::string(name) +
                                                           ">, not <urlset> or <sitemapindex>");
                }
            } else if (depth == 1) {
                inEntry = own && name == entry;
                if (inEntry && content.addresses.size() >= limits.addresses) {
                    return Invalid(std::move(content),
                                   "over " + GroupedNumber(limits.addresses) + " addresses");
                }
            } else if (depth == 2 && inEntry && own && name == "loc") {
                loc.clear();
                inLoc = xmlTextReaderIsEmptyElement(reader.get()) == 0;
            }
        } else if (inLoc && (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                             type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE ||
                             type == XML_READER_TYPE_WHITESPACE)) {
            loc += View(xmlTextReaderConstValue(reader.get()));
        } else if (inLoc && type == XML_READER_TYPE_END_ELEMENT) {
            inLoc = false;
            if (const std::string_view address = TrimBlanksView(loc); !address.empty()) {
                content.addresses.emplace_back(address);
            }
        }
    }
    if (read < 0 || content.kind == SitemapContent::Kind::Invalid) {
        return Invalid(std::move(content), "not XML");
    }
    return content;
}

}  // namespace sg
