#include "net/Gunzip.h"

#include <zlib.h>

namespace sg {

bool Gunzip(std::string_view data, std::size_t limit, std::string& out) {
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        return false;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    char buffer[64 * 1024];
    int status = Z_OK;
    while (out.size() <= limit) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
        if (status == Z_STREAM_END) {
            if (stream.avail_in == 0) {
                break;
            }
            // Another member follows.
            if (inflateReset(&stream) != Z_OK) {
                break;
            }
            continue;
        }
        if (status != Z_OK) {
            break;
        }
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END || out.size() > limit;
}

}  // namespace sg
