// Writes a domain ranks file in the published format (header, tab-separated, reversed hosts,
// sorted by harmonic centrality) gzip-compressed at level 6, until the compressed file reaches
// the asked size. Planted domains stand at known positions (printed on stdout), so that a
// benchmark can look them up. Usage: sitegauge_ccranks_generate FILE MEGABYTES
#include <zlib.h>

#include <sys/stat.h>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::array<const char*, 24> kSyllables = {
    "an",  "ber", "co", "da", "el",  "fo", "gra", "hu",  "in",  "jo", "ka",  "lu",
    "mar", "net", "or", "pi", "qua", "ro", "sun", "tec", "uni", "vi", "web", "zo"};
constexpr std::array<const char*, 10> kSuffixes = {"com", "org", "net", "de",    "uk.co",
                                                   "fr",  "io",  "nl",  "jp.co", "info"};

std::uint64_t state = 0x9e3779b97f4a7c15ull;
std::uint64_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE MEGABYTES\n", argv[0]);
        return 2;
    }
    const long long target = std::atoll(argv[2]) * 1024LL * 1024LL;
    gzFile out = gzopen(argv[1], "wb6");
    if (out == nullptr) {
        return 1;
    }
    gzbuffer(out, 1 << 20);
    gzputs(out, "#harmonicc_pos\t#harmonicc_val\t#pr_pos\t#pr_val\t#host_rev\t#n_hosts\n");
    std::string block;
    std::string name;
    char line[256];
    const std::uint64_t prime = 1000003;
    for (std::uint64_t pos = 1;; ++pos) {
        name.clear();
        const std::uint64_t r = Next();
        name += kSuffixes[r % kSuffixes.size()];
        name += '.';
        const int parts = 2 + static_cast<int>((r >> 8) % 4);
        for (int i = 0; i < parts; ++i) {
            name += kSyllables[(r >> (12 + 5 * i)) % kSyllables.size()];
        }
        name += std::to_string((r >> 40) % 1000);
        if (pos % 20000000 == 0) {
            // A planted domain every 20 million lines.
            name = "com.planted-" + std::to_string(pos / 20000000);
            std::printf("planted\t%s\t%llu\n", name.c_str(), static_cast<unsigned long long>(pos));
        }
        const double harmonic = 3.2e7 / (1.0 + static_cast<double>(pos) * 1e-3);
        const std::uint64_t prPos = (pos * prime) % 400000000ull + 1;
        const int n = std::snprintf(line, sizeof line, "%llu\t%.7E\t%llu\t%.7E\t%s\t%llu\n",
                                    static_cast<unsigned long long>(pos), harmonic,
                                    static_cast<unsigned long long>(prPos), 1.0 / (pos + 7.0),
                                    name.c_str(), static_cast<unsigned long long>(1 + r % 97));
        block.append(line, static_cast<std::size_t>(n));
        if (block.size() >= (1u << 20)) {
            gzwrite(out, block.data(), static_cast<unsigned>(block.size()));
            block.clear();
            struct stat st {};
            if (stat(argv[1], &st) == 0 && st.st_size >= target) {
                std::printf("lines\t%llu\n", static_cast<unsigned long long>(pos));
                break;
            }
        }
    }
    gzwrite(out, block.data(), static_cast<unsigned>(block.size()));
    return gzclose(out) == Z_OK ? 0 : 1;
}
