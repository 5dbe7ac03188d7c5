// The sitemap reader on any bytes, plain and gzip-compressed: nothing may crash or leak, an
// invalid sitemap says why, a valid one says nothing, and no address is empty or over the bound.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "analysis/audit/formats/Sitemap.h"

namespace {

void Check(std::string_view data) {
    const sg::SitemapLimits limits{100, 1 << 20};
    const sg::SitemapContent content = sg::ReadSitemap(data, limits);
    SG_FUZZ_CHECK((content.kind == sg::SitemapContent::Kind::Invalid) != content.problem.empty());
    SG_FUZZ_CHECK(content.addresses.size() <= limits.addresses);
    for (const std::string& address : content.addresses) {
        SG_FUZZ_CHECK(!address.empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text);
    // The same bytes gzip-compressed, so that the inflated path sees every input too.
    uLongf packedSize = compressBound(static_cast<uLong>(size)) + 32;
    std::string packed(packedSize, '\0');
    z_stream stream{};
    if (deflateInit2(&stream, 1, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK) {
        stream.next_in = const_cast<Bytef*>(data);
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_out = static_cast<uInt>(packed.size());
        if (deflate(&stream, Z_FINISH) == Z_STREAM_END) {
            packed.resize(stream.total_out);
            Check(packed);
        }
        deflateEnd(&stream);
    }
    return 0;
}
