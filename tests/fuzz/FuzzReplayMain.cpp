// Runs one fuzz target over the files of corpus folders (or single files) without libFuzzer, so
// that the normal test build replays every corpus entry under its sanitizers. Fails when a
// folder holds no file, so that a lost corpus cannot pass unnoticed.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool ReadFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER_OR_FILE...\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(arg, error)) {
            std::size_t before = inputs.size();
            for (const auto& entry : std::filesystem::directory_iterator(arg, error)) {
                if (entry.is_regular_file()) {
                    inputs.push_back(entry.path());
                }
            }
            if (inputs.size() == before) {
                std::fprintf(stderr, "%s: no corpus file\n", argv[i]);
                return 1;
            }
        } else if (std::filesystem::is_regular_file(arg, error)) {
            inputs.push_back(arg);
        } else {
            std::fprintf(stderr, "%s: not found\n", argv[i]);
            return 1;
        }
    }
    std::sort(inputs.begin(), inputs.end());

    using Clock = std::chrono::steady_clock;
    double slowestMs = 0;
    std::string slowest;
    std::string bytes;
    for (const auto& path : inputs) {
        if (!ReadFile(path, bytes)) {
            std::fprintf(stderr, "%s: cannot read\n", path.c_str());
            return 1;
        }
        const auto start = Clock::now();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (ms > slowestMs) {
            slowestMs = ms;
            slowest = path.filename().string();
        }
    }
    std::printf("replayed %zu inputs; slowest %.2f ms (%s)\n", inputs.size(), slowestMs,
                slowest.c_str());
    return 0;
}
